#include "led_command.h"

#include <optional>

#include "cli_app.h"
#include "command_args.h"
#include "command_line.h"
#include "design_commands.h"
#include "output_table.h"
#include "result_listing.h"

namespace vantrel {
namespace {

// Led's own fields, and those it shares with the designs that carry a current; what led does
// not take is refused by its options before this.
finder::LedInput LedInputOf(const ParsedArgs& args) {
  finder::LedInput input;
  ReadLoaded(args, input);
  input.vsupply = args.operands[0];
  input.vf = Given(args, "--vf");
  input.leds = Given(args, "--leds");
  input.current = Given(args, "--current");
  return input;
}

}  // namespace

CommandSpec LedCommandSpec() {
  std::vector<OptionSpec> options = {
      {"--vf", "V", "Forward voltage of one LED, V or MIN:TYP:MAX (required)."},
      {"--leds", "N", "N LEDs in series (default 1)."},
      {"--current", "I", "The current wanted through them, such as 10m (required)."},
      {"--parts", "N", "Networks of 1 to N parts, N at most 4 (default 3)."},
      {"--tolerance", "P", "Keep rows whose nominal current is within P percent (1)."},
      {"--top", "K", "List the K best (default 20)."},
      {"--all", "", "List every row that qualifies."},
      {"--part-tolerance", "T", "Every part T percent off in the worst case."},
      {"--within", "B", "Keep rows whose worst-case current lies within B percent."},
      {"--max-power", "W", "Keep rows whose parts each take at most W watts."},
      {"--derate", "F", "With --inventory: no part past F times its rating (1)."},
      {"--exclude", "V", "Leave library value V out; may be repeated."},
      {"--distinct", "", "Use each library value at most once per network."},
      InventoryOption(),
      PreferOption(),
      FormatOption()};
  options[0].required = true;  // --vf
  options[2].required = true;  // --current
  return {"led",
          "List series resistors that run N LEDs at a current from VSUPPLY.",
          "Lists networks of up to N library values in series and parallel for the resistor\n"
          "in series with --leds LEDs of forward voltage --vf, so that the current\n"
          "(VSUPPLY - N Vf) / R meets --current. VSUPPLY and --vf take one value or\n"
          "MIN:TYP:MAX. Rows rank by the worst-case current: VSUPPLY and Vf at their ends\n"
          "and every part off by --part-tolerance (or its own from --inventory). Low and\n"
          "High are that band's currents, Worst (%) its farthest end from the current\n"
          "wanted, and Power (W) the most any one part takes at the High current.\n",
          {{"VSUPPLY"}},
          std::move(options)};
}

finder::LedRequest LedRequestOf(const ParsedArgs& args) {
  return Require(finder::CheckLed(LedInputOf(args)));
}

int RunLed(const ParsedArgs& args, CliContext& context) {
  const finder::LedRequest request = LedRequestOf(args);
  OutputHead head{{"command", table::TextCell("led")},
                  {"vsupply", table::NumberCell(request.vsupply.typ)},
                  {"vsupply_min", table::NumberCell(request.vsupply.min)},
                  {"vsupply_max", table::NumberCell(request.vsupply.max)},
                  {"vf", table::NumberCell(request.vf.typ)},
                  {"vf_min", table::NumberCell(request.vf.min)},
                  {"vf_max", table::NumberCell(request.vf.max)},
                  {"leds", table::NumberCell(static_cast<std::uint64_t>(request.leds))},
                  {"current", table::NumberCell(request.current)}};
  AppendNetworkHead(request.search, head);
  return RunListing<finder::LedKind>(request, std::move(head), args, context);
}

}  // namespace vantrel
