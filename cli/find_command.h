#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli_app.h"
#include "command_line.h"

namespace vantrel {

// One row of the find command's table, as plain data for any output format.
struct FindRow {
  std::uint64_t rank = 0;
  double value = 0;
  double deviation = 0;  // percent, signed
  int parts = 0;
  std::string network;  // spelled with the library's values
  // With --part-tolerance T: the value with every part T percent low and high, and whether
  // the target lies between the two.
  double low = 0;
  double high = 0;
  bool coversTarget = false;
};

CommandSpec FindCommandSpec();

// vantrel-cli find TARGET [options]: lists series-parallel networks of stock values that
// reach the target. Throws ArgumentError on a malformed option value.
int RunFind(const ParsedArgs& args, CliContext& context);

}  // namespace vantrel
