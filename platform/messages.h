#pragma once

#include <string>

namespace vantrel {

// The window a message box belongs to: the main window (modal to it) or none, for the one
// message shown at start-up before the window exists.
enum class MessageOwner { kMainWindow, kNoWindow };

enum class MessageIcon { kNone, kWarning };

struct Message {
  std::string text;
  MessageOwner owner = MessageOwner::kMainWindow;
  MessageIcon icon = MessageIcon::kNone;

  bool operator==(const Message&) const = default;
};

// Shows a message to the user: a modal box with an OK button only, captioned with the
// application name. Returns once the user has dismissed it.
class IMessageService {
 public:
  virtual ~IMessageService() = default;
  virtual void Show(const Message& message) = 0;
};

}  // namespace vantrel
