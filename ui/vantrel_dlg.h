#pragma once

// The main window IDD_MAIN_DIALOG. How data flows through it:
//   Calculate (the button, or Enter anywhere in the window, Calculate being the default button)
//     -> OnCalculate reads IDC_TARGET_VALUE and IDC_TARGET_PRECISION
//     -> vantrel::Calculate reads and normalises the library file into m_library and searches
//        it into m_results, or shows its own message and changes nothing the window shows
//     -> FillDisplayNumberChoices(m_results.count) -> ShowResults().
//   A choice picked in IDC_DISPLAY_NUMBER -> OnDisplayNumberChanged -> ShowResults(), which
//   lists the first rows of m_results, as many as the choice says.
//   "&About" -> OnAbout -> CAboutDlg, modal.
// A FileError thrown by the core ends the command and is shown as a message (RunCommand).
// The window only moves texts between its controls and the core; it does no arithmetic.

#include <QDialog>
#include <cstdint>

#include "library_table.h"
#include "result_table.h"
#include "services.h"

class QAction;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vantrel {

class CVantrelDlg : public QDialog {
  Q_OBJECT

 public:
  // The main window, with the default inputs 45 and 1 and the focus on Calculate. Files are
  // read and messages shown through services, which must outlive the window.
  explicit CVantrelDlg(Services& services, QWidget* parent = nullptr);

 private:
  void CreateMenuBar();
  void CreateControls();

  void OnCalculate();
  void OnAbout();
  void OnDisplayNumberChanged();

  void InitResultColumns();
  void FillDisplayNumberChoices(std::int32_t count);
  void ShowResults();

  Services& m_services;
  LibraryTable m_library;
  ResultTable m_results;

  QPushButton* m_calculate = nullptr;
  QLineEdit* m_targetValue = nullptr;
  QLineEdit* m_targetPrecision = nullptr;
  QComboBox* m_displayNumber = nullptr;
  QTreeWidget* m_resultList = nullptr;
  QAction* m_librarySetting = nullptr;
};

}  // namespace vantrel
