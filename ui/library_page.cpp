#include "library_page.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <variant>

#include "collected_messages.h"
#include "e_series.h"
#include "file_error_report.h"
#include "import_dlg.h"
#include "inventory_check.h"
#include "inventory_file.h"
#include "inventory_table.h"
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
  auto* viewLabel = new QLabel(kViewLabel, this);
  m_view = new QComboBox(this);
  m_view->setObjectName("view");
  viewLabel->setBuddy(m_view);
  for (const char* choice : kViewChoices) m_view->addItem(choice);
  connect(m_view, &QComboBox::currentIndexChanged, this, [this] {
    SetStatus({});
    Refresh();
  });
  auto* stock = new QHBoxLayout;
  stock->addWidget(stockLabel);
  stock->addWidget(m_stock);
  stock->addSpacing(12);
  stock->addWidget(viewLabel);
  stock->addWidget(m_view);
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
  m_import = new QPushButton(kImportText, this);
  m_import->setObjectName("import");
  for (QPushButton* button : {refresh, normalise, addSeries, m_create, m_import}) {
    button->setAutoDefault(false);
  }
  connect(refresh, &QPushButton::clicked, this, &CLibraryPage::Refresh);
  setFocusProxy(refresh);
  connect(normalise, &QPushButton::clicked, this, &CLibraryPage::OnNormalise);
  connect(addSeries, &QPushButton::clicked, this, &CLibraryPage::OnAddSeries);
  connect(m_create, &QPushButton::clicked, this, &CLibraryPage::OnCreate);
  connect(m_import, &QPushButton::clicked, this, &CLibraryPage::OnImport);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(refresh);
  buttons->addWidget(normalise);
  buttons->addWidget(addSeries);
  buttons->addWidget(m_create);
  buttons->addWidget(m_import);
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
  m_libraryControls = {normalise, addSeries, seriesLabel, m_series};

  m_model = new RowTableModel(this);
  m_findings = NewRowList(m_model, kFindingsListName, this);
  m_inventoryModel = new RowTableModel(this);
  m_inventoryFindings = NewRowList(m_inventoryModel, kInventoryFindingsListName, this);
  m_drawerModel = new RowTableModel(this);
  m_drawer = NewRowList(m_drawerModel, kInventoryListName, this);

  m_status = new QLabel(this);
  m_status->setObjectName("status");
  m_status->setAccessibleDescription(kStatusName);
  m_status->setWordWrap(true);
  m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(stock);
  layout->addWidget(m_path);
  layout->addWidget(m_summary);
  layout->addLayout(buttons);
  layout->addWidget(m_findings, 1);
  layout->addWidget(m_inventoryFindings, 1);
  layout->addWidget(m_drawer, 3);
  layout->addWidget(m_status);
}

const StockKind& CLibraryPage::Kind() const {
  return *kStockKinds[static_cast<std::size_t>(m_stock->currentIndex())];
}

bool CLibraryPage::InventoryShown() const {
  return m_view->currentIndex() == 1;
}

std::vector<std::pair<QString, QWidget*>> CLibraryPage::KeptFields() const {
  return {{QString(kStockLabel).remove('&'), m_stock},
          {QString(kViewLabel).remove('&'), m_view},
          {QString(kSeriesLabel).remove('&'), m_series}};
}

void CLibraryPage::Refresh() {
  const bool inventory = InventoryShown();
  for (QWidget* control : m_libraryControls) control->setVisible(!inventory);
  m_findings->setVisible(!inventory);
  m_drawer->setVisible(inventory);
  if (inventory) {
    RefreshInventory();
  } else {
    m_inventoryFindings->hide();
    RefreshLibrary();
  }
}

void CLibraryPage::RefreshLibrary() {
  const StockKind& kind = Kind();
  m_path->setText(QDir::current().absoluteFilePath(QStringOf(kind.fileName)));
  bool missing = false;
  CollectedMessages messages;
  Services reading{messages, m_services.files, m_services.clock};
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
                   {},
                   {},
                   {}};
  if (check) {
    for (const finder::LibraryFinding& finding : check->findings) {
      table.cells.push_back({std::to_string(finding.line), finding.lineText, finding.what});
    }
  }
  table.tsvCells = table.cells;
  m_model->SetRows(std::move(table));
}

void CLibraryPage::RefreshInventory() {
  m_path->setText(QDir::current().absoluteFilePath(drawer::kInventoryFileName));
  m_create->hide();
  std::vector<std::string> summary;
  ShownTable findings{{kInventoryFindingColumnTitles[0], kInventoryFindingColumnTitles[1]},
                      {},
                      {false, true},
                      {"line", "finding"},
                      {},
                      {},
                      {}};
  ShownTable drawer = ColumnTable(drawer::InventoryColumns());
  IFileService& files = m_services.files;
  try {
    if (const std::optional<drawer::InventoryCheck> check = drawer::CheckInventory(files)) {
      summary = check->conclusion;
      for (const drawer::InventoryFinding& finding : check->findings) {
        findings.cells.push_back({std::to_string(finding.line), finding.what});
      }
      for (const drawer::InventoryRow& row : check->inventory.rows) {
        if (row.kind == &Kind()) drawer.cells.push_back(drawer::InventoryTextCells(row));
      }
    } else if (const std::string what = files.NotRegularFile(drawer::kInventoryPath);
               !what.empty()) {
      summary = {QString(kNotAnInventoryText).arg(QString::fromStdString(what)).toStdString()};
    } else if (files.LastFailure() == MissingFileReason()) {
      summary = {kNoInventoryHint};
    } else {
      summary = {QString(kCannotReadInventoryText)
                     .arg(QString::fromStdString(files.LastFailure()))
                     .toStdString()};
    }
  } catch (const FileError& error) {
    summary = {FileErrorMessage(error).text};
  }
  m_summary->setText(QString::fromStdString(Lines(summary)));
  m_inventoryFindings->setVisible(!findings.cells.empty());
  findings.tsvCells = findings.cells;
  m_inventoryModel->SetRows(std::move(findings));
  drawer.tsvCells = drawer.cells;
  m_drawerModel->SetRows(std::move(drawer));
}

void CLibraryPage::OnImport() {
  const QStringList paths =
      QFileDialog::getOpenFileNames(this, kImportFilesCaption, QString(), kImportFilesFilter);
  if (paths.isEmpty()) return;
  SetStatus({});
  RunCommand(m_services.messages, [&] {
    CImportDlg preview(m_services.files, paths, this);
    if (preview.exec() != QDialog::Accepted) {
      SetStatus(kMergeCancelledText);
      return;
    }
    const drawer::InventoryMerge merge = drawer::MergeIntoInventory(
        m_services.files, preview.Rows(), preview.Sources(m_services.clock.Today()));
    if (merge.unreadable > 0) {
      SetStatus(QString(kUnreadableInventoryText).arg(merge.unreadable));
      return;
    }
    if (!merge.refusal.empty()) {
      std::string why = merge.refusal;
      if (merge.cannotCreate) why += ": " + m_services.files.LastFailure();
      SetStatus(QString::fromStdString(why));
      return;
    }
    SetStatus(QString(merge.created ? kCreatedInventoryText : kMergedText)
                  .arg(merge.added)
                  .arg(merge.summed)
                  .arg(merge.rows));
  });
  Refresh();
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
  m_status->setAccessibleName(text);
}

}  // namespace vantrel
