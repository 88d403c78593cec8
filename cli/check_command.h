#pragma once

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

CommandSpec CheckCommandSpec();

// Runs the library through the rewrite without writing and tells what it would do.
int RunCheck(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
