#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "plain_networks.h"
#include "stock.h"
#include "two_leg_search.h"

namespace vantrel::networks {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

struct Line {
  std::string a, b;
  std::uint64_t output, error, total;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& row) {
  return out << row.a << " / " << row.b << ": " << std::bit_cast<double>(row.output) << " ("
             << std::bit_cast<double>(row.error) << " %), total "
             << std::bit_cast<double>(row.total);
}

// Small whole numbers and E96 decimals, so that many pairs meet a decimal target exactly, and
// now and then a value of 17 digits, too long for the exact settling.
std::vector<double> RandomStock(std::mt19937_64& rng, int size) {
  const double e96[] = {1, 1.05, 1.13, 1.21, 1.3, 1.4, 1.5, 1.62, 1.74, 1.87, 2, 2.1, 2.26, 4.99};
  const double decades[] = {1, 10, 100, 1000, 0.1};
  std::vector<double> values;
  for (int i = 0; i < size; ++i) {
    switch (rng() % 5) {
      case 0:
        values.push_back(std::uniform_real_distribution<double>(0.5, 2000.0)(rng));
        break;
      case 1:
      case 2:
        values.push_back(static_cast<double>(1 + rng() % 12));
        break;
      default:
        values.push_back(std::stod(std::to_string(e96[rng() % 14] * decades[rng() % 5])));
        break;
    }
  }
  return MakeStock(values, {}).values;
}

std::vector<std::string> Names(std::span<const double> stock) {
  std::vector<std::string> names;
  for (double v : stock) names.push_back(std::to_string(v));
  return names;
}

// Every formula's search lists exactly the rows of the plain enumeration of all leg pairs, in
// the same order and to the bit, over random stocks, targets, tolerances, bounds, row limits
// and pass sizes; targets are often outputs of a pair, so exact ties are common.
TEST(TwoLegSearch, EqualsPlainEnumerationForEveryFormula) {
  std::mt19937_64 rng(71);
  const double tolerances[] = {0, 0.5, 2, 20, kInf};
  const std::uint64_t limits[] = {1, 5, 20, kAll};
  const std::size_t passes[] = {1, 7, std::size_t{1} << 18};
  for (int round = 0; round < 1200; ++round) {
    TwoLegFormula formula;
    switch (round % 5) {
      case 0:
        formula = DividerFormula(round % 10 == 0 ? -12 : 5);
        break;
      case 1:
        formula = RegulatorFormula(1.25, 0);
        break;
      case 2:
        formula = RegulatorFormula(0.8, rng() % 2 ? 50e-6 : 0.01);
        break;
      case 3:
        formula = GainFormula();
        break;
      default:
        formula = InvertingGainFormula();
        break;
    }
    TwoLegOptions options;
    options.legParts = 1 + round / 5 % 2;
    options.distinct = round / 10 % 2 == 1;
    options.tolerance = tolerances[rng() % 5];
    options.rowsPerPass = passes[rng() % 3] * (options.tolerance > 2 ? 20 : 1);
    options.threads = 1 + static_cast<int>(rng() % 2);
    const std::uint64_t limit = limits[rng() % 4];
    const std::vector<double> stock =
        RandomStock(rng, 1 + static_cast<int>(rng() % (options.legParts == 1 ? 30 : 9)));
    const auto pick = [&] { return stock[rng() % stock.size()]; };
    const double output = formula.output(formula.k, pick(), pick());
    options.target = rng() % 2 ? std::stod(std::to_string(output))
                               : output * std::uniform_real_distribution<double>(0.9, 1.1)(rng);
    if (rng() % 4 == 0) options.minTotal = pick() + pick();
    if (rng() % 4 == 0) options.maxTotal = pick() + pick();
    if (rng() % 4 == 0) options.minA = pick();
    if (rng() % 4 == 0) options.maxA = pick() + pick();
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", target " << options.target << ", stock size "
                 << stock.size() << ", leg parts " << options.legParts << ", tolerance "
                 << options.tolerance << ", limit " << limit << ", distinct " << options.distinct);
    const std::vector<std::string> names = Names(stock);
    std::vector<Line> fast;
    FindTwoLegs(stock, formula, options, limit, [&](const TwoLegRow& row) {
      fast.push_back(
          {Spell(row.a, names), Spell(row.b, names), std::bit_cast<std::uint64_t>(row.output),
           std::bit_cast<std::uint64_t>(row.error), std::bit_cast<std::uint64_t>(row.total)});
    });
    std::vector<Line> plain;
    for (const auto& row : testing::PlainFindTwoLegs(stock, names, formula, options)) {
      if (plain.size() == limit) break;
      plain.push_back({row.a, row.b, std::bit_cast<std::uint64_t>(row.output),
                       std::bit_cast<std::uint64_t>(row.error),
                       std::bit_cast<std::uint64_t>(row.total)});
    }
    const auto [f, p] = std::mismatch(fast.begin(), fast.end(), plain.begin(), plain.end());
    ASSERT_TRUE(f == fast.end() && p == plain.end())
        << "row " << (f - fast.begin()) << " of " << fast.size() << " / " << plain.size()
        << ": fast " << (f == fast.end() ? std::string("none") : ::testing::PrintToString(*f))
        << ", plain " << (p == plain.end() ? std::string("none") : ::testing::PrintToString(*p));
  }
}

}  // namespace
}  // namespace vantrel::networks
