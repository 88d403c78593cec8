#include "command_args.h"

namespace vantrel {

std::optional<std::string> Given(const ParsedArgs& args, std::string_view option) {
  const std::string* value = args.Value(option);
  return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::vector<std::string> AllGiven(const ParsedArgs& args, std::string_view option) {
  std::vector<std::string> values;
  for (const auto& [name, value] : args.options) {
    if (name == option) values.push_back(value);
  }
  return values;
}

std::vector<OptionSpec> StockKindOptions() {
  return {{"--capacitors", "", "Work on CapacitorLibrary.txt (farads: 100n, 4n7, 2.2uF)."},
          {"--inductors", "", "Work on InductorLibrary.txt (henries: 10u, 4u7, 470nH)."}};
}

OptionSpec PreferOption() {
  return {"--prefer", "FILE", "List rows of the values in FILE (a BOM) first; add New."};
}

const StockKind& StockKindOf(const ParsedArgs& args) {
  const bool capacitors = args.Has("--capacitors");
  const bool inductors = args.Has("--inductors");
  if (capacitors && inductors) {
    throw ArgumentError{"--capacitors and --inductors exclude each other"};
  }
  return capacitors ? kCapacitors : inductors ? kInductors : kResistors;
}

finder::StatisticsInput StatisticsOf(const ParsedArgs& args) {
  finder::StatisticsInput input;
  input.rss = Given(args, "--statistics") == "rss";
  input.byRss = Given(args, "--by") == "rss";
  input.temperature = Given(args, "--temperature");
  input.tcr = Given(args, "--tcr");
  return input;
}

std::vector<OptionSpec> StatisticsOptions(bool by) {
  std::vector<OptionSpec> options = {
      {"--statistics", "S", "worst (default) or rss: add RSS Low and RSS High.", {"worst", "rss"}},
      {"--temperature", "L:H", "Parts drift by their TCR from 25 °C to L and H °C."},
      {"--tcr", "PPM", "The TCR in ppm/°C of parts without one (default 0)."}};
  if (by) {
    options.insert(
        options.begin() + 1,
        {"--by", "S", "worst (default) or rss: the band In spec judges.", {"worst", "rss"}});
  }
  return options;
}

}  // namespace vantrel
