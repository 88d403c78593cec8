#include "window_messages.h"

#include <QApplication>
#include <QMessageBox>

#include "override_cursor.h"

namespace vantrel {

void WindowMessages::Show(const Message& message) {
  QWidget* owner = m_window.data();
  QWidget* active = QApplication::activeWindow();
  for (QWidget* window = active; window != nullptr; window = window->parentWidget()) {
    if (window == owner) {
      owner = active;
      break;
    }
  }
  const QPointer<QWidget> focus = QApplication::focusWidget();
  const QMessageBox::Icon icon =
      message.icon == MessageIcon::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon;
  const OverrideCursor arrow(Qt::ArrowCursor);
  QMessageBox box(icon, QApplication::applicationName(), QString::fromStdString(message.text),
                  QMessageBox::Ok, owner);
  box.exec();
  if (focus != nullptr) focus->setFocus();
}

}  // namespace vantrel
