#pragma once

#include <optional>

#include "board_choice.h"
#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

// board FILE: each line a circuit and its search; one row of each chosen together so that the
// board takes the fewest distinct values.
CommandSpec BoardCommandSpec();
int RunBoard(const ParsedArgs& args, CliContext& context);

// The choice the board of args asks for, each line searched as board searches it, for timing the
// choice alone. nullopt after a message on context.err.
std::optional<board::ChoiceInput> BoardChoiceInput(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
