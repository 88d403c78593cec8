#pragma once

#include <QGuiApplication>

namespace vantrel {

// Shows shape over every window of the program while it lives; the destructor gives back the
// cursor from before, however the scope is left. Guards nest.
class OverrideCursor {
 public:
  explicit OverrideCursor(Qt::CursorShape shape) { QGuiApplication::setOverrideCursor(shape); }
  ~OverrideCursor() { QGuiApplication::restoreOverrideCursor(); }
  OverrideCursor(const OverrideCursor&) = delete;
  OverrideCursor& operator=(const OverrideCursor&) = delete;
};

}  // namespace vantrel
