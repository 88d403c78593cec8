#pragma once

// What the two-leg commands (divider, regulator, gain) share: their options and how they are read.

#include "cli_app.h"
#include "command_line.h"

#include <string_view>
#include <vector>

#include "request.h"

namespace vantrel {

// The help of the options every two-leg command shares, naming its rows and its total.
struct LegWords {
  std::string_view tolerance;
  std::string_view all;
  std::string_view minTotal;
  std::string_view maxTotal;
  std::string_view distinct;
};

// --parts, --tolerance, --top, --all, --min-total and --max-total.
std::vector<OptionSpec> LegOptions(const LegWords& words);
// --exclude, --distinct and --format.
std::vector<OptionSpec> StockOptions(const LegWords& words);
void Append(std::vector<OptionSpec>& options, std::vector<OptionSpec> more);

// The options every two-leg command shares, as typed.
void ReadTwoLeg(const ParsedArgs& args, finder::TwoLegInput& input);
// With the bounds on current and power.
void ReadLoaded(const ParsedArgs& args, finder::LoadedInput& input);

// --part-tolerance and --within, which every two-leg design takes.
std::vector<OptionSpec> WorstCaseOptions();
// --min-current, --max-current and --max-power, for the designs that carry a current.
std::vector<OptionSpec> LoadOptions();

}  // namespace vantrel
