#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "formula_cases.h"
#include "plain_networks.h"
#include "same_rows.h"
#include "stock.h"
#include "two_leg_search.h"

namespace vantrel::networks {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

struct Line {
  std::string a, b;
  std::uint64_t output, error, total, low, high, worst, parallel;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& row) {
  return out << row.a << " / " << row.b << ": " << std::bit_cast<double>(row.output) << " ("
             << std::bit_cast<double>(row.error) << " %), total "
             << std::bit_cast<double>(row.total) << ", band " << std::bit_cast<double>(row.low)
             << " .. " << std::bit_cast<double>(row.high) << " worst "
             << std::bit_cast<double>(row.worst) << ", A || B "
             << std::bit_cast<double>(row.parallel);
}

template <class Row>
Line LineOf(const std::string& a, const std::string& b, const Row& row) {
  return {a,
          b,
          std::bit_cast<std::uint64_t>(row.output),
          std::bit_cast<std::uint64_t>(row.error),
          std::bit_cast<std::uint64_t>(row.total),
          std::bit_cast<std::uint64_t>(row.low),
          std::bit_cast<std::uint64_t>(row.high),
          std::bit_cast<std::uint64_t>(row.worst),
          std::bit_cast<std::uint64_t>(row.parallel)};
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
// the same order and to the bit, over random stocks, targets, tolerances, bounds, bands, row
// limits and pass sizes; targets are often outputs of a pair, so exact ties are common, and
// tolerances and bands often lie exactly on a row's error or worst case.
TEST(TwoLegSearch, EqualsPlainEnumerationForEveryFormula) {
  std::mt19937_64 rng(71);
  const double tolerances[] = {0, 0.5, 2, 20, kInf};
  const double partTolerances[] = {0, 0.1, 1, 5};
  const std::uint64_t limits[] = {1, 5, 20, kAll};
  const std::size_t passes[] = {1, 7, std::size_t{1} << 18};
  for (int round = 0; round < 1500; ++round) {
    using testing::PlainFormula;
    const bool ranged = rng() % 2 == 0;
    testing::FormulaCase drawn;
    switch (round % 5) {
      case 0:
        drawn = testing::SteadyCase(PlainFormula::kDivider, round % 10 == 0 ? -12 : 5);
        break;
      case 1:
      case 2: {
        const double vref = round % 5 == 1 ? 1.25 : 0.8;
        const double iadj = round % 5 == 1 ? 0 : (rng() % 2 ? 50e-6 : 0.01);
        drawn = testing::RegulatorCase(vref, iadj, ranged ? vref * 0.985 : vref,
                                       ranged ? vref * 1.015 : vref);
        break;
      }
      case 3:
        drawn = testing::SteadyCase(PlainFormula::kGain, 1);
        break;
      default:
        drawn = testing::SteadyCase(PlainFormula::kInvertingGain, 1);
        break;
    }
    auto& [formula, band, plain] = drawn;
    TwoLegOptions options;
    options.legParts = 1 + round / 5 % 2;
    options.distinct = round / 10 % 2 == 1;
    options.tolerance = tolerances[rng() % 5];
    options.rowsPerPass = passes[rng() % 3] * (options.tolerance > 2 ? 20 : 1);
    options.threads = 1 + static_cast<int>(rng() % 2);
    if (rng() % 3 == 0) options.scale = std::uniform_real_distribution<double>(1, 1e5)(rng);
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
    if (rng() % 6 == 0) options.minB = pick();
    if (rng() % 6 == 0) options.maxB = pick() + pick();
    if (rng() % 2 == 0) {
      band.partTolerance = partTolerances[rng() % 4];
      // A band that a row's worst case meets exactly, now and then.
      if (rng() % 2 == 0) {
        TwoLegRow row{};
        row.a.parts[0] = static_cast<std::uint16_t>(rng() % stock.size());
        row.b.parts[0] = static_cast<std::uint16_t>(rng() % stock.size());
        row.ra = stock[row.a.parts[0]];
        row.rb = stock[row.b.parts[0]];
        row.output = formula.output(formula.k, row.ra, row.rb);
        AddBand(row, stock, formula, options.target, band);
        band.within = rng() % 2 ? std::stod(std::to_string(row.worst)) : row.worst;
      }
      options.band = band;
      if (rng() % 3 == 0) options.parts = 2 + static_cast<int>(rng() % (2 * options.legParts - 1));
    }
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", target " << options.target << ", stock size "
                 << stock.size() << ", leg parts " << options.legParts << ", tolerance "
                 << options.tolerance << ", limit " << limit << ", distinct " << options.distinct
                 << ", band " << (options.band ? band.partTolerance : -1) << " within "
                 << band.within << ", parts " << options.parts);
    const std::vector<std::string> names = Names(stock);
    std::vector<Line> fast;
    FindTwoLegs(stock, formula, options, limit, [&](const TwoLegRow& row) {
      fast.push_back(LineOf(Spell(row.a, names), Spell(row.b, names), row));
      // The band holds its own output.
      EXPECT_TRUE(row.low <= row.output && row.output <= row.high);
    });
    std::vector<Line> slow;
    for (const auto& row : testing::PlainFindTwoLegs(stock, names, plain, options)) {
      if (slow.size() == limit) break;
      slow.push_back(LineOf(row.a, row.b, row));
    }
    ASSERT_TRUE(testing::SameRows(fast, slow));
  }
}

// Long runs of exact ties (a divider to half its input, a gain of 2: every pair of equal legs),
// listed in passes of a few rows each, which leave out the rows given and guess how far along
// the tie-breaks the next rows lie, widening the guess when it falls short: the same rows as the
// plain enumeration, in the same order.
TEST(TwoLegSearch, ListsLongRunsOfTiesInFull) {
  std::mt19937_64 rng(1209);
  const double e6[] = {1, 1.5, 2.2, 3.3, 4.7, 6.8};
  const std::size_t passes[] = {3, 5, 64, 1000};
  for (int round = 0; round < 24; ++round) {
    std::vector<double> values;
    for (const double decade : {100.0, 1000.0, 10000.0}) {
      for (const double v : e6) {
        if (rng() % 4 != 0) values.push_back(std::stod(std::to_string(v * decade)));
      }
    }
    const std::vector<double> stock = MakeStock(values, {}).values;
    auto [formula, band, plain] = round % 2 == 0
                                      ? testing::SteadyCase(testing::PlainFormula::kDivider, 5)
                                      : testing::SteadyCase(testing::PlainFormula::kGain, 1);
    TwoLegOptions options;
    // Now and then just off the ties, whose rows then lie a little off, still tied.
    options.target = (round % 2 == 0 ? 2.5 : 2) * (round % 3 == 0 ? 1 + 1e-7 : 1);
    options.legParts = 2;
    options.tolerance = rng() % 2 ? 0.01 : 1;
    options.rowsPerPass = passes[rng() % 4];
    options.threads = 1 + static_cast<int>(rng() % 2);
    if (rng() % 2 == 0) options.scale = std::uniform_real_distribution<double>(100, 1e5)(rng);
    const std::uint64_t limit = rng() % 2 ? kAll : 1 + rng() % 400;
    SCOPED_TRACE(::testing::Message() << "round " << round << ", stock size " << stock.size()
                                      << ", rows per pass " << options.rowsPerPass);
    const std::vector<std::string> names = Names(stock);
    std::vector<Line> fast;
    FindTwoLegs(stock, formula, options, limit, [&](const TwoLegRow& row) {
      fast.push_back(LineOf(Spell(row.a, names), Spell(row.b, names), row));
    });
    std::vector<Line> slow;
    for (const auto& row : testing::PlainFindTwoLegs(stock, names, plain, options)) {
      if (slow.size() == limit) break;
      slow.push_back(LineOf(row.a, row.b, row));
    }
    ASSERT_TRUE(testing::SameRows(fast, slow));
  }
}

}  // namespace
}  // namespace vantrel::networks

namespace vantrel::networks {
namespace {

// Values from 1 ohm to 1 Mohm spread evenly in decades, at two or three digits so that pairs
// often tie or meet a decimal target exactly, and legs of values far apart, whose smaller part
// may not earn its place, are common.
std::vector<double> WideStock(std::mt19937_64& rng, int size) {
  std::vector<double> values;
  for (int i = 0; i < size; ++i) {
    const double value = std::pow(10.0, std::uniform_real_distribution<double>(0, 6)(rng));
    const int digits = rng() % 2 ? 2 : 3;
    char text[32];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    values.push_back(std::stod(text));
  }
  return MakeStock(values, {}).values;
}

// The bounded walk lists exactly the rows of the plain enumeration when each part brings its own
// tolerance and drift (a drawer of mixed classes, some parts of no known class), or one class
// drifts over a temperature range, ranked by the worst case or by the statistical band, with and
// without a within that some rows meet, over every formula and thousands of random stocks.
TEST(TwoLegSearch, EqualsPlainEnumerationWithEachPartsOwnSpread) {
  std::mt19937_64 rng(2026);
  const double tolerances[] = {0.1, 0.5, 1, 2, 5, 10};
  const double drifts[] = {0, 0.25, 0.5, 1.25, 2.5};
  const std::uint64_t limits[] = {1, 3, 20, kAll};
  for (int round = 0; round < 2000; ++round) {
    using testing::PlainFormula;
    testing::FormulaCase drawn;
    switch (round % 4) {
      case 0:
        drawn = testing::SteadyCase(PlainFormula::kDivider, 5);
        break;
      case 1:
        drawn = testing::RegulatorCase(0.8, rng() % 2 ? 50e-6 : 0, 0.788, 0.812);
        break;
      case 2:
        drawn = testing::SteadyCase(PlainFormula::kGain, 1);
        break;
      default:
        drawn = testing::SteadyCase(PlainFormula::kInvertingGain, 1);
        break;
    }
    auto& [formula, band, plain] = drawn;
    TwoLegOptions options;
    options.legParts = 2;
    options.distinct = rng() % 4 == 0;
    options.tolerance = rng() % 2 ? kInf : std::uniform_real_distribution<double>(0.5, 30)(rng);
    options.threads = 1 + static_cast<int>(rng() % 2);
    options.rowsPerPass = rng() % 2 ? 4 : kRowsPerPass;
    if (rng() % 3 == 0) options.parts = 2 + static_cast<int>(rng() % 3);
    const std::uint64_t limit = limits[rng() % 4];
    const std::vector<double> stock = WideStock(rng, 2 + static_cast<int>(rng() % 5));
    const auto pick = [&] { return stock[rng() % stock.size()]; };
    const double output = formula.output(formula.k, pick(), pick());
    options.target = rng() % 2 ? std::stod(std::to_string(output))
                               : output * std::uniform_real_distribution<double>(0.9, 1.1)(rng);

    testing::PlainSpreads spreads;
    const bool drawer = rng() % 3 != 0;
    const double drift = drifts[rng() % 5];
    double leastTolerance = kInf;
    double leastDrift = kInf;
    for (std::size_t i = 0; i < stock.size(); ++i) {
      testing::PlainClass c{tolerances[rng() % 6], drift, true};
      if (drawer) {
        c.drift = drifts[rng() % 5];
        c.known = rng() % 8 != 0;
      } else {
        c.tolerance = tolerances[round / 4 % 6];
      }
      if (c.known) {
        leastTolerance = std::min(leastTolerance, c.tolerance);
        leastDrift = std::min(leastDrift, c.drift);
      }
      spreads.classes.push_back(c);
    }
    if (std::isinf(leastTolerance)) leastTolerance = leastDrift = 0;
    spreads.rss = rng() % 3 != 0;
    spreads.byRss = spreads.rss && rng() % 2 == 0;
    // The product's side of the same drawer: each slot's part looked up by its stock index.
    if (drawer) {
      band.partTolerance = leastTolerance;
      band.perPart = [&](const Network& a, const Network& b, PartTolerances& own) {
        for (int leg = 0; leg < 2; ++leg) {
          const Network& network = leg == 0 ? a : b;
          for (int slot = 0; slot < PartCount(network.shape); ++slot) {
            const auto i = static_cast<std::size_t>(slot);
            const testing::PlainClass& c = spreads.classes[network.parts[i]];
            if (!c.known) return false;
            (leg == 0 ? own.first : own.second)[i] = c.tolerance;
            (leg == 0 ? own.firstDrift : own.secondDrift)[i] = c.drift;
          }
        }
        return true;
      };
    } else {
      band.partTolerance = leastTolerance + drift;
    }
    band.least = {leastTolerance / 100, leastDrift / 100};
    if (spreads.rss) band.spreads = UniformSpreads(band.least);
    band.byRss = spreads.byRss;
    options.band = band;
    const std::vector<std::string> names = Names(stock);
    // A within that about half the rows meet, now and then.
    if (rng() % 3 != 0) {
      const auto all = testing::PlainFindTwoLegs(stock, names, plain, options, &spreads);
      if (!all.empty()) {
        const auto& row = all[rng() % all.size()];
        const double ranked = spreads.byRss ? row.rssWorst : row.worst;
        if (std::isfinite(ranked)) {
          band.within = ranked * std::uniform_real_distribution<double>(0.8, 1.2)(rng);
          options.band = band;
        }
      }
    }
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", target " << options.target << ", stock size "
                 << stock.size() << ", tolerance " << options.tolerance << ", limit " << limit
                 << ", drawer " << drawer << ", rss " << spreads.rss << " by " << spreads.byRss
                 << ", within " << band.within << ", parts " << options.parts);
    struct Rss {
      double low, high, worst;
    };
    std::vector<Line> fast;
    std::vector<Rss> fastRss;
    FindTwoLegs(stock, formula, options, limit, [&](const TwoLegRow& row) {
      fast.push_back(LineOf(Spell(row.a, names), Spell(row.b, names), row));
      fastRss.push_back({row.rssLow, row.rssHigh, row.rssWorst});
    });
    std::vector<Line> slow;
    std::vector<Rss> slowRss;
    for (const auto& row : testing::PlainFindTwoLegs(stock, names, plain, options, &spreads)) {
      if (slow.size() == limit) break;
      slow.push_back(LineOf(row.a, row.b, row));
      slowRss.push_back({row.rssLow, row.rssHigh, row.rssWorst});
    }
    ASSERT_TRUE(testing::SameRows(fast, slow));
    // The statistical band is worked out in another order here, so it agrees to roundings.
    for (std::size_t i = 0; spreads.rss && i < fast.size(); ++i) {
      SCOPED_TRACE(::testing::Message() << "row " << i << ": " << fast[i]);
      const auto near = [](double x, double y, double scale) {
        return x == y || std::fabs(x - y) <= 1e-12 * std::max({std::fabs(x), std::fabs(y), scale});
      };
      EXPECT_PRED3(near, fastRss[i].low, slowRss[i].low, std::fabs(options.target));
      EXPECT_PRED3(near, fastRss[i].high, slowRss[i].high, std::fabs(options.target));
      EXPECT_PRED3(near, fastRss[i].worst, slowRss[i].worst, 1.0);
    }
  }
}

}  // namespace
}  // namespace vantrel::networks

namespace vantrel::networks {
namespace {

// The loaded divider's output, level, slopes and least slopes against its expanded form,
// VIN B L / (A B + A L + B L) and its derivatives written out in long double, over legs and
// loads spread across six decades.
TEST(LoadedDivider, FormulaAgreesWithItsExpandedForm) {
  std::mt19937_64 rng(5);
  const auto decades = [&](double low, double high) {
    return std::pow(10.0, std::uniform_real_distribution<double>(low, high)(rng));
  };
  const auto near = [](long double x, long double y, long double relative) {
    return std::fabs(x - y) <= relative * std::fabs(y);
  };
  for (int round = 0; round < 20000; ++round) {
    const double vin = round % 3 == 0 ? -decades(-1, 3) : decades(-1, 3);
    const double a = decades(0, 6);
    const double b = decades(0, 6);
    const double load = decades(0, 6);
    const TwoLegFormula formula = LoadedDividerFormula(vin, load);
    SCOPED_TRACE(::testing::Message()
                 << "VIN " << vin << ", A " << a << ", B " << b << ", L " << load);
    const long double la = a, lb = b, ll = load, lv = vin;
    const long double d = la * lb + la * ll + lb * ll;
    const long double out = lv * lb * ll / d;
    const double output = formula.output(formula.k, a, b);
    EXPECT_PRED3(near, output, out, 1e-14L);
    // dout/dA * A and dout/dB * B.
    const std::array<double, 2> slopes = formula.slopes(formula.k, a, b);
    EXPECT_PRED3(near, slopes[0], -lv * la * lb * ll * (lb + ll) / (d * d), 1e-13L);
    EXPECT_PRED3(near, slopes[1], lv * la * lb * ll * ll / (d * d), 1e-13L);
    // On A's line the level of the output is B again, up to the roundings that 1 - out / VIN
    // magnifies by (A + B || L) / A, and B's share of B || L by (B + L) / L.
    const double back = LegB(formula.level(formula.k, output), a);
    const long double p = lb * ll / (lb + ll);
    EXPECT_PRED3(near, back, lb, 1e-14L * (la + p) / la * (lb + ll) / ll);
    // Above the output the line's B rises, and an output past VIN L / (A + L) has none.
    EXPECT_GT(LegB(formula.level(formula.k, output * 1.001), a), back);
    EXPECT_TRUE(std::isinf(LegB(formula.level(formula.k, vin * load / (a + load) * 1.001), a)));
    // The least slopes bound those of every pair whose output lies in the window.
    const double w = std::uniform_real_distribution<double>(0, 0.2)(rng);
    const double x = output * (1 - w);
    const double y = output * (1 + w);
    const std::array<double, 2> least =
        formula.leastSlopes(formula.k, std::min(x, y), std::max(x, y));
    EXPECT_LE(least[0], std::fabs(slopes[0]) * (1 + 1e-12));
    EXPECT_LE(least[1], std::fabs(slopes[1]) * (1 + 1e-12));
  }
}

// With a load and a bound on A || B (at the band's upper ends where there is a band), the
// bounded walk lists exactly the rows of the plain enumeration, for loaded and plain dividers,
// bands and statistical bands, over random stocks; the bound often is a row's own A || B.
TEST(LoadedDivider, EqualsPlainEnumerationWithABoundOnTheSource) {
  std::mt19937_64 rng(4417);
  const double tolerances[] = {0.5, 2, 20, kInf};
  const double partTolerances[] = {0, 0.1, 1, 5};
  const std::uint64_t limits[] = {1, 5, 20, kAll};
  std::uint64_t rows = 0;
  for (int round = 0; round < 600; ++round) {
    const double vin = round % 7 == 0 ? -12 : 5;
    const bool loaded = round % 4 != 0;
    TwoLegOptions options;
    options.legParts = 1 + round % 2;
    options.distinct = rng() % 4 == 0;
    options.tolerance = tolerances[rng() % 4];
    options.rowsPerPass = rng() % 3 == 0 ? 7 : kRowsPerPass;
    options.threads = 1 + static_cast<int>(rng() % 2);
    const std::uint64_t limit = limits[rng() % 4];
    const std::vector<double> stock =
        RandomStock(rng, 2 + static_cast<int>(rng() % (options.legParts == 1 ? 30 : 9)));
    const auto pick = [&] { return stock[rng() % stock.size()]; };
    const double load = loaded ? pick() * (rng() % 2 ? 1 : 10) : kInf;
    const TwoLegFormula formula = loaded ? LoadedDividerFormula(vin, load) : DividerFormula(vin);
    testing::PlainFormula plain{
        loaded ? testing::PlainFormula::kLoadedDivider : testing::PlainFormula::kDivider,
        vin,
        loaded ? load : 0,
        vin,
        loaded ? load : 0,
        vin,
        loaded ? load : 0};
    const double a = pick();
    const double b = pick();
    const double output = formula.output(formula.k, a, b);
    options.target = rng() % 2 ? std::stod(std::to_string(output))
                               : output * std::uniform_real_distribution<double>(0.9, 1.1)(rng);
    TwoLegBand band;
    band.low = band.high = formula;
    // Every part of the band's one tolerance, for the yardstick's statistical band.
    testing::PlainSpreads spreads;
    if (rng() % 2 == 0) {
      band.partTolerance = partTolerances[rng() % 4];
      spreads.classes.assign(stock.size(), {band.partTolerance, 0, true});
      if (rng() % 3 == 0) {
        band.spreads = UniformSpreads({band.partTolerance / 100, 0});
        band.least = {band.partTolerance / 100, 0};
        band.byRss = spreads.byRss = rng() % 2 == 0;
        spreads.rss = true;
      }
      options.band = band;
    }
    // A bound that a row's own A || B meets exactly, or one near it, or none.
    const double up = 1 + (options.band ? band.partTolerance / 100 : 0);
    const double parallel = a * up * (b * up) / (a * up + b * up);
    switch (rng() % 4) {
      case 0:
        options.maxParallel = parallel;
        break;
      case 1:
        options.maxParallel = parallel * std::uniform_real_distribution<double>(0.5, 2)(rng);
        break;
      case 2:
        options.maxParallel = std::stod(std::to_string(parallel));
        break;
      default:
        break;
    }
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", load " << load << ", target " << options.target
                 << ", stock size " << stock.size() << ", leg parts " << options.legParts
                 << ", tolerance " << options.tolerance << ", limit " << limit << ", band "
                 << (options.band ? band.partTolerance : -1) << ", max A || B "
                 << options.maxParallel);
    const std::vector<std::string> names = Names(stock);
    std::vector<Line> fast;
    FindTwoLegs(stock, formula, options, limit, [&](const TwoLegRow& row) {
      fast.push_back(LineOf(Spell(row.a, names), Spell(row.b, names), row));
    });
    std::vector<Line> slow;
    for (const auto& row : testing::PlainFindTwoLegs(stock, names, plain, options,
                                                     options.band ? &spreads : nullptr)) {
      if (slow.size() == limit) break;
      slow.push_back(LineOf(row.a, row.b, row));
    }
    ASSERT_TRUE(testing::SameRows(fast, slow));
    rows += fast.size();
  }
  EXPECT_GT(rows, 2000u);
}

}  // namespace
}  // namespace vantrel::networks
