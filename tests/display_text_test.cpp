#include "display_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "number_text.h"

namespace vantrel::finder {
namespace {

// The value a shown number stands for, read the plain way: mantissa, SI prefix, unit left off.
double ReadShown(std::string text) {
  const std::string micro = "\u00b5";
  // Erased and inserted, not replaced: GCC 12 at -O3 takes the replace for an overlapping copy.
  if (const auto at = text.find(micro); at != std::string::npos) {
    text.erase(at, micro.size());
    text.insert(at, 1, 'u');
  }
  std::size_t end = 0;
  const double mantissa = std::stod(text, &end);
  const std::string rest = text.substr(end);
  const std::string prefixes = "fpnum kMGTPE";
  const auto letter = rest.find_first_not_of(' ');
  if (letter == std::string::npos) return mantissa;
  const auto slot = prefixes.find(rest[letter]);
  if (slot == std::string::npos) return mantissa;  // a unit without a prefix
  return mantissa * std::pow(10.0, 3.0 * (static_cast<double>(slot) - 5));
}

// The significant digits of a shown number's mantissa: "3.30 V" has 3.
int SignificantDigits(const std::string& shown) {
  const std::string mantissa = shown.substr(0, shown.find_first_of(" e"));
  int digits = 0;
  bool leading = true;
  for (const char c : mantissa) {
    if (c < '0' || c > '9') continue;
    if (c != '0') leading = false;
    if (!leading) ++digits;
  }
  return digits;
}

// Whether two numbers stand for different values: more than kSameValue of their size apart.
bool Differ(double a, double b) {
  return std::fabs(a - b) > 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

// The two ends of a shown band, "-2.98 … +3.05 %".
std::pair<double, double> ReadBand(const std::string& text) {
  const std::string dots = " \u2026 ";
  const auto at = text.find(dots);
  const auto read = [](const std::string& end) {
    return end.rfind("< ", 0) == 0 ? 0.0 : std::stod(end);
  };
  return {read(text.substr(0, at)), read(text.substr(at + dots.size()))};
}

// Random lists whose columns hold near ties (one value summed in another order, 1e-13 apart),
// values a rounding or a part's step apart and exact repeats, spelled both ways. In every
// column, two values that differ are spelled differently, two that do not are spelled alike,
// and each spelling reads back within half its last digit; the key column tells each value from
// the target, which reads with at least its own digits.
TEST(DisplayTextTest, EachColumnSpellsOneValueOneWayAndTellsValuesApart) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(0, 1);
  const std::vector<table::Quantity> quantities = {
      table::Quantity::kVolt, table::Quantity::kOhm,    table::Quantity::kPercent,
      table::Quantity::kBand, table::Quantity::kAmpere, table::Quantity::kPlain};
  const auto near = [&](double base) {
    const double pick = unit(random);
    const double step = pick < 0.2   ? 0
                        : pick < 0.4 ? 1e-13
                        : pick < 0.5 ? 1e-11
                        : pick < 0.6 ? 1e-9
                        : pick < 0.8 ? 1e-4
                                     : 0.02;
    return base * (1 + step * std::floor(unit(random) * 5 - 2));
  };
  int told = 0;
  int alike = 0;
  for (int round = 0; round < 300; ++round) {
    const double target = std::vector<double>{4700, 1234.5, 3.3, 0.0022, 1e6, 3.14159}[round % 6];
    std::vector<std::vector<table::ShownCell>> rows;
    for (int i = 0; i < 1 + round % 15; ++i) {
      std::vector<table::ShownCell> row{
          table::ShownNumber(table::Quantity::kCount, i + 1), table::ShownText("4k7 + 10k"),
          table::ShownKey(table::Quantity::kVolt, i == 0 ? target : near(target))};
      for (const table::Quantity quantity : quantities) {
        const double base = quantity == table::Quantity::kPercent ? 0.083
                            : quantity == table::Quantity::kBand  ? -2.98
                                                                  : 362e-6;
        table::ShownCell cell = table::ShownNumber(quantity, near(round % 2 ? base : -base * 100));
        if (quantity == table::Quantity::kBand) cell.high = near(3.05);
        row.push_back(cell);
      }
      rows.push_back(row);
    }
    for (const Spelling spelling : {Spelling::kPlain, Spelling::kUnits}) {
      ColumnSpeller speller(spelling, target);
      for (const auto& row : rows) speller.See(row);
      std::vector<std::vector<std::string>> spelled;
      for (const auto& row : rows) spelled.push_back(speller.Spell(row));
      for (std::size_t column = 0; column < rows[0].size(); ++column) {
        const table::Quantity quantity = rows[0][column].quantity;
        // In the window a column of a quantity with a unit has one format: its prefix and unit,
        // and its count of decimals.
        if (spelling == Spelling::kUnits && !UnitOf(quantity).empty()) {
          const auto format = [](const std::string& text) {
            const auto space = text.find(' ');
            const auto point = text.find('.');
            const std::size_t decimals = point == std::string::npos ? 0 : space - point - 1;
            return text.substr(space) + "/" + std::to_string(decimals);
          };
          for (std::size_t i = 1; i < rows.size(); ++i) {
            EXPECT_EQ(format(spelled[i][column]), format(spelled[0][column]))
                << spelled[i][column] << " / " << spelled[0][column];
          }
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
          const table::ShownCell& cell = rows[i][column];
          const std::string& text = spelled[i][column];
          if (quantity == table::Quantity::kBand) {
            const auto [low, high] = ReadBand(text);
            EXPECT_NEAR(low, cell.value, 0.5e-2 * 1.0001) << text;
            EXPECT_NEAR(high, cell.high, 0.5e-2 * 1.0001) << text;
          } else if (quantity != table::Quantity::kText && !(text.rfind("< ", 0) == 0)) {
            const double half =
                quantity == table::Quantity::kCount ? 0
                : quantity == table::Quantity::kPercent && spelling == Spelling::kUnits
                    ? 0.5e-3
                    : 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(cell.value))) - 2);
            EXPECT_LE(std::fabs(ReadShown(text) - cell.value), half * 1.0001 + 1e-300) << text;
          }
          if (column == 2 && cell.value == target) {
            EXPECT_GE(SignificantDigits(text), std::max(3, ShortestDigits(target))) << text;
          }
          for (std::size_t j = 0; j < i; ++j) {
            const table::ShownCell& other = rows[j][column];
            const bool differ = Differ(cell.value, other.value) || Differ(cell.high, other.high) ||
                                cell.text != other.text;
            if (differ) {
              ++told;
              EXPECT_NE(text, spelled[j][column])
                  << std::setprecision(17) << cell.value << " " << other.value;
            } else {
              ++alike;
              EXPECT_EQ(text, spelled[j][column])
                  << std::setprecision(17) << cell.value << " " << other.value;
            }
          }
        }
      }
    }
  }
  EXPECT_GT(told, 10000);
  EXPECT_GT(alike, 1000);
}

// Values as a reader meets them in the window: a part's value, a sentence's, a band's.
TEST(DisplayTextTest, ValuesReadWithPrefixAndUnit) {
  EXPECT_EQ(ShortEngineering(270000), "270k");
  EXPECT_EQ(ShortEngineering(1e6), "1M");
  EXPECT_EQ(ShortEngineering(4700), "4.7k");
  EXPECT_EQ(ShortEngineering(3141.59), "3.14159k");
  EXPECT_EQ(ShortEngineering(15e-9), "15n");
  EXPECT_EQ(ShortEngineering(0.5), "500m");
  EXPECT_EQ(ShownValue(table::Quantity::kOhm, 75), "75 \u03a9");
  EXPECT_EQ(ShownValue(table::Quantity::kOhm, 1e6), "1 M\u03a9");
  EXPECT_EQ(ShownValue(table::Quantity::kFarad, 15e-9), "15 nF");
  EXPECT_EQ(ShownValue(table::Quantity::kSecond, 160e-6), "160 \u00b5s");
  EXPECT_EQ(ShownValue(table::Quantity::kHertz, 1000), "1 kHz");
  EXPECT_EQ(ShownQuantity(362e-6, 3, "A"), "362 \u00b5A");
  EXPECT_EQ(ShownQuantity(1e-18, 3, "A"), "1.00e-18 A");
  // A value out of every range, as a refusal may name one: no prefix read into "inf".
  constexpr double kInf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ShownValue(table::Quantity::kOhm, kInf), "inf \u03a9");
  EXPECT_EQ(ShownQuantity(-kInf, 3, "A"), "-inf A");
  EXPECT_EQ(ShownQuantity(std::numeric_limits<double>::quiet_NaN(), 3, "V"), "nan V");
  const std::vector<table::Column> columns = {
      {"VOUT", "vout"}, {"Low", "low"}, {"High", "high"}, {"In spec", "in_spec"}};
  const std::vector<table::ShownCell> cells = {table::ShownKey(table::Quantity::kVolt, 3.3),
                                               table::ShownNumber(table::Quantity::kVolt, 3.20166),
                                               table::ShownNumber(table::Quantity::kVolt, 3.40065),
                                               table::ShownText("no")};
  ASSERT_EQ(WindowColumns(columns, false).size(), 2u);
  ASSERT_EQ(WindowColumns(columns, true).size(), 3u);
  EXPECT_EQ(WindowColumns(columns, true)[2].name, "in_spec");
  ColumnSpeller speller(Spelling::kUnits, 3.3);
  const std::vector<table::ShownCell> shown = WindowCells(columns, cells, 3.3, false);
  speller.See(shown);
  EXPECT_EQ(speller.Spell(shown), (std::vector<std::string>{"3.30 V", "-2.98 \u2026 +3.05 %"}));
  // Corners either side of a prefix's step read in one prefix, with one count of decimals.
  ColumnSpeller corners(Spelling::kUnits, 1000);
  const std::vector<table::ShownCell> below{table::ShownKey(table::Quantity::kHertz, 996)};
  const std::vector<table::ShownCell> above{table::ShownKey(table::Quantity::kHertz, 1001)};
  corners.See(below);
  corners.See(above);
  EXPECT_EQ(corners.Spell(below), std::vector<std::string>{"0.996 kHz"});
  EXPECT_EQ(corners.Spell(above), std::vector<std::string>{"1.001 kHz"});
}

}  // namespace
}  // namespace vantrel::finder
