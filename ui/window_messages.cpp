#include "window_messages.h"

#include <QApplication>

namespace vantrel {

void WindowMessages::Show(const Message& message) {
  const QPointer<QWidget> focus = QApplication::focusWidget();
  // Right after a dialog of the window closes, no window may be active yet: the window
  // manager's word comes later, and the service would fall back on the main window.
  bool ours = false;
  for (QWidget* window = QApplication::activeWindow(); window != nullptr;
       window = window->parentWidget()) {
    ours = ours || window == m_window;
  }
  if (!ours && m_window != nullptr) QApplication::setActiveWindow(m_window);
  m_messages.Show(message);
  if (focus != nullptr) focus->setFocus();
}

}  // namespace vantrel
