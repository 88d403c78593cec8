#pragma once

// The Networks window's Library tab: what the command line's check says about the chosen stock's
// library, held against the series chosen as check --series holds it, and the commands that
// change it, Normalise and Add E-series, and Create for a stock that has no library yet. Every
// change goes through the library's one rewrite (or its creation of a new file), whose refusals are
// shown as the main window shows them; the tab reads the library again after each change and when
// it is shown.
// Its Inventory view shows the chosen stock's rows of Inventory.csv and what check --inventory
// says of the file; Import... previews what import reads from the files chosen (CImportDlg), and
// Merge adds the rows through the inventory's one merge.

#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

#include "series_library.h"
#include "services.h"
#include "stock_kind.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace vantrel {

class RowTableModel;

// Names combo "stock" and gives it the choices of kStockKinds, in their order.
void FillStockChoice(QComboBox& combo);

class CLibraryPage : public QWidget {
  Q_OBJECT

 public:
  CLibraryPage(Services& services, QWidget* parent = nullptr);

  // Reads the library afresh and shows what a rewrite would do to it.
  void Refresh();
  void OnNormalise();
  void OnAddSeries();
  // Writes what the stock's starter command writes.
  void OnCreate();
  // Asks for files, previews their import, and merges on Merge.
  void OnImport();
  // The choices kept between runs, by label without the mnemonic.
  std::vector<std::pair<QString, QWidget*>> KeptFields() const;

 private:
  void RefreshLibrary();
  void RefreshInventory();
  bool InventoryShown() const;
  void SetStatus(const QString& text);
  const StockKind& Kind() const;
  // Adds series's values, by merge where there is a library.
  void Write(const finder::SeriesRequest& request, const finder::SeriesLibrary& library);

  Services& m_services;
  QComboBox* m_stock = nullptr;
  QComboBox* m_view = nullptr;
  QLabel* m_path = nullptr;
  QPushButton* m_create = nullptr;
  // Shown in the library view alone.
  std::vector<QWidget*> m_libraryControls;
  QPushButton* m_import = nullptr;
  QComboBox* m_series = nullptr;
  QLabel* m_summary = nullptr;
  RowTableModel* m_model = nullptr;
  QTableView* m_findings = nullptr;
  RowTableModel* m_inventoryModel = nullptr;  // check --inventory's findings
  QTableView* m_inventoryFindings = nullptr;
  RowTableModel* m_drawerModel = nullptr;  // the chosen stock's rows of Inventory.csv
  QTableView* m_drawer = nullptr;
  QLabel* m_status = nullptr;
};

}  // namespace vantrel
