// The LED tab: the command line's led, the series resistor that runs a string of LEDs at a
// current from a supply.

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

#include "kind_tabs.h"
#include "resource_strings.h"
#include "value_list.h"

namespace vantrel {

QWidget* CreateLedTab(TabForm form) {
  QLineEdit* vsupply = form.AddEdit(kVsupplyLabel, "VSUPPLY");
  vsupply->setPlaceholderText(kVrefHint);
  QLineEdit* vf = form.AddEdit(kVfLabel, "--vf");
  vf->setPlaceholderText(kVrefHint);
  // Typed, as the command line's --leds, so that a count past its range is named under it.
  QLineEdit* leds = form.AddEdit(kLedCountLabel, "--leds");
  leds->setPlaceholderText("1");
  QLineEdit* current = form.AddEdit(kLedCurrentLabel, "--current");
  QLineEdit* tolerance = form.AddTolerance(kToleranceLabel);
  QSpinBox* parts = form.AddPartsCount(kLedPartsLabel);
  QLineEdit* partTolerance = form.AddEdit(kPartToleranceLabel, "--part-tolerance");
  QLineEdit* within = form.AddEdit(kWithinLabel, "--within");
  ShowWithinAsDefault(tolerance, within);
  form.AddSource();
  form.More();
  QLineEdit* maxPower = form.AddEdit(kMaxPowerLabel, "--max-power");
  QLineEdit* derate = form.AddEdit(kDerateLabel, "--derate");
  derate->setPlaceholderText(kDerateHint);
  auto* distinct = new QCheckBox(form.Fields());
  form.AddField(kDistinctText, distinct);
  QLineEdit* exclude = form.AddEdit(kExcludeLabel, "--exclude");
  return form.Finish(kLedsListName, LedListColumns(), &NetworkSearches::led,
                     [=](finder::LedInput& input) {
                       input.vsupply = Text(vsupply);
                       input.vf = Given(vf);
                       input.leds = Given(leds);
                       input.current = Given(current);
                       input.tolerance = Given(tolerance);
                       input.parts = std::to_string(parts->value());
                       input.partTolerance = Given(partTolerance);
                       input.within = Given(within);
                       input.maxPower = Given(maxPower);
                       input.derate = Given(derate);
                       input.distinct = distinct->isChecked();
                       input.exclude = finder::SplitValueList(Text(exclude));
                     });
}

}  // namespace vantrel
