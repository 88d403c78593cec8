#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "plain_networks.h"
#include "rc_search.h"
#include "same_rows.h"
#include "stock.h"

namespace vantrel::networks {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

struct Line {
  std::string r, c;
  std::uint64_t tau, output, error, low, high, worst;
  bool operator==(const Line&) const = default;
};

// A row's legs as spelled and its numbers to the bit, the search's or the yardstick's.
template <class Row>
Line LineOf(std::string r, std::string c, const Row& row) {
  return {std::move(r),
          std::move(c),
          std::bit_cast<std::uint64_t>(row.tau),
          std::bit_cast<std::uint64_t>(row.output),
          std::bit_cast<std::uint64_t>(row.error),
          std::bit_cast<std::uint64_t>(row.low),
          std::bit_cast<std::uint64_t>(row.high),
          std::bit_cast<std::uint64_t>(row.worst)};
}

std::ostream& operator<<(std::ostream& out, const Line& row) {
  return out << row.r << " / " << row.c << ": tau " << std::bit_cast<double>(row.tau) << ", "
             << std::bit_cast<double>(row.output) << " (" << std::bit_cast<double>(row.error)
             << " %), band " << std::bit_cast<double>(row.low) << " .. "
             << std::bit_cast<double>(row.high) << ", worst " << std::bit_cast<double>(row.worst);
}

// E-series decimals over a few decades, so that many pairs share one exact product, and now
// and then a value of 17 digits, too long for the exact product.
std::vector<double> RandomStock(std::mt19937_64& rng, int size, double low) {
  const double e12[] = {1, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
  std::vector<double> values;
  for (int i = 0; i < size; ++i) {
    const double decade = low * std::pow(10.0, static_cast<double>(rng() % 4));
    if (rng() % 6 == 0) {
      values.push_back(std::uniform_real_distribution<double>(1, 10)(rng) * decade);
    } else {
      char text[32];
      std::snprintf(text, sizeof text, "%.2g", e12[rng() % 12] * decade);
      values.push_back(std::stod(text));
    }
  }
  return MakeStock(values, {}).values;
}

std::vector<std::string> Names(std::span<const double> stock) {
  std::vector<std::string> names;
  for (double v : stock) names.push_back(std::to_string(v));
  return names;
}

// FindRc lists exactly the rows of the plain enumeration of every resistor leg with every
// capacitor leg, in the same order and to the bit, over random stocks, targets of both
// quantities, tolerances, bounds on R, row limits and pass sizes; targets are often the time
// constant of a pair written as a short decimal, so exact ties and hits are common.
TEST(RcSearch, EqualsPlainEnumeration) {
  std::mt19937_64 rng(24);
  const double tolerances[] = {0, 0.5, 5, 50, kInf};
  const std::uint64_t limits[] = {1, 5, 20, kAll};
  const std::size_t passes[] = {1, 7, std::size_t{1} << 18};
  for (int round = 0; round < 800; ++round) {
    RcOptions options;
    options.quantity = round % 2 ? RcQuantity::kCorner : RcQuantity::kTau;
    options.rParts = 1 + round / 2 % 2;
    options.cParts = 1 + round / 4 % 2;
    options.tolerance = tolerances[rng() % 5];
    options.rowsPerPass = passes[rng() % 3];
    options.threads = 1 + static_cast<int>(rng() % 2);
    const std::uint64_t limit = limits[rng() % 4];
    const std::vector<double> r = RandomStock(rng, 1 + static_cast<int>(rng() % 12), 10);
    const std::vector<double> c = RandomStock(rng, 1 + static_cast<int>(rng() % 8), 1e-9);
    const double tau = r[rng() % r.size()] * c[rng() % c.size()];
    double target =
        options.quantity == RcQuantity::kCorner ? 1 / (2 * std::numbers::pi * tau) : tau;
    if (rng() % 3 == 0) {
      target *= std::uniform_real_distribution<double>(0.9, 1.1)(rng);
    } else {
      char text[32];
      std::snprintf(text, sizeof text, "%.3g", target);
      target = std::stod(text);
    }
    options.target = target;
    if (rng() % 4 == 0) options.minR = r[rng() % r.size()];
    if (rng() % 4 == 0) options.maxR = r[rng() % r.size()] * 1.5;
    if (rng() % 3 == 0) options.scale = std::uniform_real_distribution<double>(1, 1e5)(rng);
    // Bands of either tolerance or both, now and then exactly on a pair's worst case.
    if (rng() % 2 == 0) {
      const double bandTolerances[] = {0, 0.5, 1, 10};
      RcBand band{bandTolerances[rng() % 4], bandTolerances[rng() % 4]};
      if (rng() % 2 == 0) {
        RcRow row{};
        row.r.parts[0] = static_cast<std::uint16_t>(rng() % r.size());
        row.c.parts[0] = static_cast<std::uint16_t>(rng() % c.size());
        row.tau = r[row.r.parts[0]] * c[row.c.parts[0]];
        row.output = options.quantity == RcQuantity::kCorner ? 1 / (kTwoPi * row.tau) : row.tau;
        AddRcBand(row, r, c, options, band);
        band.within = rng() % 2 ? std::stod(std::to_string(row.worst)) : row.worst;
      }
      options.band = band;
      if (rng() % 3 == 0) {
        options.parts = 2 + static_cast<int>(rng() % (options.rParts + options.cParts - 1));
      }
    }
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", target " << options.target << ", stocks " << r.size()
                 << " / " << c.size() << ", parts " << options.rParts << " / " << options.cParts
                 << ", tolerance " << options.tolerance << ", limit " << limit);
    const std::vector<std::string> rNames = Names(r);
    const std::vector<std::string> cNames = Names(c);
    std::vector<Line> fast;
    FindRc(r, c, options, limit, [&](const RcRow& row) {
      fast.push_back(LineOf(Spell(row.r, rNames), Spell(row.c, cNames), row));
      // The band holds its own output.
      EXPECT_TRUE(row.low <= row.output && row.output <= row.high);
    });
    std::vector<Line> plain;
    for (const auto& row : testing::PlainFindRc(r, rNames, c, cNames, options)) {
      if (plain.size() == limit) break;
      plain.push_back(LineOf(row.r, row.c, row));
    }
    ASSERT_TRUE(testing::SameRows(fast, plain));
  }
}

// Pairs of one exact product tie and rank by parts, then by the resistance's distance from
// 10k, then by resistance: 1k with 100n and 10k with 10n both reach 100 µs with error 0, which
// the double products 1000 * 1e-7 and 10000 * 1e-8 would not both give.
TEST(RcSearch, EqualProductsTieToTheBit) {
  const std::vector<double> r = {1000, 10000, 100000};
  const std::vector<double> c = {1e-9, 1e-8, 1e-7};
  RcOptions options;
  options.target = 1e-4;
  std::vector<double> rs;
  FindRc(r, c, options, kAll, [&](const RcRow& row) {
    EXPECT_EQ(row.error, 0);
    rs.push_back(row.rValue);
  });
  EXPECT_EQ(rs, (std::vector<double>{10000, 1000, 100000}));
}

}  // namespace
}  // namespace vantrel::networks

namespace vantrel::networks {
namespace {

// Values spread evenly in decades at two or three digits: resistors from 1 ohm to 1 Mohm,
// capacitors from 1 pF to 1 uF, so that legs of values far apart, whose smaller part may not
// earn its place, are common.
std::vector<double> WideStock(std::mt19937_64& rng, int size, double low) {
  std::vector<double> values;
  for (int i = 0; i < size; ++i) {
    const double value = low * std::pow(10.0, std::uniform_real_distribution<double>(0, 6)(rng));
    char text[32];
    std::snprintf(text, sizeof text, "%.*g", rng() % 2 ? 2 : 3, value);
    values.push_back(std::stod(text));
  }
  return MakeStock(values, {}).values;
}

// FindRc lists exactly the rows of the plain enumeration when each resistor and capacitor
// brings its own tolerance and drift (some of no known class), ranked by the worst case or by
// the statistical band, with and without a within that some rows meet, for both quantities.
TEST(RcSearch, EqualsPlainEnumerationWithEachPartsOwnSpread) {
  std::mt19937_64 rng(2027);
  const double tolerances[] = {0.1, 0.5, 1, 2, 5, 10, 20};
  const double drifts[] = {0, 0.25, 0.5, 1.25, 3};
  const std::uint64_t limits[] = {1, 3, 20, kAll};
  for (int round = 0; round < 700; ++round) {
    RcOptions options;
    options.quantity = round % 2 ? RcQuantity::kCorner : RcQuantity::kTau;
    options.rParts = 1 + round / 2 % 2;
    options.cParts = 1 + round / 4 % 2;
    options.tolerance = rng() % 2 ? kInf : std::uniform_real_distribution<double>(1, 50)(rng);
    options.threads = 1 + static_cast<int>(rng() % 2);
    options.rowsPerPass = rng() % 2 ? 4 : kRowsPerPass;
    if (rng() % 3 == 0) {
      options.parts = 2 + static_cast<int>(rng() % (options.rParts + options.cParts - 1));
    }
    const std::uint64_t limit = limits[rng() % 4];
    const std::vector<double> r = WideStock(rng, 1 + static_cast<int>(rng() % 7), 1);
    const std::vector<double> c = WideStock(rng, 1 + static_cast<int>(rng() % 5), 1e-12);
    const double tau = r[rng() % r.size()] * c[rng() % c.size()] *
                       std::uniform_real_distribution<double>(0.8, 1.25)(rng);
    options.target = options.quantity == RcQuantity::kCorner ? 1 / (kTwoPi * tau) : tau;

    testing::PlainRcSpreads spreads;
    // One class for all now and then, else a drawer of mixed classes.
    const bool mixed = rng() % 3 != 0;
    const testing::PlainClass one{tolerances[rng() % 7], drifts[rng() % 5], true};
    const auto draw = [&](std::size_t size, PartSpread& least) {
      std::vector<testing::PlainClass> classes;
      double t = kInf;
      double d = kInf;
      for (std::size_t i = 0; i < size; ++i) {
        testing::PlainClass k = one;
        if (mixed) k = {tolerances[rng() % 7], drifts[rng() % 5], rng() % 8 != 0};
        if (k.known) {
          t = std::min(t, k.tolerance);
          d = std::min(d, k.drift);
        }
        classes.push_back(k);
      }
      least = std::isinf(t) ? PartSpread{} : PartSpread{t / 100, d / 100};
      return classes;
    };
    RcBand band;
    spreads.r = draw(r.size(), band.leastR);
    spreads.c = draw(c.size(), band.leastC);
    spreads.rss = rng() % 4 != 0;
    spreads.byRss = spreads.rss && rng() % 3 != 0;
    band.rTolerance = band.leastR.tolerance * 100;
    band.cTolerance = band.leastC.tolerance * 100;
    band.perPart = [&](const Network& rLeg, const Network& cLeg, PartTolerances& own) {
      for (int leg = 0; leg < 2; ++leg) {
        const Network& network = leg == 0 ? rLeg : cLeg;
        const auto& classes = leg == 0 ? spreads.r : spreads.c;
        for (int slot = 0; slot < PartCount(network.shape); ++slot) {
          const auto i = static_cast<std::size_t>(slot);
          const testing::PlainClass& k = classes[network.parts[i]];
          if (!k.known) return false;
          (leg == 0 ? own.first : own.second)[i] = k.tolerance;
          (leg == 0 ? own.firstDrift : own.secondDrift)[i] = k.drift;
        }
      }
      return true;
    };
    if (spreads.rss) band.spreads = UniformSpreads({});  // each part's own stands for it
    band.byRss = spreads.byRss;
    options.band = band;
    // By index: picofarads would all read 0.000000.
    std::vector<std::string> rNames;
    std::vector<std::string> cNames;
    for (std::size_t i = 0; i < r.size(); ++i) rNames.push_back("r" + std::to_string(i));
    for (std::size_t i = 0; i < c.size(); ++i) cNames.push_back("c" + std::to_string(i));
    if (rng() % 3 != 0) {
      const auto all = testing::PlainFindRc(r, rNames, c, cNames, options, &spreads);
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
                 << "round " << round << ", target " << options.target << ", stocks " << r.size()
                 << " / " << c.size() << ", parts " << options.rParts << " / " << options.cParts
                 << ", tolerance " << options.tolerance << ", limit " << limit << ", mixed "
                 << mixed << ", rss " << spreads.rss << " by " << spreads.byRss << ", within "
                 << band.within);
    struct Rss {
      double low, high, worst;
    };
    std::vector<Line> fast;
    std::vector<Rss> fastRss;
    FindRc(r, c, options, limit, [&](const RcRow& row) {
      fast.push_back(LineOf(Spell(row.r, rNames), Spell(row.c, cNames), row));
      fastRss.push_back({row.rssLow, row.rssHigh, row.rssWorst});
    });
    std::vector<Line> plain;
    std::vector<Rss> plainRss;
    for (const auto& row : testing::PlainFindRc(r, rNames, c, cNames, options, &spreads)) {
      if (plain.size() == limit) break;
      plain.push_back(LineOf(row.r, row.c, row));
      plainRss.push_back({row.rssLow, row.rssHigh, row.rssWorst});
    }
    ASSERT_TRUE(testing::SameRows(fast, plain));
    // The statistical band is worked out in another order here, so it agrees to roundings.
    const auto near = [](double x, double y) {
      return x == y || std::fabs(x - y) <= 1e-12 * std::max(std::fabs(x), std::fabs(y));
    };
    for (std::size_t i = 0; spreads.rss && i < fast.size(); ++i) {
      SCOPED_TRACE(::testing::Message() << "row " << i << ": " << fast[i]);
      EXPECT_PRED2(near, fastRss[i].low, plainRss[i].low);
      EXPECT_PRED2(near, fastRss[i].high, plainRss[i].high);
      EXPECT_PRED2(near, fastRss[i].worst, plainRss[i].worst);
    }
  }
}

}  // namespace
}  // namespace vantrel::networks
