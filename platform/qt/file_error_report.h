#pragma once

#include <utility>

#include "files.h"
#include "messages.h"

namespace vantrel {

// The report of a failed file operation, naming the operation, the file and the reason.
Message FileErrorMessage(const FileError& error);

// Runs a command handler's body. A FileError it throws ends the command and is shown through
// messages; the program goes on. Qt cannot carry an exception out of an event handler, so every
// handler that reaches files runs through here.
template <typename Command>
void RunCommand(IMessageService& messages, Command&& command) {
  try {
    std::forward<Command>(command)();
  } catch (const FileError& error) {
    messages.Show(FileErrorMessage(error));
  }
}

}  // namespace vantrel
