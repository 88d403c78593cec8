// --prefer's ranking against a plain yardstick: every row the plain enumerations admit, its new
// values counted from its spelling, sorted by that count and then the usual order.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "plain_networks.h"
#include "search_kinds.h"
#include "stock.h"
#include "values_added.h"

namespace vantrel::finder {
namespace {

constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A row as both sides tell it: its legs spelled, and the values it adds to the board.
struct Line {
  std::string legs;
  int added = 0;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
  return out << line.legs << " (" << line.added << " new)";
}

std::vector<double> RandomStock(std::mt19937_64& rng, int size, double low) {
  const double e12[] = {1, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
  std::vector<double> values;
  for (int i = 0; i < size; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2g",
                  e12[rng() % 12] * low * std::pow(10.0, static_cast<double>(rng() % 3)));
    values.push_back(std::stod(text));
  }
  return networks::MakeStock(values, {}).values;
}

// A stock named by index ("v0", "v1", ...) with a board of some of its values, now and then none
// or all of them, and a value the stock lacks.
LoadedStock StockWithBoard(std::mt19937_64& rng, std::vector<double> values,
                           const StockKind& kind) {
  LoadedStock stock;
  stock.opened = true;
  stock.kind = &kind;
  // Appended rather than "v" + a temporary, which GCC 12 at -O3 misreads as an overlapping copy.
  for (std::size_t i = 0; i < values.size(); ++i)
    stock.names.push_back(std::string("v").append(std::to_string(i)));
  std::vector<double> board;
  const unsigned share = static_cast<unsigned>(rng() % 5);  // in quarters; 0 none, 4 all
  for (const double value : values) {
    if (rng() % 4 < share) board.push_back(value);
  }
  board.push_back(values.back() * 3.7);
  std::sort(board.begin(), board.end());
  stock.stock.values = std::move(values);
  stock.board = std::move(board);
  return stock;
}

using testing::ValuesAdded;

// The number of parts a spelling names, each use counted.
std::size_t Parts(const std::string& spelling) {
  return static_cast<std::size_t>(std::count(spelling.begin(), spelling.end(), 'v'));
}

// The yardstick: the usual order (plain), then the fewest parts first, then the new values first,
// the first limit rows. Below every row, the rows that add values come from the first scanLimit
// rows in that order alone, but for those that add one where they were all ranked.
std::vector<Line> Ranked(std::vector<Line> plain, std::uint64_t limit,
                         std::uint64_t scanLimit = kAll, bool onesRanked = false) {
  std::stable_sort(plain.begin(), plain.end(),
                   [](const Line& x, const Line& y) { return Parts(x.legs) < Parts(y.legs); });
  if (limit != kAll) {
    std::vector<Line> seen;
    for (std::size_t i = 0; i < plain.size(); ++i) {
      const int added = plain[i].added;
      if (added == 0 || (added == 1 && onesRanked) || i < scanLimit) seen.push_back(plain[i]);
    }
    plain = std::move(seen);
  }
  std::stable_sort(plain.begin(), plain.end(),
                   [](const Line& x, const Line& y) { return x.added < y.added; });
  if (plain.size() > limit) plain.resize(limit);
  return plain;
}

void ExpectSame(const std::vector<Line>& found, const std::vector<Line>& plain) {
  const auto [f, p] = std::mismatch(found.begin(), found.end(), plain.begin(), plain.end());
  ASSERT_TRUE(f == found.end() && p == plain.end())
      << "row " << (f - found.begin()) << " of " << found.size() << " / " << plain.size()
      << ": found " << (f == found.end() ? std::string("none") : ::testing::PrintToString(*f))
      << ", plain " << (p == plain.end() ? std::string("none") : ::testing::PrintToString(*p));
}

template <class Kind, class Request>
std::vector<Line> TwoLegLines(const Request& request, const LoadedStock& stock, std::uint64_t limit,
                              PreferScan& scan) {
  std::vector<Line> lines;
  SearchRows<Kind>(
      request, stock, nullptr, limit,
      [&](const networks::TwoLegRow& found) {
        const auto row = Kind::MakeRow(lines.size() + 1, found, stock, request);
        lines.push_back(
            {networks::Spell(found.a, stock.names) + " / " + networks::Spell(found.b, stock.names),
             row.newValues});
      },
      nullptr, &scan);
  return lines;
}

// Dividers, regulators and gains, with and without a band and --within, on random stocks and
// boards: the rows and their New equal the yardstick's, for every limit, and with a walk cut
// short, those of the rows it saw.
TEST(PreferredSearch, DesignsEqualPlainEnumerationRankedByNewValues) {
  std::mt19937_64 rng(32);
  const double tolerances[] = {0.5, 2, 10, kInf};
  const std::uint64_t limits[] = {1, 3, 10, 40, kAll};
  for (int round = 0; round < 600; ++round) {
    const int legParts = 1 + round / 3 % 2;
    LoadedStock stock = StockWithBoard(
        rng, RandomStock(rng, 1 + static_cast<int>(rng() % (legParts == 1 ? 12 : 6)), 100),
        kResistors);
    const std::vector<double>& values = stock.stock.values;
    const auto pick = [&] { return values[rng() % values.size()]; };
    const std::uint64_t limit = limits[rng() % 5];
    networks::TwoLegOptions options;
    options.legParts = legParts;
    options.tolerance = tolerances[rng() % 4];
    options.distinct = rng() % 3 == 0;
    options.threads = 1 + static_cast<int>(rng() % 2);
    const double partTolerance = rng() % 2 ? 1 : 0;
    const bool banded = rng() % 2 == 0;
    const bool within = banded && rng() % 2 == 0;
    testing::PlainFormula plain;
    std::vector<Line> found;
    PreferScan scan;
    if (rng() % 3 == 0) scan.scanLimit = rng() % 30;
    switch (round % 3) {
      case 0: {
        DividerRequest request;
        request.search.vin = 5;
        request.search.vout = 5 * pick() / (pick() + pick());
        if (!(request.search.vout < 5)) request.search.vout = 2.5;
        request.search.legParts = legParts;
        request.search.tolerance = options.tolerance;
        request.search.distinct = options.distinct;
        request.search.threads = options.threads;
        options = networks::DividerLegOptions(request.search);
        plain = {testing::PlainFormula::kDivider, 5, 0, 5, 0, 5, 0};
        if (banded) request.bounds.partTolerance = partTolerance;
        if (within) request.bounds.within = 3;
        request.prefer = "board";
        found = TwoLegLines<DividerKind>(request, stock, limit, scan);
        break;
      }
      case 1: {
        RegulatorRequest request;
        request.vref = {0.78, 0.8, 0.82};
        options.target = 0.8 * (1 + pick() / pick()) * (rng() % 2 ? 1 : 1.004);
        if (options.target <= 0.8) options.target = 3.3;
        request.search = options;
        plain = {testing::PlainFormula::kRegulator, 0.8, 0, 0.78, 0, 0.82, 0};
        if (banded) request.bounds.partTolerance = partTolerance;
        if (within) request.bounds.within = 4;
        request.prefer = "board";
        found = TwoLegLines<RegulatorKind>(request, stock, limit, scan);
        break;
      }
      default: {
        GainRequest request;
        options.target = 1 + pick() / pick();
        request.search = options;
        plain = {testing::PlainFormula::kGain, 1, 0, 1, 0, 1, 0};
        if (banded) request.bounds.partTolerance = partTolerance;
        if (within) request.bounds.within = 2;
        request.prefer = "board";
        found = TwoLegLines<GainKind>(request, stock, limit, scan);
        break;
      }
    }
    if (banded) {
      networks::TwoLegBand band;
      band.partTolerance = partTolerance;
      if (within) band.within = round % 3 == 0 ? 3 : round % 3 == 1 ? 4 : 2;
      options.band = band;
    }
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", target " << options.target << ", stock "
                 << values.size() << ", board " << stock.board->size() << ", leg parts " << legParts
                 << ", tolerance " << options.tolerance << ", limit " << limit << ", band "
                 << banded << ", within " << within << ", scan " << scan.scanLimit);
    std::vector<Line> lines;
    for (const auto& row : testing::PlainFindTwoLegs(values, stock.names, plain, options)) {
      const std::string legs = row.a + " / " + row.b;
      lines.push_back({legs, ValuesAdded(legs, stock)});
    }
    // --within lists fewest parts first.
    if (within) {
      std::stable_sort(lines.begin(), lines.end(),
                       [](const Line& x, const Line& y) { return Parts(x.legs) < Parts(y.legs); });
    }
    // A cut walk stopped short of rows it would have seen.
    if (scan.cut) {
      EXPECT_GT(lines.size(), scan.scanLimit);
    }
    ExpectSame(found, Ranked(std::move(lines), limit, scan.scanLimit, scan.onesRanked));
  }
}

// RC pairs: the resistor and the capacitor board both count.
TEST(PreferredSearch, RcEqualsPlainEnumerationRankedByNewValues) {
  std::mt19937_64 rng(33);
  const double tolerances[] = {0.5, 5, 50, kInf};
  const std::uint64_t limits[] = {1, 4, 20, kAll};
  for (int round = 0; round < 300; ++round) {
    RcRequest request;
    networks::RcOptions& options = request.search;
    options.quantity = round % 2 ? networks::RcQuantity::kCorner : networks::RcQuantity::kTau;
    options.rParts = 1 + round / 2 % 2;
    options.cParts = 1 + round / 4 % 2;
    options.tolerance = tolerances[rng() % 4];
    options.threads = 1 + static_cast<int>(rng() % 2);
    if (rng() % 2) request.bounds.rTolerance = 1;
    request.prefer = "board";
    const std::uint64_t limit = limits[rng() % 4];
    RcStocks stocks{
        StockWithBoard(rng, RandomStock(rng, 1 + static_cast<int>(rng() % 8), 10), kResistors),
        StockWithBoard(rng, RandomStock(rng, 1 + static_cast<int>(rng() % 6), 1e-9), kCapacitors)};
    const std::vector<double>& r = stocks.resistors.stock.values;
    const std::vector<double>& c = stocks.capacitors.stock.values;
    const double tau = r[rng() % r.size()] * c[rng() % c.size()] * (rng() % 2 ? 1 : 1.01);
    options.target =
        options.quantity == networks::RcQuantity::kCorner ? 1 / (networks::kTwoPi * tau) : tau;
    SCOPED_TRACE(::testing::Message() << "round " << round << ", stocks " << r.size() << " / "
                                      << c.size() << ", limit " << limit);
    std::vector<Line> found;
    SearchRows<RcKind>(request, stocks, nullptr, limit, [&](const networks::RcRow& row) {
      found.push_back({networks::Spell(row.r, stocks.resistors.names) + " / " +
                           networks::Spell(row.c, stocks.capacitors.names),
                       MakeRcRow(1, row, stocks, request).newValues});
    });
    networks::RcOptions plainOptions = options;
    if (request.bounds.rTolerance) plainOptions.band = networks::RcBand{1, 0};
    std::vector<Line> lines;
    for (const auto& row : testing::PlainFindRc(r, stocks.resistors.names, c,
                                                stocks.capacitors.names, plainOptions)) {
      lines.push_back({row.r + " / " + row.c, ValuesAdded(row.r, stocks.resistors) +
                                                  ValuesAdded(row.c, stocks.capacitors)});
    }
    ExpectSame(found, Ranked(std::move(lines), limit));
  }
}

// Networks of up to four parts.
TEST(PreferredSearch, FindEqualsPlainEnumerationRankedByNewValues) {
  std::mt19937_64 rng(34);
  const double tolerances[] = {0.5, 3, 20};
  const std::uint64_t limits[] = {1, 5, 30, kAll};
  for (int round = 0; round < 200; ++round) {
    FindRequest request;
    request.search.maxParts = 1 + round % 4;
    request.search.tolerance = tolerances[rng() % 3];
    request.search.distinct = rng() % 3 == 0;
    request.search.threads = 1 + static_cast<int>(rng() % 2);
    request.prefer = "board";
    const std::uint64_t limit = limits[rng() % 4];
    LoadedStock stock = StockWithBoard(
        rng,
        RandomStock(rng, 1 + static_cast<int>(rng() % (request.search.maxParts < 4 ? 8 : 5)), 100),
        kResistors);
    const std::vector<double>& values = stock.stock.values;
    request.search.target = values[rng() % values.size()] + values[rng() % values.size()] / 3;
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", stock " << values.size() << ", parts "
                 << request.search.maxParts << ", limit " << limit);
    std::vector<Line> found;
    SearchRows<FindKind>(request, stock, nullptr, limit, [&](const networks::NetworkRow& row) {
      found.push_back({networks::Spell(row.network, stock.names),
                       MakeFindRow(1, row, stock, request).newValues});
    });
    std::vector<Line> lines;
    for (const auto& row : testing::PlainFindNetworks(values, stock.names, request.search, 1, 1))
      lines.push_back({row.spelling, ValuesAdded(row.spelling, stock)});
    ExpectSame(found, Ranked(std::move(lines), limit));
  }
}

}  // namespace
}  // namespace vantrel::finder
