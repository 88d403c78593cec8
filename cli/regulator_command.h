#pragma once

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

CommandSpec RegulatorCommandSpec();

// vantrel-cli regulator VOUT --vref V [options]: feedback dividers that set an adjustable
// regulator's output. Throws ArgumentError when the request is no good.
int RunRegulator(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
