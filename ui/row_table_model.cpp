#include "row_table_model.h"

#include <QHeaderView>
#include <QStringList>
#include <QTableView>
#include <algorithm>

#include "list_actions.h"

namespace vantrel {
namespace {

QString TabLine(const std::vector<std::string>& cells) {
  QStringList line;
  for (const std::string& cell : cells) line << QString::fromStdString(cell);
  return line.join(u'\t') + u'\n';
}

}  // namespace

void RowTableModel::SetRows(ShownTable rows) {
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

QString RowTableModel::TsvText(std::vector<int> rows, bool withHeader) const {
  std::sort(rows.begin(), rows.end());
  QString text;
  for (int row : rows) text += TabLine(m_rows.tsvCells.at(static_cast<std::size_t>(row)));
  if (!text.isEmpty() && withHeader) text.prepend(TabLine(m_rows.tsvColumns));
  return text;
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.cells.size());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.titles.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const std::string& cell =
      m_rows.cells[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
  const bool last = index.column() + 1 == columnCount();
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(cell);
    case Qt::ToolTipRole:
      return last ? QVariant(QString::fromStdString(cell)) : QVariant();
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignVCenter |
                                 (m_rows.leftAligned.at(static_cast<std::size_t>(index.column()))
                                      ? Qt::AlignLeft
                                      : Qt::AlignRight));
    default:
      return {};
  }
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  return QString::fromStdString(m_rows.titles.at(static_cast<std::size_t>(section)));
}

QTableView* NewRowList(RowTableModel* model, const char* name, QWidget* parent) {
  auto* list = new QTableView(parent);
  list->setObjectName(name);
  list->setAccessibleName(name);
  list->setModel(model);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setTabKeyNavigation(false);
  list->setWordWrap(false);
  list->setTextElideMode(Qt::ElideMiddle);
  list->verticalHeader()->hide();
  list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() * 3 / 2);
  list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list->horizontalHeader()->setStretchLastSection(true);
  AddCopyActions(*list, [list, model](bool withHeader) {
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
      rows.push_back(index.row());
    }
    const QString text = model->TsvText(std::move(rows), withHeader);
    if (!text.isEmpty()) CopyText(text);
  });
  return list;
}

}  // namespace vantrel
