#pragma once

// The main window IDD_MAIN_DIALOG. How data flows through it:
//   Calculate (the button, or Enter anywhere in the window, Calculate being the default button)
//     -> OnCalculate reads IDC_TARGET_VALUE and IDC_TARGET_PRECISION
//     -> vantrel::Calculate reads and normalises the library file into m_library and searches
//        it into m_results, or shows its own message and changes nothing the window shows
//     -> FillDisplayNumberChoices(m_results.count) -> ShowResults().
//   A choice picked in IDC_DISPLAY_NUMBER -> OnDisplayNumberChanged -> ShowResults(), which
//   lists the first rows of m_results, as many as the choice says.
//   "&LibrarySetting" -> OnLibrarySetting -> EditLibrary: starts m_editor on the library file,
//     waits until the editor is closed (the window stays painted but drops all input and
//     close requests meanwhile), then reads, normalises and rewrites the file through
//     m_library. The result list, the choices and m_results stay as they are.
//   "&About" -> OnAbout -> CAboutDlg, modal.
//   "&Networks" -> OnNetworks -> CNetworksDlg, a window of its own beside this one.
//   Copy (Ctrl+C or the result list's context menu) -> CopySelectedRows -> the selected rows as
//   text on
//     the clipboard and the primary selection.
// A FileError thrown by the core ends the command and is shown as a message (RunCommand).
// The window only moves texts between its controls and the core; it does no arithmetic.

#include <QDialog>
#include <QPointer>
#include <cstdint>

#include "editor_launch.h"
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
  // read and messages shown through services, and the library is edited in editors started by
  // editor; both must outlive the window.
  CVantrelDlg(Services& services, IEditorLauncher& editor, QWidget* parent = nullptr);

 private:
  void CreateMenuBar();
  void CreateControls();
  void CreateListActions();
  void PlaceOnScreen();

  void OnCalculate();
  void OnLibrarySetting();
  void OnAbout();
  void OnNetworks();
  void OnDisplayNumberChanged();
  void CopySelectedRows(bool withHeader);

  void InitResultColumns();
  void FillDisplayNumberChoices(std::int32_t count);
  void ShowResults();

  Services& m_services;
  IEditorLauncher& m_editor;
  LibraryTable m_library;
  ResultTable m_results;

  QPushButton* m_calculate = nullptr;
  QLineEdit* m_targetValue = nullptr;
  QLineEdit* m_targetPrecision = nullptr;
  QComboBox* m_displayNumber = nullptr;
  QTreeWidget* m_resultList = nullptr;
  QAction* m_librarySetting = nullptr;
  QPointer<QWidget> m_networks;
};

}  // namespace vantrel
