#include "import_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include "collected_messages.h"
#include "inventory_table.h"
#include "resource_strings.h"

namespace vantrel {

ShownTable ColumnTable(const std::vector<table::Column>& columns) {
  ShownTable table;
  for (const table::Column& column : columns) {
    table.titles.emplace_back(column.title);
    table.leftAligned.push_back(column.leftAligned);
    table.names.emplace_back(column.name);
  }
  table.tsvColumns = finder::ColumnNames(columns);
  return table;
}

CImportDlg::CImportDlg(IFileService& files, const QStringList& paths, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(kImportCaption);
  std::vector<std::string> summary;
  std::vector<drawer::SkippedLine> skipped;
  bool refused = false;
  bool bom = false;
  for (const QString& path : paths) {
    drawer::ImportedFile file = drawer::ImportFile(files, path.toStdString());
    if (!file.refusal.empty()) {
      summary.push_back(file.refusal);
      refused = true;
      continue;
    }
    summary.push_back(drawer::ImportedFileText(path.toStdString(), file));
    bom = bom || file.bom;
    m_files.emplace_back(path.toStdString(), file.sha256);
    for (drawer::ImportedRow& row : file.rows) m_rows.push_back(std::move(row));
    for (drawer::SkippedLine& line : file.skipped) skipped.push_back(std::move(line));
  }
  const std::string limit = drawer::ImportLimitProblem(m_rows);
  if (!limit.empty()) summary.push_back(limit);
  const bool mergeable = !refused && !bom && limit.empty() && !m_rows.empty();
  if (refused) {
    summary.push_back(kRefusedImportText);
  } else if (bom) {
    summary.push_back(kBomImportText);
  } else if (limit.empty()) {
    summary.push_back(m_rows.empty() ? kNothingToMergeText : kMergeHint);
  }

  auto* about = new QLabel(QString::fromStdString(Lines(summary)), this);
  about->setObjectName("summary");
  about->setWordWrap(true);
  about->setTextInteractionFlags(Qt::TextSelectableByMouse);

  ShownTable rows = ColumnTable(drawer::ImportColumns());
  for (const drawer::ImportedRow& row : m_rows) {
    rows.cells.push_back(drawer::ImportTextCells(row));
    std::vector<std::string>& fields = rows.tsvCells.emplace_back();
    for (table::Cell& cell : drawer::ImportFields(row)) fields.push_back(std::move(cell.text));
  }
  auto* rowModel = new RowTableModel(this);
  rowModel->SetRows(std::move(rows));
  QTableView* rowList = NewRowList(rowModel, kImportedListName, this);

  ShownTable lines{{kSkippedColumnTitles[0], kSkippedColumnTitles[1], kSkippedColumnTitles[2]},
                   {},
                   {true, true, true},
                   {"source", "reason", "text"},
                   {},
                   {},
                   {}};
  for (const drawer::SkippedLine& line : skipped) {
    lines.cells.push_back({line.source, line.reason, line.text});
  }
  lines.tsvCells = lines.cells;
  auto* skippedModel = new RowTableModel(this);
  skippedModel->SetRows(std::move(lines));
  QTableView* skippedList = NewRowList(skippedModel, kSkippedListName, this);
  auto* skippedLabel = new QLabel(kSkippedLabel, this);
  skippedLabel->setBuddy(skippedList);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  QPushButton* merge = buttons->addButton(kMergeText, QDialogButtonBox::AcceptRole);
  merge->setObjectName("merge");
  merge->setEnabled(mergeable);
  buttons->button(QDialogButtonBox::Cancel)->setDefault(!mergeable);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(about);
  layout->addWidget(rowList, 3);
  layout->addWidget(skippedLabel);
  layout->addWidget(skippedList, 1);
  layout->addWidget(buttons);
  skippedLabel->setVisible(!skipped.empty());
  skippedList->setVisible(!skipped.empty());
  // Wide enough for a description's columns, within the screen.
  resize(QSize(1200, 600).boundedTo(screen()->availableGeometry().size() * 0.9));
}

std::vector<drawer::ImportSource> CImportDlg::Sources(const std::string& date) const {
  std::vector<drawer::ImportSource> sources;
  for (const auto& [path, sha256] : m_files) sources.push_back({path, sha256, date});
  return sources;
}

std::vector<drawer::InventoryRow> CImportDlg::Rows() const {
  std::vector<drawer::InventoryRow> rows;
  rows.reserve(m_rows.size());
  for (const drawer::ImportedRow& row : m_rows) rows.push_back(row.row);
  return rows;
}

}  // namespace vantrel
