#pragma once

// The Networks window: what the command line's find, divider, regulator, gain, rc, check,
// normalise and series do, in six tabs. A window of its own beside the main window, resizable; its
// size, the line between list and circuit, the last tab and the fields are kept between runs.
// Each search tab has its fields in a column on the left and the answer on the right: the status
// line, then the list over the circuit in a splitter. How data flows through it:
//   Find (the button, or Enter anywhere in a search tab)
//     -> the tab's fields -> NetworkSearches (checks, library read) -> field errors shown next
//        to their fields and the list emptied, or the search run by m_runner on a thread of its
//        own
//     -> the outcome, if it is still the latest search's -> the tab's RowTableModel and status.
//   A changed field greys the rows, which are then the earlier search's, until Find.
//   A new search replaces a running one; closing the window stops it.
//   Copy (Ctrl+C or the list's context menu) -> the selected rows as the command line's tsv on
//     the clipboard and the primary selection.
//   The Library tab (CLibraryPage) -> the library's check, Normalise, Add E-series; its
//     Inventory view -> Inventory.csv's rows and check, Import... -> CImportDlg's preview -> Merge.
//   The list's selected row -> its circuit in the tab's SchematicView; "Copy picture" copies it.

#include <QDialog>
#include <array>
#include <functional>

#include "network_searches.h"
#include "services.h"
#include "window_messages.h"

class QComboBox;
class QSettings;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableView;

namespace vantrel {

class CLibraryPage;
class RowTableModel;
class SchematicView;

class CNetworksDlg : public QDialog {
  Q_OBJECT

 public:
  // Files are read and messages shown through services, which must outlive the window; the
  // messages belong to this window.
  CNetworksDlg(Services& services, QWidget* parent = nullptr,
               NetworkSearches searches = SharedSearches());
  ~CNetworksDlg() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
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
    QWidget* first = nullptr;  // the first field, where the tab starts
    // Reads the fields, checks them and reads the library.
    std::function<PreparedSearch()> prepare;
    SearchOutcome shown;  // the outcome whose rows the list shows
    ShownTable columns;   // the list's columns before any search
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

  QWidget* CreateNetworksTab();
  QWidget* CreateDividerTab();
  QWidget* CreateRegulatorTab();
  QWidget* CreateAmplifierTab();
  QWidget* CreateRcTab();
  void CreateTabKeys();
  // Adds a labelled field in the next row of grid, with its error label under it; a change to
  // the field makes the tab's rows stale.
  void AddField(SearchTab& tab, QGridLayout& grid, const char* label, QWidget* field,
                const char* option = nullptr);
  // A line edit added by AddField.
  QLineEdit* AddEdit(SearchTab& tab, QGridLayout& grid, const char* label, const char* option);
  // The Show combo box, last of a tab's fields.
  QComboBox* AddShow(SearchTab& tab, QGridLayout& grid);
  // Library or Inventory: where the search draws its values from.
  QComboBox* AddSource(SearchTab& tab, QGridLayout& grid);
  // A choice of legs of one value or of up to two parts; the index is the parts less one.
  QComboBox* AddLegsChoice(SearchTab& tab, QGridLayout& grid, const char* label);
  // Reads the fields every two-leg tab has: Tolerance, Legs, Part tolerance, Within and the
  // totals' bounds.
  // Adds Statistics, Temperature and TCR to tab; the result reads them.
  using StatisticsFields = std::function<finder::StatisticsInput()>;
  // judged: the rows have In spec, which may go by the RSS band.
  StatisticsFields AddStatisticsFields(SearchTab& tab, QGridLayout& grid, bool judged = true);
  using LegFields = std::function<void(finder::TwoLegInput&)>;
  // Adds those fields in that order.
  LegFields AddLegFields(SearchTab& tab, QGridLayout& grid);
  // The Prefer field: the board's file, typed or chosen with the file chooser inside it.
  QLineEdit* AddPreferField(SearchTab& tab, QGridLayout& grid);
  void FinishSearchTab(SearchTab& tab, QGridLayout& grid, const char* listName, ShownTable columns);
  // The size that shows a whole answer, within the screen the window opens on, and the place
  // that keeps its title bar on that screen.
  void PlaceOnScreen();
  void RestoreSettings();
  void SaveSettings() const;
  // The fields of every tab, as the user left them.
  void RestoreFields();
  void SaveFields(QSettings& settings) const;
  // Each tab's kept fields under the name that groups them in the settings.
  std::vector<std::pair<QString, std::vector<std::pair<QString, QWidget*>>>> KeptFields() const;
  // Each search tab's splitter and the key its state is kept under.
  std::array<std::pair<QSplitter*, const char*>, 5> Splitters() const;

  // The search tabs, in the order of the tab bar.
  std::array<SearchTab*, 5> SearchTabs();
  void RunCurrentTab();
  void OnTabChanged();
  // Runs the tab's prepare, then its search.
  void Run(SearchTab& tab);
  static void MarkStale(SearchTab& tab);
  static void SetStatus(SearchTab& tab, const QString& text);
  static void SetError(const SearchTab::Checked& checked, const QString& text);
  static void ShowOutcome(SearchTab& tab, const SearchOutcome& outcome);
  static void DrawRow(SearchTab& tab, int row);

  WindowMessages m_messages;
  Services m_services;
  NetworkSearches m_searches;
  QTabWidget* m_tabs = nullptr;

  SearchTab m_networks;
  SearchTab m_dividers;
  SearchTab m_regulators;
  SearchTab m_amplifiers;
  SearchTab m_rc;
  CLibraryPage* m_library = nullptr;
};

}  // namespace vantrel
