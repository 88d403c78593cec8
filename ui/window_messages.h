#pragma once

#include <QPointer>
#include <QWidget>

#include "messages.h"

namespace vantrel {

// Messages of a window of its own (the Networks window) as modal boxes on that window, or on
// the dialog of it that is active, so that no other window comes in front; the focus goes back
// to where it was once the box is dismissed.
class WindowMessages final : public IMessageService {
 public:
  explicit WindowMessages(QWidget* window) : m_window(window) {}

  void Show(const Message& message) override;

 private:
  QPointer<QWidget> m_window;
};

}  // namespace vantrel
