// The Amplifier tab: the command line's gain, Rf over Rg (or Rin, inverting) for an op-amp's gain.

#include <QComboBox>
#include <QLineEdit>

#include "kind_tabs.h"
#include "resource_strings.h"

namespace vantrel {

QWidget* CreateGainTab(TabForm form) {
  QLineEdit* gain = form.AddEdit(kGainLabel, "G");
  auto* circuit = new QComboBox(form.Fields());
  form.AddField(kCircuitLabel, circuit);
  for (const char* choice : kCircuitChoices) circuit->addItem(choice);
  const TabForm::LegFields legFields = form.AddLegFields();
  form.AddSource();
  form.More();
  QLineEdit* rfMin = form.AddEdit(kRfMinLabel, "--rf-min");
  QLineEdit* rfMax = form.AddEdit(kRfMaxLabel, "--rf-max");
  return form.Finish(kAmplifiersListName, GainListColumns(), &NetworkSearches::gain,
                     [=](finder::GainInput& input) {
                       input.gain = Text(gain);
                       input.inverting = circuit->currentIndex() == 1;
                       legFields(input);
                       input.rfMin = Given(rfMin);
                       input.rfMax = Given(rfMax);
                     });
}

}  // namespace vantrel
