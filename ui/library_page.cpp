#include "library_page.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <variant>

#include "collected_messages.h"
#include "e_series.h"
#include "file_error_report.h"
#include "library_check.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "qt_text.h"
#include "resource_strings.h"
#include "row_table_model.h"
#include "series_dlg.h"

namespace vantrel {

void FillStockChoice(QComboBox& combo) {
  combo.setObjectName("stock");
  for (const char* choice : kStockChoices) combo.addItem(choice);
}

CLibraryPage::CLibraryPage(Services& services, QWidget* parent)
    : QWidget(parent), m_services(services) {
  auto* stockLabel = new QLabel(kStockLabel, this);
  m_stock = new QComboBox(this);
  stockLabel->setBuddy(m_stock);
  FillStockChoice(*m_stock);
  connect(m_stock, &QComboBox::currentIndexChanged, this, [this] {
    SetStatus({});
    Refresh();
  });
  auto* stock = new QHBoxLayout;
  stock->addWidget(stockLabel);
  stock->addWidget(m_stock);
  stock->addStretch();
  m_path = new QLabel(this);
  m_path->setObjectName("path");
  m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_summary = new QLabel(this);
  m_summary->setObjectName("summary");
  m_summary->setWordWrap(true);

  auto* refresh = new QPushButton(kRefreshText, this);
  auto* normalise = new QPushButton(kNormaliseText, this);
  auto* addSeries = new QPushButton(kAddSeriesText, this);
  m_create = new QPushButton(this);
  m_create->setObjectName("create");
  m_create->hide();  // until Refresh finds the stock missing
  for (QPushButton* button : {refresh, normalise, addSeries, m_create}) {
    button->setAutoDefault(false);
  }
  connect(refresh, &QPushButton::clicked, this, &CLibraryPage::Refresh);
  setFocusProxy(refresh);
  connect(normalise, &QPushButton::clicked, this, &CLibraryPage::OnNormalise);
  connect(addSeries, &QPushButton::clicked, this, &CLibraryPage::OnAddSeries);
  connect(m_create, &QPushButton::clicked, this, &CLibraryPage::OnCreate);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(refresh);
  buttons->addWidget(normalise);
  buttons->addWidget(addSeries);
  buttons->addWidget(m_create);
  buttons->addStretch();

  // The same choice as check --series; its label gives the mnemonic and, to screen readers,
  // the name.
  auto* seriesLabel = new QLabel(kSeriesLabel, this);
  m_series = new QComboBox(this);
  m_series->setObjectName("--series");
  seriesLabel->setBuddy(m_series);
  m_series->addItem(QString::fromUtf8(kAnySeriesText));
  for (std::string_view name : SeriesNames()) {
    m_series->addItem(QStringOf(name));
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
  layout->addLayout(stock);
  layout->addWidget(m_path);
  layout->addWidget(m_summary);
  layout->addLayout(buttons);
  layout->addWidget(findings, 1);
  layout->addWidget(m_status);
}

const StockKind& CLibraryPage::Kind() const {
  return *kStockKinds[static_cast<std::size_t>(m_stock->currentIndex())];
}

void CLibraryPage::Refresh() {
  const StockKind& kind = Kind();
  m_path->setText(QDir::current().absoluteFilePath(QStringOf(kind.fileName)));
  bool missing = false;
  CollectedMessages messages;
  Services reading{messages, m_services.files};
  std::optional<finder::LibraryCheck> check;
  std::vector<std::string> summary;
  try {
    const int chosen = m_series->currentIndex();
    check = finder::CheckLibrary(
        reading, chosen > 0 ? &StandardSeries()[static_cast<std::size_t>(chosen - 1)] : nullptr,
        kind);
    summary = check ? check->Conclusion() : messages.texts;
    if (!check) {
      // A name that is no regular file is told as what it is, not as missing.
      const std::string notALibrary = NotALibraryMessage(m_services.files, kind);
      missing = notALibrary.empty();
      if (missing) {
        summary.push_back(kNoLibraryHint);
      } else {
        summary = {notALibrary};
      }
    }
  } catch (const FileError& error) {
    summary = {FileErrorMessage(error).text};
  }
  m_summary->setText(QString::fromStdString(Lines(summary)));
  m_create->setText(QString(kCreateStockText)
                        .arg(QStringOf(kind.starterSeries), QStringOf(kind.defaultFrom),
                             QStringOf(kind.defaultTo)));
  m_create->setVisible(missing);
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
    const StockKind& kind = Kind();
    if (RewriteLibraryFile(m_services, kind, table)) {
      SetStatus(QString(kNormalisedText).arg(QStringOf(kind.fileName)).arg(table.count));
    }
  });
  Refresh();
}

void CLibraryPage::OnAddSeries() {
  CSeriesDlg dialog(Kind(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  Write(dialog.Request(), dialog.Library());
}

void CLibraryPage::OnCreate() {
  const StockKind& kind = Kind();
  const auto request = std::get<finder::SeriesRequest>(
      finder::CheckSeries({std::string(kind.starterSeries), std::nullopt, std::nullopt, &kind}));
  Write(request, finder::MakeSeriesLibrary(request));
}

void CLibraryPage::Write(const finder::SeriesRequest& request,
                         const finder::SeriesLibrary& library) {
  SetStatus({});
  RunCommand(m_services.messages, [&] {
    const finder::SeriesWriteResult written = finder::WriteSeriesLibrary(m_services, library, true);
    SetStatus(QString::fromStdString(finder::SeriesWrittenNote(request, library, written)));
  });
  Refresh();
}

void CLibraryPage::SetStatus(const QString& text) {
  m_status->setText(text);
  m_status->setAccessibleDescription(text);
}

}  // namespace vantrel
