#include "designs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace vantrel::finder {
namespace {

constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

// The largest power a part of leg takes with volts across the leg.
double LegMaxPower(const networks::Network& leg, double value, double volts,
                   std::span<const double> stock) {
  const double x = stock[leg.parts[0]];
  switch (leg.shape) {
    case networks::Shape::kSeries2: {
      const double current = volts / value;
      return current * current * std::max(x, stock[leg.parts[1]]);
    }
    case networks::Shape::kParallel2:
      return volts * volts / std::min(x, stock[leg.parts[1]]);
    default:
      return volts * volts / x;
  }
}

// A row with what the band order ranks it by.
template <class Row>
struct BandRow {
  Row row;
  int parts = 0;
  double width = 0;

  static bool Before(const BandRow& x, const BandRow& y) {
    if (x.parts != y.parts) return x.parts < y.parts;
    if (x.width != y.width) return x.width < y.width;
    return Row::Before(x.row, y.row);
  }
};

// A band's width as the band order compares it: to 9 significant digits, so that bands equal
// in exact arithmetic (100 with 10 and 110 with 11 for a gain of 11) tie whatever double
// rounding left in them, and rank by the search's order instead.
double WidthKey(double width) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, width, std::chars_format::scientific, 8);
  double key = width;
  std::from_chars(text, end.ptr, key);
  return key;
}

// The band order differs from the search's, so every row search gives within the band is seen,
// the best limit of them kept in a heap whose front is the worst; band(row) gives its parts
// and the band's width.
template <class Row, class Search, class Band>
void TakeInBandOrder(const Search& search, const Band& band, const std::atomic<bool>* stop,
                     std::uint64_t limit, const std::function<void(const Row&)>& take) {
  std::vector<BandRow<Row>> held;
  search([&](const Row& row) {
    const auto [parts, width] = band(row);
    held.push_back({row, parts, WidthKey(width)});
    std::push_heap(held.begin(), held.end(), BandRow<Row>::Before);
    if (held.size() > limit) {
      std::pop_heap(held.begin(), held.end(), BandRow<Row>::Before);
      held.pop_back();
    }
  });
  std::sort_heap(held.begin(), held.end(), BandRow<Row>::Before);
  for (const BandRow<Row>& row : held) {
    if (stop && stop->load(std::memory_order_relaxed)) return;
    take(row.row);
  }
}

}  // namespace

std::pair<double, double> WorstCase(const Design& design, const networks::TwoLegRow& row,
                                    std::span<const double> stock) {
  const double t = design.bounds.partTolerance.value_or(0) / 100;
  const double aUp = networks::NetworkValue(row.a, stock, 1 + t);
  const double aDown = networks::NetworkValue(row.a, stock, 1 - t);
  const double bUp = networks::NetworkValue(row.b, stock, 1 + t);
  const double bDown = networks::NetworkValue(row.b, stock, 1 - t);
  const networks::TwoLegFormula& low = design.low;
  const networks::TwoLegFormula& high = design.high;
  const bool risesInA = design.formula.risesInA;
  const double x = risesInA ? low.output(low.k, aDown, bUp) : low.output(low.k, aUp, bDown);
  const double y = risesInA ? high.output(high.k, aUp, bDown) : high.output(high.k, aDown, bUp);
  // A divider of negative VIN falls where a positive one rises.
  return {std::min(x, y), std::max(x, y)};
}

bool WithinBand(double low, double high, double target, double percent) {
  const double lowError = (low - target) / target * 100;
  const double highError = (high - target) / target * 100;
  return std::fabs(lowError) <= percent && std::fabs(highError) <= percent;
}

double MaxPartPower(const Design& design, const networks::TwoLegRow& row,
                    std::span<const double> stock) {
  const auto [va, vb] = design.volts(design.formula.k, row);
  return std::max(LegMaxPower(row.a, row.ra, va, stock), LegMaxPower(row.b, row.rb, vb, stock));
}

void SearchDesign(const Design& design, std::span<const double> stock,
                  const std::atomic<bool>* stop, std::uint64_t limit,
                  const std::function<void(const networks::TwoLegRow&)>& take) {
  networks::TwoLegOptions options = design.options;
  options.stop = stop;
  const DesignBounds& bounds = design.bounds;
  const bool currents = design.current && (bounds.minCurrent > 0 || !std::isinf(bounds.maxCurrent));
  const bool power = design.volts && bounds.maxPower;
  if (currents || power || bounds.within) {
    options.keep = [&](const networks::TwoLegRow& row) {
      if (currents) {
        const double current = std::fabs(design.current(design.formula.k, row));
        if (!(current >= bounds.minCurrent && current <= bounds.maxCurrent)) return false;
      }
      if (power && !(MaxPartPower(design, row, stock) <= *bounds.maxPower)) return false;
      if (!bounds.within) return true;
      const auto [low, high] = WorstCase(design, row, stock);
      return WithinBand(low, high, design.options.target, *bounds.within);
    };
  }
  if (!bounds.within) {
    networks::FindTwoLegs(stock, design.formula, options, limit, take);
    return;
  }
  TakeInBandOrder<networks::TwoLegRow>(
      [&](const auto& each) { networks::FindTwoLegs(stock, design.formula, options, kAll, each); },
      [&](const networks::TwoLegRow& row) {
        const auto [low, high] = WorstCase(design, row, stock);
        return std::pair(networks::PartCount(row.a.shape) + networks::PartCount(row.b.shape),
                         high - low);
      },
      stop, limit, take);
}

std::pair<double, double> RcWorstCase(const networks::RcRow& row, networks::RcQuantity quantity,
                                      const RcBounds& bounds) {
  const double tr = bounds.rTolerance.value_or(0) / 100;
  const double tc = bounds.cTolerance.value_or(0) / 100;
  const double low = row.tau * (1 - tr) * (1 - tc);
  const double high = row.tau * (1 + tr) * (1 + tc);
  if (quantity == networks::RcQuantity::kTau) return {low, high};
  return {1 / (networks::kTwoPi * high), 1 / (networks::kTwoPi * low)};
}

void SearchRc(const networks::RcOptions& options, const RcBounds& bounds,
              std::span<const double> rStock, std::span<const double> cStock,
              const std::atomic<bool>* stop, std::uint64_t limit,
              const std::function<void(const networks::RcRow&)>& take) {
  networks::RcOptions search = options;
  search.stop = stop;
  if (!bounds.within) {
    networks::FindRc(rStock, cStock, search, limit, take);
    return;
  }
  search.keep = [&](const networks::RcRow& row) {
    const auto [low, high] = RcWorstCase(row, options.quantity, bounds);
    return WithinBand(low, high, options.target, *bounds.within);
  };
  TakeInBandOrder<networks::RcRow>(
      [&](const auto& each) { networks::FindRc(rStock, cStock, search, kAll, each); },
      [&](const networks::RcRow& row) {
        const auto [low, high] = RcWorstCase(row, options.quantity, bounds);
        return std::pair(row.PartTotal(), high - low);
      },
      stop, limit, take);
}

}  // namespace vantrel::finder
