#include "divider_command.h"

#include <cmath>
#include <optional>
#include <utility>

#include "cli_app.h"
#include "command_args.h"
#include "command_line.h"
#include "design_commands.h"
#include "output_table.h"
#include "result_listing.h"

namespace vantrel {
namespace {

constexpr LegWords kDividerWords = {
    "Keep dividers within P percent (default 1).", "List all dividers within P percent.",
    "Keep dividers whose R1 + R2 is at least R.", "Keep dividers whose R1 + R2 is at most R.",
    "Use each library value at most once per divider."};

finder::DividerInput DividerInputOf(const ParsedArgs& args) {
  finder::DividerInput input;
  input.vin = args.operands[0];
  input.vout = args.operands[1];
  ReadLoaded(args, input);
  input.power = args.Has("--power");
  input.load = Given(args, "--load");
  input.maxSource = Given(args, "--max-source");
  return input;
}

}  // namespace

CommandSpec DividerCommandSpec() {
  std::vector<OptionSpec> options = LegOptions(kDividerWords);
  options.push_back({"--power", "", "Add Power (W), the most any one part takes."});
  options.push_back({"--load", "R", "Put a load of R across R2 (an input's resistance)."});
  options.push_back({"--max-source", "R", "Keep dividers whose R1 || R2 is at most R."});
  Append(options, LoadOptions());
  Append(options, WorstCaseOptions());
  Append(options, StockOptions(kDividerWords));
  return {"divider",
          "List resistor pairs that divide VIN down to VOUT.",
          "Lists pairs R1 (top) and R2 (bottom) of library values, or of legs of up to N\n"
          "values, that divide VIN to within P percent of VOUT, closest first, the K best\n"
          "(default 20) or all of them. VOUT is below VIN. Current is the current through\n"
          "the divider, VIN / (R1 + R2): amperes when the values are ohms and VIN volts.\n"
          "--power adds the most power any one part takes (--max-power implies it), and\n"
          "--part-tolerance and --within the worst case, as for regulator.\n"
          "--load puts a load L across R2: VOUT is VIN (R2 || L) / (R1 + R2 || L), and\n"
          "Current is then R1's. --max-source bounds R1 || R2, the source resistance an\n"
          "ADC input sees, at the parts' upper ends with a part tolerance, and adds it as\n"
          "Source.\n",
          {{"VIN"}, {"VOUT"}},
          std::move(options)};
}

finder::DividerRequest DividerRequestOf(const ParsedArgs& args) {
  return Require(finder::CheckDivider(DividerInputOf(args)));
}

int RunDivider(const ParsedArgs& args, CliContext& context) {
  const finder::DividerRequest request = DividerRequestOf(args);
  OutputHead head = {
      {"command", table::TextCell("divider")},
      {"vin", table::NumberCell(request.search.vin)},
      {"vout", table::NumberCell(request.search.vout)},
      {"tolerance", table::NumberCell(request.search.tolerance)},
      {"parts", table::NumberCell(static_cast<std::uint64_t>(request.search.legParts))}};
  // Named only where given, as the band's settings are.
  if (!std::isinf(request.search.load))
    head.push_back({"load", table::NumberCell(request.search.load)});
  if (request.source) head.push_back({"max_source", table::NumberCell(request.search.maxSource)});
  return RunListing<finder::DividerKind>(request, std::move(head), args, context);
}

}  // namespace vantrel
