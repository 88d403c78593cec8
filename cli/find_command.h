#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli_app.h"
#include "command_line.h"
#include "find.h"

namespace vantrel {

CommandSpec FindCommandSpec();

// vantrel-cli find TARGET [options]: lists series-parallel networks of stock values that
// reach the target. Throws ArgumentError when the request is no good.
int RunFind(const ParsedArgs& args, CliContext& context);
// The request of the words args, as RunFind reads them (board reads its lines so).
finder::FindRequest FindRequestOf(const ParsedArgs& args);

}  // namespace vantrel
