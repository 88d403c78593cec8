#pragma once

#include "cli_app.h"
#include "command_line.h"
#include "gain.h"

namespace vantrel {

CommandSpec GainCommandSpec();

// vantrel-cli gain G [options]: feedback pairs that set an amplifier's gain.
int RunGain(const ParsedArgs& args, CliContext& context);
// The request of the words args, as RunGain reads them (board reads its lines so).
finder::GainRequest GainRequestOf(const ParsedArgs& args);

}  // namespace vantrel
