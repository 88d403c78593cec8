#pragma once

#include <string>
#include <vector>

#include "messages.h"

namespace vantrel {

// Keeps the messages of a read for a status line instead of showing boxes: a missing library
// is something the Networks window says in place, not an error to dismiss.
class CollectedMessages final : public IMessageService {
 public:
  void Show(const Message& message) override { texts.push_back(message.text); }

  std::vector<std::string> texts;
};

// Lines of a status line, one under the other.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace vantrel
