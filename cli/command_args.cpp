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

}  // namespace vantrel
