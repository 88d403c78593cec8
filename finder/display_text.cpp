#include "display_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "number_text.h"

namespace vantrel::finder {
namespace {

constexpr int kLeastDigits = 3;
// Past these the spellings add nothing: a double's digits, FormatFixed's decimals.
constexpr int kMostDigits = 17;
constexpr int kMostDecimals = 20;
// The digits a typed target shows at most, so that an exact hit reads as typed.
constexpr int kMostTargetDigits = 7;

bool Engineering(table::Quantity quantity) {
  return quantity != table::Quantity::kText && quantity != table::Quantity::kCount &&
         quantity != table::Quantity::kPercent && quantity != table::Quantity::kSize &&
         quantity != table::Quantity::kBand;
}

bool Percent(table::Quantity quantity) {
  return quantity == table::Quantity::kPercent || quantity == table::Quantity::kSize ||
         quantity == table::Quantity::kBand;
}

// A signed percentage with decimals in fixed point, "0" for none, and "< 0.001" for one that
// the decimals would show as nothing.
std::string FixedPercent(double percent, int decimals) {
  if (percent == 0) return "0";
  const std::string fixed = FormatFixed(std::fabs(percent), decimals);
  if (fixed.find_first_not_of("0.") == std::string::npos) {
    return "< " + FormatFixed(std::pow(10.0, -decimals), decimals);
  }
  return (percent > 0 ? "+" : "-") + fixed;
}

// A signed percentage with significant digits, as the command line has always written it:
// "+0.122", "-1.5e-07", "0".
std::string GeneralPercent(double percent, int digits) {
  if (percent == 0) return "0";
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, percent, std::chars_format::general, digits);
  return std::string(percent > 0 ? "+" : "").append(buffer, result.ptr);
}

// The most decimals a column's shared prefix may take, past which its values span too many
// decades for one prefix, and the prefixes there are.
constexpr int kMostSharedDecimals = 6;
constexpr int kLeastExponent = -15;
constexpr int kMostExponent = 12;

std::string_view PrefixOf(int exponent) {
  constexpr std::string_view kPrefixes[] = {"f", "p", "n", "\u00b5", "m", "", "k", "M", "G", "T"};
  return kPrefixes[(exponent - kLeastExponent) / 3];
}

// value in units of 10^exponent, the exact power of ten multiplied or divided so as to round once.
double Scaled(double value, int exponent) {
  return exponent >= 0 ? value / std::pow(10.0, exponent) : value * std::pow(10.0, -exponent);
}

// The decimals with which least shows digits significant digits.
int SharedDecimals(double least, int digits) {
  return std::max(0, digits - 1 - static_cast<int>(std::floor(std::log10(least))));
}

}  // namespace

std::string_view UnitOf(table::Quantity quantity) {
  switch (quantity) {
    case table::Quantity::kOhm:
      return "\u03a9";
    case table::Quantity::kFarad:
      return "F";
    case table::Quantity::kHenry:
      return "H";
    case table::Quantity::kVolt:
      return "V";
    case table::Quantity::kAmpere:
      return "A";
    case table::Quantity::kWatt:
      return "W";
    case table::Quantity::kSecond:
      return "s";
    case table::Quantity::kHertz:
      return "Hz";
    default:
      return {};
  }
}

namespace {

// Engineering text of value with its unit after a space, the SI prefix moved to the unit ("4.7k"
// and "Ω" to "4.7 kΩ"). Text in exponent form, and inf and nan, have no prefix.
std::string WithUnit(std::string text, double value, std::string_view unit) {
  std::string prefix;
  if (std::isfinite(value) && !text.empty() &&
      std::isalpha(static_cast<unsigned char>(text.back())) &&
      text.find('e') == std::string::npos) {
    prefix = text.back() == 'u' ? "\u00b5" : std::string(1, text.back());
    text.pop_back();
  }
  return text + " " + prefix + std::string(unit);
}

}  // namespace

std::string ShownQuantity(double value, int digits, std::string_view unit) {
  return WithUnit(FormatEngineering(value, digits), value, unit);
}

std::string ShortEngineering(double value) {
  std::string text = FormatEngineering(value, std::max(kLeastDigits, ShortestDigits(value)));
  // "4.70k" to "4.7k", "1.00M" to "1M": the trailing zeros of a fraction say nothing here.
  const std::size_t point = text.find('.');
  if (point == std::string::npos || text.find('e') != std::string::npos) return text;
  const std::size_t digitsEnd = text.find_first_not_of("0123456789", point + 1);
  const std::size_t end = digitsEnd == std::string::npos ? text.size() : digitsEnd;
  std::size_t keep = end;
  while (keep > point + 1 && text[keep - 1] == '0') --keep;
  if (keep == point + 1) keep = point;
  return text.erase(keep, end - keep);
}

std::string ShownValue(table::Quantity quantity, double value) {
  std::string text = ShortEngineering(value);
  const std::string_view unit = UnitOf(quantity);
  if (unit.empty()) return text;
  return WithUnit(std::move(text), value, unit);
}

ColumnSpeller::ColumnSpeller(Spelling spelling, double target)
    : m_spelling(spelling), m_target(target) {}

void ColumnSpeller::See(const std::vector<table::ShownCell>& row) {
  m_columns.resize(row.size());
  for (std::size_t i = 0; i < row.size(); ++i) {
    ColumnChoice& column = m_columns[i];
    const table::ShownCell& cell = row[i];
    column.settled = false;
    // A column may hold text among its numbers ("none"), which takes no part in its digits.
    if (cell.quantity == table::Quantity::kText || cell.quantity == table::Quantity::kCount)
      continue;
    column.quantity = cell.quantity;
    column.key = column.key || cell.key;
    if (cell.key && column.values.empty()) column.values.push_back(m_target);
    column.values.push_back(cell.value);
    if (cell.quantity == table::Quantity::kBand) column.highs.push_back(cell.high);
  }
}

namespace {

// Each run of values within kSameValue of its least, as that least, in order.
std::vector<double> Firsts(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::vector<double> firsts;
  for (const double value : values) {
    if (firsts.empty() || value - firsts.back() > kSameValue * std::fabs(value)) {
      firsts.push_back(value);
    }
  }
  return firsts;
}

// The least of the run of values that value is in, from firsts, else value itself.
double FirstOf(const std::vector<double>& firsts, double value) {
  const auto after = std::upper_bound(firsts.begin(), firsts.end(), value);
  if (after == firsts.begin()) return value;
  const double first = *(after - 1);
  return value - first <= kSameValue * std::fabs(value) ? first : value;
}

}  // namespace

void ColumnSpeller::Settle(ColumnChoice& column) const {
  if (column.settled) return;
  column.settled = true;
  const table::Quantity quantity = column.quantity;
  if (quantity == table::Quantity::kText) return;
  const bool fixed = m_spelling == Spelling::kUnits && Percent(quantity);
  int least = kLeastDigits;
  if (quantity == table::Quantity::kBand) least = 2;
  if (column.key && Engineering(quantity)) {
    least = std::clamp(ShortestDigits(m_target), kLeastDigits, kMostTargetDigits);
  }
  column.precision = std::max(column.precision, least);
  column.firsts = Firsts(column.values);
  column.highFirsts = Firsts(column.highs);
  const int most = fixed ? kMostDecimals : kMostDigits;
  if (m_spelling == Spelling::kUnits && Engineering(quantity) && !UnitOf(quantity).empty()) {
    double largest = 0;
    double smallest = std::numeric_limits<double>::infinity();
    for (const double value : column.values) {
      if (!std::isfinite(value) || value == 0) continue;
      largest = std::max(largest, std::fabs(value));
      smallest = std::min(smallest, std::fabs(value));
    }
    if (largest > 0) {
      const int exponent = 3 * static_cast<int>(std::floor(std::floor(std::log10(largest)) / 3));
      column.exponent = exponent;
      column.least = Scaled(smallest, exponent);
      column.shared = exponent >= kLeastExponent && exponent <= kMostExponent &&
                      SharedDecimals(column.least, column.precision) <= kMostSharedDecimals;
    }
  }
  table::ShownCell probe = table::ShownNumber(quantity, 0);
  const auto alike = [&](const std::vector<double>& values, bool high) {
    std::vector<std::string> spelled;
    for (const double value : values) {
      (high ? probe.high : probe.value) = value;
      std::string text = SpellCell(column, probe);
      // A band's other end is left out of the comparison: only this end's spellings count.
      if (quantity == table::Quantity::kBand) {
        const std::size_t cut = text.find(" \u2026 ");
        text = high ? text.substr(cut) : text.substr(0, cut);
      }
      spelled.push_back(std::move(text));
    }
    std::sort(spelled.begin(), spelled.end());
    return std::adjacent_find(spelled.begin(), spelled.end()) != spelled.end();
  };
  while (column.precision < most && (alike(column.firsts, false) || alike(column.highFirsts, true)))
    ++column.precision;
}

std::string ColumnSpeller::SpellCell(const ColumnChoice& column,
                                     const table::ShownCell& cell) const {
  if (cell.quantity == table::Quantity::kText) return cell.text;
  if (cell.quantity == table::Quantity::kCount) return FormatFixed(cell.value, 0);
  return SpellNumber(column, cell) + cell.text;
}

std::string ColumnSpeller::SpellNumber(const ColumnChoice& column,
                                       const table::ShownCell& cell) const {
  const int precision = std::max(column.precision, 1);
  const double value = column.settled ? FirstOf(column.firsts, cell.value) : cell.value;
  switch (cell.quantity) {
    case table::Quantity::kPercent:
      return m_spelling == Spelling::kUnits ? FixedPercent(value, precision)
                                            : GeneralPercent(value, precision);
    case table::Quantity::kSize: {
      // A worst case is a size: its sign would say nothing.
      std::string text = m_spelling == Spelling::kUnits ? FixedPercent(value, precision)
                                                        : GeneralPercent(value, precision);
      if (!text.empty() && text.front() == '+') text.erase(0, 1);
      return text;
    }
    case table::Quantity::kBand: {
      const double high = column.settled ? FirstOf(column.highFirsts, cell.high) : cell.high;
      return FixedPercent(value, precision) + " \u2026 " + FixedPercent(high, precision) + " %";
    }
    case table::Quantity::kPlain:
      return FormatEngineering(value, precision);
    default:
      break;
  }
  if (m_spelling == Spelling::kUnits && column.shared) {
    return FormatFixed(Scaled(value, column.exponent), SharedDecimals(column.least, precision)) +
           " " + std::string(PrefixOf(column.exponent)) + std::string(UnitOf(cell.quantity));
  }
  if (m_spelling == Spelling::kUnits) return ShownQuantity(value, precision, UnitOf(cell.quantity));
  std::string text = FormatEngineering(value, precision);
  // A capacitance or an inductance of a whole farad or henry or more says its unit, as the
  // stock's notation does.
  const bool part =
      cell.quantity == table::Quantity::kFarad || cell.quantity == table::Quantity::kHenry;
  if (part && !text.empty() && std::isdigit(static_cast<unsigned char>(text.back()))) {
    text += UnitOf(cell.quantity);
  }
  return text;
}

std::vector<std::string> ColumnSpeller::Spell(const std::vector<table::ShownCell>& row) {
  m_columns.resize(row.size());
  std::vector<std::string> cells;
  for (std::size_t i = 0; i < row.size(); ++i) {
    Settle(m_columns[i]);
    cells.push_back(SpellCell(m_columns[i], row[i]));
  }
  return cells;
}

void ColumnSpeller::Follow(const std::vector<table::ShownCell>& row) {
  m_columns.resize(row.size());
  for (std::size_t i = 0; i < row.size(); ++i) {
    ColumnChoice& column = m_columns[i];
    if (!m_previous) {
      // Settled from what was seen, then the values let go.
      Settle(column);
      column.values = {};
      column.highs = {};
      column.firsts = {};
      column.highFirsts = {};
      continue;
    }
    const table::ShownCell& before = (*m_previous)[i];
    if (!row[i].key) continue;
    const bool same =
        std::fabs(row[i].value - before.value) <= kSameValue * std::fabs(row[i].value);
    while (!same && column.precision < kMostDigits &&
           SpellCell(column, row[i]) == SpellCell(column, before)) {
      ++column.precision;
    }
  }
  m_previous = row;
}

std::vector<table::Column> WindowColumns(const std::vector<table::Column>& columns, bool within) {
  std::vector<table::Column> shown;
  for (const table::Column& column : columns) {
    if (column.name == "low") {
      shown.push_back({"Band", "band"});
    } else if (column.name == "rss_low") {
      shown.push_back({"RSS band", "rss_band"});
    } else if (column.name != "high" && column.name != "rss_high" &&
               (within || column.name != "in_spec")) {
      shown.push_back(column);
    }
  }
  return shown;
}

std::vector<table::ShownCell> WindowCells(const std::vector<table::Column>& columns,
                                          const std::vector<table::ShownCell>& cells, double target,
                                          bool within) {
  std::vector<table::ShownCell> shown;
  double low = 0;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string_view name = columns[i].name;
    if (name == "low" || name == "rss_low") {
      low = cells[i].value;
    } else if ((name == "high" || name == "rss_high") &&
               cells[i].quantity == table::Quantity::kText) {
      shown.push_back(cells[i]);  // a row whose band is not known
    } else if (name == "high" || name == "rss_high") {
      // As percentages of the target, the lower end first whatever the target's sign.
      const double a = (low - target) / std::fabs(target) * 100;
      const double b = (cells[i].value - target) / std::fabs(target) * 100;
      shown.push_back({table::Quantity::kBand, std::min(a, b), std::max(a, b), {}, false});
    } else if (within || name != "in_spec") {
      shown.push_back(cells[i]);
    }
  }
  return shown;
}

}  // namespace vantrel::finder
