#pragma once

#include "cli_app.h"
#include "command_line.h"
#include "rc.h"

namespace vantrel {

CommandSpec RcCommandSpec();

// vantrel-cli rc (--tau T | --corner F) [options]: a resistor leg from the resistor library
// and a capacitor leg from the capacitor library whose time constant or corner meets the
// target. Throws ArgumentError when the request is no good.
int RunRc(const ParsedArgs& args, CliContext& context);

// The request of the words args, as RunRc reads them.
finder::RcRequest RcRequestOf(const ParsedArgs& args);

}  // namespace vantrel
