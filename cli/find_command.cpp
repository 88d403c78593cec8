#include "find_command.h"

#include <optional>

#include "cli_app.h"
#include "command_args.h"
#include "command_line.h"
#include "output_table.h"
#include "result_listing.h"

namespace vantrel {
namespace {

finder::FindInput FindInputOf(const ParsedArgs& args) {
  finder::FindInput input;
  input.target = args.operands[0];
  input.parts = Given(args, "--parts");
  input.tolerance = Given(args, "--tolerance");
  input.top = Given(args, "--top");
  input.all = args.Has("--all");
  input.exclude = AllGiven(args, "--exclude");
  input.distinct = args.Has("--distinct");
  input.partTolerance = Given(args, "--part-tolerance");
  input.statistics = StatisticsOf(args);
  input.prefer = Given(args, "--prefer");
  input.kind = &StockKindOf(args);
  input.inventory = args.Has("--inventory");
  return input;
}

}  // namespace

CommandSpec FindCommandSpec() {
  std::vector<OptionSpec> options = {
      {"--parts", "N", "Networks of 1 to N parts, N at most 4 (default 3)."},
      {"--tolerance", "P", "Keep networks within P percent (default 1)."},
      {"--top", "K", "List the K best (default 20)."},
      {"--all", "", "List all networks within P percent."},
      {"--exclude", "V", "Leave library value V out; may be repeated."},
      {"--distinct", "", "Use each library value at most once per network."},
      {"--part-tolerance", "T", "Add the value with every part T percent low and high."}};
  for (OptionSpec& option : StatisticsOptions(false)) options.push_back(std::move(option));
  options.push_back(InventoryOption());
  options.push_back(PreferOption());
  for (OptionSpec& option : StockKindOptions()) options.push_back(std::move(option));
  options.push_back(FormatOption());
  return {"find",
          "List networks of up to four library values that reach TARGET.",
          "Lists networks of up to N library values in series and parallel within P percent\n"
          "of TARGET, closest first, the K best (default 20) or all of them. TARGET and the\n"
          "values take resistor notation (4700, 4.7k, 4k7, 2R2, 470R, 1M).\n"
          "\n"
          "--capacitors and --inductors search CapacitorLibrary.txt or InductorLibrary.txt\n"
          "instead, TARGET in their notation (3.2n, 4u7). The spelling keeps + for series\n"
          "and || for parallel; parallel capacitors add and series ones fold.\n",
          {{"TARGET"}},
          std::move(options)};
}

finder::FindRequest FindRequestOf(const ParsedArgs& args) {
  return Require(finder::CheckFind(FindInputOf(args)));
}

int RunFind(const ParsedArgs& args, CliContext& context) {
  const finder::FindRequest request = FindRequestOf(args);
  OutputHead head{{"command", table::TextCell("find")}};
  AppendNetworkHead(request.search, head);
  return RunListing<finder::FindKind>(request, std::move(head), args, context);
}

}  // namespace vantrel
