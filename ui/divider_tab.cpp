// The Divider tab: the command line's divider, two legs that make VOUT from VIN.

#include <QCheckBox>
#include <QLineEdit>

#include "kind_tabs.h"
#include "resource_strings.h"
#include "value_list.h"

namespace vantrel {

QWidget* CreateDividerTab(TabForm form) {
  QLineEdit* vin = form.AddEdit(kVinLabel, "VIN");
  QLineEdit* vout = form.AddEdit(kVoutLabel, "VOUT");
  const TabForm::LegFields legFields = form.AddLegFields();
  form.AddSource();
  form.More();
  const TabForm::CurrentFields currentFields = form.AddCurrentFields();
  QLineEdit* load = form.AddEdit(kLoadLabel, "--load");
  QLineEdit* maxSource = form.AddEdit(kMaxSourceLabel, "--max-source");
  auto* distinct = new QCheckBox(form.Fields());
  form.AddField(kDistinctText, distinct);
  QLineEdit* derate = form.AddEdit(kDerateLabel, "--derate");
  derate->setPlaceholderText(kDerateHint);
  QLineEdit* exclude = form.AddEdit(kExcludeLabel, "--exclude");
  return form.Finish(kDividersListName, DividerListColumns(), &NetworkSearches::divider,
                     [=](finder::DividerInput& input) {
                       input.vin = Text(vin);
                       input.vout = Text(vout);
                       legFields(input);
                       currentFields(input);
                       input.load = Given(load);
                       input.maxSource = Given(maxSource);
                       input.distinct = distinct->isChecked();
                       input.derate = Given(derate);
                       input.exclude = finder::SplitValueList(Text(exclude));
                     });
}

}  // namespace vantrel
