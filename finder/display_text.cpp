#include "display_text.h"

#include <algorithm>
#include <cmath>

#include "number_text.h"
#include "rows.h"

namespace vantrel::finder {
namespace {

bool Same(double a, double b) {
  return std::fabs(a - b) <= kSameValue * std::fabs(b);
}

}  // namespace

std::vector<int> ShownKeyDigits(const std::vector<double>& keys, double target) {
  const int targetDigits = std::clamp(ShortestDigits(target), 3, kMostShownDigits);
  std::vector<int> digits;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const double key = keys[i];
    if (Same(key, target)) {
      digits.push_back(targetDigits);
      continue;
    }
    std::vector<double> others{target};
    // i - 1 wraps past the end for the first key.
    for (const std::size_t j : {i - 1, i + 1}) {
      if (j < keys.size() && !Same(keys[j], key)) others.push_back(keys[j]);
    }
    // Counted up from the least rather than taken from DigitsToTellApart: rounding a tie can
    // tell two values apart at 4 digits and not at 5 (1234.5 and 1234.5000019).
    int shown = targetDigits;
    const auto alike = [&](double other) {
      return FormatEngineering(key, shown) == FormatEngineering(other, shown);
    };
    while (shown < kMostShownDigits && std::any_of(others.begin(), others.end(), alike)) ++shown;
    digits.push_back(shown);
  }
  return digits;
}

std::string ShownPercent(double percent) {
  if (percent == 0) return "0";
  const std::string fixed = FormatFixed(std::fabs(percent), 3);
  if (fixed == "0.000") return "< 0.001";
  return (percent > 0 ? "+" : "-") + fixed;
}

std::string ShownQuantity(double value, int digits, std::string_view unit) {
  std::string text = FormatEngineering(value, digits);
  std::string prefix;
  if (!text.empty() && std::isalpha(static_cast<unsigned char>(text.back())) &&
      text.find('e') == std::string::npos) {
    prefix = text.back() == 'u' ? "\u00b5" : std::string(1, text.back());
    text.pop_back();
  }
  return text + " " + prefix + std::string(unit);
}

// The text table's cells, with the deviation and the current written for reading.
std::vector<std::string> ShownCells(const FindRow& row, int digits, const FindRequest& request) {
  std::vector<std::string> cells = FindTextCells(row, digits, request);
  cells[2] = ShownPercent(row.deviation);
  return cells;
}

namespace {

// A two-leg design's text cells with the error, the current and the power restated, found by
// their columns' names: the worst case's columns, when asked for, come between them.
template <class Row>
std::vector<std::string> Restated(std::vector<std::string> cells,
                                  const std::vector<Column>& columns, const Row& row) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == "error") cells[i] = ShownPercent(row.error);
    if (columns[i].name == "current") cells[i] = ShownQuantity(row.current, 3, "A");
    if (columns[i].name == "power") cells[i] = ShownQuantity(row.power, 3, "W");
  }
  return cells;
}

}  // namespace

std::vector<std::string> ShownCells(const DividerRow& row, int digits,
                                    const DividerRequest& request) {
  return Restated(DividerTextCells(row, digits, request), DividerColumns(request), row);
}

std::vector<std::string> ShownCells(const DesignRow& row, int digits,
                                    const RegulatorRequest& request) {
  return Restated(RegulatorTextCells(row, digits, request), RegulatorColumns(request), row);
}

std::vector<std::string> ShownCells(const DesignRow& row, int digits, const GainRequest& request) {
  return Restated(GainTextCells(row, digits, request), GainColumns(request), row);
}

std::vector<std::string> ShownCells(const RcRow& row, int digits, const RcRequest& request) {
  std::vector<std::string> cells = RcTextCells(row, digits, request);
  const std::vector<Column> columns = RcColumns(request);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == "error") cells[i] = ShownPercent(row.error);
    // Beside a corner, "tau" is the extra column; a time constant is the key, left as it is.
    if (columns[i].name == "tau" && request.search.quantity == networks::RcQuantity::kCorner) {
      cells[i] = ShownQuantity(row.tau, 4, "s");
    }
  }
  return cells;
}

}  // namespace vantrel::finder
