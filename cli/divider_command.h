#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

// One row of the divider command's table, as plain data for any output format.
struct DividerTextRow {
  std::uint64_t rank = 0;
  std::string r1;  // top leg, spelled with the library's values
  std::string r2;  // bottom leg
  double vout = 0;
  double error = 0;    // percent, signed
  double total = 0;    // R1 + R2
  double current = 0;  // VIN / (R1 + R2)
};

CommandSpec DividerCommandSpec();

// vantrel-cli divider VIN VOUT [options]: pairs of stock values (or of pairs) that divide VIN
// down to VOUT. Throws ArgumentError on a malformed option value.
int RunDivider(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
