#include "qt_message_service.h"

#include <QApplication>
#include <QMessageBox>

#include "override_cursor.h"

namespace vantrel {

void QtMessageService::Show(const Message& message) {
  QWidget* owner = message.owner == MessageOwner::kMainWindow ? m_mainWindow.data() : nullptr;
  // A command of one of the main window's own windows (the Networks window) shows its box on
  // that window, so the main window is not brought in front of it.
  if (owner != nullptr) {
    for (QWidget* window = QApplication::activeWindow(); window != nullptr;
         window = window->parentWidget()) {
      if (window->parentWidget() == owner) {
        owner = QApplication::activeWindow();
        break;
      }
    }
  }
  const QMessageBox::Icon icon =
      message.icon == MessageIcon::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon;
  // A box shown in a command that has set the busy cursor still wants its button clicked.
  const OverrideCursor arrow(Qt::ArrowCursor);
  QMessageBox box(icon, m_caption, QString::fromStdString(message.text), QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace vantrel
