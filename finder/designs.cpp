#include "designs.h"

#include <algorithm>
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
struct BandRow {
  networks::TwoLegRow row;
  int parts = 0;
  double width = 0;
};

bool BandBefore(const BandRow& x, const BandRow& y) {
  if (x.parts != y.parts) return x.parts < y.parts;
  if (x.width != y.width) return x.width < y.width;
  return networks::TwoLegRanksBefore(x.row, y.row);
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
  // The band order differs from the search's, so every row in the band is seen, the best
  // limit of them kept in a heap whose front is the worst.
  std::vector<BandRow> held;
  networks::FindTwoLegs(stock, design.formula, options, kAll, [&](const networks::TwoLegRow& row) {
    const auto [low, high] = WorstCase(design, row, stock);
    held.push_back(
        {row, networks::PartCount(row.a.shape) + networks::PartCount(row.b.shape), high - low});
    std::push_heap(held.begin(), held.end(), BandBefore);
    if (held.size() > limit) {
      std::pop_heap(held.begin(), held.end(), BandBefore);
      held.pop_back();
    }
  });
  std::sort_heap(held.begin(), held.end(), BandBefore);
  for (const BandRow& band : held) {
    if (stop && stop->load(std::memory_order_relaxed)) return;
    take(band.row);
  }
}

}  // namespace vantrel::finder
