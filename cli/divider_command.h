#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli_app.h"
#include "command_line.h"
#include "divider.h"

namespace vantrel {

CommandSpec DividerCommandSpec();

// vantrel-cli divider VIN VOUT [options]: pairs of stock values (or of pairs) that divide VIN
// down to VOUT. Throws ArgumentError when the request is no good.
int RunDivider(const ParsedArgs& args, CliContext& context);
// The request of the words args, as RunDivider reads them (board reads its lines so).
finder::DividerRequest DividerRequestOf(const ParsedArgs& args);

}  // namespace vantrel
