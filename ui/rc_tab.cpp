// The RC tab: the command line's rc, the low-pass's corner or time constant from the resistor
// and the capacitor stock.

#include <QComboBox>
#include <QLineEdit>

#include "kind_tabs.h"
#include "resource_strings.h"

namespace vantrel {

QWidget* CreateRcTab(TabForm form) {
  QLineEdit* corner = form.AddEdit(kCornerLabel, "--corner");
  QLineEdit* tau = form.AddEdit(kTauLabel, "--tau");
  QComboBox* rParts = form.AddLegsChoice(kRPartsLabel);
  QComboBox* cParts = form.AddLegsChoice(kCPartsLabel);
  QLineEdit* tolerance = form.AddTolerance(kDividerToleranceLabel);
  QLineEdit* rTolerance = form.AddEdit(kRToleranceLabel, "--r-tolerance");
  QLineEdit* cTolerance = form.AddEdit(kCToleranceLabel, "--c-tolerance");
  QLineEdit* within = form.AddEdit(kWithinLabel, "--within");
  ShowWithinAsDefault(tolerance, within);
  form.AddSource();
  form.More();
  QLineEdit* minR = form.AddEdit(kMinRLabel, "--min-r");
  QLineEdit* maxR = form.AddEdit(kMaxRLabel, "--max-r");
  QLineEdit* scale = form.AddEdit(kScaleLabel, "--scale");
  scale->setPlaceholderText(kScaleHint);
  const TabForm::StatisticsFields statistics = form.AddStatisticsFields();
  return form.Finish(kRcListName, RcListColumns(), &NetworkSearches::rc,
                     [=](finder::RcInput& input) {
                       input.corner = Given(corner);
                       input.tau = Given(tau);
                       input.rParts = std::to_string(rParts->currentIndex() + 1);
                       input.cParts = std::to_string(cParts->currentIndex() + 1);
                       input.tolerance = Given(tolerance);
                       input.rTolerance = Given(rTolerance);
                       input.cTolerance = Given(cTolerance);
                       input.within = Given(within);
                       input.minR = Given(minR);
                       input.maxR = Given(maxR);
                       input.scale = Given(scale);
                       input.statistics = statistics();
                     });
}

}  // namespace vantrel
