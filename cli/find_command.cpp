#include "find_command.h"

#include <optional>

#include "cli_app.h"
#include "command_args.h"
#include "command_line.h"
#include "network_search.h"
#include "output_table.h"
#include "ranked_rows.h"
#include "rows.h"
#include "stock_input.h"
#include "text_columns.h"

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
  return input;
}

}  // namespace

CommandSpec FindCommandSpec() {
  return {
      "find",
      "List networks of up to four library values that reach TARGET.",
      "Lists networks of up to N library values in series and parallel within P percent\n"
      "of TARGET, closest first, the K best (default 20) or all of them. TARGET and the\n"
      "values take resistor notation (4700, 4.7k, 4k7, 2R2, 470R, 1M).\n",
      {{"TARGET"}},
      {{"--parts", "N", "Networks of 1 to N parts, N at most 4 (default 3)."},
       {"--tolerance", "P", "Keep networks within P percent (default 1)."},
       {"--top", "K", "List the K best (default 20)."},
       {"--all", "", "List all networks within P percent."},
       {"--exclude", "V", "Leave library value V out; may be repeated."},
       {"--distinct", "", "Use each library value at most once per network."},
       {"--part-tolerance", "T", "Add each network's value with all parts T percent low and high."},
       FormatOption()}};
}

int RunFind(const ParsedArgs& args, CliContext& context) {
  Services& services = context.services;
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  const finder::FindRequest request = Require(finder::CheckFind(FindInputOf(args)));
  const double target = request.search.target;
  const std::optional<finder::LoadedStock> input = LoadStock(services, request.excluded, err);
  if (!input) return kExitFailure;
  const std::vector<double>& stock = input->stock.values;
  if (stock.empty()) {
    err << "vantrel-cli: the library holds no value to build networks from\n";
    return kExitFailure;
  }

  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  const std::vector<finder::Column> columns = finder::FindColumns(request);
  OutputHead head{{"command", TextCell("find")},
                  {"target", NumberCell(target)},
                  {"tolerance", NumberCell(request.search.tolerance)},
                  {"parts", NumberCell(static_cast<std::uint64_t>(request.search.maxParts))}};
  if (format == OutputFormat::kJson) {
    for (auto& field : LibraryHead(services.files)) head.push_back(std::move(field));
  }

  const RankedRows<networks::NetworkRow> rows(
      [&](std::uint64_t limit, const RankedRows<networks::NetworkRow>::Take& take) {
        networks::FindNetworks(stock, request.search, limit, take);
      },
      request.limit);
  if (rows.Empty()) {
    // Formatted output stays a table, empty; the note goes to the user.
    (format == OutputFormat::kText ? out : err) << finder::NoFindRowNote(*input, request) << '\n';
    if (format != OutputFormat::kText)
      RowWriter(format, head, finder::ColumnNames(columns), out).Finish();
    return kExitOk;
  }
  const auto forEach = [&](const auto& take) {
    rows.ForEach([&](std::uint64_t rank, const networks::NetworkRow& row) {
      take(finder::MakeFindRow(rank, row, *input, request));
    });
  };
  if (format != OutputFormat::kText) {
    RowWriter writer(format, head, finder::ColumnNames(columns), out);
    forEach([&](const finder::FindRow& row) { writer.Row(finder::FindFields(row, request)); });
    writer.Finish();
    return kExitOk;
  }
  WriteTable(
      forEach, [](const finder::FindRow& row) { return row.value; }, target,
      [&](const finder::FindRow& row, int digits) {
        return finder::FindTextCells(row, digits, request);
      },
      TextColumns(columns), out);
  return kExitOk;
}

}  // namespace vantrel
