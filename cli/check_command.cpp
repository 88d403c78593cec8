#include "check_command.h"

#include "command_args.h"
#include "e_series.h"
#include "import_command.h"
#include "library_check.h"

namespace vantrel {

CommandSpec CheckCommandSpec() {
  return {"check",
          "Show what a rewrite would do to the library, without writing it.",
          "Reads the library as normalise does and prints, without writing anything, each\n"
          "line the rewrite would drop (no number or zero, beyond the float range, a\n"
          "repeat), each that would stop the rewrite, each value that is within 0.5 % of no\n"
          "E3 to E192 value, or of no value of the series NAME with --series (for\n"
          "information), and a summary. Exit status 0 when a rewrite would leave the file\n"
          "as it is, 1 when it would change or refuse it.\n"
          "\n"
          "--inventory checks Inventory.csv instead: the lines it cannot read, rows that\n"
          "differ only in their count, the rows, values and parts of each kind, and whether\n"
          "a rewrite would change it.\n",
          {},
          [] {
            // Named as the series command takes its NAME, in either case.
            std::vector<OptionSpec> options{
                {"--series", "NAME", "Note values off this one series, in any decade.",
                 SeriesNames(), [](std::string_view name) { return FindSeries(name) != nullptr; }}};
            for (OptionSpec& option : StockKindOptions()) options.push_back(std::move(option));
            options.emplace_back("--inventory", "", "Check Inventory.csv instead of a library.");
            return options;
          }()};
}

int RunCheck(const ParsedArgs& args, CliContext& context) {
  if (args.Has("--inventory")) {
    if (args.Has("--series") || args.Has("--capacitors") || args.Has("--inductors")) {
      throw ArgumentError{
          "--inventory checks Inventory.csv, which takes no --series, "
          "--capacitors or --inductors"};
    }
    return RunInventoryCheck(context);
  }
  const std::string* series = args.Value("--series");
  const std::optional<finder::LibraryCheck> check = finder::CheckLibrary(
      context.services, series ? FindSeries(*series) : nullptr, StockKindOf(args));
  if (!check) return kExitFailure;
  for (const finder::LibraryFinding& finding : check->findings)
    context.out << finding.Text() << '\n';
  for (const std::string& line : check->Conclusion()) context.out << line << '\n';
  return check->Clean() ? kExitOk : kExitFailure;
}

}  // namespace vantrel
