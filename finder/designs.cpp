#include "designs.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace vantrel::finder {

std::array<double, 2> LegPartPowers(const networks::Network& leg, double value, double volts,
                                    std::span<const double> stock) {
  const double x = stock[leg.parts[0]];
  switch (leg.shape) {
    case networks::Shape::kSeries2: {
      const double current = volts / value;
      return {current * current * x, current * current * stock[leg.parts[1]]};
    }
    case networks::Shape::kParallel2:
      return {volts * volts / x, volts * volts / stock[leg.parts[1]]};
    default:
      return {volts * volts / x, 0};
  }
}

namespace {

// The largest power a part of leg takes with volts across the leg.
double LegMaxPower(const networks::Network& leg, double value, double volts,
                   std::span<const double> stock) {
  const auto powers = LegPartPowers(leg, value, volts, stock);
  return std::max(powers[0], powers[1]);
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
    if (divider && design.formula.k[1] > 0) {
      // A load across B (LoadedDividerFormula's k[1]): VIN / (A + B || L) is at least
      // VIN / (A + B), which bounds the total from below alone, and A carries (VIN - VOUT) / A.
      AtLeast(options.minTotal, std::fabs(vref) / bounds.maxCurrent);
      AtMost(options.maxA, (std::fabs(vref) - least) / bounds.minCurrent);
    } else if (divider) {
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
  band.least = {partTolerance / 100, statistics.DriftPercent() / 100};
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
  band.leastR = {rTolerance / 100, drift / 100};
  band.leastC = {cTolerance / 100, drift / 100};
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
    // Looser parts raise A || B at their upper ends as well.
    if (copy.parallel > design.options.maxParallel) return false;
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

namespace {

// The rows a search left out for a part past its rating, and how many of them a designer would
// have seen: those ranked before the last row given, or all when the search ran out of rows.
template <class Row>
class OverRated {
 public:
  void Add(const Row& row) {
    const std::lock_guard lock(m_mutex);
    m_rows.push_back(row);
  }
  // Counts the rows of one search that gave `given` of `limit` rows, the last being last.
  void Close(std::uint64_t given, std::uint64_t limit, const std::optional<Row>& last) {
    std::vector<Row> rows = std::move(m_rows);
    m_rows.clear();
    std::sort(rows.begin(), rows.end(), Row::Before);
    // A row the walk met twice (at the edge of a pass) counts once.
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const Row& x, const Row& y) {
                             return !Row::Before(x, y) && !Row::Before(y, x);
                           }),
               rows.end());
    for (const Row& row : rows) {
      if (given < limit || !last || Row::Before(row, *last)) ++m_count;
    }
  }
  std::uint64_t Count() const { return m_count; }

 private:
  std::mutex m_mutex;
  std::vector<Row> m_rows;
  std::uint64_t m_count = 0;
};

// With --within, fewest parts first: each count of parts from 2 to most is a search of its own,
// search(parts, wanted), for the rows still wanted; it returns how many rows it gave. only, when
// not 0, is the one count searched (rows of exactly that many parts).
template <class Search>
void FewestPartsFirst(int only, int most, const std::atomic<bool>* stop, std::uint64_t limit,
                      const Search& search) {
  for (int parts = 2; parts <= most && limit > 0; ++parts) {
    if (stop && stop->load(std::memory_order_relaxed)) return;
    if (only == 0 || parts == only) limit -= search(parts, limit);
  }
}

// Whether every part of the row takes at most the least rating drawn for its value times derate,
// wherever each drawn part goes.
bool WithinRatings(const Design& design, const networks::TwoLegRow& row,
                   std::span<const double> stock, const DrawnParts& drawn) {
  const auto [va, vb] = design.volts(design.formula.k, row);
  const std::array<std::array<double, 2>, 2> powers{LegPartPowers(row.a, row.ra, va, stock),
                                                    LegPartPowers(row.b, row.rb, vb, stock)};
  const std::array<const networks::Network*, 2> legs{&row.a, &row.b};
  for (std::size_t leg = 0; leg < 2; ++leg) {
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(PartCount(legs[leg]->shape));
         ++slot) {
      const std::optional<double> rating = drawn.At(leg, slot).Rating();
      if (rating && !(powers[leg][slot] <= *rating * design.bounds.derate)) return false;
    }
  }
  return true;
}

}  // namespace

namespace {

// The least drift in percent any part of the drawer brings over the range: its class's TCR, else
// the request's, as DrawSpreads takes it.
double LeastDrift(const drawer::Drawer& drawer, const Statistics& statistics) {
  double least = std::numeric_limits<double>::infinity();
  for (const auto& classes : drawer.classes) {
    for (const drawer::PartClass& drawerClass : classes) {
      least = std::min(least, drawerClass.tcr.value_or(statistics.tcr) * 1e-4 * statistics.deltaT);
    }
  }
  return std::isinf(least) ? 0 : least;
}

}  // namespace

void SearchDesign(const Design& design, const LoadedStock& loaded, const std::atomic<bool>* stop,
                  std::uint64_t limit, const std::function<void(const networks::TwoLegRow&)>& take,
                  std::uint64_t* overRated) {
  const std::span<const double> stock = loaded.stock.values;
  const drawer::Drawer* drawer = loaded.drawer.get();
  networks::TwoLegOptions options = design.options;
  options.stop = stop;
  options.band = DesignBand(design);
  const DesignBounds& bounds = design.bounds;
  if (drawer && options.band) {
    options.band->partTolerance = drawer::LeastTolerance(*drawer, bounds.partTolerance);
    options.band->least = {options.band->partTolerance / 100,
                           LeastDrift(*drawer, bounds.statistics) / 100};
    options.band->perPart = [drawer, fallback = bounds.partTolerance,
                             statistics = bounds.statistics](const networks::Network& a,
                                                             const networks::Network& b,
                                                             networks::PartTolerances& tolerances) {
      const std::array<const networks::Network*, 2> legs{&a, &b};
      return DrawSpreads(*drawer, legs, fallback, statistics.tcr, statistics.deltaT, tolerances);
    };
  }
  NarrowByLoad(design, options);
  const bool currents = design.current && (bounds.minCurrent > 0 || !std::isinf(bounds.maxCurrent));
  const bool power = design.volts && bounds.maxPower;
  OverRated<networks::TwoLegRow> refused;
  if (currents || power || drawer) {
    options.keep = [&](const networks::TwoLegRow& row) {
      if (currents) {
        const double current = std::fabs(design.current(design.formula.k, row));
        if (!(current >= bounds.minCurrent && current <= bounds.maxCurrent)) return false;
      }
      if (power && !(MaxPartPower(design, row, stock) <= *bounds.maxPower)) return false;
      if (!drawer) return true;
      const std::array<const networks::Network*, 2> legs{&row.a, &row.b};
      DrawnParts drawn;
      if (!DrawParts(*drawer, legs, drawn)) return false;
      if (design.volts && !WithinRatings(design, row, stock, drawn)) {
        refused.Add(row);
        return false;
      }
      return true;
    };
  }
  // One search for the rows still wanted, its over-rated rows counted when it ends.
  std::uint64_t total = 0;
  const auto search = [&](std::uint64_t wanted) {
    std::uint64_t given = 0;
    std::optional<networks::TwoLegRow> last;
    networks::FindTwoLegs(stock, design.formula, options, wanted,
                          [&](const networks::TwoLegRow& row) {
                            ++given;
                            last = row;
                            take(row);
                          });
    refused.Close(given, wanted, last);
    total += given;
    return given;
  };
  const auto searchAll = [&](std::uint64_t wanted) {
    if (!bounds.within) {
      search(wanted);
    } else {
      FewestPartsFirst(options.parts, 2 * options.legParts, stop, wanted,
                       [&](int parts, std::uint64_t left) {
                         options.parts = parts;
                         return search(left);
                       });
    }
  };
  if (!design.restsOnFigure) {
    searchAll(limit);
  } else {
    // The rows that rest on the figure after all the others: a search for each.
    const auto keep = options.keep;
    for (const bool rests : {false, true}) {
      if (total >= limit || (stop && stop->load(std::memory_order_relaxed))) break;
      options.keep = [&, rests](const networks::TwoLegRow& row) {
        return design.restsOnFigure(row) == rests && (!keep || keep(row));
      };
      searchAll(limit - total);
    }
  }
  if (overRated) *overRated = refused.Count();
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
              const std::function<void(const networks::RcRow&)>& take,
              const drawer::Drawer* rDrawer, const drawer::Drawer* cDrawer) {
  networks::RcOptions search = options;
  search.stop = stop;
  if (Banded(bounds)) {
    search.band =
        RcRequestBand(bounds, bounds.rTolerance.value_or(0), bounds.cTolerance.value_or(0));
  }
  if (rDrawer && cDrawer && search.band) {
    search.band->rTolerance = drawer::LeastTolerance(*rDrawer, bounds.rTolerance);
    search.band->cTolerance = drawer::LeastTolerance(*cDrawer, bounds.cTolerance);
    search.band->leastR = {search.band->rTolerance / 100,
                           LeastDrift(*rDrawer, bounds.statistics) / 100};
    search.band->leastC = {search.band->cTolerance / 100,
                           LeastDrift(*cDrawer, bounds.statistics) / 100};
    search.band->perPart = [&](const networks::Network& r, const networks::Network& c,
                               networks::PartTolerances& tolerances) {
      // Each leg draws on its own kind; the C leg's tolerances go second.
      const std::array<const networks::Network*, 1> rLeg{&r};
      const std::array<const networks::Network*, 1> cLeg{&c};
      const Statistics& statistics = bounds.statistics;
      networks::PartTolerances cOwn;
      if (!DrawSpreads(*rDrawer, rLeg, bounds.rTolerance, statistics.tcr, statistics.deltaT,
                       tolerances) ||
          !DrawSpreads(*cDrawer, cLeg, bounds.cTolerance, statistics.tcr, statistics.deltaT,
                       cOwn)) {
        return false;
      }
      tolerances.second = cOwn.first;
      tolerances.secondDrift = cOwn.firstDrift;
      return true;
    };
  }
  if (rDrawer && cDrawer) {
    search.keep = [&](const networks::RcRow& row) {
      const std::array<const networks::Network*, 1> rLeg{&row.r};
      const std::array<const networks::Network*, 1> cLeg{&row.c};
      DrawnParts drawn;
      return DrawParts(*rDrawer, rLeg, drawn) && DrawParts(*cDrawer, cLeg, drawn);
    };
  }
  if (!bounds.within) {
    networks::FindRc(rStock, cStock, search, limit, take);
    return;
  }
  FewestPartsFirst(options.parts, options.rParts + options.cParts, stop, limit,
                   [&](int parts, std::uint64_t wanted) {
                     search.parts = parts;
                     std::uint64_t given = 0;
                     networks::FindRc(rStock, cStock, search, wanted,
                                      [&](const networks::RcRow& row) {
                                        ++given;
                                        take(row);
                                      });
                     return given;
                   });
}

}  // namespace vantrel::finder
