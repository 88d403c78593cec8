#include "input_blocking_waiter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace vantrel {
namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

// Excluding user input from the loop's flags would only hold the input back until the wait
// ends and then deliver it; the filter drops it instead.
void InputBlockingWaiter::WaitMilliseconds(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  QCoreApplication::instance()->installEventFilter(this);
  loop.exec();
  QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlockingWaiter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close) {
    // A close event arrives accepted; ignored, it leaves the window open.
    event->ignore();
    return true;
  }
  if (IsUserInput(event->type())) return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace vantrel
