#include "regulator_command.h"

#include "command_args.h"
#include "design_commands.h"
#include "output_table.h"
#include "regulator.h"
#include "result_listing.h"

namespace vantrel {
namespace {

constexpr char kRegulatorDetails[] =
    "Lists pairs of library values, or of legs of up to N values, for the divider\n"
    "that sets an adjustable regulator's or reference's output, closest first, the\n"
    "K best (default 20) or all of them within P percent of VOUT:\n"
    "\n"
    "  VOUT = VREF x (1 + Ra / Rb) + IADJ x Ra\n"
    "\n"
    "Rb is the resistor VREF lies across: in converters and shunt references the\n"
    "bottom one, from FB to ground (the default); in three-terminal adjustable\n"
    "regulators the top one, from OUT to ADJ (--reference top).\n"
    "\n"
    "  --reference bottom                --reference top\n"
    "\n"
    "  VOUT --+                          IN --[ REG ]--+-- VOUT\n"
    "         |                               [ ADJ ]  |\n"
    "      [Rtop]    Ra                          |   [Rtop]     Rb, VREF across it\n"
    "         |                                  +-----+\n"
    "  FB ----+      at VREF                     |  IADJ into Rbottom\n"
    "         |                              [Rbottom]  Ra\n"
    "      [Rbottom] Rb                          |\n"
    "         |                                 GND\n"
    "        GND\n"
    "\n"
    "Current is the current through Rtop; Power (W) the most that any one part\n"
    "takes, series parts sharing their leg's current and parallel parts its\n"
    "voltage. Values in ohms, volts and amperes give amperes and watts. --part-\n"
    "tolerance adds Low and High, VOUT with every part T percent off in the\n"
    "direction that moves it most and VREF and IADJ at the ends of their ranges,\n"
    "and In spec, whether that band lies within B percent of VOUT (--within) or\n"
    "else P percent. --within keeps only those rows and ranks them by fewest parts,\n"
    "then the narrowest band, then the smallest error, then the lowest total; P is\n"
    "then B, or at most B. The bounds on the total, the current and the power each\n"
    "include their ends.\n"
    "\n"
    "--statistics rss adds RSS Low and RSS High: each part's tolerance taken as 3\n"
    "sigma, the parts independent, the terms dVOUT/dx * x * t added as a root sum\n"
    "of squares, and VREF's and IADJ's ranges added linearly. --by rss judges In\n"
    "spec and --within by that band. --temperature LOW:HIGH widens each part by its\n"
    "TCR (--tcr, ppm/°C) times the largest distance from 25 °C: in the worst case\n"
    "every part drifts its worst way, in RSS the drift is a term of its own.\n";

constexpr LegWords kRegulatorWords = {"Keep designs within P percent (default 1).",
                                      "List all designs within P percent.",
                                      "Keep designs whose Rtop + Rbottom is at least R.",
                                      "Keep designs whose Rtop + Rbottom is at most R.",
                                      "Use each library value at most once per design."};

finder::RegulatorInput RegulatorInputOf(const ParsedArgs& args) {
  finder::RegulatorInput input;
  input.vout = args.operands[0];
  input.vref = Given(args, "--vref");
  input.iadj = Given(args, "--iadj");
  input.referenceTop = Given(args, "--reference") == "top";
  ReadLoaded(args, input);
  return input;
}

}  // namespace

CommandSpec RegulatorCommandSpec() {
  std::vector<OptionSpec> options = {
      {"--vref", "V", "The reference voltage, or MIN:TYP:MAX; required."},
      {"--reference", "SIDE", "Rb, across VREF: bottom (default) or top.", {"bottom", "top"}},
      {"--iadj", "I", "The ADJ or FB pin current, or MIN:TYP:MAX (default 0)."}};
  Append(options, LegOptions(kRegulatorWords));
  Append(options, LoadOptions());
  Append(options, WorstCaseOptions());
  Append(options, StockOptions(kRegulatorWords));
  options.front().required = true;  // --vref
  return {"regulator",
          "List feedback dividers that set a regulator's output to VOUT.",
          kRegulatorDetails,
          {{"VOUT"}},
          std::move(options)};
}

finder::RegulatorRequest RegulatorRequestOf(const ParsedArgs& args) {
  return Require(finder::CheckRegulator(RegulatorInputOf(args)));
}

int RunRegulator(const ParsedArgs& args, CliContext& context) {
  const finder::RegulatorRequest request = RegulatorRequestOf(args);
  return RunListing<finder::RegulatorKind>(
      request,
      {{"command", table::TextCell("regulator")},
       {"vout", table::NumberCell(request.search.target)},
       {"vref", table::NumberCell(request.vref.typ)},
       {"vref_min", table::NumberCell(request.vref.min)},
       {"vref_max", table::NumberCell(request.vref.max)},
       {"iadj", table::NumberCell(request.iadj.typ)},
       {"iadj_min", table::NumberCell(request.iadj.min)},
       {"iadj_max", table::NumberCell(request.iadj.max)},
       {"reference", table::TextCell(request.referenceTop ? "top" : "bottom")},
       {"tolerance", table::NumberCell(request.search.tolerance)},
       {"parts", table::NumberCell(static_cast<std::uint64_t>(request.search.legParts))}},
      args, context);
}

}  // namespace vantrel
