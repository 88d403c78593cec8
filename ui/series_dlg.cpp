#include "series_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <variant>

#include "e_series.h"
#include "qt_text.h"
#include "resource_strings.h"

namespace vantrel {

CSeriesDlg::CSeriesDlg(const StockKind& kind, QWidget* parent) : QDialog(parent), m_kind(kind) {
  setObjectName("IDD_ADD_SERIES");
  // The font of the window that asks, which a window of its own does not take by itself.
  setAttribute(Qt::WA_WindowPropagation);
  setWindowTitle(kAddSeriesCaption);
  m_series = new QComboBox(this);
  m_series->setObjectName("NAME");
  for (const ESeries& series : StandardSeries()) {
    m_series->addItem(QStringOf(series.name));
  }
  m_series->setCurrentText(QStringOf(kind.starterSeries));
  m_from = new QLineEdit(QStringOf(kind.defaultFrom), this);
  m_from->setObjectName("--from");
  m_to = new QLineEdit(QStringOf(kind.defaultTo), this);
  m_to->setObjectName("--to");
  m_error = new QLabel(this);
  m_error->setObjectName("error");
  m_error->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSeriesDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSeriesDlg::reject);

  // Labels made by the form are the fields' buddies, which names them to screen readers.
  auto* form = new QFormLayout(this);
  form->addRow(kSeriesLabel, m_series);
  form->addRow(kFromLabel, m_from);
  form->addRow(kToLabel, m_to);
  form->addRow(m_error);
  form->addRow(buttons);
}

// Refused ranges are named in the dialog, which stays open.
void CSeriesDlg::accept() {
  const auto checked =
      finder::CheckSeries({m_series->currentText().toStdString(), m_from->text().toStdString(),
                           m_to->text().toStdString(), &m_kind},
                          finder::Wording::kWindow);
  if (const auto* error = std::get_if<finder::RequestError>(&checked)) {
    m_error->setText(QString::fromStdString(error->message));
    return;
  }
  m_request = std::get<finder::SeriesRequest>(checked);
  m_library = finder::MakeSeriesLibrary(m_request);
  if (!m_library.problem.empty()) {
    m_error->setText(QString::fromStdString(m_library.problem));
    return;
  }
  QDialog::accept();
}

}  // namespace vantrel
