#pragma once

// The Networks window: what the command line's find, divider, regulator, gain, rc, check,
// normalise and series do, in six tabs. A window of its own beside the main window, resizable; its
// size, the line between list and circuit, the last tab and the fields are kept between runs.
// Each search tab has its fields in a column on the left and the answer on the right: the status
// line, then the list over the circuit in a splitter. How data flows through it:
//   Find (the button, or Enter anywhere in a search tab)
//     -> the tab's fields -> NetworkSearches (checks, library read) -> field errors shown next
//        to their fields and the list emptied, or the search run by the tab's SearchRunner on
//        a thread of its own
//     -> the outcome, if it is still the latest search's -> the tab's RowTableModel and status.
//   A changed field greys the rows, which are then the earlier search's, until Find.
//   A new search replaces a running one; closing the window stops it.
//   Copy (Ctrl+C or the list's context menu) -> the selected rows as the command line's tsv on
//     the clipboard and the primary selection.
//   The Library tab (CLibraryPage) -> the library's check, Normalise, Add E-series; its
//     Inventory view -> Inventory.csv's rows and check, Import... -> CImportDlg's preview -> Merge.
//   The list's selected row -> its circuit in the tab's SchematicView; "Copy picture" copies it.
// Each search tab's form is in a file of its own (kind_tabs.h), built with what they share
// (tab_form.h: the rows of fields; search_tab.h: Find, the list, the circuit and the search).

#include <QDialog>
#include <array>
#include <utility>
#include <vector>

#include "network_searches.h"
#include "search_tab.h"
#include "services.h"
#include "window_messages.h"

class QSettings;
class QSplitter;
class QTabWidget;

namespace vantrel {

class CLibraryPage;

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
  void CreateTabKeys();
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
  std::array<std::pair<QSplitter*, const char*>, 6> Splitters() const;

  // The search tabs, in the order of the tab bar.
  std::array<SearchTab*, 6> SearchTabs();
  void RunCurrentTab();
  // Opens More for the field whose mnemonic key is, where it stands there; whether it did.
  bool OpenMoreFor(const QKeyEvent& key);
  void OnTabChanged();

  WindowMessages m_messages;
  Services m_services;
  NetworkSearches m_searches;
  QTabWidget* m_tabs = nullptr;

  SearchTab m_networks;
  SearchTab m_dividers;
  SearchTab m_regulators;
  SearchTab m_amplifiers;
  SearchTab m_rc;
  SearchTab m_leds;
  CLibraryPage* m_library = nullptr;
};

}  // namespace vantrel
