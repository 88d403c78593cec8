// The Networks tab: the command line's find, one value built from up to four parts of a stock.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include "kind_tabs.h"
#include "library_page.h"
#include "resource_strings.h"
#include "value_list.h"

namespace vantrel {

QWidget* CreateFindTab(TabForm form) {
  auto* stock = new QComboBox(form.Fields());
  form.AddField(kStockLabel, stock);
  FillStockChoice(*stock);
  auto* target = new QLineEdit(form.Fields());
  form.AddField(kTargetLabel, target, "TARGET");
  form.Tab().first = target;
  QLineEdit* tolerance = form.AddTolerance(kToleranceLabel);
  QSpinBox* parts = form.AddPartsCount(kPartsLabel);
  QLineEdit* partTolerance = form.AddEdit(kPartToleranceLabel, "--part-tolerance");
  form.AddSource();
  form.More();
  auto* distinct = new QCheckBox(form.Fields());
  form.AddField(kDistinctText, distinct);
  // A find has no In spec to judge by the statistical band.
  const TabForm::StatisticsFields statistics = form.AddStatisticsFields(false);
  QLineEdit* exclude = form.AddEdit(kExcludeLabel, "--exclude");
  return form.Finish(kNetworksListName, FindListColumns(), &NetworkSearches::find,
                     [=](finder::FindInput& input) {
                       input.kind = kStockKinds[static_cast<std::size_t>(stock->currentIndex())];
                       input.target = Text(target);
                       input.tolerance = Given(tolerance);
                       input.parts = std::to_string(parts->value());
                       input.distinct = distinct->isChecked();
                       input.partTolerance = Given(partTolerance);
                       input.statistics = statistics();
                       input.exclude = finder::SplitValueList(Text(exclude));
                     });
}

}  // namespace vantrel
