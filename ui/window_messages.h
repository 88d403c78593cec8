#pragma once

#include <QPointer>
#include <QWidget>

#include "messages.h"

namespace vantrel {

// Messages of a window of its own (the Networks window), shown by the program's message
// service while that window counts as the active one, so that their boxes belong to it, or to
// its dialog that is active, and no other window comes in front; the focus goes back to where it
// was once the box is dismissed.
class WindowMessages final : public IMessageService {
 public:
  WindowMessages(QWidget* window, IMessageService& messages)
      : m_window(window), m_messages(messages) {}

  void Show(const Message& message) override;

 private:
  QPointer<QWidget> m_window;
  IMessageService& m_messages;
};

}  // namespace vantrel
