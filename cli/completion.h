#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"

namespace vantrel {

// The shells a completion script can be made for.
const std::vector<std::string_view>& CompletionShells();

// The completion script for shell (one of CompletionShells), made from the program's options
// and the commands: their names, summaries, options, option values and operand choices.
std::string CompletionScript(std::string_view shell, const std::vector<OptionSpec>& program,
                             const std::vector<const CommandSpec*>& commands);

}  // namespace vantrel
