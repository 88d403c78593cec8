#pragma once

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

// board FILE: each line a circuit and its search; one row of each chosen together so that the
// board takes the fewest distinct values.
CommandSpec BoardCommandSpec();
int RunBoard(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
