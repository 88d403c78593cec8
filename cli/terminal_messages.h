#pragma once

#include <ostream>

#include "messages.h"

namespace vantrel {

// Messages for a terminal: each is one line on the given stream (stderr in the program).
class TerminalMessageService final : public IMessageService {
 public:
  explicit TerminalMessageService(std::ostream& out) : m_out(out) {}
  void Show(const Message& message) override { m_out << message.text << '\n' << std::flush; }

 private:
  std::ostream& m_out;
};

}  // namespace vantrel
