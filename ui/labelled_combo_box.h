#pragma once

namespace vantrel {

// On Linux Qt names a combo box after its current text, so a screen reader hears "10" rather
// than what the box is for. Once installed, a combo box with a label for buddy is named by the
// label, keeps its text as its value and still opens its list on request. Installing twice is
// harmless.
void InstallLabelledComboBoxAccessibility();

}  // namespace vantrel
