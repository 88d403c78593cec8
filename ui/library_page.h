#pragma once

// The Networks window's Library tab: what the command line's check says about the chosen stock's
// library, held against the series chosen as check --series holds it, and the commands that
// change it, Normalise and Add E-series, and Create for a stock that has no library yet. Every
// change goes through the library's one rewrite (or its creation of a new file), whose refusals are
// shown as the main window shows them; the tab reads the library again after each change and when
// it is shown.

#include <QWidget>

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

 private:
  void SetStatus(const QString& text);
  const StockKind& Kind() const;
  // Adds series's values, by merge where there is a library.
  void Write(const finder::SeriesRequest& request, const finder::SeriesLibrary& library);

  Services& m_services;
  QComboBox* m_stock = nullptr;
  QLabel* m_path = nullptr;
  QPushButton* m_create = nullptr;
  QComboBox* m_series = nullptr;
  QLabel* m_summary = nullptr;
  RowTableModel* m_model = nullptr;
  QLabel* m_status = nullptr;
};

}  // namespace vantrel
