#include "rows.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "number_text.h"

namespace vantrel::finder {

FindRow MakeFindRow(std::uint64_t rank, const networks::NetworkRow& found, const LoadedStock& stock,
                    const FindRequest& request) {
  FindRow row;
  row.rank = rank;
  row.value = found.value;
  row.deviation = found.deviation;
  row.parts = networks::PartCount(found.network.shape);
  row.network = networks::Spell(found.network, stock.names);
  if (request.partTolerance) {
    const double t = *request.partTolerance / 100;
    const double target = request.search.target;
    row.low = networks::NetworkValue(found.network, stock.stock.values, 1 - t);
    row.high = networks::NetworkValue(found.network, stock.stock.values, 1 + t);
    row.coversTarget = row.low <= target && target <= row.high;
  }
  return row;
}

DividerRow MakeDividerRow(std::uint64_t rank, const networks::DividerRow& found,
                          const LoadedStock& stock, const DividerRequest& request) {
  return {rank,
          networks::Spell(found.top, stock.names),
          networks::Spell(found.bottom, stock.names),
          found.vout,
          found.error,
          found.total,
          request.search.vin / found.total};
}

std::vector<Column> FindColumns(const FindRequest& request) {
  std::vector<Column> columns{
      {"Rank", "rank"}, {"Value", "value"}, {"Deviation (%)", "deviation"}, {"Parts", "parts"}};
  if (request.partTolerance) {
    columns.insert(columns.end(),
                   {{"Low", "low"}, {"High", "high"}, {"Covers target", "covers_target"}});
  }
  columns.push_back({"Network", "network", true});
  return columns;
}

std::vector<Column> DividerColumns() {
  return {{"Rank", "rank"},       {"R1", "r1", true},   {"R2", "r2", true},    {"VOUT", "vout"},
          {"Error (%)", "error"}, {"R1 + R2", "total"}, {"Current", "current"}};
}

std::vector<std::string> ColumnNames(const std::vector<Column>& columns) {
  std::vector<std::string> names;
  for (const Column& column : columns) names.emplace_back(column.name);
  return names;
}

std::vector<std::string> FindTextCells(const FindRow& row, int digits, const FindRequest& request) {
  std::vector<std::string> cells{std::to_string(row.rank), FormatEngineering(row.value, digits),
                                 FormatPercent(row.deviation), std::to_string(row.parts)};
  if (request.partTolerance) {
    // The two ends of a spread need no more than the value's first digits.
    cells.push_back(FormatEngineering(row.low, 3));
    cells.push_back(FormatEngineering(row.high, 3));
    cells.push_back(row.coversTarget ? "yes" : "no");
  }
  cells.push_back(row.network);
  return cells;
}

std::vector<std::string> DividerTextCells(const DividerRow& row, int digits) {
  return {std::to_string(row.rank),
          row.r1,
          row.r2,
          FormatEngineering(row.vout, digits),
          FormatPercent(row.error),
          FormatEngineering(row.total, 3),
          FormatEngineering(row.current, 3)};
}

std::vector<Cell> FindFields(const FindRow& row, const FindRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), NumberCell(row.value), NumberCell(row.deviation),
                          NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (request.partTolerance) {
    cells.push_back(NumberCell(row.low));
    cells.push_back(NumberCell(row.high));
    cells.push_back(BoolCell(row.coversTarget));
  }
  cells.push_back(TextCell(row.network));
  return cells;
}

std::vector<Cell> DividerFields(const DividerRow& row) {
  return {NumberCell(row.rank),   TextCell(row.r1),      TextCell(row.r2),
          NumberCell(row.vout),   NumberCell(row.error), NumberCell(row.total),
          NumberCell(row.current)};
}

KeyDigits::KeyDigits(double target)
    : m_target(target), m_digits(std::clamp(ShortestDigits(target), 3, 7)) {}

void KeyDigits::See(double value) {
  for (double other : {m_previous.value_or(value), m_target}) {
    // Values this close are one decimal value summed in another order ((0.1 + 0.2) + 0.3 and
    // 0.3 + 0.3): telling them apart would only print the rounding of doubles.
    if (std::fabs(other - value) > kSameValue * std::fabs(value)) {
      m_digits = std::max(m_digits, DigitsToTellApart(other, value));
    }
  }
  m_previous = value;
}

std::string NoFindRowNote(const LoadedStock& stock, const FindRequest& request) {
  networks::FindOptions anyDeviation = request.search;
  anyDeviation.tolerance = std::numeric_limits<double>::infinity();
  std::optional<FindRow> closest;
  networks::FindNetworks(stock.stock.values, anyDeviation, 1, [&](const networks::NetworkRow& row) {
    closest = MakeFindRow(1, row, stock, request);
  });
  if (!closest) return "No network can be made from the library's values";
  const double target = request.search.target;
  return "No network within " + PlainDigits(request.search.tolerance) + " % of " +
         PlainDigits(target) + "; the closest is " +
         FormatEngineering(closest->value, DigitsToTellApart(closest->value, target)) + " (" +
         FormatPercent(closest->deviation) + " %): " + closest->network;
}

std::string NoDividerRowNote(const LoadedStock& stock, const DividerRequest& request) {
  networks::DividerOptions anyError = request.search;
  anyError.tolerance = std::numeric_limits<double>::infinity();
  std::optional<DividerRow> closest;
  networks::FindDividers(stock.stock.values, anyError, 1, [&](const networks::DividerRow& row) {
    closest = MakeDividerRow(1, row, stock, request);
  });
  const networks::DividerOptions& bounds = request.search;
  const bool totals = bounds.minTotal > 0 || !std::isinf(bounds.maxTotal);
  if (!closest && !totals) {
    return std::string("No divider can be made from the library's values") +
           (bounds.distinct ? " with each value used once" : "");
  }
  if (!closest) {
    return "No divider has a total " +
           (std::isinf(bounds.maxTotal) ? "of at least " + PlainDigits(bounds.minTotal)
            : bounds.minTotal == 0      ? "of at most " + PlainDigits(bounds.maxTotal)
                                        : "between " + PlainDigits(bounds.minTotal) + " and " +
                                         PlainDigits(bounds.maxTotal));
  }
  return "No divider within " + PlainDigits(bounds.tolerance) + " % of " +
         PlainDigits(bounds.vout) + "; the closest is R1 = " + closest->r1 +
         ", R2 = " + closest->r2 + ": " +
         FormatEngineering(closest->vout, DigitsToTellApart(closest->vout, bounds.vout)) + " (" +
         FormatPercent(closest->error) + " %)";
}

}  // namespace vantrel::finder
