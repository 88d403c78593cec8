#include "designs.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantrel::finder {
namespace {

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

// Derived bounds only narrow the walk, the rows being checked exactly as before; this covers
// the roundings by which a row's own figures differ from the bound's.
constexpr double kBoundMargin = 1e-6;

void AtLeast(double& bound, double value) {
  bound = std::max(bound, value * (1 - kBoundMargin));
}

void AtMost(double& bound, double value) {
  bound = std::min(bound, value * (1 + kBoundMargin));
}

// The bounds on current and power as bounds on the legs and the total, so that the walk never
// visits rows they would refuse. Every part of a leg of value R across volts V takes at least
// V² / (2R) at the most (a single part V² / R, the larger of two in series at least half, the
// smaller of two in parallel at most 2R), so a power bound P asks R >= V² / (2P) of each leg,
// V taken at its least over the tolerance.
void NarrowByLoad(const Design& design, networks::TwoLegOptions& options) {
  const DesignBounds& bounds = design.bounds;
  if (!design.volts) return;
  const double vref = design.formula.k[0];
  const double target = std::fabs(options.target);
  const double least = target * (1 - options.tolerance / 100);
  const double most = target * (1 + options.tolerance / 100);
  const bool divider = !design.formula.risesInA;
  if (bounds.maxPower) {
    const double p = *bounds.maxPower;
    // Divider: VIN - VOUT across the top (A), VOUT across the bottom (B); regulator: VOUT - VREF
    // across A, VREF across B.
    const double va = divider ? std::fabs(vref) - most : least - vref;
    const double vb = divider ? least : vref;
    if (p <= 0) {
      options.minA = std::numeric_limits<double>::infinity();
    } else {
      if (va > 0) AtLeast(options.minA, va * va / (2 * p));
      if (vb > 0) AtLeast(options.minB, vb * vb / (2 * p));
    }
  }
  if (bounds.minCurrent > 0 || !std::isinf(bounds.maxCurrent)) {
    if (divider) {
      // VIN / (A + B).
      AtLeast(options.minTotal, std::fabs(vref) / bounds.maxCurrent);
      AtMost(options.maxTotal, std::fabs(vref) / bounds.minCurrent);
    } else {
      // VREF / B, less the pin current where it flows through Rtop as well.
      const double iadj = design.referenceTop ? 0 : design.formula.k[1];
      const double low = bounds.minCurrent - iadj;
      const double high = bounds.maxCurrent - iadj;
      if (high <= 0) {
        options.minB = std::numeric_limits<double>::infinity();
      } else {
        AtLeast(options.minB, vref / high);
        if (low > 0) AtMost(options.maxB, vref / low);
      }
    }
  }
}

}  // namespace

networks::PartSpreads RequestSpreads(const Statistics& statistics, double partTolerance) {
  return networks::UniformSpreads({partTolerance / 100, statistics.DriftPercent() / 100});
}

std::optional<networks::TwoLegBand> DesignBand(const Design& design, double partTolerance) {
  const Statistics& statistics = design.bounds.statistics;
  // The worst case's search and exact settling take one tolerance for every part, so the
  // uniform drift widens it here.
  networks::TwoLegBand band;
  band.low = design.low;
  band.high = design.high;
  band.partTolerance = partTolerance + statistics.DriftPercent();
  if (design.bounds.within) band.within = *design.bounds.within;
  if (statistics.rss) band.spreads = RequestSpreads(statistics, partTolerance);
  band.byRss = statistics.byRss;
  return band;
}

networks::RcBand RcRequestBand(const RcBounds& bounds, double rTolerance, double cTolerance) {
  const Statistics& statistics = bounds.statistics;
  const double drift = statistics.DriftPercent();
  networks::RcBand band;
  band.rTolerance = rTolerance + drift;
  band.cTolerance = cTolerance + drift;
  if (bounds.within) band.within = *bounds.within;
  if (statistics.rss) {
    const networks::PartSpreads r = RequestSpreads(statistics, rTolerance);
    const networks::PartSpreads c = RequestSpreads(statistics, cTolerance);
    band.spreads = [r, c](int leg, int slot, std::uint16_t part) {
      return leg == 0 ? r(leg, slot, part) : c(leg, slot, part);
    };
  }
  band.byRss = statistics.byRss;
  return band;
}

std::optional<networks::TwoLegBand> DesignBand(const Design& design) {
  if (!Banded(design.bounds)) return std::nullopt;
  return DesignBand(design, design.bounds.partTolerance.value_or(0));
}

bool WithinBand(double low, double high, double target, double percent) {
  const double lowError = (low - target) / target * 100;
  const double highError = (high - target) / target * 100;
  return std::fabs(lowError) <= percent && std::fabs(highError) <= percent;
}

namespace {

// The largest t in [0, 99.99] at which fits(t) holds, fits being true up to a point and false
// beyond it; nullopt where fits(0) does not hold.
template <class Fits>
std::optional<double> LargestFitting(const Fits& fits) {
  if (!fits(0)) return std::nullopt;
  double lo = 0;
  double hi = 99.99;
  if (fits(hi)) return hi;
  for (int i = 0; i < 60 && hi - lo > 1e-12 * hi; ++i) {
    const double mid = (lo + hi) / 2;
    (fits(mid) ? lo : hi) = mid;
  }
  return lo;
}

}  // namespace

std::optional<double> NeededPartTolerance(const Design& design, const networks::TwoLegRow& row,
                                          std::span<const double> stock, double percent) {
  const Statistics& statistics = design.bounds.statistics;
  return LargestFitting([&](double t) {
    // The drift alone may leave no room for a tolerance.
    if (!(t + statistics.DriftPercent() < 100)) return false;
    networks::TwoLegRow copy = row;
    networks::TwoLegBand band = *DesignBand(design, t);
    band.within = percent;
    networks::AddBand(copy, stock, design.formula, design.options.target, band, false);
    if (statistics.byRss) {
      return WithinBand(copy.rssLow, copy.rssHigh, design.options.target, percent);
    }
    return WithinBand(copy.low, copy.high, design.options.target, percent);
  });
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
  options.band = DesignBand(design);
  NarrowByLoad(design, options);
  const DesignBounds& bounds = design.bounds;
  const bool currents = design.current && (bounds.minCurrent > 0 || !std::isinf(bounds.maxCurrent));
  const bool power = design.volts && bounds.maxPower;
  if (currents || power) {
    options.keep = [&](const networks::TwoLegRow& row) {
      if (currents) {
        const double current = std::fabs(design.current(design.formula.k, row));
        if (!(current >= bounds.minCurrent && current <= bounds.maxCurrent)) return false;
      }
      return !power || MaxPartPower(design, row, stock) <= *bounds.maxPower;
    };
  }
  if (!bounds.within) {
    networks::FindTwoLegs(stock, design.formula, options, limit, take);
    return;
  }
  // Fewest parts first: each count of parts is a search of its own, for the rows still wanted.
  for (int parts = 2; parts <= 2 * options.legParts && limit > 0; ++parts) {
    if (stop && stop->load(std::memory_order_relaxed)) return;
    options.parts = parts;
    networks::FindTwoLegs(stock, design.formula, options, limit,
                          [&](const networks::TwoLegRow& row) {
                            --limit;
                            take(row);
                          });
  }
}

std::optional<double> NeededRcTolerance(const networks::RcRow& row,
                                        const networks::RcOptions& options, const RcBounds& bounds,
                                        std::span<const double> rStock,
                                        std::span<const double> cStock, double percent) {
  const Statistics& statistics = bounds.statistics;
  return LargestFitting([&](double t) {
    if (!(t + statistics.DriftPercent() < 100)) return false;
    networks::RcRow copy = row;
    networks::RcBand band = RcRequestBand(bounds, t, t);
    band.within = percent;
    networks::AddRcBand(copy, rStock, cStock, options, band, false);
    if (statistics.byRss) return WithinBand(copy.rssLow, copy.rssHigh, options.target, percent);
    return WithinBand(copy.low, copy.high, options.target, percent);
  });
}

void SearchRc(const networks::RcOptions& options, const RcBounds& bounds,
              std::span<const double> rStock, std::span<const double> cStock,
              const std::atomic<bool>* stop, std::uint64_t limit,
              const std::function<void(const networks::RcRow&)>& take) {
  networks::RcOptions search = options;
  search.stop = stop;
  if (Banded(bounds)) {
    search.band =
        RcRequestBand(bounds, bounds.rTolerance.value_or(0), bounds.cTolerance.value_or(0));
  }
  if (!bounds.within) {
    networks::FindRc(rStock, cStock, search, limit, take);
    return;
  }
  const int most = options.rParts + options.cParts;
  for (int parts = 2; parts <= most && limit > 0; ++parts) {
    if (stop && stop->load(std::memory_order_relaxed)) return;
    search.parts = parts;
    networks::FindRc(rStock, cStock, search, limit, [&](const networks::RcRow& row) {
      --limit;
      take(row);
    });
  }
}

}  // namespace vantrel::finder
