#include "row_table_model.h"

#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QSettings>
#include <QStringList>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "list_actions.h"
#include "text_advances.h"

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

int RowTableModel::ColumnNamed(std::string_view name) const {
  const auto found = std::find(m_rows.names.begin(), m_rows.names.end(), name);
  return found == m_rows.names.end() || found - m_rows.names.begin() >= columnCount()
             ? -1
             : static_cast<int>(found - m_rows.names.begin());
}

// "1 × 510 (1 %, 0603, Box 1), 2 × 1k": the items are parted by the commas outside brackets.
QStringList RowTableModel::UsesItems(int row) const {
  const int column = ColumnNamed("uses");
  if (column < 0 || row < 0 || row >= rowCount()) return {};
  const QString text = QString::fromStdString(
      m_rows.cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
  QStringList items;
  int depth = 0;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'(') ++depth;
    if (text[i] == u')' && depth > 0) --depth;
    if (depth == 0 && text[i] == u',' && i + 1 < text.size() && text[i + 1] == u' ') {
      items << text.mid(start, i - start);
      start = i + 2;
    }
  }
  if (start < text.size()) items << text.mid(start);
  for (QString& item : items) item.replace(u' ', QChar::Nbsp);
  return items;
}

bool RowTableModel::IsBand(int column) const {
  const auto at = static_cast<std::size_t>(column);
  return at < m_rows.names.size() && (m_rows.names[at] == "band" || m_rows.names[at] == "rss_band");
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
      // What a row uses wraps only between its items, never inside one.
      if (index.column() == ColumnNamed("uses")) return UsesItems(index.row()).join(", ");
      // A band breaks, where it must, only after its ellipsis: "-1.5 …" over "+1.5 %".
      if (IsBand(index.column())) {
        return QString::fromStdString(cell)
            .replace(u' ', QChar::Nbsp)
            .replace(QStringLiteral("\u2026\u00a0"), QStringLiteral("\u2026 "));
      }
      return QString::fromStdString(cell);
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

  // Lays the columns out as wide as their cells. What a row uses comes last and takes the
  // width left: on one line where it fits, else on two, parted between its items; where two
  // lines are not enough it leaves the list for the line under the circuit (UsesAside). The
  // last other text column takes the width left where Uses is not in the list. Where the
  // width left is too little even so, the text columns (legs) wrap between words, each down to
  // its longest word and the width shared by what each would need more, the rows growing to
  // their lines, so that the list need not scroll sideways; it does only where the longest
  // words are wider still.
  void FitColumns() {
    // Hiding a column or a row's new height can resize the viewport, which lays out again.
    if (m_fitting) {
      m_fitAgain = true;
      return;
    }
    m_fitting = true;
    for (int pass = 0; pass < 3; ++pass) {
      m_fitAgain = false;
      LayOutColumns();
      if (!m_fitAgain) break;
    }
    m_fitting = false;
  }

  bool UsesAside() const { return m_usesAside; }
  void WhenUsesMoved(std::function<void()> moved) { m_usesMoved = std::move(moved); }

  // The cells' widths are measured once for each set of rows, not on every resize.
  void ForgetWidths() {
    m_measured = false;
    m_heights.clear();
  }

  // The font's advances, measured afresh when the font changes.
  TextAdvances& Advances() {
    if (!m_advances || m_advancesFont != font()) {
      m_advancesFont = font();
      m_advances = std::make_unique<TextAdvances>(m_advancesFont);
    }
    return *m_advances;
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
    if (!m_spareKey.isEmpty()) {
      const QStringList hidden = Hidden();
      // Uses is shown or not by the room for it (FitColumns). A reset can leave a column
      // hidden at the index of one before it, so every other column is set.
      for (int column = 0; column < m_model->columnCount(); ++column) {
        const QString name = ColumnName(column);
        if (name != "uses") setColumnHidden(column, hidden.contains(name));
      }
    }
    FitColumns();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QTableView::resizeEvent(event);
    // The columns follow the width alone: a list only made taller or shorter (the busy bar
    // shown above it) keeps them.
    if (event->size().width() != event->oldSize().width()) FitColumns();
  }

  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::FontChange) ForgetWidths();
    QTableView::changeEvent(event);
  }

  // The margins a view item keeps on either side of its text, and a pixel for rounding.
  int CellMargins() const {
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
  }

  // Each column's cells on one line, each text column's widest word and each row's items of
  // what it uses, measured with the view's font.
  void Measure() {
    if (m_measured) return;
    const int columns = m_model->columnCount();
    const int uses = m_model->ColumnNamed("uses");
    m_cells.assign(static_cast<std::size_t>(columns), 0);
    m_words.assign(static_cast<std::size_t>(columns), 0);
    m_items.clear();
    // Measured as the font draws a line of the text, which the delegate's size hint, laying
    // out each cell's text, gives too at many times the cost; summed from the font's characters
    // and pairs, as shaping even each distinct text took most of the list's time.
    TextAdvances& advances = Advances();
    for (int column = 0; column < columns; ++column) {
      const bool words = (m_model->Rows().leftAligned.at(static_cast<std::size_t>(column)) ||
                          m_model->IsBand(column)) &&
                         column != uses;
      qreal widest = 0;
      qreal longest = 0;
      for (int row = 0; row < m_model->rowCount(); ++row) {
        const QString text = m_model->index(row, column).data().toString();
        widest = std::max(widest, advances.Line(text));
        if (!words) continue;
        for (const QStringView word : QStringView(text).tokenize(u' ', Qt::SkipEmptyParts)) {
          longest = std::max(longest, advances.Line(word));
        }
      }
      // Without the rounding pixel: a cell on one line is laid out at its text's advance.
      m_cells[static_cast<std::size_t>(column)] =
          static_cast<int>(std::ceil(widest)) + CellMargins() - 1;
      m_words[static_cast<std::size_t>(column)] =
          static_cast<int>(std::ceil(longest)) + CellMargins();
    }
    if (uses >= 0) {
      for (int row = 0; row < m_model->rowCount(); ++row) {
        std::vector<qreal>& widths = m_items.emplace_back();
        for (const QString& item : m_model->UsesItems(row)) widths.push_back(advances.Of(item));
      }
    }
    m_measured = true;
  }

  // Whether every row's items fit in lines lines of width, each line but the last ending in a
  // comma, as the view wraps the cell at the spaces between its items.
  bool UsesFit(int width, int lines) const {
    const QFontMetricsF metrics(font());
    const qreal comma = metrics.horizontalAdvance(u',');
    const qreal space = metrics.horizontalAdvance(u' ');
    const qreal room = width - CellMargins();
    for (const std::vector<qreal>& items : m_items) {
      int used = 1;
      qreal line = 0;
      for (std::size_t i = 0; i < items.size(); ++i) {
        const qreal item = items[i] + (i + 1 < items.size() ? comma : 0);
        if (item > room) return false;
        if (line > 0 && line + space + item > room) {
          if (++used > lines) return false;
          line = 0;
        }
        line += (line > 0 ? space : 0) + item;
      }
    }
    return true;
  }

  void LayOutColumns() {
    QHeaderView* header = horizontalHeader();
    const int columns = m_model->columnCount();
    if (columns == 0) return;
    Measure();
    const int uses = m_model->ColumnNamed("uses");
    struct Text {
      int column, wanted, least;
    };
    std::vector<Text> texts;
    std::vector<Text> bands;
    int others = 0;
    int wanted = 0;
    int least = 0;
    int bandsSpare = 0;  // what the bands give up on two lines each
    for (int column = 0; column < columns; ++column) {
      header->setSectionResizeMode(column, QHeaderView::Interactive);
      if (column == uses || isColumnHidden(column)) continue;
      const int width =
          std::max(m_cells[static_cast<std::size_t>(column)], header->sectionSizeHint(column));
      if (!m_model->Rows().leftAligned.at(static_cast<std::size_t>(column))) {
        others += width;
        header->resizeSection(column, width);
        if (m_model->IsBand(column)) {
          const int half = std::min(width, std::max(m_words[static_cast<std::size_t>(column)],
                                                    header->sectionSizeHint(column)));
          bands.push_back({column, width, half});
          bandsSpare += width - half;
        }
        continue;
      }
      const int word =
          std::max(m_words[static_cast<std::size_t>(column)], header->sectionSizeHint(column));
      texts.push_back({column, width, std::min(word, width)});
      wanted += width;
      least += std::min(word, width);
    }
    int left = viewport()->width() - others;
    // Uses on one line, or on two, in the width the other columns leave it.
    bool usesWrap = false;
    bool aside = false;
    if (uses >= 0) {
      const int one =
          std::max(m_cells[static_cast<std::size_t>(uses)], header->sectionSizeHint(uses));
      const int room = left - wanted;
      usesWrap = room < one;
      aside = usesWrap && !(room >= header->sectionSizeHint(uses) && UsesFit(room, 2));
      if (isColumnHidden(uses) != aside) setColumnHidden(uses, aside);
      // On one line it takes the width left over; on two, all the width left.
      if (!aside) {
        header->resizeSection(uses, room);
        left -= room;
      }
      if (aside != m_usesAside) {
        m_usesAside = aside;
        if (m_usesMoved) m_usesMoved();
      }
    }
    // The bands take two lines only where the legs could not be shown whole even on theirs.
    const bool bandsWrap = least > left && bandsSpare > 0;
    if (bandsWrap) {
      for (const Text& band : bands) header->resizeSection(band.column, band.least);
      left += bandsSpare;
    }
    const bool wrap = wanted > left;
    const int spare = std::max(0, left - least);
    const int wide = uses >= 0 && !aside ? -1 : texts.empty() ? -1 : texts.back().column;
    for (const Text& text : texts) {
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
    if (usesWrap && !aside) texts.push_back({uses, 0, 0});
    if (bandsWrap) texts.insert(texts.end(), bands.begin(), bands.end());
    FitRows(wrap || bandsWrap || (usesWrap && !aside), texts);
  }

  // Rows of one line each, or as high as their cells of the wrapped columns are.
  template <class Texts>
  void FitRows(bool wrap, const Texts& texts) {
    if (!wrap && !wordWrap()) return;
    setWordWrap(wrap);
    const int line = verticalHeader()->defaultSectionSize();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int grid = showGrid() ? 1 : 0;  // the row's share of the grid lines
    // Rows repeat their legs and bands: each text is laid out once per column and width, and
    // kept while the rows stay, as the fitting may pass over them several times. A text of the
    // font's own characters that fits on one line is as high as any other such, laid out once.
    m_heights.resize(static_cast<std::size_t>(m_model->columnCount()));
    for (const auto& text : texts) {
      Heights& known = m_heights[static_cast<std::size_t>(text.column)];
      if (known.width != columnWidth(text.column)) known = {columnWidth(text.column), -1, {}, {}};
    }
    TextAdvances& advances = Advances();
    const int margins = CellMargins() - 1;
    for (int row = 0; row < m_model->rowCount(); ++row) {
      int lines = line;
      for (std::size_t i = 0; wrap && i < texts.size(); ++i) {
        const QModelIndex index = m_model->index(row, texts[i].column);
        const QString text = index.data().toString();
        Heights& column = m_heights[static_cast<std::size_t>(texts[i].column)];
        const auto laidOut = [&] {
          option.rect.setSize({column.width, line});
          return itemDelegateForIndex(index)->sizeHint(option, index).height();
        };
        int height = 0;
        if (std::ceil(advances.Line(text)) + margins <= column.width && advances.InFont(text)) {
          if (column.oneLine < 0) column.oneLine = laidOut();
          height = column.oneLine;
        } else {
          // Texts that wrap alike are as high: each such is laid out once.
          const QByteArray key = advances.WrapKey(text);
          QHash<QByteArray, int>& byKey = key.isEmpty() ? column.byText : column.byKey;
          const QByteArray& by = key.isEmpty() ? text.toUtf8() : key;
          auto known = byKey.constFind(by);
          if (known == byKey.constEnd()) known = byKey.insert(by, laidOut());
          height = *known;
        }
        lines = std::max(lines, height + grid);
      }
      if (rowHeight(row) != lines) setRowHeight(row, lines);
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
  bool m_fitting = false;
  bool m_fitAgain = false;
  bool m_usesAside = false;
  std::function<void()> m_usesMoved;
  bool m_measured = false;
  std::vector<int> m_cells;                 // per column: its cells' width on one line
  std::vector<int> m_words;                 // per text column: its widest word's
  std::vector<std::vector<qreal>> m_items;  // per row: the widths of what it uses, item by item
  struct Heights {
    int width = -1;                 // the column's width they were laid out in
    int oneLine = -1;               // a line's, once laid out
    QHash<QByteArray, int> byKey;   // by their WrapKey
    QHash<QByteArray, int> byText;  // texts without one, by their UTF-8
  };
  std::vector<Heights> m_heights;  // per column: its texts' heights, while the rows stay
  QFont m_advancesFont;
  std::unique_ptr<TextAdvances> m_advances;
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
  // The header hears of a reset first and may lay the list out then: its widths, measured on
  // the rows before, are forgotten as the reset begins, so nothing reads past the new columns.
  QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, list,
                   [list] { list->ForgetWidths(); });
  // The view has its new columns by the time the model's later receivers hear of a reset.
  QObject::connect(model, &QAbstractItemModel::modelReset, list, [list] {
    list->ForgetWidths();
    list->HideSpareColumns();
  });
  QObject::connect(model, &QAbstractItemModel::headerDataChanged, list,
                   [list] { list->FitColumns(); });
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

bool UsesAside(const QTableView& list) {
  const auto* rows = dynamic_cast<const RowList*>(&list);
  return rows != nullptr && rows->UsesAside();
}

void WhenUsesMoved(QTableView& list, std::function<void()> moved) {
  if (auto* rows = dynamic_cast<RowList*>(&list)) rows->WhenUsesMoved(std::move(moved));
}

}  // namespace vantrel
