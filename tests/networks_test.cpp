#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "divider_search.h"
#include "exact_decimal.h"
#include "line_walk.h"
#include "network_search.h"
#include "pair_table.h"
#include "plain_networks.h"
#include "same_rows.h"
#include "stock.h"
#include "two_leg_search.h"

namespace vantrel::networks {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

std::vector<std::string> Names(std::span<const double> stock) {
  std::vector<std::string> names;
  for (double v : stock) {
    std::string text = std::to_string(v);
    if (v < 1e-3 || v > 1e9) text = std::to_string(std::bit_cast<std::uint64_t>(v));
    names.push_back(text);
  }
  return names;
}

struct Row {
  std::string spelling;
  std::uint64_t value, deviation, low, high;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << row.spelling << " = " << std::bit_cast<double>(row.value) << " ("
             << std::bit_cast<double>(row.deviation) << " %)";
}

constexpr double kLowFactor = 1 - 5.0 / 100;
constexpr double kHighFactor = 1 + 5.0 / 100;

// With swapped, spelled as the capacitor networks the search finds.
std::vector<Row> Fast(std::span<const double> stock, const FindOptions& options,
                      std::uint64_t limit, bool swapped = false) {
  const std::vector<std::string> names = Names(stock);
  std::vector<Row> rows;
  FindNetworks(stock, options, limit, [&](const NetworkRow& row) {
    rows.push_back({Spell(row.network, names, swapped), std::bit_cast<std::uint64_t>(row.value),
                    std::bit_cast<std::uint64_t>(row.deviation),
                    std::bit_cast<std::uint64_t>(NetworkValue(row.network, stock, kLowFactor)),
                    std::bit_cast<std::uint64_t>(NetworkValue(row.network, stock, kHighFactor))});
  });
  return rows;
}

std::vector<Row> Plain(std::span<const double> stock, const FindOptions& options,
                       std::uint64_t limit, bool swapped = false) {
  std::vector<Row> rows;
  for (const auto& row :
       testing::PlainFindNetworks(stock, Names(stock), options, kLowFactor, kHighFactor, swapped)) {
    if (rows.size() == limit) break;
    rows.push_back({row.spelling, std::bit_cast<std::uint64_t>(row.value),
                    std::bit_cast<std::uint64_t>(row.deviation),
                    std::bit_cast<std::uint64_t>(row.low), std::bit_cast<std::uint64_t>(row.high)});
  }
  return rows;
}

double FromText(const std::string& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// digits * 10^exponent read as a double, as the library reader does.
double Written(std::uint64_t digits, int exponent) {
  return FromText(std::to_string(digits) + "e" + std::to_string(exponent));
}

// The decimal sum of two values, read as a double: a target that series pairs hit exactly.
double DecimalSum(double a, double b) {
  const Decimal x = ShortestDecimal(a);
  const Decimal y = ShortestDecimal(b);
  const int exponent = std::min(x.exponent, y.exponent);
  if (std::max(x.exponent, y.exponent) - exponent > 2) return a + b;
  const auto scaled = [&](const Decimal& d) {
    std::uint64_t v = d.digits;
    for (int i = exponent; i < d.exponent; ++i) v *= 10;
    return v;
  };
  return Written(scaled(x) + scaled(y), exponent);
}

// value written with digits significant digits and read back.
double WithDigits(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  return FromText(text);
}

// A random library as written: small whole numbers (repeats and exact hits), E96-like values
// over many decimades, values of several decimals, arbitrary doubles, values of up to 17
// digits anywhere from 1e-6 to 1e15 and values of 1e12 and above, and now and then tiny,
// huge, zero or negative values.
std::vector<double> RandomLibrary(std::mt19937_64& rng, int size) {
  std::vector<double> values;
  const std::uint64_t e96[] = {100, 105, 113, 121, 130, 140, 150, 162, 174, 187, 200, 210,
                               226, 243, 261, 280, 301, 324, 348, 374, 402, 432, 464, 499};
  for (int i = 0; i < size; ++i) {
    switch (rng() % 10) {
      case 0:
      case 1:
        values.push_back(static_cast<double>(1 + rng() % 12));
        break;
      case 2:
      case 3:
        values.push_back(Written(e96[rng() % 24], static_cast<int>(rng() % 7) - 3));
        break;
      case 4:
        values.push_back(Written(1 + rng() % 999999, -static_cast<int>(1 + rng() % 5)));
        break;
      case 5:
        values.push_back(std::uniform_real_distribution<double>(0.5, 2000.0)(rng));
        break;
      case 6:
        values.push_back(rng() % 2 ? 1e-30 : 3e37);
        break;
      case 7:
        values.push_back(WithDigits(
            std::exp(std::uniform_real_distribution<double>(std::log(1e-6), std::log(1e15))(rng)),
            1 + static_cast<int>(rng() % 17)));
        break;
      case 8:
        values.push_back(rng() % 2 ? 1e12
                                   : Written(1 + rng() % 999, 9 + static_cast<int>(rng() % 4)));
        break;
      default:
        values.push_back(rng() % 2 ? 0.0 : -47.0);
        break;
    }
  }
  return values;
}

// Every option combination, on random stocks sized for the plain search; a third of the rounds
// as capacitors, against the plain enumeration in their own arithmetic (inductors are the
// resistor rounds).
TEST(NetworkSearch, EqualsPlainEnumerationOnRandomStocks) {
  std::mt19937_64 rng(20261207);
  const double tolerances[] = {0, 0.5, 1, 10, 100, kInf};
  const std::uint64_t limits[] = {1, 3, 20, kAll};
  const std::size_t passes[] = {1, 7, 50, std::size_t{1} << 18};
  const int maxStock[] = {0, 40, 40, 16, 7};
  for (int round = 0; round < 2400; ++round) {
    FindOptions options;
    options.maxParts = 1 + round % 4;
    // Now and then only the networks of the most parts, or of three and four.
    if (rng() % 5 == 0) options.minParts = options.maxParts - static_cast<int>(rng() % 2);
    options.distinct = round / 4 % 2 == 1;
    options.tolerance = tolerances[rng() % 6];
    options.rowsPerPass = passes[rng() % 4];
    // Passes of a few rows only where there are few rows, lest the test take minutes.
    if (options.tolerance > 1 && options.maxParts > 2) options.rowsPerPass *= 50;
    const std::uint64_t limit = limits[rng() % 4];
    const std::vector<double> library =
        RandomLibrary(rng, 1 + static_cast<int>(rng() % maxStock[options.maxParts]));
    const std::vector<double> excluded{library[rng() % library.size()]};
    const Stock stock = MakeStock(library, round % 3 == 0 ? excluded : std::vector<double>{});
    if (stock.values.empty()) continue;
    // An exact hit now and then: the target is a network's own value.
    std::array<std::uint16_t, 4> parts{};
    for (auto& part : parts) part = static_cast<std::uint16_t>(rng() % stock.values.size());
    Shape shape;
    do {
      shape = static_cast<Shape>(rng() % kShapeCount);
    } while (PartCount(shape) > options.maxParts);
    // Now and then a network's own double value, or a decimal sum of two stock values, which
    // the networks reaching it in decimal arithmetic hit exactly, or that value written with
    // 15 to 17 digits, a hair from it; or a target anywhere in the accepted range.
    const auto pick = [&] { return stock.values[rng() % stock.values.size()]; };
    const double own = NetworkValue(CanonicalNetwork(shape, parts, stock.values), stock.values);
    switch (rng() % 5) {
      case 0:
        options.target = own;
        break;
      case 1:
        options.target = DecimalSum(pick(), pick());
        break;
      case 2:
        options.target = WithDigits(own, 15 + static_cast<int>(rng() % 3));
        break;
      case 3:
        options.target =
            std::exp(std::uniform_real_distribution<double>(std::log(1e-6), std::log(1e15))(rng));
        break;
      default:
        options.target = std::exp(std::uniform_real_distribution<double>(-2, 10)(rng));
        break;
    }
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", target " << options.target << ", stock size "
                 << stock.values.size() << ", parts " << options.minParts << " to "
                 << options.maxParts << ", tolerance " << options.tolerance << ", limit " << limit
                 << ", distinct " << options.distinct << ", rows per pass " << options.rowsPerPass);
    const bool capacitors = round / 8 % 3 == 1;
    SCOPED_TRACE(capacitors ? "capacitors" : "resistors");
    EXPECT_TRUE(testing::SameRows(Fast(stock.values, options, limit, capacitors),
                                  Plain(stock.values, options, limit, capacitors)));
    if (HasFailure()) return;
  }
}

// On stocks too large for the plain search, a second thread changes nothing, whatever the
// passes.
TEST(SearchThreads, OneAndTwoThreadsGiveTheSameRows) {
  std::mt19937_64 rng(16);
  const double tolerances[] = {0, 0.01, 1, kInf};
  for (int round = 0; round < 24; ++round) {
    FindOptions options;
    options.maxParts = 4;
    options.distinct = round % 2 == 1;
    options.tolerance = tolerances[rng() % 4];
    options.rowsPerPass = round % 3 == 0 ? 40 : std::size_t{1} << 18;
    const Stock stock = MakeStock(RandomLibrary(rng, 20 + static_cast<int>(rng() % 40)), {});
    if (stock.values.empty()) continue;
    options.target = round % 4 == 0 ? DecimalSum(stock.values[rng() % stock.values.size()],
                                                 stock.values[rng() % stock.values.size()])
                                    : std::exp(std::uniform_real_distribution<double>(0, 9)(rng));
    const std::uint64_t limit = 200;
    SCOPED_TRACE(::testing::Message() << "round " << round << ", target " << options.target);
    options.threads = 1;
    const std::vector<Row> one = Fast(stock.values, options, limit);
    options.threads = 2;
    EXPECT_TRUE(testing::SameRows(Fast(stock.values, options, limit), one));

    DividerOptions divider;
    divider.vin = 12;
    divider.vout = std::uniform_real_distribution<double>(0.1, 11.9)(rng);
    divider.legParts = 2;
    divider.distinct = options.distinct;
    divider.tolerance = options.tolerance;
    divider.rowsPerPass = options.rowsPerPass;
    std::vector<std::string> rows[2];
    for (const int threads : {1, 2}) {
      divider.threads = threads;
      FindDividers(stock.values, divider, limit, [&](const DividerRow& row) {
        rows[threads - 1].push_back(::testing::PrintToString(std::tuple(
            row.top.shape, row.top.parts, row.bottom.shape, row.bottom.parts,
            std::bit_cast<std::uint64_t>(row.error), std::bit_cast<std::uint64_t>(row.total))));
      });
    }
    EXPECT_EQ(rows[0], rows[1]);
    if (HasFailure()) return;
  }
}

struct DividerLine {
  std::string top, bottom;
  std::uint64_t vout, error, total;
  bool operator==(const DividerLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const DividerLine& row) {
  return out << row.top << " / " << row.bottom << ": " << std::bit_cast<double>(row.vout) << " ("
             << std::bit_cast<double>(row.error) << " %), total "
             << std::bit_cast<double>(row.total);
}

TEST(DividerSearch, EqualsPlainEnumerationOnRandomStocks) {
  std::mt19937_64 rng(33);
  const double tolerances[] = {0, 0.5, 1, 10, kInf};
  const std::uint64_t limits[] = {1, 3, 20, kAll};
  const std::size_t passes[] = {1, 7, 50, std::size_t{1} << 18};
  for (int round = 0; round < 1500; ++round) {
    DividerOptions options;
    options.legParts = 1 + round % 2;
    options.distinct = round / 2 % 2 == 1;
    options.tolerance = tolerances[rng() % 5];
    options.rowsPerPass = passes[rng() % 4] * (options.tolerance > 1 ? 20 : 1);
    const std::uint64_t limit = limits[rng() % 4];
    const Stock stock = MakeStock(
        RandomLibrary(rng, 1 + static_cast<int>(rng() % (options.legParts == 1 ? 40 : 10))), {});
    if (stock.values.empty()) continue;
    const auto pick = [&] { return stock.values[rng() % stock.values.size()]; };
    options.vin = round % 5 == 0 ? -12 : 5;
    const double ratio = round % 3 == 0 ? pick() / (pick() + pick())
                                        : std::uniform_real_distribution<double>(0.01, 0.99)(rng);
    options.vout = options.vin * std::min(ratio, 0.999);
    if (rng() % 3 == 0) options.vout = WithDigits(options.vout, 15 + static_cast<int>(rng() % 3));
    if (rng() % 3 == 0) options.minTotal = pick() + pick();
    if (rng() % 3 == 0) options.maxTotal = pick() + pick();
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", vout " << options.vout << ", stock size "
                 << stock.values.size() << ", leg parts " << options.legParts << ", tolerance "
                 << options.tolerance << ", limit " << limit << ", distinct " << options.distinct
                 << ", totals " << options.minTotal << ".." << options.maxTotal);
    const std::vector<std::string> names = Names(stock.values);
    std::vector<DividerLine> fast;
    FindDividers(stock.values, options, limit, [&](const DividerRow& row) {
      fast.push_back(
          {Spell(row.top, names), Spell(row.bottom, names), std::bit_cast<std::uint64_t>(row.vout),
           std::bit_cast<std::uint64_t>(row.error), std::bit_cast<std::uint64_t>(row.total)});
    });
    std::vector<DividerLine> plain;
    for (const auto& row : testing::PlainFindDividers(stock.values, names, options)) {
      if (plain.size() == limit) break;
      plain.push_back({row.top, row.bottom, std::bit_cast<std::uint64_t>(row.vout),
                       std::bit_cast<std::uint64_t>(row.error),
                       std::bit_cast<std::uint64_t>(row.total)});
    }
    ASSERT_TRUE(testing::SameRows(fast, plain));
  }
}

// A capacitor row is drawn from its swapped network: what it spells must be what the row says,
// and swapping twice gives the network back.
TEST(NetworkSearch, SwappedNetworkSpellsTheSwappedSpelling) {
  const std::vector<std::string> names{"a", "b", "c", "d"};
  for (int shape = 0; shape < kShapeCount; ++shape) {
    const Network network{static_cast<Shape>(shape), {0, 1, 2, 3}};
    SCOPED_TRACE(Pattern(network.shape));
    EXPECT_EQ(Spell(Swapped(network), names), Spell(network, names, true));
    EXPECT_EQ(Swapped(Swapped(network)).shape, network.shape);
  }
}

TEST(NetworkSearch, SameCircuitInAnyOrderHasOneSpelling) {
  const std::vector<double> stock{1, 2, 3, 6};
  const std::vector<std::string> names{"1", "2", "3", "6"};
  struct Case {
    Shape shape;
    std::array<std::uint16_t, 4> oneOrder;
    std::array<std::uint16_t, 4> anotherOrder;
    const char* spelling;
  };
  const Case cases[] = {
      {Shape::kSeries4, {3, 1, 2, 0}, {0, 2, 3, 1}, "1 + 2 + 3 + 6"},
      {Shape::kParallel3, {2, 0, 1}, {1, 2, 0}, "1 || 2 || 3"},
      {Shape::kSeriesLeafParallel3, {3, 2, 0, 1}, {3, 1, 2, 0}, "6 + (1 || 2 || 3)"},
      {Shape::kParallelLeafSeries, {1, 3, 0}, {1, 0, 3}, "2 || (1 + 6)"},
      {Shape::kParallel2Series2, {3, 0, 2, 1}, {0, 3, 1, 2}, "1 || 6 || (2 + 3)"},
      // Groups by value: 1 || 2 is 0.667, 3 || 6 is 2.
      {Shape::kSeriesOfParallelPairs, {3, 2, 1, 0}, {0, 1, 2, 3}, "(1 || 2) + (3 || 6)"},
      {Shape::kParallelOfSeriesPairs, {0, 3, 2, 1}, {1, 2, 3, 0}, "(2 + 3) || (1 + 6)"},
      // 2 || 6 and 3 || 3 are both 1.5: their parts decide.
      {Shape::kSeriesOfParallelPairs, {2, 2, 3, 1}, {1, 3, 2, 2}, "(2 || 6) + (3 || 3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spelling);
    EXPECT_EQ(Spell(CanonicalNetwork(c.shape, c.oneOrder, stock), names), c.spelling);
    EXPECT_EQ(Spell(CanonicalNetwork(c.shape, c.anotherOrder, stock), names), c.spelling);
  }
}

// n distinct values within the accepted resistances: whole numbers up to 1000, or E24 values
// over five decades, starting at a random decade; a low stock keeps to values up to 1.
std::vector<double> DecadeStock(std::mt19937_64& rng, int n, bool wide, bool low) {
  const int e24[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                     33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
  const int decade =
      low ? static_cast<int>(rng() % 4) - 6 - (wide ? 1 : 0) : static_cast<int>(rng() % 16) - 6;
  std::vector<double> library;
  for (int i = 0; i < n; ++i) {
    library.push_back(wide ? Written(static_cast<std::uint64_t>(e24[rng() % 24]),
                                     decade - 1 + static_cast<int>(rng() % 5))
                           : Written(1 + rng() % 1000, decade));
  }
  return MakeStock(library, {}).values;
}

// The closest network at any target of the accepted range, above, among or below the stock's:
// the walks stay near the closest values, so the lines they enter and the steps they take
// are bounded by the stock's size, however far the target. Where the target is more than
// about 1e13 times the largest network, the double deviations of many networks tie, and the
// bound holds for the networks of more parts than the closest: searching them as well costs
// no more than a step a line over the search up to the closest one's parts (unless those are
// three, which a search of four parts walks on the pair tables, along other lines).
TEST(SearchWork, ClosestNetworkAtAnyTargetTakesBoundedWork) {
  std::mt19937_64 rng(1000);
  for (int round = 0; round < 240; ++round) {
    FindOptions options;
    options.maxParts = 1 + round % 4;
    options.distinct = round / 4 % 2 == 1;
    options.tolerance = kInf;
    options.threads = 1;
    const int size = 30 + static_cast<int>(rng() % 31);
    const std::vector<double> stock = DecadeStock(rng, size, round / 8 % 2 == 1, round % 3 == 2);
    options.target =
        std::exp(std::uniform_real_distribution<double>(std::log(1e-6), std::log(1e15))(rng));
    const auto search = [&](int maxParts, SearchWork& work) {
      FindOptions limited = options;
      limited.maxParts = maxParts;
      limited.work = &work;
      std::vector<NetworkRow> rows;
      FindNetworks(stock, limited, 1, [&](const NetworkRow& row) { rows.push_back(row); });
      return rows;
    };
    SearchWork work;
    const std::vector<NetworkRow> rows = search(options.maxParts, work);
    ASSERT_EQ(rows.size(), 1u);
    const auto n = static_cast<std::uint64_t>(stock.size());
    const bool far = options.target > 1e12 * stock.back();
    EXPECT_LE(work.lines, 8 * n * n) << "round " << round << ", target " << options.target;
    if (!far) {
      EXPECT_LE(work.steps, 2 * work.lines + 64 * n)
          << "round " << round << ", target " << options.target;
    } else if (rows[0].Parts() < options.maxParts &&
               (options.maxParts < 4 || rows[0].Parts() < 3)) {
      SearchWork fewer;
      search(rows[0].Parts(), fewer);
      EXPECT_LE(work.steps, fewer.steps + 2 * work.lines + 64 * n)
          << "round " << round << ", target " << options.target;
    }
    if (HasFailure()) return;
  }
}

// Set before the search, nothing comes; set by the first row, whether the rest of its pass or
// a later pass, nothing more.
TEST(SearchStop, StoppedSearchEmitsNothingMore) {
  const std::vector<double> stock{1, 2, 3, 5, 8, 13, 21};
  for (const std::size_t rowsPerPass : {std::size_t{1}, std::size_t{1000}}) {
    for (const bool setBefore : {true, false}) {
      std::atomic<bool> stop = setBefore;
      FindOptions find;
      find.target = 7;
      find.maxParts = 4;
      find.tolerance = kInf;
      find.rowsPerPass = rowsPerPass;
      find.stop = &stop;
      int rows = 0;
      FindNetworks(stock, find, kAll, [&](const NetworkRow&) { stop = ++rows > 0; });
      EXPECT_EQ(rows, setBefore ? 0 : 1) << rowsPerPass;

      stop = setBefore;
      DividerOptions divider;
      divider.vin = 5;
      divider.vout = 3.3;
      divider.legParts = 2;
      divider.tolerance = kInf;
      divider.rowsPerPass = rowsPerPass;
      divider.stop = &stop;
      rows = 0;
      FindDividers(stock, divider, kAll, [&](const DividerRow&) { stop = ++rows > 0; });
      EXPECT_EQ(rows, setBefore ? 0 : 1) << rowsPerPass;
    }
  }
}

// The pair tables against a comparison sort of every pair, on stocks large enough for the
// radix passes: even steps (many equal sums), values over many decades beside a cluster a few
// ulps apart (distinct values of one key), and such a cluster as the smallest or the largest
// values, so that a run of one key out of order starts the table or ends it.
TEST(PairTable, EqualsComparisonSort) {
  std::mt19937_64 rng(4096);
  for (int round = 0; round < 16; ++round) {
    std::vector<double> library;
    const int size = 95 + static_cast<int>(rng() % 60);
    const double cluster = round % 4 == 2 ? 1e-6 : round % 4 == 3 ? 1e15 : 1000;
    for (int k = 0; k < size; ++k) {
      if (round % 4 == 0) {
        library.push_back(static_cast<double>(3 * k + 1 + static_cast<int>(rng() % 3)) / 4);
      } else if (rng() % 2 == 0) {
        library.push_back(std::exp(std::uniform_real_distribution<double>(-13, 34)(rng)));
      } else {
        library.push_back(cluster * (1 + static_cast<double>(rng() % 100000) * 0x1p-43));
      }
    }
    const std::vector<double> stock = MakeStock(library, {}).values;
    const bool distinct = round / 2 % 2 == 1;
    for (const bool series : {true, false}) {
      using Pair = std::tuple<double, std::uint16_t, std::uint16_t>;
      std::vector<Pair> expected;
      for (std::size_t i = 0; i < stock.size(); ++i) {
        for (std::size_t j = distinct ? i + 1 : i; j < stock.size(); ++j) {
          const double x = stock[i];
          const double y = stock[j];
          expected.emplace_back(series ? x + y : x * y / (x + y), i, j);
        }
      }
      std::sort(expected.begin(), expected.end());
      const PairTable table =
          series ? SeriesPairs(stock, distinct) : ParallelPairs(stock, distinct);
      std::vector<Pair> got;
      for (std::size_t k = 0; k < table.values.size(); ++k) {
        got.emplace_back(table.values[k], table.parts[k][0], table.parts[k][1]);
      }
      EXPECT_EQ(got, expected) << "round " << round << ", series " << series;
    }
  }
}

TEST(NetworkSearch, ShapesAreListedInPatternOrder) {
  for (int i = 1; i < kShapeCount; ++i) {
    const auto a = static_cast<Shape>(i - 1);
    const auto b = static_cast<Shape>(i);
    EXPECT_TRUE(PartCount(a) < PartCount(b) || Pattern(a) < Pattern(b)) << Pattern(b);
  }
}

// A row of RunPasses' own test: a worst case, ranked by its 9-digit key, then by id.
struct KeyedRow {
  double ranked = 0;
  double key = 0;
  int id = 0;

  double Percent() const { return ranked; }
  static bool Before(const KeyedRow& a, const KeyedRow& b) {
    return a.key != b.key ? a.key < b.key : a.id < b.id;
  }
};

// Passes of any size and any bound give the rows of a plain sort: rows in clusters of worst
// cases that tie to 9 digits, long runs of equal and of zero worst cases, sparse tails, a
// finite or an unbounded whole bound, any limit. Each pass is a plain filter of every row, the
// contract a search's pass keeps.
TEST(RunPasses, GivesThePlainSortedRowsWhateverThePassBounds) {
  std::mt19937_64 rng(5);
  for (int round = 0; round < 300; ++round) {
    const std::size_t perPass = std::size_t{1} << (rng() % 12);
    std::vector<KeyedRow> all;
    const int clusters = 1 + static_cast<int>(rng() % 12);
    for (int c = 0; c < clusters; ++c) {
      const double centre = rng() % 5 == 0 ? 0 : std::ldexp(1.0, static_cast<int>(rng() % 40) - 30);
      const int size =
          1 + static_cast<int>(rng() %
                               (rng() % 4 == 0 ? std::min<std::size_t>(100 * perPass, 3000) : 60));
      const bool jitter = rng() % 2 == 0;
      for (int i = 0; i < size; ++i) {
        const double ranked =
            jitter ? centre * (1 + static_cast<double>(rng() % 64) * 1e-9) : centre;
        all.push_back({ranked, WorstKey(ranked), static_cast<int>(all.size())});
      }
    }
    const double wholes[] = {kInf, 1e-3, 1.0, all[rng() % all.size()].ranked};
    const double whole = wholes[rng() % 4];
    const std::uint64_t limit = rng() % 3 == 0 ? 1 + rng() % 500 : kAll;
    std::vector<KeyedRow> expected;
    for (const KeyedRow& row : all) {
      if (row.ranked <= whole) expected.push_back(row);
    }
    std::sort(expected.begin(), expected.end(), KeyedRow::Before);
    if (expected.size() > limit) expected.resize(limit);
    int passes = 0;
    const auto pass = [&](std::size_t capacity, const KeyedRow* after, double bound) {
      ++passes;
      EXPECT_LE(bound, whole);
      std::vector<KeyedRow> rows;
      for (const KeyedRow& row : all) {
        if (row.ranked <= bound && (!after || KeyedRow::Before(*after, row))) rows.push_back(row);
      }
      std::sort(rows.begin(), rows.end(), KeyedRow::Before);
      if (rows.size() > capacity) rows.resize(capacity);
      return rows;
    };
    std::vector<KeyedRow> given;
    detail::RunPasses<KeyedRow>(limit, perPass, whole, nullptr, pass,
                                [&](const KeyedRow& row) { given.push_back(row); });
    SCOPED_TRACE(::testing::Message() << "round " << round << ", rows " << all.size()
                                      << ", per pass " << perPass << ", whole " << whole);
    ASSERT_EQ(given.size(), expected.size());
    for (std::size_t i = 0; i < given.size(); ++i) ASSERT_EQ(given[i].id, expected[i].id) << i;
    // Widening is geometric: far fewer passes than rows once passes hold many.
    EXPECT_LE(passes, static_cast<int>(expected.size() / perPass) * 2 + 80);
  }
}

// A value's decimal moved by a power of ten is the value as written with its exponent moved:
// 4700 pF is 4.7e-9 F as typed, not the product's rounding.
TEST(ShiftedDecimal, MovesTheExponentAsWritten) {
  std::mt19937_64 rng(4700);
  int shifted = 0;
  for (int round = 0; round < 200; ++round) {
    for (const double value : RandomLibrary(rng, 50)) {
      if (!(value >= 0) || !std::isfinite(value)) continue;
      for (const int power : {-15, -12, -9, -3, 3, 12}) {
        // The yardstick edits the text: "4.7e+03" at -12 reads "4.7e-9".
        char text[64];
        char* end =
            std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
        *end = '\0';
        const char* e = std::strchr(text, 'e');
        const std::string moved = std::string(text, static_cast<std::size_t>(e - text)) + "e" +
                                  std::to_string(std::atoi(e + 1) + power);
        EXPECT_EQ(ShiftedDecimal(value, power), std::strtod(moved.c_str(), nullptr))
            << text << " at " << power;
        ++shifted;
      }
    }
  }
  EXPECT_GT(shifted, 50000);
}

}  // namespace
}  // namespace vantrel::networks

namespace vantrel {
namespace {

// The value of a decimal written in tenths, read as the program reads it.
double Tenths(long long tenths) {
  const std::string text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// A part earns its place by the decimals as written, not by their doubles: on the edge itself
// (4.2 + 79.8 at 5 %: 4.2 / 84 is 5 % exactly) it is kept, a tenth past it dropped, for series
// and parallel legs of resistors and capacitors, against integer arithmetic in tenths.
TEST(EarnsItsPlace, SettlesTheEdgeByTheDecimalsAsWritten) {
  int edges = 0;
  for (const long long percent : {1, 2, 4, 5, 10, 20, 25}) {
    for (long long small = 1; small < 1000; ++small) {
      for (const bool adds : {true, false}) {
        // On the edge: small / (small + large) or small / large is percent / 100 exactly.
        const long long edge = adds ? small * (100 - percent) : small * 100;
        if (edge % percent != 0) continue;
        for (const long long large : {edge / percent, edge / percent + 1}) {
          const bool earns = 100 * small >= percent * (adds ? small + large : large);
          const std::vector<double> stock{Tenths(small), Tenths(large)};
          // A capacitor's leg adds in parallel.
          for (const bool swapped : {false, true}) {
            const networks::Shape shape =
                adds != swapped ? networks::Shape::kSeries2 : networks::Shape::kParallel2;
            EXPECT_EQ(networks::EarnsItsPlace({shape, {0, 1}}, stock, static_cast<double>(percent),
                                              swapped),
                      earns)
                << small << " and " << large << " tenths at " << percent << " %";
          }
          edges += earns;
        }
      }
    }
  }
  EXPECT_GT(edges, 1000);
}

}  // namespace
}  // namespace vantrel
