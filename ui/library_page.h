#pragma once

// The Networks window's Library tab: what the command line's check says about the library,
// held against the series chosen as check --series holds it, and the commands that change it,
// Normalise and Add E-series. Every change goes through the library's one rewrite (or its creation
// of a new file), whose refusals are shown as the main window shows them; the tab reads the library
// again after each change and when it is shown.

#include <QWidget>

#include "services.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace vantrel {

class RowTableModel;

class CLibraryPage : public QWidget {
  Q_OBJECT

 public:
  CLibraryPage(Services& services, QWidget* parent = nullptr);

  // Reads the library afresh and shows what a rewrite would do to it.
  void Refresh();
  void OnNormalise();
  void OnAddSeries();

 private:
  void SetStatus(const QString& text);

  Services& m_services;
  QLabel* m_path = nullptr;
  QComboBox* m_series = nullptr;
  QLabel* m_summary = nullptr;
  RowTableModel* m_model = nullptr;
  QLabel* m_status = nullptr;
};

}  // namespace vantrel
