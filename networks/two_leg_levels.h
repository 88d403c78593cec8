#pragma once

// The window of a two-leg search's pass as bounds on leg B along each line of leg A: internal to
// two_leg_search.cpp, in a header of its own for its length.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "line_walk.h"
#include "two_leg_search.h"

namespace vantrel::networks::detail {

// Worst cases are compared to 9 significant digits, which moves them by less than this part.
inline constexpr double kKeyMargin = 2e-8;

// An interval of B, empty where lo > hi.
struct Span {
  double lo = 0;
  double hi = std::numeric_limits<double>::infinity();

  void Meet(const Span& other) {
    lo = std::max(lo, other.lo);
    hi = std::min(hi, other.hi);
  }
};

inline Span Ordered(double x, double y) {
  return x <= y ? Span{x, y} : Span{y, x};
}

// The window's bounds as levels of B, worked out again whenever the window narrows. The
// window lies on output / target, so a negative target (a divider of negative VIN) needs
// nothing of its own: each bound's B is found and the two taken in order. With a band the
// window lies on the worst case, and each end of the band bounds B as the output does, at the
// constants' ends and with the legs scaled (TwoLegBand).
//
// Judged by the statistical band (byRss), the window lies on its worst case R, and the ends of
// the worst-case band bound nothing: a row may reach past the held R at its worst-case ends and
// still rank before it. Only the output is bounded then, which is sound: the statistical band
// takes in the output, so R >= |error|, and a row whose output lies outside the window (within
// R of the target, or within the tolerance) has R above it and can neither rank among the held
// rows nor lie within band.within. The tolerance is at most band.within with --within.
//
// That bound alone walks every row within R of the target, which never ends where no row's
// statistical band is narrow enough. So R is bounded below as well: R >= |error| + root / |target|
// (each end of the band lies root beyond the output, the constants' ranges only widening it), and
// root^2 sums (s_leg * f_i)^2 (t_i^2 + d_i^2) over the parts i of each leg, where s_leg is the
// leg's slope and f_i the part's share of the leg's relative move (x_i / R in series, R / x_i in
// parallel, so the shares of a leg add up to 1, and their squares to at least 1 / n for n parts).
// With t and d the least tolerance and drift of any part (TwoLegBand::least) and s the least
// slopes over the outputs in the window (TwoLegFormula::leastSlopes),
// root >= sqrt(sA^2 / nA + sB^2 / nB) * sqrt(t^2 + d^2) =: rho, so only rows with
// |error| <= R - rho / |target| are walked, and none when that is below 0.
//
// A line knows more: its leg A's parts and so their shares' squares qA (1 for one part,
// (x^2 + y^2) / (x + y)^2 for two in series or in parallel), and the number nB of leg B's parts
// in the list it walks. The same steps with qA for 1 / nA give its own
// rho_line = sqrt(sA^2 qA + sB^2 / nB) * sqrt(t^2 + d^2) >= rho, and the line walks only rows with
// |error| <= R - rho_line / |target| (LineBounds). So the rows of least statistical band, whose
// legs' parts are near equal, are the only ones walked once such a row is held: a line of one
// part, or of two far apart, or a list of single parts B, holds none.
class Levels {
 public:
  Levels(const TwoLegFormula& formula, const TwoLegOptions& options, const Window& w)
      : m_formula(formula),
        m_band(options.band ? &*options.band : nullptr),
        m_target(options.target),
        m_tolerance(options.tolerance),
        m_w(w),
        m_cross(Level(formula, 1)),
        m_maxParallel(options.maxParallel) {
    // Parts in a leg at the most: a leg of two parts leaves one to the other in a row of three.
    const int legParts =
        options.parts > 0 ? std::min(options.legParts, options.parts - 1) : options.legParts;
    m_legParts = std::max(1, legParts);
    Window tolerance;
    tolerance.target = 1;
    tolerance.SetOuter(options.tolerance);
    m_nominalLo = Level(formula, tolerance.lo);
    m_nominalHi = Level(formula, tolerance.hi);
    if (m_band) {
      // Each part's own tolerance widens by its drift, at least the least drift.
      const double t =
          (m_band->partTolerance + (m_band->perPart ? m_band->least.drift * 100 : 0)) / 100;
      m_rssSpread = std::hypot(m_band->least.tolerance, m_band->least.drift);
      m_lineBounds = m_band->byRss && m_rssSpread > 0;
      // The legs that give the band's low end and its high end (WorstCase).
      const double down = 1 - t;
      const double up = 1 + t;
      m_lowA = formula.risesInA ? down : up;
      m_lowB = formula.risesInA ? up : down;
      m_highA = m_lowB;
      m_highB = m_lowA;
      // Every part up by t raises A || B by 1 + t; a row of unknown tolerances is judged nominal.
      if (!m_band->perPart) m_maxParallel /= up;
    }
    Refresh();
  }

  // For the window's bounds as they are now.
  void Refresh() {
    if (m_w.lo == m_lo && m_w.hi == m_hi && m_w.bound == m_bound) return;
    ++m_generation;
    m_lo = m_w.lo;
    m_hi = m_w.hi;
    m_bound = m_w.bound;
    if (!m_band) {
      m_levelLo = Level(m_formula, m_lo);
      m_levelHi = Level(m_formula, m_hi);
      return;
    }
    // A worst case that ties with the held one to 9 digits may still rank before it.
    double w = m_bound * (1 + kKeyMargin) / 100;
    m_empty = false;
    if (m_band->byRss) {
      m_rssWindow = w;
      m_rssSlopes = LeastSlopes(w);
      w -= LeastRss(w);
      m_empty = w < 0;
    }
    const double lo = (1 - w) * (1 - kWindowMargin);
    const double hi = (1 + w) * (1 + kWindowMargin);
    m_levelLo = Level(m_formula, std::max(lo, m_lo));
    m_levelHi = Level(m_formula, std::min(hi, m_hi));
    m_edges = {Level(m_band->low, lo), Level(m_band->low, hi), Level(m_band->high, lo),
               Level(m_band->high, hi)};
  }
  // Counts the window's changes, so that a line knows when to work out its bounds again.
  std::uint64_t Generation() const { return m_generation; }

  double Cross(double a) const { return LegB(m_cross, a); }
  // The least and the greatest B of a's line in the window, within the tolerance.
  Span Bounds(double a) const {
    if (m_empty)
      return {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    Span span = Ordered(LegB(m_levelLo, a), LegB(m_levelHi, a));
    span.Meet(Ordered(LegB(m_nominalLo, a), LegB(m_nominalHi, a)));
    span.hi = std::min(span.hi, ParallelCut(a));
    if (!m_band || m_band->byRss) return span;
    span.Meet(Edge(m_edges[0], m_edges[1], a * m_lowA, m_lowB));
    span.Meet(Edge(m_edges[2], m_edges[3], a * m_highA, m_highB));
    return span;
  }
  // Bounds for a line whose leg A's parts' shares square to aShares, along a list of legs B of
  // bParts parts: narrower by the line's own least statistical band where rows rank by it.
  Span LineBounds(double a, double aShares, int bParts) const {
    Span span = Bounds(a);
    if (!ByRss() || !(span.lo <= span.hi)) return span;
    const double sa = m_rssSlopes[0];
    const double sb = m_rssSlopes[1];
    const double root = std::sqrt(sa * sa * aShares + sb * sb / bParts) * m_rssSpread;
    const double least = root / std::fabs(m_target) * (1 - 1e-9);
    if (!std::isfinite(least)) return span;
    const double w = m_rssWindow - least;
    if (w < 0)
      return {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    const double lo = (1 - w) * (1 - kWindowMargin);
    const double hi = (1 + w) * (1 + kWindowMargin);
    span.Meet(Ordered(LegB(Level(m_formula, lo), a), LegB(Level(m_formula, hi), a)));
    return span;
  }
  // Whether lines have bounds of their own (LineBounds): rows rank by the statistical band and
  // its least spread is known.
  bool ByRss() const { return m_lineBounds; }
  bool HasInner() const { return m_w.hasInner; }
  // The open band of B an earlier pass has delivered; none (lo above hi) when the band on the
  // output is empty, as after a row of error 0. With a band, where every row's worst case is
  // below the last delivered one's by more than the ranking's rounding.
  Span InnerBounds(double a) const {
    if (!(m_w.innerLo < m_w.innerHi))
      return {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    if (!m_band) {
      return Ordered(LegB(Level(m_formula, m_w.innerLo), a),
                     LegB(Level(m_formula, m_w.innerHi), a));
    }
    // A row whose output lies near the target may still have a statistical band wider than the
    // delivered one's, or parts looser than the least tolerance, so nothing is skipped; the
    // ranking drops what was delivered.
    if (m_band->byRss || m_band->perPart)
      return {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    const double w = m_w.innerBound * (1 - kKeyMargin) / 100;
    const double lo = (1 - w) * (1 + kWindowMargin);
    const double hi = (1 + w) * (1 - kWindowMargin);
    if (!(lo < hi))
      return {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    Span span = Ordered(LegB(Level(m_formula, lo), a), LegB(Level(m_formula, hi), a));
    span.Meet(Edge(Level(m_band->low, lo), Level(m_band->low, hi), a * m_lowA, m_lowB));
    span.Meet(Edge(Level(m_band->high, lo), Level(m_band->high, hi), a * m_highA, m_highB));
    // Strictly inside: B at either end may itself be a row outside it.
    return {span.lo * (1 + kWindowMargin), span.hi * (1 - kWindowMargin)};
  }

 private:
  // rho / |target| for the rows whose output lies within w of the target (and within the
  // tolerance), a little below it for the roundings; 0 where nothing bounds it.
  double LeastRss(double w) const {
    if (!m_formula.leastSlopes || !(m_rssSpread > 0)) return 0;
    const std::array<double, 2> s = LeastSlopes(w);
    const double root = std::sqrt((s[0] * s[0] + s[1] * s[1]) / m_legParts) * m_rssSpread;
    const double least = root / std::fabs(m_target) * (1 - 1e-9);
    return std::isfinite(least) ? least : 0;
  }
  // The least slopes of the rows whose output lies within w of the target (and within the
  // tolerance); 0 where nothing bounds them.
  std::array<double, 2> LeastSlopes(double w) const {
    if (!m_formula.leastSlopes) return {0, 0};
    const double half = std::min(w, m_tolerance / 100);
    const double x = m_target * (1 - half);
    const double y = m_target * (1 + half);
    return m_formula.leastSlopes(m_formula.k, std::min(x, y), std::max(x, y));
  }
  // The most B of a's line whose A || B stays within maxParallel: 1 / B >= 1 / R - 1 / A, so
  // B <= A R / (A - R) for A above R, any B else. A margin covers the roundings; near A = R, where
  // the cut's own rounding grows without bound, the line is not cut.
  double ParallelCut(double a) const {
    const double r = m_maxParallel;
    if (!(a > r * (1 + 1e-6))) return std::numeric_limits<double>::infinity();
    return a * r / (a - r) * (1 + 1e-6);
  }
  LegLevel Level(const TwoLegFormula& formula, double ratio) const {
    return formula.level(formula.k, ratio * m_target);
  }
  // The B of an end that scales leg A to scaledA and leg B by factorB, widened by the margin
  // that covers a leg scaled part by part rather than as a whole.
  static Span Edge(const LegLevel& x, const LegLevel& y, double scaledA, double factorB) {
    const Span span = Ordered(LegB(x, scaledA) / factorB, LegB(y, scaledA) / factorB);
    return {span.lo * (1 - kWindowMargin), span.hi * (1 + kWindowMargin)};
  }

  const TwoLegFormula& m_formula;
  const TwoLegBand* m_band;
  double m_target;
  double m_tolerance;
  int m_legParts = 1;
  double m_rssSpread = 0;               // sqrt(t^2 + d^2) of the least spread
  bool m_lineBounds = false;            // lines have bounds of their own (LineBounds)
  double m_rssWindow = 0;               // by RSS: the window's w before the least statistical band
  std::array<double, 2> m_rssSlopes{};  // and the least slopes within it
  bool m_empty = false;                 // no row can rank among the held ones or meet within
  const Window& m_w;
  LegLevel m_cross;
  double m_maxParallel;  // on the nominal A || B, which a band's upper ends only raise
  LegLevel m_nominalLo;
  LegLevel m_nominalHi;
  double m_lowA = 1, m_lowB = 1, m_highA = 1, m_highB = 1;
  double m_lo = std::numeric_limits<double>::quiet_NaN();
  double m_hi = std::numeric_limits<double>::quiet_NaN();
  double m_bound = std::numeric_limits<double>::quiet_NaN();
  std::uint64_t m_generation = 0;
  LegLevel m_levelLo;
  LegLevel m_levelHi;
  std::array<LegLevel, 4> m_edges{};
};

}  // namespace vantrel::networks::detail
