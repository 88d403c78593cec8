// The Regulator tab: the command line's regulator, the feedback divider that sets an adjustable
// regulator's VOUT from its VREF.

#include <QComboBox>
#include <QLineEdit>

#include "kind_tabs.h"
#include "resource_strings.h"
#include "row_table_model.h"

namespace vantrel {

QWidget* CreateRegulatorTab(TabForm form) {
  QLineEdit* vout = form.AddEdit(kVoutLabel, "VOUT");
  QLineEdit* vref = form.AddEdit(kVrefLabel, "--vref");
  vref->setPlaceholderText(kVrefHint);
  auto* reference = new QComboBox(form.Fields());
  form.AddField(kReferenceLabel, reference);
  for (const char* choice : kReferenceChoices) reference->addItem(choice);
  // The list's header names the pins of the circuit the fields now describe.
  QObject::connect(reference, &QComboBox::currentIndexChanged, &form.Window(),
                   [&tab = form.Tab()](int index) {
                     tab.columns = RegulatorListColumns(index == 1);
                     if (tab.model->rowCount() == 0) {
                       tab.model->SetRows(tab.columns);
                     } else {
                       tab.model->SetTitles(tab.columns);
                     }
                   });
  const TabForm::LegFields legFields = form.AddLegFields();
  form.AddSource();
  form.More();
  QLineEdit* iadj = form.AddEdit(kIadjLabel, "--iadj");
  iadj->setPlaceholderText(kIadjHint);
  const TabForm::CurrentFields currentFields = form.AddCurrentFields();
  QLineEdit* derate = form.AddEdit(kDerateLabel, "--derate");
  derate->setPlaceholderText(kDerateHint);
  return form.Finish(kRegulatorsListName, RegulatorListColumns(false), &NetworkSearches::regulator,
                     [=](finder::RegulatorInput& input) {
                       input.vout = Text(vout);
                       input.vref = Given(vref);
                       input.referenceTop = reference->currentIndex() == 1;
                       input.iadj = Given(iadj);
                       legFields(input);
                       currentFields(input);
                       input.derate = Given(derate);
                     });
}

}  // namespace vantrel
