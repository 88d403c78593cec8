#pragma once

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

CommandSpec SeriesCommandSpec();

// Prints a library of one E-series, or writes or merges it into ./ResistorLibrary.txt.
int RunSeries(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
