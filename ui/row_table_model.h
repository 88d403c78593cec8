#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class QTableView;
#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "network.h"

namespace vantrel {

class SchematicView;

// Rows as the shared code made them: the titles and cells the command line's text table
// shows, and its tsv column names and cells, which the copy commands use.
struct ShownTable {
  std::vector<std::string> titles;  // the window's, in the order of names
  std::vector<std::vector<std::string>> cells;
  std::vector<bool> leftAligned;  // per column: text, not a number
  std::vector<std::string> tsvColumns;
  std::vector<std::vector<std::string>> tsvCells;
  std::vector<std::string> names;  // the window's columns by name ("band", "current")
  std::vector<std::string> tips;   // per row: its resistors' colour codes, or none
  // The one row is the design nearest a band none meets: drawn greyed, and selectable to draw.
  bool nearest = false;
};

// What a search gives the window: its rows, the status line's text, what it looked for
// ("networks within 1 % of 4700"), and for the circuit picture each row's networks (a
// divider's two legs) and how the search's circuit draws them on its stock, each part labelled
// with its role and value (a regulator's with VREF on the side that search had it).
struct SearchOutcome {
  ShownTable rows;
  std::string status;
  std::string subject;
  std::vector<std::vector<networks::Network>> legs;
  std::function<void(SchematicView&, const std::vector<networks::Network>&)> draw;
  std::vector<std::string> places{};  // per row drawn from the inventory: where its parts lie
  // Where there are more rows than shown: the status line once they are counted, which the
  // runner works out after the rows are shown. status says meanwhile that there are more.
  std::function<std::string(const std::atomic<bool>& stop)> count{};
};

// A list of ShownTable for a QTableView; a text column's header shows its title up to " (",
// the whole title ("Rtop (OUT–FB)") being its tooltip. The last text column (the network, a
// divider's R2) takes the width left; its full text is also the cell's tooltip, above the row's
// tip, which is every other cell's. Rows marked stale (from a search whose fields have since
// changed) and the nearest miss are drawn in the disabled text colour.
class RowTableModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Replaces the rows; new rows are not stale.
  void SetRows(ShownTable rows);
  const ShownTable& Rows() const { return m_rows; }
  // Renames the columns that titled also has, matched by their names; the rows stay.
  void SetTitles(const ShownTable& titled);
  void SetStale(bool stale);
  bool Stale() const { return m_stale; }
  // The column that takes the width left over: the last text column, else the last.
  int WideColumn() const;
  // Whether column is a band ("-1.5 … +1.5 %"), which may take two lines.
  bool IsBand(int column) const;
  // The column of that name ("uses"), or -1.
  int ColumnNamed(std::string_view name) const;
  // What the row uses, item by item, each with no-break spaces so that it reads as one.
  QStringList UsesItems(int row) const;

  // The given rows in list order as the command line's tsv lines, after its header line when
  // withHeader. Empty when rows is.
  QString TsvText(std::vector<int> rows, bool withHeader) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  ShownTable m_rows;
  bool m_stale = false;
};

// A list of model's rows, named name for screen readers: whole rows selected, columns as wide
// as their cells, what a row uses last, on one line or two, or else out of the list (UsesAside);
// the last text column takes the width left over and is never elided (where the width left is
// too little, the text columns wrap between words); the
// first Down after the focus comes in selects the first row; and the copy commands of
// AddCopyActions, which copy the selected rows as TsvText. With a settings key, the columns a
// reader can spare (the total, current, power, worst case and the tolerance a row needs) are
// hidden until
// chosen from the header's context menu, and the choice is kept in QSettings under that key.
QTableView* NewRowList(RowTableModel* model, const char* name, QWidget* parent,
                       const QString& spareKey = {});

// Whether list (a NewRowList) has no room for what its rows use, which the window then shows
// under the circuit for the selected row.
bool UsesAside(const QTableView& list);
// Calls moved when what the rows use leaves the list or comes back.
void WhenUsesMoved(QTableView& list, std::function<void()> moved);

}  // namespace vantrel
