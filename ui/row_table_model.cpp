#include "row_table_model.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QSettings>
#include <QStringList>
#include <QStyle>
#include <QTableView>
#include <algorithm>

#include "list_actions.h"

namespace vantrel {
namespace {

// Columns that add to an answer without being it, hidden until asked for; the worst case is
// the band's larger end.
const QStringList kSpareColumns = {"total", "current", "power", "worst", "needs_part_tolerance"};

QString TabLine(const std::vector<std::string>& cells) {
  QStringList line;
  for (const std::string& cell : cells) line << QString::fromStdString(cell);
  return line.join(u'\t') + u'\n';
}

}  // namespace

void RowTableModel::SetRows(ShownTable rows) {
  beginResetModel();
  m_rows = std::move(rows);
  m_stale = false;
  endResetModel();
}

void RowTableModel::SetTitles(const ShownTable& titled) {
  for (std::size_t i = 0; i < m_rows.titles.size() && i < m_rows.names.size(); ++i) {
    const auto found = std::find(titled.names.begin(), titled.names.end(), m_rows.names[i]);
    const auto at = static_cast<std::size_t>(found - titled.names.begin());
    if (found != titled.names.end() && at < titled.titles.size()) {
      m_rows.titles[i] = titled.titles[at];
    }
  }
  if (!m_rows.titles.empty()) {
    emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(m_rows.titles.size()) - 1);
  }
}

void RowTableModel::SetStale(bool stale) {
  if (stale == m_stale) return;
  m_stale = stale;
  if (rowCount() > 0) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
  }
}

QString RowTableModel::TsvText(std::vector<int> rows, bool withHeader) const {
  std::sort(rows.begin(), rows.end());
  QString text;
  for (int row : rows) text += TabLine(m_rows.tsvCells.at(static_cast<std::size_t>(row)));
  if (!text.isEmpty() && withHeader) text.prepend(TabLine(m_rows.tsvColumns));
  return text;
}

int RowTableModel::WideColumn() const {
  for (int column = columnCount() - 1; column >= 0; --column) {
    if (m_rows.leftAligned.at(static_cast<std::size_t>(column))) return column;
  }
  return columnCount() - 1;
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
  const bool wide = index.column() == WideColumn();
  switch (role) {
    case Qt::DisplayRole: {
      QString text = QString::fromStdString(cell);
      // What a row uses wraps only between its items ("1 × 5100, 2 × 10k"), never inside one.
      const auto column = static_cast<std::size_t>(index.column());
      if (column < m_rows.names.size() && m_rows.names[column] == "uses") {
        QStringList items = text.split(QStringLiteral(", "));
        for (QString& item : items) item.replace(u' ', QChar::Nbsp);
        text = items.join(QStringLiteral(", "));
      }
      return text;
    }
    case Qt::ToolTipRole: {
      const auto row = static_cast<std::size_t>(index.row());
      QString tip = row < m_rows.tips.size() ? QString::fromStdString(m_rows.tips[row]) : QString();
      if (wide)
        tip = tip.isEmpty() ? QString::fromStdString(cell)
                            : QString::fromStdString(cell) + u'\n' + tip;
      return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case Qt::ForegroundRole:
      return m_stale || m_rows.nearest
                 ? QVariant(QPalette().brush(QPalette::Disabled, QPalette::Text))
                 : QVariant();
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
  if (orientation != Qt::Horizontal) return {};
  const auto column = static_cast<std::size_t>(section);
  const QString title = QString::fromStdString(m_rows.titles.at(column));
  // A text column's title is its name; what follows it ("(OUT–FB)") is its tooltip.
  const qsizetype at = title.indexOf(QStringLiteral(" ("));
  const bool parted = at > 0 && m_rows.leftAligned.at(column);
  if (role == Qt::DisplayRole) return parted ? title.left(at) : title;
  if (role == Qt::ToolTipRole && parted) return title;
  return {};
}

namespace {

class RowList final : public QTableView {
 public:
  RowList(RowTableModel* model, QWidget* parent) : QTableView(parent), m_model(model) {
    setModel(model);
  }

  // Lays the columns out as wide as their cells, the wide one as wide as its cells or the
  // width left, whichever is more. Where the width left is too little, the text columns (legs,
  // what a row uses) wrap between words instead, each down to its longest word and the width
  // shared by what each would need more, the rows growing to their lines, so that the list
  // need not scroll sideways; it does only where the longest words are wider still.
  void FitColumns() {
    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    const int wide = m_model->WideColumn();
    if (wide < 0) return;
    struct Text {
      int column, wanted, least;
    };
    std::vector<Text> texts;
    int others = 0;
    int wanted = 0;
    int least = 0;
    for (int column = 0; column < header->count(); ++column) {
      if (isColumnHidden(column)) continue;
      const int width = std::max(sizeHintForColumn(column), header->sectionSizeHint(column));
      if (!m_model->Rows().leftAligned.at(static_cast<std::size_t>(column))) {
        others += width;
        continue;
      }
      const int word = std::max(LongestWordWidth(column), header->sectionSizeHint(column));
      texts.push_back({column, width, std::min(word, width)});
      wanted += width;
      least += std::min(word, width);
    }
    const int left = viewport()->width() - others;
    const bool wrap = wanted > left;
    const int spare = std::max(0, left - least);
    for (const Text& text : texts) {
      header->setSectionResizeMode(text.column, QHeaderView::Interactive);
      int width = text.wanted;
      if (wrap) {
        width = text.least +
                (wanted == least ? 0
                                 : static_cast<int>(static_cast<long long>(spare) *
                                                    (text.wanted - text.least) / (wanted - least)));
      } else if (text.column == wide) {
        width += left - wanted;
      }
      header->resizeSection(text.column, width);
    }
    FitRows(wrap, texts);
  }

  // Spare columns are hidden as the settings under key say, or all of them when nothing is
  // kept yet; the header's context menu shows and hides them.
  void OfferSpareColumns(const QString& key) {
    m_spareKey = key;
    QHeaderView* header = horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this, [this, header](QPoint at) {
      QMenu menu(this);
      for (int column = 0; column < m_model->columnCount(); ++column) {
        const QString name = ColumnName(column);
        if (!kSpareColumns.contains(name)) continue;
        QAction* action =
            menu.addAction(m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        action->setCheckable(true);
        action->setChecked(!isColumnHidden(column));
        connect(action, &QAction::toggled, this, [this, name](bool shown) {
          QStringList hidden = Hidden();
          hidden.removeAll(name);
          if (!shown) hidden << name;
          QSettings().setValue(m_spareKey, hidden);
          HideSpareColumns();
        });
      }
      if (!menu.isEmpty()) menu.exec(header->mapToGlobal(at));
    });
    HideSpareColumns();
  }

  void HideSpareColumns() {
    if (m_spareKey.isEmpty()) return;
    const QStringList hidden = Hidden();
    for (int column = 0; column < m_model->columnCount(); ++column) {
      setColumnHidden(column, hidden.contains(ColumnName(column)));
    }
    FitColumns();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QTableView::resizeEvent(event);
    FitColumns();
  }

  // The width of the widest word of column's cells with the margins of a cell.
  int LongestWordWidth(int column) const {
    const QFontMetrics metrics = fontMetrics();
    int longest = 0;
    for (int row = 0; row < m_model->rowCount(); ++row) {
      const QString text = m_model->index(row, column).data().toString();
      for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        longest = std::max(longest, metrics.horizontalAdvance(word));
      }
    }
    // The margins a view item keeps on either side of its text, and a pixel for rounding.
    return longest + 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) +
           1;
  }

  // Rows of one line each, or as high as their cells of the text columns, which wrap, are.
  template <class Texts>
  void FitRows(bool wrap, const Texts& texts) {
    if (!wrap && !wordWrap()) return;
    setWordWrap(wrap);
    const int line = verticalHeader()->defaultSectionSize();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int grid = showGrid() ? 1 : 0;  // the row's share of the grid lines
    for (int row = 0; row < m_model->rowCount(); ++row) {
      int lines = line;
      for (const auto& text : texts) {
        if (!wrap) break;
        option.rect.setSize({columnWidth(text.column), line});
        const QModelIndex index = m_model->index(row, text.column);
        lines =
            std::max(lines, itemDelegateForIndex(index)->sizeHint(option, index).height() + grid);
      }
      setRowHeight(row, lines);
    }
  }

  // Tabbing in makes the first row current without selecting it; the first Down then
  // selects that row rather than the one below.
  void keyPressEvent(QKeyEvent* event) override {
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && current.isValid() &&
        !selectionModel()->hasSelection()) {
      selectionModel()->setCurrentIndex(
          current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      return;
    }
    QTableView::keyPressEvent(event);
  }

 private:
  QString ColumnName(int column) const {
    const std::vector<std::string>& names = m_model->Rows().names;
    const auto at = static_cast<std::size_t>(column);
    return at < names.size() ? QString::fromStdString(names[at]) : QString();
  }

  QStringList Hidden() const { return QSettings().value(m_spareKey, kSpareColumns).toStringList(); }

  RowTableModel* m_model;
  QString m_spareKey;  // where the hidden spare columns are kept; empty for none
};

}  // namespace

QTableView* NewRowList(RowTableModel* model, const char* name, QWidget* parent,
                       const QString& spareKey) {
  auto* list = new RowList(model, parent);
  list->setObjectName(name);
  list->setAccessibleName(name);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setTabKeyNavigation(false);
  list->setWordWrap(false);
  list->setTextElideMode(Qt::ElideNone);
  list->verticalHeader()->hide();
  list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() * 3 / 2);
  list->FitColumns();
  // The view has its new columns by the time the model's later receivers hear of a reset.
  QObject::connect(model, &QAbstractItemModel::modelReset, list, [list] {
    list->FitColumns();
    list->HideSpareColumns();
  });
  if (!spareKey.isEmpty()) list->OfferSpareColumns(spareKey);
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
