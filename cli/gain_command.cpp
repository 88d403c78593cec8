#include "gain_command.h"

#include "command_args.h"
#include "design_commands.h"
#include "gain.h"
#include "output_table.h"
#include "result_listing.h"

namespace vantrel {
namespace {

constexpr char kGainDetails[] =
    "Lists pairs of library values, or of legs of up to N values, that set an\n"
    "amplifier's gain within P percent of G, closest first, the K best (default 20)\n"
    "or all of them: G = 1 + Rf / Rg for a non-inverting amplifier (the default),\n"
    "|G| = Rf / Rin for an inverting one (--inverting).\n"
    "\n"
    "  non-inverting                  inverting\n"
    "\n"
    "  IN ----|+\\                              +--[Rf]--+\n"
    "         |  >--+-- OUT                    |        |\n"
    "      +--|-/   |             IN --[Rin]---+--|-\\   |\n"
    "      |        |                             |  >--+-- OUT\n"
    "      +--[Rf]--+                      GND ---|+/\n"
    "      |\n"
    "     [Rg]\n"
    "      |\n"
    "     GND\n"
    "\n"
    "--part-tolerance, --within and the ranking they bring are those of regulator.\n"
    "The bounds on the total and on Rf include their ends.\n";

constexpr LegWords kGainWords = {
    "Keep designs within P percent (default 1).", "List all designs within P percent.",
    "Keep designs whose Rf + Rg is at least R.", "Keep designs whose Rf + Rg is at most R.",
    "Use each library value at most once per design."};

finder::GainInput GainInputOf(const ParsedArgs& args) {
  finder::GainInput input;
  input.gain = args.operands[0];
  input.inverting = args.Has("--inverting");
  input.rfMin = Given(args, "--rf-min");
  input.rfMax = Given(args, "--rf-max");
  ReadTwoLeg(args, input);
  return input;
}

}  // namespace

CommandSpec GainCommandSpec() {
  std::vector<OptionSpec> options = {
      {"--inverting", "", "An inverting amplifier: |G| = Rf / Rin."}};
  Append(options, LegOptions(kGainWords));
  Append(options, {{"--rf-min", "R", "Keep designs whose Rf is at least R."},
                   {"--rf-max", "R", "Keep designs whose Rf is at most R."}});
  Append(options, WorstCaseOptions());
  Append(options, StockOptions(kGainWords));
  return {"gain",
          "List feedback pairs that set an amplifier's gain to G.",
          kGainDetails,
          {{"G"}},
          std::move(options)};
}

finder::GainRequest GainRequestOf(const ParsedArgs& args) {
  return Require(finder::CheckGain(GainInputOf(args)));
}

int RunGain(const ParsedArgs& args, CliContext& context) {
  const finder::GainRequest request = GainRequestOf(args);
  return RunListing<finder::GainKind>(
      request,
      {{"command", table::TextCell("gain")},
       {"gain", table::NumberCell(request.search.target)},
       {"inverting", table::BoolCell(request.inverting)},
       {"tolerance", table::NumberCell(request.search.tolerance)},
       {"parts", table::NumberCell(static_cast<std::uint64_t>(request.search.legParts))}},
      args, context);
}

}  // namespace vantrel
