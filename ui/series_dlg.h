#pragma once

#include <QDialog>

#include "series_library.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace vantrel {

// "Add E-series...": asks for a series and a range in the stock's notation, checked as the
// command line's series checks them. Accepted only with a range that makes a library.
class CSeriesDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSeriesDlg(const StockKind& kind, QWidget* parent = nullptr);

  const finder::SeriesRequest& Request() const { return m_request; }
  const finder::SeriesLibrary& Library() const { return m_library; }

  void accept() override;

 private:
  QComboBox* m_series = nullptr;
  QLineEdit* m_from = nullptr;
  QLineEdit* m_to = nullptr;
  QLabel* m_error = nullptr;
  const StockKind& m_kind;
  finder::SeriesRequest m_request;
  finder::SeriesLibrary m_library;
};

}  // namespace vantrel
