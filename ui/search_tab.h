#pragma once

// One search tab of the Networks window, what every kind of search shares: the Find button,
// the status line, the list over the circuit, the search run on a thread of its own and the
// refusals shown under their fields. Each kind's form (find_tab.h, divider_tab.h, ...) fills
// in the fields and how they become a search.

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "network_searches.h"

class QAbstractButton;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QWidget;

namespace vantrel {

class RowTableModel;
class SchematicView;

// The Networks window's group in the settings; each list keeps its hidden columns under it.
inline constexpr char kNetworksSettingsGroup[] = "NetworksWindow";

// One search tab: its fields, list, status line and busy indicator, and the search it runs.
struct SearchTab {
  QWidget* page = nullptr;
  QWidget* fields = nullptr;  // the column of fields, in a scroll area of its own
  QPushButton* find = nullptr;
  QProgressBar* busy = nullptr;
  QPushButton* stop = nullptr;  // shown while a search runs
  QTableView* list = nullptr;
  RowTableModel* model = nullptr;
  QLabel* status = nullptr;
  QLabel* places = nullptr;  // where the selected row's parts lie, drawn from the inventory
  QSplitter* splitter = nullptr;
  SchematicView* picture = nullptr;
  QPushButton* copyPicture = nullptr;
  SearchRunner* runner = nullptr;
  QWidget* first = nullptr;         // the first field, where the tab starts
  QAbstractButton* more = nullptr;  // opens the section of the fields set less often
  // Reads the fields, checks them and reads the library.
  std::function<PreparedSearch()> prepare;
  SearchOutcome shown;  // the outcome whose rows the list shows
  // A field changed while the search ran: its rows answer the fields as they were.
  bool editedWhileSearching = false;
  ShownTable columns;  // the list's columns before any search
  // The fields that can be refused, by the command line's name for them, with the label
  // under each that names what is wrong.
  struct Checked {
    std::string option;
    QWidget* field;
    QLabel* error;
  };
  std::vector<Checked> checked;
  // Every field, by its label without the mnemonic, kept between runs.
  std::vector<std::pair<QString, QWidget*>> kept;
  QString name;  // the list's, which names the tab's fields in the settings
};

// Adds the Find button under the fields in grid, and beside them the status line and the
// list over the circuit. window owns the list's model and the search's runner, and filters
// the fields' keys.
void FinishSearchTab(SearchTab& tab, QWidget& window, QGridLayout& grid, const char* listName,
                     ShownTable columns);

// Runs the tab's prepare, then its search.
void RunSearch(SearchTab& tab);
// Greys the rows the fields no longer answer, and those of the running search when they come.
void MarkStale(SearchTab& tab);

}  // namespace vantrel
