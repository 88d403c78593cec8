#include "library_page.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "collected_messages.h"
#include "e_series.h"
#include "file_error_report.h"
#include "library_check.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "resource_strings.h"
#include "row_table_model.h"
#include "series_dlg.h"

namespace vantrel {

CLibraryPage::CLibraryPage(Services& services, QWidget* parent)
    : QWidget(parent), m_services(services) {
  m_path = new QLabel(this);
  m_path->setObjectName("path");
  m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_summary = new QLabel(this);
  m_summary->setObjectName("summary");
  m_summary->setWordWrap(true);

  auto* refresh = new QPushButton(kRefreshText, this);
  auto* normalise = new QPushButton(kNormaliseText, this);
  auto* addSeries = new QPushButton(kAddSeriesText, this);
  for (QPushButton* button : {refresh, normalise, addSeries}) button->setAutoDefault(false);
  connect(refresh, &QPushButton::clicked, this, &CLibraryPage::Refresh);
  setFocusProxy(refresh);
  connect(normalise, &QPushButton::clicked, this, &CLibraryPage::OnNormalise);
  connect(addSeries, &QPushButton::clicked, this, &CLibraryPage::OnAddSeries);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(refresh);
  buttons->addWidget(normalise);
  buttons->addWidget(addSeries);
  buttons->addStretch();

  // The same choice as check --series; its label gives the mnemonic and, to screen readers,
  // the name.
  auto* seriesLabel = new QLabel(kSeriesLabel, this);
  m_series = new QComboBox(this);
  m_series->setObjectName("--series");
  seriesLabel->setBuddy(m_series);
  m_series->addItem(QString::fromUtf8(kAnySeriesText));
  for (std::string_view name : SeriesNames()) {
    m_series->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  }
  buttons->addWidget(seriesLabel);
  buttons->addWidget(m_series);
  connect(m_series, &QComboBox::currentIndexChanged, this, &CLibraryPage::Refresh);

  m_model = new RowTableModel(this);
  QTableView* findings = NewRowList(m_model, kFindingsListName, this);

  m_status = new QLabel(this);
  m_status->setObjectName("status");
  m_status->setAccessibleName(kStatusName);
  m_status->setWordWrap(true);
  m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_path);
  layout->addWidget(m_summary);
  layout->addLayout(buttons);
  layout->addWidget(findings, 1);
  layout->addWidget(m_status);
}

void CLibraryPage::Refresh() {
  m_path->setText(QDir::current().absoluteFilePath(kLibraryFileName));
  CollectedMessages messages;
  Services reading{messages, m_services.files};
  std::optional<finder::LibraryCheck> check;
  std::vector<std::string> summary;
  try {
    const int chosen = m_series->currentIndex();
    check = finder::CheckLibrary(
        reading, chosen > 0 ? &StandardSeries()[static_cast<std::size_t>(chosen - 1)] : nullptr);
    summary = check ? check->Conclusion() : messages.texts;
    if (!check) {
      const std::string notALibrary = NotALibraryMessage(m_services.files);
      summary.push_back(notALibrary.empty() ? kNoLibraryHint : notALibrary);
    }
  } catch (const FileError& error) {
    summary = {FileErrorMessage(error).text};
  }
  m_summary->setText(QString::fromStdString(Lines(summary)));
  ShownTable table{{kFindingColumnTitles[0], kFindingColumnTitles[1], kFindingColumnTitles[2]},
                   {},
                   {false, true, true},
                   {"line", "text", "rewrite"},
                   {}};
  if (check) {
    for (const finder::LibraryFinding& finding : check->findings) {
      table.cells.push_back({std::to_string(finding.line), finding.lineText, finding.what});
    }
  }
  table.tsvCells = table.cells;
  m_model->SetRows(std::move(table));
}

void CLibraryPage::OnNormalise() {
  SetStatus({});
  RunCommand(m_services.messages, [this] {
    LibraryTable table;
    if (RewriteLibraryFile(m_services, table)) {
      SetStatus(QString(kNormalisedText).arg(kLibraryFileName).arg(table.count));
    }
  });
  Refresh();
}

void CLibraryPage::OnAddSeries() {
  CSeriesDlg dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  SetStatus({});
  RunCommand(m_services.messages, [&] {
    const finder::SeriesWriteResult written =
        finder::WriteSeriesLibrary(m_services, dialog.Library(), true);
    SetStatus(QString::fromStdString(
        finder::SeriesWrittenNote(dialog.Request(), dialog.Library(), written)));
  });
  Refresh();
}

void CLibraryPage::SetStatus(const QString& text) {
  m_status->setText(text);
  m_status->setAccessibleDescription(text);
}

}  // namespace vantrel
