#pragma once

#include "cli_app.h"
#include "command_line.h"

#include <vector>

namespace vantrel {

// --part-tolerance and --within, which every two-leg design takes.
std::vector<OptionSpec> WorstCaseOptions();
// --min-current, --max-current and --max-power, for the designs that carry a current.
std::vector<OptionSpec> LoadOptions();

CommandSpec RegulatorCommandSpec();
CommandSpec GainCommandSpec();

// vantrel-cli regulator VOUT --vref V [options]: feedback dividers that set an adjustable
// regulator's output. Throws ArgumentError when the request is no good.
int RunRegulator(const ParsedArgs& args, CliContext& context);

// vantrel-cli gain G [options]: feedback pairs that set an amplifier's gain.
int RunGain(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
