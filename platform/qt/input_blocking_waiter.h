#pragma once

#include <QObject>

#include "editor_launch.h"

namespace vantrel {

// Waits with the program's windows kept painted but deaf: while a wait runs, user input to
// any window of the program and requests to close one are dropped, not queued, so nothing the
// user did meanwhile takes effect once the wait is over.
class InputBlockingWaiter final : public QObject, public IWaiter {
  Q_OBJECT

 public:
  // Runs a local event loop for the given time with the input filter in place.
  void WaitMilliseconds(int milliseconds) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vantrel
