#pragma once

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

CommandSpec ImportCommandSpec();

// Reads the files given, prints the rows and the lines skipped, and with --write adds the rows
// to Inventory.csv.
int RunImport(const ParsedArgs& args, CliContext& context);

// check --inventory: what a rewrite of Inventory.csv would change, the lines it cannot read,
// rows that could merge, and the counts per kind. Exit status as check's.
int RunInventoryCheck(CliContext& context);

}  // namespace vantrel
