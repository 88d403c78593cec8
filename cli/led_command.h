#pragma once

#include "cli_app.h"
#include "command_line.h"
#include "led.h"

namespace vantrel {

CommandSpec LedCommandSpec();

// vantrel-cli led VSUPPLY --vf VF --current I [options]: the series resistor of a string of
// LEDs, as a network of library values. Throws ArgumentError when the request is no good.
int RunLed(const ParsedArgs& args, CliContext& context);
// The request of the words args, as RunLed reads them.
finder::LedRequest LedRequestOf(const ParsedArgs& args);

}  // namespace vantrel
