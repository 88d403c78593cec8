#include "design_commands.h"

#include "command_args.h"

namespace vantrel {

void ReadTwoLeg(const ParsedArgs& args, finder::TwoLegInput& input) {
  input.parts = Given(args, "--parts");
  input.tolerance = Given(args, "--tolerance");
  input.top = Given(args, "--top");
  input.all = args.Has("--all");
  input.minTotal = Given(args, "--min-total");
  input.maxTotal = Given(args, "--max-total");
  input.exclude = AllGiven(args, "--exclude");
  input.distinct = args.Has("--distinct");
  input.partTolerance = Given(args, "--part-tolerance");
  input.within = Given(args, "--within");
  input.scale = Given(args, "--scale");
  input.statistics = StatisticsOf(args);
  input.inventory = args.Has("--inventory");
  input.prefer = Given(args, "--prefer");
}

void ReadLoaded(const ParsedArgs& args, finder::LoadedInput& input) {
  ReadTwoLeg(args, input);
  input.maxPower = Given(args, "--max-power");
  input.minCurrent = Given(args, "--min-current");
  input.maxCurrent = Given(args, "--max-current");
  input.derate = Given(args, "--derate");
}

std::vector<OptionSpec> LegOptions(const LegWords& words) {
  return {{"--parts", "N", "Legs of up to N values, N at most 2 (default 1)."},
          {"--tolerance", "P", words.tolerance},
          {"--top", "K", "List the K best (default 20)."},
          {"--all", "", words.all},
          {"--min-total", "R", words.minTotal},
          {"--max-total", "R", words.maxTotal},
          {"--scale", "R", "Break ties towards legs whose mean is nearest R (10k)."}};
}

std::vector<OptionSpec> StockOptions(const LegWords& words) {
  return {{"--exclude", "V", "Leave library value V out; may be repeated."},
          {"--distinct", "", words.distinct},
          InventoryOption(),
          PreferOption(),
          FormatOption()};
}

void Append(std::vector<OptionSpec>& options, std::vector<OptionSpec> more) {
  for (OptionSpec& option : more) options.push_back(std::move(option));
}

std::vector<OptionSpec> WorstCaseOptions() {
  std::vector<OptionSpec> options = {
      {"--part-tolerance", "T", "Add Low, High and In spec: every part T percent off."},
      {"--within", "B", "Keep rows whose worst case lies within B percent."}};
  Append(options, StatisticsOptions());
  return options;
}

std::vector<OptionSpec> LoadOptions() {
  return {{"--min-current", "I", "Keep rows whose current is at least I (50u, 2m)."},
          {"--max-current", "I", "Keep rows whose current is at most I."},
          {"--max-power", "W", "Keep rows whose parts each take at most W watts."},
          {"--derate", "F", "With --inventory: no part past F times its rating (1)."}};
}

}  // namespace vantrel
