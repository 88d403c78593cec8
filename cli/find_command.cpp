#include "find_command.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "cli_app.h"
#include "command_args.h"
#include "command_line.h"
#include "network_search.h"
#include "output_table.h"
#include "ranked_rows.h"
#include "resistor_notation.h"
#include "stock_input.h"
#include "text_columns.h"

namespace vantrel {
namespace {

using networks::NetworkRow;

struct FindRequest {
  std::string targetText;
  networks::FindOptions search;
  std::uint64_t limit = 0;
  std::vector<double> excluded;
  std::optional<double> partTolerance;
};

FindRequest ParseFind(const ParsedArgs& args) {
  FindRequest request;
  request.targetText = args.operands[0];
  for (const auto& [name, value] : args.options) {
    if (name == "--parts") {
      const std::uint64_t parts = ParseCountArgument(value, name);
      if (parts > networks::kMaxParts) throw ArgumentError{"--parts is at most 4"};
      request.search.maxParts = static_cast<int>(parts);
    } else if (name == "--tolerance") {
      request.search.tolerance = ParsePercentArgument(value, name);
    } else if (name == "--exclude") {
      request.excluded.push_back(ParseResistanceArgument(value, name));
    } else if (name == "--distinct") {
      request.search.distinct = true;
    } else if (name == "--part-tolerance") {
      const double percent = ParsePercentArgument(value, name);
      if (percent >= 100) throw ArgumentError{"--part-tolerance must be below 100"};
      request.partTolerance = percent;
    }
  }
  request.limit = ListLimit(args);
  request.search.target = ParseResistanceArgument(request.targetText, "TARGET");
  return request;
}

std::vector<std::string> Cells(const FindRow& row, int digits, bool withRange) {
  std::vector<std::string> cells{std::to_string(row.rank), FormatEngineering(row.value, digits),
                                 FormatPercent(row.deviation), std::to_string(row.parts)};
  if (withRange) {
    // The two ends of a spread need no more than the value's first digits.
    cells.push_back(FormatEngineering(row.low, 3));
    cells.push_back(FormatEngineering(row.high, 3));
    cells.push_back(row.coversTarget ? "yes" : "no");
  }
  cells.push_back(row.network);
  return cells;
}

// The row for tsv, csv and json: numbers in full.
std::vector<Cell> FormattedCells(const FindRow& row, bool withRange) {
  std::vector<Cell> cells{NumberCell(row.rank), NumberCell(row.value), NumberCell(row.deviation),
                          NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (withRange) {
    cells.push_back(NumberCell(row.low));
    cells.push_back(NumberCell(row.high));
    cells.push_back(BoolCell(row.coversTarget));
  }
  cells.push_back(TextCell(row.network));
  return cells;
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
  const FindRequest request = ParseFind(args);
  const double target = request.search.target;
  if (!(target > 0) || !std::isfinite(target)) {
    err << "vantrel-cli: the target must be a finite resistance above 0, not \""
        << request.targetText << "\"\n";
    return kExitFailure;
  }
  const std::optional<StockInput> input = LoadStock(services, request.excluded, err);
  if (!input) return kExitFailure;
  const std::vector<double>& stock = input->stock.values;
  if (stock.empty()) {
    err << "vantrel-cli: the library holds no value to build networks from\n";
    return kExitFailure;
  }

  const auto toRow = [&](std::uint64_t rank, const NetworkRow& found) {
    FindRow row;
    row.rank = rank;
    row.value = found.value;
    row.deviation = found.deviation;
    row.parts = networks::PartCount(found.network.shape);
    row.network = networks::Spell(found.network, input->names);
    if (request.partTolerance) {
      const double t = *request.partTolerance / 100;
      row.low = networks::NetworkValue(found.network, stock, 1 - t);
      row.high = networks::NetworkValue(found.network, stock, 1 + t);
      row.coversTarget = row.low <= target && target <= row.high;
    }
    return row;
  };

  const bool withRange = request.partTolerance.has_value();
  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  std::vector<std::string> columns{"rank", "value", "deviation", "parts"};
  if (withRange) columns.insert(columns.end(), {"low", "high", "covers_target"});
  columns.push_back("network");
  OutputHead head{{"command", TextCell("find")},
                  {"target", NumberCell(target)},
                  {"tolerance", NumberCell(request.search.tolerance)},
                  {"parts", NumberCell(static_cast<std::uint64_t>(request.search.maxParts))}};
  if (format == OutputFormat::kJson) {
    for (auto& field : LibraryHead(services.files)) head.push_back(std::move(field));
  }

  const RankedRows<NetworkRow> rows(
      [&](std::uint64_t limit, const RankedRows<NetworkRow>::Take& take) {
        networks::FindNetworks(stock, request.search, limit, take);
      },
      request.limit);
  if (rows.Empty()) {
    networks::FindOptions anyDeviation = request.search;
    anyDeviation.tolerance = std::numeric_limits<double>::infinity();
    std::optional<FindRow> closest;
    networks::FindNetworks(stock, anyDeviation, 1,
                           [&](const NetworkRow& row) { closest = toRow(1, row); });
    // Formatted output stays a table, empty; the note goes to the user.
    (format == OutputFormat::kText ? out : err)
        << "No network within " << PlainDigits(request.search.tolerance) << " % of "
        << PlainDigits(target) << "; the closest is "
        << FormatEngineering(closest->value, DigitsToTellApart(closest->value, target)) << " ("
        << FormatPercent(closest->deviation) << " %): " << closest->network << '\n';
    if (format != OutputFormat::kText) RowWriter(format, head, columns, out).Finish();
    return kExitOk;
  }
  const auto forEach = [&](const auto& take) {
    rows.ForEach([&](std::uint64_t rank, const NetworkRow& row) { take(toRow(rank, row)); });
  };
  if (format != OutputFormat::kText) {
    RowWriter writer(format, head, columns, out);
    forEach([&](const FindRow& row) { writer.Row(FormattedCells(row, withRange)); });
    writer.Finish();
    return kExitOk;
  }
  std::vector<std::string> header{"Rank", "Value", "Deviation (%)", "Parts"};
  if (withRange) header.insert(header.end(), {"Low", "High", "Covers target"});
  header.push_back("Network");
  WriteTable(
      forEach, [](const FindRow& row) { return row.value; }, target,
      [&](const FindRow& row, int digits) { return Cells(row, digits, withRange); },
      TextColumns(header), out);
  return kExitOk;
}

}  // namespace vantrel
