#include "qt_message_service.h"

#include <QMessageBox>

#include "override_cursor.h"

namespace vantrel {

void QtMessageService::Show(const Message& message) {
  QWidget* owner = message.owner == MessageOwner::kMainWindow ? m_mainWindow.data() : nullptr;
  const QMessageBox::Icon icon =
      message.icon == MessageIcon::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon;
  // A box shown in a command that has set the busy cursor still wants its button clicked.
  const OverrideCursor arrow(Qt::ArrowCursor);
  QMessageBox box(icon, m_caption, QString::fromStdString(message.text), QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace vantrel
