#include "rc_search.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "exact_band.h"
#include "exact_decimal.h"
#include "line_walk.h"
#include "pair_table.h"

namespace vantrel::networks {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double Sum(double x, double y) {
  return x + y;
}

double Fold(double x, double y) {
  return x * y / (x + y);
}

// A decision within this fraction of band.within is made exactly; worst cases compared to 9
// significant digits move by less than kKeyMargin.
constexpr double kEdgeBand = 1e-9;
constexpr double kKeyMargin = 2e-8;

// The factors by which a band's low and high ends differ from the output.
std::pair<double, double> BandFactors(const RcOptions& options, const RcBand& band) {
  const double tr = band.rTolerance / 100;
  const double tc = band.cTolerance / 100;
  if (options.quantity == RcQuantity::kTau) return {(1 - tr) * (1 - tc), (1 + tr) * (1 + tc)};
  return {1 / ((1 + tr) * (1 + tc)), 1 / ((1 - tr) * (1 - tc))};
}

// The window's bounds as resistances on the line of a capacitor leg C. The window lies on
// output / target: a time constant rises with R, a corner falls. With a band it lies on the
// worst case, and each end of the band, the output times a factor, narrows the window on the
// output.
//
// Judged by the statistical band, its worst case R is |e| + root / target for the relative error
// e, and root = output * sqrt(sum of (f_i s_i)^2) over the parts, f_i a part's share of its leg's
// relative move (x / leg in series, leg / x in parallel for resistors, the other way round for
// capacitors; the shares of a leg add up to 1) and s_i^2 = t_i^2 + d_i^2. With sR and sC the
// least spreads of any resistor and any capacitor (RcBand::leastR, leastC), a line's capacitor leg
// whose shares square to qC (1 for one part, (x^2 + y^2) / (x + y)^2 for two) and a list of
// resistor legs of nR parts (their shares' squares at least 1 / nR),
// sqrt(...) >= rho := sqrt(sR^2 / nR + sC^2 qC). The output is at least target (1 - |e|), so
// R >= |e| + (1 - |e|) rho = rho + |e| (1 - rho), and a row can rank among held rows of worst W
// only if |e| <= (W - rho) / (1 - rho) (for rho < 1; none when W < rho).
class ResistanceLevels {
 public:
  ResistanceLevels(const RcOptions& options, const detail::Window& w)
      : m_corner(options.quantity == RcQuantity::kCorner),
        m_tau(TargetTau(options)),
        m_w(w),
        m_band(options.band.has_value()),
        m_byRss(m_band && options.band->byRss),
        m_perPart(m_band && options.band->perPart) {
    if (m_byRss) {
      m_rSpread = std::hypot(options.band->leastR.tolerance, options.band->leastR.drift);
      m_cSpread = std::hypot(options.band->leastC.tolerance, options.band->leastC.drift);
    }
    detail::Window tolerance;
    tolerance.target = 1;
    tolerance.SetOuter(options.tolerance);
    m_tolLo = tolerance.lo;
    m_tolHi = tolerance.hi;
    if (m_band) std::tie(m_lowFactor, m_highFactor) = BandFactors(options, *options.band);
  }

  // R where the line meets the target.
  double Cross(double c) const { return m_tau / c; }
  // The least and the greatest R of the line in the window.
  std::pair<double, double> Bounds(double c) const {
    double lo = std::max(m_w.lo, m_tolLo);
    double hi = std::min(m_w.hi, m_tolHi);
    // By the statistical band, which takes in the output, only the output is bounded (Levels
    // in two_leg_search.cpp gives the reason).
    if (m_band && !m_byRss) {
      const double w = m_w.bound * (1 + kKeyMargin) / 100;
      lo = std::max(lo, (1 - w) * (1 - detail::kWindowMargin) / m_lowFactor);
      hi = std::min(hi, (1 + w) * (1 + detail::kWindowMargin) / m_highFactor);
    }
    return Band(lo, hi, c);
  }
  // Bounds for a line whose capacitor leg's parts' shares square to cShares, along a list of
  // resistor legs of rParts parts: narrower by the line's least statistical band by RSS.
  std::pair<double, double> LineBounds(double c, double cShares, int rParts) const {
    if (!ByRss()) return Bounds(c);
    const double rho =
        std::sqrt(m_rSpread * m_rSpread / rParts + m_cSpread * m_cSpread * cShares) * (1 - 1e-9);
    if (!(rho < 1)) return Bounds(c);
    const double w = m_w.bound * (1 + kKeyMargin) / 100;
    if (w < rho) return {kInfinity, -kInfinity};
    const double e = (w - rho) / (1 - rho);
    const auto [lo, hi] =
        Band(std::max({m_w.lo, m_tolLo, (1 - e) * (1 - detail::kWindowMargin)}),
             std::min({m_w.hi, m_tolHi, (1 + e) * (1 + detail::kWindowMargin)}), c);
    return {lo, hi};
  }
  // Whether lines have bounds of their own (LineBounds).
  bool ByRss() const { return m_byRss && (m_rSpread > 0 || m_cSpread > 0); }
  bool HasInner() const { return m_w.hasInner; }
  // The open band of R an earlier pass has delivered; none (lo above hi) when it is empty, as
  // after a row of error 0. With a band, where every row's worst case is below the last
  // delivered one's by more than the ranking's rounding.
  std::pair<double, double> InnerBounds(double c) const {
    if (!(m_w.innerLo < m_w.innerHi)) return {kInfinity, -kInfinity};
    if (!m_band) return Band(m_w.innerLo, m_w.innerHi, c);
    // Parts looser than the least tolerances may widen a row near the target past the delivered
    // worst case (as in two_leg_search.cpp), so nothing is skipped; the ranking drops what was
    // delivered.
    if (m_byRss || m_perPart) return {kInfinity, -kInfinity};
    const double w = m_w.innerBound * (1 - kKeyMargin) / 100;
    const double lo = std::max((1 - w) * (1 + detail::kWindowMargin),
                               (1 - w) * (1 + detail::kWindowMargin) / m_lowFactor);
    const double hi = std::min((1 + w) * (1 - detail::kWindowMargin),
                               (1 + w) * (1 - detail::kWindowMargin) / m_highFactor);
    if (!(lo < hi)) return {kInfinity, -kInfinity};
    return Band(lo, hi, c);
  }

 private:
  // R of the ratios lo to hi; a corner's ratio q is that of tau / q.
  std::pair<double, double> Band(double lo, double hi, double c) const {
    if (!m_corner) return {lo * m_tau / c, hi * m_tau / c};
    return {m_tau / (hi * c), lo > 0 ? m_tau / (lo * c) : kInfinity};
  }

  bool m_corner;
  double m_tau;
  const detail::Window& m_w;
  bool m_band;
  bool m_byRss;
  bool m_perPart;
  double m_tolLo = 0;
  double m_tolHi = kInfinity;
  double m_lowFactor = 1;
  double m_highFactor = 1;
  double m_rSpread = 0;  // by RSS: sqrt(t^2 + d^2) of the least resistor's spread
  double m_cSpread = 0;  // and capacitor's
};

// AddRcBand with the stocks' decimals at hand.
bool SettleRcBand(RcRow& row, std::span<const double> rStock, std::span<const double> cStock,
                  const RcOptions& options, const RcBand& band, const StockDecimals& rDecimals,
                  const StockDecimals& cDecimals, bool exact = true) {
  PartTolerances own;
  const bool perPart = static_cast<bool>(band.perPart);
  if (perPart && !band.perPart(row.r, row.c, own)) return MarkUnbanded(row, band.within);
  // In the worst case every part drifts its own worst way as well.
  const PartTolerances wide = own.Widened();
  const double tr = band.rTolerance / 100;
  const double tc = band.cTolerance / 100;
  // Each leg off by its parts' own tolerances, or the time constant by both tolerances at once.
  const double tauLow = perPart ? NetworkValue(row.r, rStock, DownFactors(wide.first)) *
                                      CapacitorLegValue(row.c, cStock, DownFactors(wide.second))
                                : row.tau * (1 - tr) * (1 - tc);
  const double tauHigh = perPart ? NetworkValue(row.r, rStock, UpFactors(wide.first)) *
                                       CapacitorLegValue(row.c, cStock, UpFactors(wide.second))
                                 : row.tau * (1 + tr) * (1 + tc);
  const bool corner = options.quantity == RcQuantity::kCorner;
  const double x = corner ? 1 / (kTwoPi * tauHigh) : tauLow;
  const double y = corner ? 1 / (kTwoPi * tauLow) : tauHigh;
  const double target = options.target;
  row.low = std::min({x, y, row.output});
  row.high = std::max({x, y, row.output});
  row.worst = std::max(std::fabs((row.low - target) / target * 100),
                       std::fabs((row.high - target) / target * 100));
  bool inside = row.worst <= band.within;
  if (exact && !corner &&
      (row.worst < kExactBand || (std::isfinite(band.within) &&
                                  std::fabs(row.worst - band.within) <= kEdgeBand * band.within))) {
    const ExactRcBand settled =
        ExactTauBand(row.r, rDecimals.Get(), row.c, cDecimals.Get(), band.rTolerance,
                     band.cTolerance, target, band.within, perPart ? &wide : nullptr);
    row.low = settled.low;
    row.high = settled.high;
    row.worst = settled.worst;
    inside = settled.inside;
  }
  row.ranked = row.worst;
  if (band.spreads) {
    AddRcRssBand(row, rDecimals.Values(), cDecimals.Values(), options, band.spreads,
                 perPart ? &own : nullptr);
    if (band.byRss) {
      row.ranked = row.rssWorst;
      inside = row.rssWorst <= band.within;
    }
  }
  row.worstKey = WorstKey(row.ranked);
  return inside;
}

// The legs of one stock and how far a search may take them.
struct Legs {
  LegList list;
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The lines of the capacitor legs of one pass, keeping the best rows. A line is walked in R,
// against the window's bounds as resistances, so a step costs no division; along a list of
// capacitor legs R = tau / C falls, so the crossing moves down by a few entries a line.
class RcLines {
 public:
  RcLines(std::span<const double> rStock, std::span<const double> cStock, const RcOptions& options,
          const StockDecimals& rDecimals, const StockDecimals& cDecimals,
          detail::BestRows<RcRow>& best)
      : m_rStock(rStock),
        m_cStock(cStock),
        m_options(options),
        m_rDecimals(rDecimals),
        m_cDecimals(cDecimals),
        m_best(best),
        m_levels(options, best.window()) {}

  // The capacitor legs [from, to) of cs along the resistor legs of rs.
  void Sweep(const LegList& cs, std::size_t from, std::size_t to, const Legs& rs) {
    const double* v = rs.list.values.data();
    std::size_t cross = rs.end;
    for (std::size_t t = from; t < to && !detail::Stopped(m_options.stop); ++t) {
      const double c = cs.values[t];
      const double crossR = m_levels.Cross(c);
      cross =
          detail::FirstTrue(rs.begin, rs.end, cross, [&](std::size_t i) { return v[i] >= crossR; });
      const auto [lo, hi] =
          m_levels.ByRss() ? m_levels.LineBounds(c, ShareSquares(cs, t), PartCount(rs.list.shape))
                           : m_levels.Bounds(c);
      if (m_levels.HasInner() || (lo <= hi && ((cross < rs.end && v[cross] <= hi) ||
                                               (cross > rs.begin && v[cross - 1] >= lo)))) {
        Walk(cs, t, rs, cross);
      }
    }
  }

 private:
  // The squares of the shares of capacitor leg t's parts in its relative move, summed
  // (ResistanceLevels).
  double ShareSquares(const LegList& legs, std::size_t t) const {
    if (legs.shape == Shape::kOne) return 1;
    const double x = m_cStock[legs.parts[t][0]];
    const double y = m_cStock[legs.parts[t][1]];
    const double sum = x + y;
    return (x / sum) * (x / sum) + (y / sum) * (y / sum);
  }
  // Offers the rows of the line of capacitor leg t in the window, outward from the crossing,
  // or from the nearest R to it in the window, which with a band need not hold the crossing,
  // less those an earlier pass delivered.
  [[gnu::noinline]] void Walk(const LegList& cs, std::size_t t, const Legs& rs, std::size_t cross) {
    ++m_best.window().lines;
    const double* v = rs.list.values.data();
    const double c = cs.values[t];
    const std::size_t begin = rs.begin;
    const std::size_t end = rs.end;
    const bool own = m_levels.ByRss();
    const double shares = own ? ShareSquares(cs, t) : 1;
    const int rParts = own ? PartCount(rs.list.shape) : 1;
    const auto bounds = [&] {
      return own ? m_levels.LineBounds(c, shares, rParts) : m_levels.Bounds(c);
    };
    auto [lo, hi] = bounds();
    const auto atLeast = [&](double bound) {
      return detail::FirstTrue(begin, end, cross, [&](std::size_t i) { return v[i] >= bound; });
    };
    const auto above = [&](double bound) {
      return detail::FirstTrue(begin, end, cross, [&](std::size_t i) { return v[i] > bound; });
    };
    const std::size_t first = atLeast(lo);
    const std::size_t center = std::clamp(cross, first, std::max(first, above(hi)));
    // [skipFrom, skipTo): the rows an earlier pass delivered.
    std::size_t skipFrom = center;
    std::size_t skipTo = center;
    if (m_levels.HasInner()) {
      const auto inner = m_levels.InnerBounds(c);
      if (inner.first < inner.second) {
        skipFrom = above(inner.first);
        skipTo = std::max(skipFrom, atLeast(inner.second));
      }
    }
    // Each row may narrow the window, and with it the line's bounds.
    std::uint64_t& steps = m_best.window().steps;
    for (std::size_t up = center; up < end && v[up] <= hi; ++steps) {
      if (up >= skipFrom && up < skipTo) {
        up = skipTo;
      } else if (v[up] < lo) {
        up = std::max(up + 1, atLeast(lo));
      } else {
        Offer(cs, t, rs, up++);
        std::tie(lo, hi) = bounds();
      }
    }
    for (std::size_t down = center; down > begin && v[down - 1] >= lo; ++steps) {
      if (down - 1 >= skipFrom && down - 1 < skipTo) {
        down = skipFrom;
      } else if (v[down - 1] > hi) {
        down = std::min(down - 1, above(hi));
      } else {
        Offer(cs, t, rs, --down);
        std::tie(lo, hi) = bounds();
      }
    }
  }

  void Offer(const LegList& cs, std::size_t t, const Legs& rs, std::size_t i) {
    RcRow row{rs.list.At(i), cs.At(t), rs.list.values[i], cs.values[t]};
    if (m_options.band && (!EarnsItsPlace(row.r, m_rStock, m_options.band->rTolerance) ||
                           !EarnsItsPlace(row.c, m_cStock, m_options.band->cTolerance, true))) {
      return;
    }
    row.tau = ExactLegProduct(row.r, m_rDecimals.Get(), row.c, m_cDecimals.Get())
                  .value_or(row.rValue * row.cValue);
    row.output = m_options.quantity == RcQuantity::kCorner ? 1 / (kTwoPi * row.tau) : row.tau;
    row.error = (row.output - m_options.target) / m_options.target * 100;
    if (!(std::fabs(row.error) <= m_options.tolerance)) return;
    if (m_options.band) {
      if (!SettleRcBand(row, m_rStock, m_cStock, m_options, *m_options.band, m_rDecimals,
                        m_cDecimals)) {
        return;
      }
    } else {
      row.low = row.output;
      row.high = row.output;
      row.worst = std::fabs(row.error);
      row.ranked = row.worst;
      row.worstKey = row.worst;
    }
    const double scale = row.rValue / m_options.scale;
    row.scaleKey = scale >= 1 ? scale : 1 / scale;
    if (m_options.keep && !m_options.keep(row)) return;
    m_best.Offer(row);
  }

  std::span<const double> m_rStock;
  std::span<const double> m_cStock;
  const RcOptions& m_options;
  const StockDecimals& m_rDecimals;
  const StockDecimals& m_cDecimals;
  detail::BestRows<RcRow>& m_best;
  ResistanceLevels m_levels;
};

}  // namespace

double CapacitorLegValue(const Network& leg, std::span<const double> stock, double factor) {
  SlotFactors factors;
  factors.fill(factor);
  return CapacitorLegValue(leg, stock, factors);
}

void AddRcRssBand(RcRow& row, std::span<const double> rStock, std::span<const double> cStock,
                  const RcOptions& options, const PartSpreads& spreads, const PartTolerances* own) {
  const double output = std::fabs(row.output);
  const PartSpreads each = own ? own->Spreads() : spreads;
  const double squares = LegSquares(row.r, 0, rStock, false, row.rValue, output, each) +
                         LegSquares(row.c, 1, cStock, true, row.cValue, output, each);
  const double root = std::sqrt(squares);
  row.rssLow = std::min(row.output - root, row.output);
  row.rssHigh = std::max(row.output + root, row.output);
  const double target = options.target;
  row.rssWorst = std::max(std::fabs((row.rssLow - target) / target * 100),
                          std::fabs((row.rssHigh - target) / target * 100));
}

double CapacitorLegValue(const Network& leg, std::span<const double> stock,
                         const SlotFactors& factors) {
  return EvaluateNetwork(
      leg,
      [&](int slot) {
        const auto i = static_cast<std::size_t>(slot);
        return stock[leg.parts[i]] * factors[i];
      },
      Fold, Sum);
}

bool AddRcBand(RcRow& row, std::span<const double> rStock, std::span<const double> cStock,
               const RcOptions& options, const RcBand& band, bool exact) {
  return SettleRcBand(row, rStock, cStock, options, band, StockDecimals(rStock),
                      StockDecimals(cStock), exact);
}

bool RcRanksBefore(const RcRow& x, const RcRow& y) {
  if (x.worstKey != y.worstKey) return x.worstKey < y.worstKey;
  const double ex = std::fabs(x.error);
  const double ey = std::fabs(y.error);
  if (ex != ey) return ex < ey;
  if (x.PartTotal() != y.PartTotal()) return x.PartTotal() < y.PartTotal();
  if (x.scaleKey != y.scaleKey) return x.scaleKey < y.scaleKey;
  if (x.rValue != y.rValue) return x.rValue < y.rValue;
  if (NetworkBefore(x.r, y.r)) return true;
  if (NetworkBefore(y.r, x.r)) return false;
  return NetworkBefore(x.c, y.c);
}

double TargetTau(const RcOptions& options) {
  return options.quantity == RcQuantity::kCorner ? 1 / (kTwoPi * options.target) : options.target;
}

void FindRc(std::span<const double> rStock, std::span<const double> cStock,
            const RcOptions& options, std::uint64_t limit,
            const std::function<void(const RcRow&)>& emit) {
  const bool rPairs = options.rParts >= 2;
  const bool cPairs = options.cParts >= 2;
  const bool threads = (rPairs || cPairs) && options.threads >= 2;
  PairTable rSeries;
  PairTable rParallel;
  PairTable cSums;   // capacitors in parallel
  PairTable cFolds;  // capacitors in series
  const auto makeSums = [&] {
    if (rPairs) rSeries = SeriesPairs(rStock, false);
    if (cPairs) cSums = SeriesPairs(cStock, false);
  };
  const auto makeFolds = [&] {
    if (rPairs) rParallel = ParallelPairs(rStock, false);
    if (cPairs) cFolds = ParallelPairs(cStock, false);
  };
  if (threads) {
    detail::RunBoth(makeFolds, makeSums);
  } else {
    makeSums();
    makeFolds();
  }
  std::vector<Legs> rLegs;
  for (const LegList& list :
       {LegList{Shape::kOne, rStock},
        LegList{Shape::kSeries2, rSeries.values, rSeries.parts.data()},
        LegList{Shape::kParallel2, rParallel.values, rParallel.parts.data()}}) {
    if (list.shape != Shape::kOne && !rPairs) break;
    const double* v = list.values.data();
    const std::size_t size = list.values.size();
    const auto first = static_cast<std::size_t>(std::lower_bound(v, v + size, options.minR) - v);
    const auto last = static_cast<std::size_t>(std::upper_bound(v, v + size, options.maxR) - v);
    if (first < last) rLegs.push_back({list, first, last});
  }
  const LegList cLists[] = {{Shape::kOne, cStock},
                            {Shape::kParallel2, cSums.values, cSums.parts.data()},
                            {Shape::kSeries2, cFolds.values, cFolds.parts.data()}};
  const std::span<const LegList> cLegs(cLists, cPairs ? 3 : 1);
  const StockDecimals rDecimals(rStock);
  const StockDecimals cDecimals(cStock);

  // Each takes part `part` of `parts` of the capacitor legs of every list.
  const auto lines = [&](detail::BestRows<RcRow>& best, std::size_t part, std::size_t parts) {
    RcLines walk(rStock, cStock, options, rDecimals, cDecimals, best);
    for (const LegList& cs : cLegs) {
      const std::size_t size = cs.values.size();
      const std::size_t from = size * part / parts;
      const std::size_t to = size * (part + 1) / parts;
      if (from == to) continue;
      for (const Legs& rs : rLegs) {
        if (options.parts != 0 && PartCount(cs.shape) + PartCount(rs.list.shape) != options.parts) {
          continue;
        }
        walk.Sweep(cs, from, to, rs);
      }
    }
  };
  // On two threads, each takes half the capacitor legs of each list. With a band the window
  // lies on the worst case.
  const double bound = options.band ? options.band->within : options.tolerance;
  const auto pass = [&](std::size_t capacity, const RcRow* after, double passBound) {
    return detail::SplitPass(lines, passBound, capacity, after, threads, options.work);
  };
  detail::RunPasses<RcRow>(limit, options.rowsPerPass, bound, options.stop, pass, emit);
}

}  // namespace vantrel::networks
