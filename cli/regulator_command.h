#pragma once

#include "cli_app.h"
#include "command_line.h"
#include "regulator.h"

namespace vantrel {

CommandSpec RegulatorCommandSpec();

// vantrel-cli regulator VOUT --vref V [options]: feedback dividers that set an adjustable
// regulator's output. Throws ArgumentError when the request is no good.
int RunRegulator(const ParsedArgs& args, CliContext& context);
// The request of the words args, as RunRegulator reads them (board reads its lines so).
finder::RegulatorRequest RegulatorRequestOf(const ParsedArgs& args);

}  // namespace vantrel
