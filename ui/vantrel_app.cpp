#include "vantrel_app.h"

#include <QFileInfo>
#include <iostream>

#include "editor_launch.h"
#include "posix_files.h"
#include "qt_message_service.h"
#include "resources.h"
#include "single_instance.h"
#include "startup.h"
#include "vantrel_dlg.h"

namespace vantrel {

CVantrelApp::CVantrelApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromStdString(ApplicationName()));
  setApplicationVersion(QStringLiteral(VANTREL_VERSION));
  // Lets Wayland compositors and task bars match the window to its desktop entry and icon.
  setDesktopFileName(QStringLiteral("io.vantrel.Vantrel"));
  // Every window of the program, message boxes included, carries the application icon.
  setWindowIcon(ApplicationIcon());
}

std::string CVantrelApp::ApplicationName() {
  return QFileInfo(applicationFilePath()).completeBaseName().toStdString();
}

int CVantrelApp::InitInstance() {
  const std::string name = ApplicationName();
  QtMessageService messages(QString::fromStdString(name));

  // Held until the program ends; the system lets go of it however the process ends.
  const SingleInstanceLock lock(name, LockDirectory(name));
  if (RefuseSecondCopy(lock, messages)) return 0;
  if (lock.State() == InstanceLockState::kUnavailable) {
    std::cerr << name << ": starting without the single-instance check: " << lock.Problem() << '\n';
  }

  PosixFileService files;
  SystemClock clock;
  Services services{messages, files, clock};
  DesktopEditorLauncher editor;
  CVantrelDlg dialog(services, editor);
  messages.SetMainWindow(&dialog);
  dialog.exec();
  return 0;
}

}  // namespace vantrel
