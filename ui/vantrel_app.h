#pragma once

#include <QApplication>
#include <string>

namespace vantrel {

// The application object: Qt's, with the program's start-up.
class CVantrelApp : public QApplication {
  Q_OBJECT

 public:
  CVantrelApp(int& argc, char** argv);

  // Runs the program: refuses to start beside another copy of it, then runs the main window
  // modally until it closes. Returns the exit status, 0 in both cases.
  int InitInstance();

  // The executable's file name without its extension; it captions every message box and
  // names the single-instance lock.
  static std::string ApplicationName();
};

}  // namespace vantrel
