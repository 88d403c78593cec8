#include "divider_command.h"

#include <cmath>
#include <limits>
#include <optional>

#include "cli_app.h"
#include "command_args.h"
#include "command_line.h"
#include "divider_search.h"
#include "output_table.h"
#include "ranked_rows.h"
#include "resistor_notation.h"
#include "stock_input.h"
#include "text_columns.h"

namespace vantrel {
namespace {

using networks::DividerRow;

struct DividerRequest {
  std::vector<std::string> voltages;
  networks::DividerOptions search;
  std::uint64_t limit = 0;
  std::vector<double> excluded;
};

DividerRequest ParseDivider(const ParsedArgs& args) {
  DividerRequest request;
  request.voltages = args.operands;
  for (const auto& [name, value] : args.options) {
    if (name == "--parts") {
      const std::uint64_t parts = ParseCountArgument(value, name);
      if (parts > 2) throw ArgumentError{"--parts of a divider leg is at most 2"};
      request.search.legParts = static_cast<int>(parts);
    } else if (name == "--tolerance") {
      request.search.tolerance = ParsePercentArgument(value, name);
    } else if (name == "--min-total") {
      request.search.minTotal = ParseResistanceArgument(value, name);
    } else if (name == "--max-total") {
      request.search.maxTotal = ParseResistanceArgument(value, name);
    } else if (name == "--exclude") {
      request.excluded.push_back(ParseResistanceArgument(value, name));
    } else if (name == "--distinct") {
      request.search.distinct = true;
    }
  }
  request.limit = ListLimit(args);
  request.search.vin = ParseResistanceArgument(request.voltages[0], "VIN");
  request.search.vout = ParseResistanceArgument(request.voltages[1], "VOUT");
  return request;
}

std::vector<std::string> Cells(const DividerTextRow& row, int digits) {
  return {std::to_string(row.rank),
          row.r1,
          row.r2,
          FormatEngineering(row.vout, digits),
          FormatPercent(row.error),
          FormatEngineering(row.total, 3),
          FormatEngineering(row.current, 3)};
}

}  // namespace

CommandSpec DividerCommandSpec() {
  return {"divider",
          "List resistor pairs that divide VIN down to VOUT.",
          "Lists pairs R1 (top) and R2 (bottom) of library values, or of legs of up to N\n"
          "values, that divide VIN to within P percent of VOUT, closest first, the K best\n"
          "(default 20) or all of them.\n",
          {{"VIN"}, {"VOUT"}},
          {{"--parts", "N", "Legs of up to N values, N at most 2 (default 1)."},
           {"--tolerance", "P", "Keep dividers within P percent (default 1)."},
           {"--top", "K", "List the K best (default 20)."},
           {"--all", "", "List all dividers within P percent."},
           {"--min-total", "R", "Keep dividers whose R1 + R2 is at least R."},
           {"--max-total", "R", "Keep dividers whose R1 + R2 is at most R."},
           {"--exclude", "V", "Leave library value V out; may be repeated."},
           {"--distinct", "", "Use each library value at most once per divider."},
           FormatOption()}};
}

int RunDivider(const ParsedArgs& args, CliContext& context) {
  Services& services = context.services;
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  const DividerRequest request = ParseDivider(args);
  const double vin = request.search.vin;
  const double vout = request.search.vout;
  const double ratio = vout / vin;
  if (!std::isfinite(vin) || !std::isfinite(vout) || !(ratio > 0 && ratio < 1)) {
    err << "vantrel-cli: VOUT must lie strictly between 0 and VIN, not \"" << request.voltages[1]
        << "\" from \"" << request.voltages[0] << "\"\n";
    return kExitFailure;
  }
  const std::optional<StockInput> input = LoadStock(services, request.excluded, err);
  if (!input) return kExitFailure;
  const std::vector<double>& stock = input->stock.values;
  if (stock.empty()) {
    err << "vantrel-cli: the library holds no value to build dividers from\n";
    return kExitFailure;
  }

  const auto toRow = [&](std::uint64_t rank, const DividerRow& found) {
    return DividerTextRow{rank,
                          networks::Spell(found.top, input->names),
                          networks::Spell(found.bottom, input->names),
                          found.vout,
                          found.error,
                          found.total,
                          vin / found.total};
  };
  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  const std::vector<std::string> columns{"rank", "r1", "r2", "vout", "error", "total", "current"};
  OutputHead head{{"command", TextCell("divider")},
                  {"vin", NumberCell(vin)},
                  {"vout", NumberCell(vout)},
                  {"tolerance", NumberCell(request.search.tolerance)},
                  {"parts", NumberCell(static_cast<std::uint64_t>(request.search.legParts))}};
  if (format == OutputFormat::kJson) {
    for (auto& field : LibraryHead(services.files)) head.push_back(std::move(field));
  }
  // Formatted output stays a table, empty when nothing qualifies; the note goes to the user.
  std::ostream& note = format == OutputFormat::kText ? out : err;

  const RankedRows<DividerRow> rows(
      [&](std::uint64_t limit, const RankedRows<DividerRow>::Take& take) {
        networks::FindDividers(stock, request.search, limit, take);
      },
      request.limit);
  if (rows.Empty()) {
    networks::DividerOptions anyError = request.search;
    anyError.tolerance = std::numeric_limits<double>::infinity();
    std::optional<DividerTextRow> closest;
    networks::FindDividers(stock, anyError, 1,
                           [&](const DividerRow& row) { closest = toRow(1, row); });
    if (format != OutputFormat::kText) RowWriter(format, head, columns, out).Finish();
    if (!closest) {
      const networks::DividerOptions& bounds = request.search;
      note << "No divider has a total "
           << (std::isinf(bounds.maxTotal) ? "of at least " + PlainDigits(bounds.minTotal)
               : bounds.minTotal == 0      ? "of at most " + PlainDigits(bounds.maxTotal)
                                           : "between " + PlainDigits(bounds.minTotal) + " and " +
                                            PlainDigits(bounds.maxTotal))
           << '\n';
      return kExitOk;
    }
    note << "No divider within " << PlainDigits(request.search.tolerance) << " % of "
         << PlainDigits(vout) << "; the closest is R1 = " << closest->r1 << ", R2 = " << closest->r2
         << ": " << FormatEngineering(closest->vout, DigitsToTellApart(closest->vout, vout)) << " ("
         << FormatPercent(closest->error) << " %)\n";
    return kExitOk;
  }
  const auto forEach = [&](const auto& take) {
    rows.ForEach([&](std::uint64_t rank, const DividerRow& row) { take(toRow(rank, row)); });
  };
  if (format != OutputFormat::kText) {
    RowWriter writer(format, head, columns, out);
    forEach([&](const DividerTextRow& row) {
      writer.Row({NumberCell(row.rank), TextCell(row.r1), TextCell(row.r2), NumberCell(row.vout),
                  NumberCell(row.error), NumberCell(row.total), NumberCell(row.current)});
    });
    writer.Finish();
    return kExitOk;
  }
  WriteTable(
      forEach, [](const DividerTextRow& row) { return row.vout; }, vout, Cells,
      TextColumns({"Rank", "R1", "R2", "VOUT", "Error (%)", "R1 + R2", "Current"}, {1, 2}), out);
  return kExitOk;
}

}  // namespace vantrel
