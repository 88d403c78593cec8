#pragma once

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

CommandSpec GainCommandSpec();

// vantrel-cli gain G [options]: feedback pairs that set an amplifier's gain.
int RunGain(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
