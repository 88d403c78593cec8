#include "two_leg_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "exact_decimal.h"
#include "line_walk.h"
#include "pair_table.h"

namespace vantrel::networks {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

using Constants = std::array<double, 2>;

bool SharesPart(const Network& a, const Network& b) {
  for (int i = 0; i < PartCount(a.shape); ++i) {
    for (int j = 0; j < PartCount(b.shape); ++j) {
      if (a.parts[static_cast<std::size_t>(i)] == b.parts[static_cast<std::size_t>(j)]) return true;
    }
  }
  return false;
}

// The window's bounds as levels of B, worked out again whenever the window narrows. The
// window lies on output / target, so a negative target (a divider of negative VIN) needs
// nothing of its own: each bound's B is found and the two taken in order.
class Levels {
 public:
  Levels(const TwoLegFormula& formula, double target, const detail::Window& w)
      : m_formula(formula), m_target(target), m_w(w), m_cross(Level(1)) {
    Refresh();
  }

  // For the window's bounds as they are now.
  void Refresh() {
    if (m_w.lo == m_lo && m_w.hi == m_hi) return;
    m_lo = m_w.lo;
    m_hi = m_w.hi;
    m_levelLo = Level(m_lo);
    m_levelHi = Level(m_hi);
  }

  double Cross(double a) const { return LegB(m_cross, a); }
  // The least and the greatest B of a's line in the window.
  std::pair<double, double> Bounds(double a) const { return Ordered(m_levelLo, m_levelHi, a); }
  bool HasInner() const { return m_w.hasInner; }
  // The open band of B an earlier pass has delivered; none (lo above hi) when the band on the
  // output is empty, as after a row of error 0.
  std::pair<double, double> InnerBounds(double a) const {
    if (!(m_w.innerLo < m_w.innerHi)) return {kInfinity, -kInfinity};
    return Ordered(Level(m_w.innerLo), Level(m_w.innerHi), a);
  }

 private:
  LegLevel Level(double ratio) const { return m_formula.level(m_formula.k, ratio * m_target); }
  static std::pair<double, double> Ordered(const LegLevel& x, const LegLevel& y, double a) {
    const double bx = LegB(x, a);
    const double by = LegB(y, a);
    return bx <= by ? std::pair(bx, by) : std::pair(by, bx);
  }

  const TwoLegFormula& m_formula;
  double m_target;
  const detail::Window& m_w;
  LegLevel m_cross;
  double m_lo = std::numeric_limits<double>::quiet_NaN();
  double m_hi = std::numeric_limits<double>::quiet_NaN();
  LegLevel m_levelLo;
  LegLevel m_levelHi;
};

// The lines of the legs A of one pass, keeping the best rows. A line is walked in B, against
// the window's bounds as values of B, so a step costs no division; the legs of a list rise,
// and B at a fixed output rises with A, so along a list the crossing moves up by a few entries
// a line, and so do the bounds the totals set. The few lines that hold a row in the window are
// walked out of line, which keeps the loop over the others short.
class TwoLegLines {
 public:
  TwoLegLines(const TwoLegFormula& formula, const TwoLegOptions& options,
              const StockDecimals& decimals, detail::BestRows<TwoLegRow>& best)
      : m_formula(formula),
        m_options(options),
        m_decimals(decimals),
        m_k0(ShortestDecimal(formula.k[0])),
        m_target(ShortestDecimal(options.target)),
        m_best(best),
        m_levels(formula, options.target, best.window()) {}

  // The legs A [from, to) of as along the legs B of bs.
  void Sweep(const LegList& as, std::size_t from, std::size_t to, const LegList& bs) {
    const double* v = bs.values.data();
    const std::size_t size = bs.values.size();
    std::size_t begin = 0;
    std::size_t end = size;
    auto cross = static_cast<std::size_t>(
        std::lower_bound(v, v + size, m_levels.Cross(as.values[from])) - v);
    for (std::size_t t = from; t < to && !detail::Stopped(m_options.stop); ++t) {
      const double a = as.values[t];
      // A + B rises with B, so the bounds on the total bound the line.
      if (m_options.minTotal > 0) {
        begin = detail::FirstTrue(0, size, begin,
                                  [&](std::size_t i) { return a + v[i] >= m_options.minTotal; });
      }
      if (m_options.maxTotal < kInfinity) {
        end = detail::FirstTrue(begin, size, end,
                                [&](std::size_t i) { return !(a + v[i] <= m_options.maxTotal); });
      }
      const double crossB = m_levels.Cross(a);
      cross = detail::CrossingFrom(v, begin, end, cross, crossB, [](double b) { return b; });
      const auto [lo, hi] = m_levels.Bounds(a);
      if (m_levels.HasInner() || (cross < end && v[cross] <= hi) ||
          (cross > begin && v[cross - 1] >= lo)) {
        Walk(as, t, bs, begin, cross, end);
      }
    }
  }

 private:
  // Offers the rows of the line of leg A t in the window, outward from the crossing.
  [[gnu::noinline]] void Walk(const LegList& as, std::size_t t, const LegList& bs,
                              std::size_t begin, std::size_t cross, std::size_t end) {
    ++m_best.window().lines;
    const double* v = bs.values.data();
    const double a = as.values[t];
    std::size_t up = cross;
    std::size_t down = cross;
    if (m_levels.HasInner()) {
      // Named copies, not a structured binding: clang 14 cannot capture one in a lambda.
      const auto inner = m_levels.InnerBounds(a);
      const double innerLo = inner.first;
      const double innerHi = inner.second;
      up = detail::FirstTrue(cross, end, cross, [&](std::size_t i) { return v[i] >= innerHi; });
      down = detail::FirstTrue(begin, cross, cross, [&](std::size_t i) { return v[i] > innerLo; });
    }
    // Each row may narrow the window, and with it the line's bounds.
    std::uint64_t& steps = m_best.window().steps;
    for (; up < end && v[up] <= m_levels.Bounds(a).second; ++steps) Offer(as, t, bs, up++);
    for (; down > begin && v[down - 1] >= m_levels.Bounds(a).first; ++steps) {
      Offer(as, t, bs, --down);
    }
  }

  void Offer(const LegList& as, std::size_t t, const LegList& bs, std::size_t i) {
    const Network a = as.At(t);
    const Network b = bs.At(i);
    if (m_options.distinct && SharesPart(a, b)) return;
    TwoLegRow row{a, b, as.values[t], bs.values[i]};
    row.total = row.ra + row.rb;
    row.output = m_formula.output(m_formula.k, row.ra, row.rb);
    row.error = (row.output - m_options.target) / m_options.target * 100;
    if (m_formula.exact && std::fabs(row.error) < kExactBand) {
      if (const auto exact =
              ExactTwoLegPercent(m_formula.exact->numerator, m_formula.exact->denominator, a, b,
                                 m_decimals.Get(), m_k0, m_target)) {
        row.error = *exact;
        if (*exact == 0) row.output = m_options.target;
      }
    }
    if (!(std::fabs(row.error) <= m_options.tolerance)) return;
    if (m_options.keep && !m_options.keep(row)) return;
    m_best.Offer(row);
    m_levels.Refresh();
  }

  const TwoLegFormula& m_formula;
  const TwoLegOptions& m_options;
  const StockDecimals& m_decimals;
  Decimal m_k0;
  Decimal m_target;
  detail::BestRows<TwoLegRow>& m_best;
  Levels m_levels;
};

// B where q = B / (A + B) is out / vin: B = A * q / (1 - q).
LegLevel DividerLevel(const Constants& k, double out) {
  const double q = out / k[0];
  if (q >= 1) return {kInfinity, 0};
  return {q > 0 ? q / (1 - q) : 0, 0};
}

// B where VREF * (1 + A / B) + IADJ * A is out: B = A * VREF / (out - VREF - IADJ * A).
LegLevel RegulatorLevel(const Constants& k, double out) {
  const double above = out - k[0];
  if (!(above > 0)) return {kInfinity, 0};
  return {k[0] / above, k[1] / above};
}

}  // namespace

TwoLegFormula DividerFormula(double vin) {
  TwoLegFormula formula;
  formula.k = {vin, 0};
  formula.output = [](const Constants& k, double a, double b) { return k[0] * b / (a + b); };
  formula.level = DividerLevel;
  formula.risesInA = false;
  formula.exact = TwoLegFormula::Exact{LegSum::kB, LegSum::kBoth};
  return formula;
}

TwoLegFormula RegulatorFormula(double vref, double iadj) {
  TwoLegFormula formula;
  formula.k = {vref, iadj};
  formula.output = [](const Constants& k, double a, double b) {
    return k[0] * (1 + a / b) + k[1] * a;
  };
  formula.level = RegulatorLevel;
  // The pin current's term is a product of three decimals, past the exact integers' width.
  if (iadj == 0) formula.exact = TwoLegFormula::Exact{LegSum::kBoth, LegSum::kB};
  return formula;
}

TwoLegFormula GainFormula() {
  TwoLegFormula formula = RegulatorFormula(1, 0);
  formula.output = [](const Constants&, double a, double b) { return 1 + a / b; };
  return formula;
}

TwoLegFormula InvertingGainFormula() {
  TwoLegFormula formula;
  formula.k = {1, 0};
  formula.output = [](const Constants&, double a, double b) { return a / b; };
  formula.level = [](const Constants&, double out) {
    return out > 0 ? LegLevel{1 / out, 0} : LegLevel{kInfinity, 0};
  };
  formula.exact = TwoLegFormula::Exact{LegSum::kA, LegSum::kB};
  return formula;
}

bool TwoLegRanksBefore(const TwoLegRow& x, const TwoLegRow& y) {
  const double ex = std::fabs(x.error);
  const double ey = std::fabs(y.error);
  if (ex != ey) return ex < ey;
  if (x.total != y.total) return x.total < y.total;
  if (NetworkBefore(x.a, y.a)) return true;
  if (NetworkBefore(y.a, x.a)) return false;
  return NetworkBefore(x.b, y.b);
}

void FindTwoLegs(std::span<const double> stock, const TwoLegFormula& formula,
                 const TwoLegOptions& options, std::uint64_t limit,
                 const std::function<void(const TwoLegRow&)>& emit) {
  const bool pairs = options.legParts >= 2;
  const bool threads = pairs && options.threads >= 2;
  PairTable series;
  PairTable parallel;
  if (pairs) {
    const auto makeSeries = [&] { series = SeriesPairs(stock, options.distinct); };
    const auto makeParallel = [&] { parallel = ParallelPairs(stock, options.distinct); };
    if (threads) {
      detail::RunBoth(makeParallel, makeSeries);
    } else {
      makeSeries();
      makeParallel();
    }
  }
  const LegList lists[] = {{Shape::kOne, stock},
                           {Shape::kSeries2, series.values, series.parts.data()},
                           {Shape::kParallel2, parallel.values, parallel.parts.data()}};
  const std::span<const LegList> legs(lists, pairs ? 3 : 1);
  const StockDecimals decimals(stock);

  // Each takes part `part` of `parts` of the legs A of every list within the bounds on A.
  const auto lines = [&](detail::BestRows<TwoLegRow>& best, std::size_t part, std::size_t parts) {
    TwoLegLines walk(formula, options, decimals, best);
    for (const LegList& as : legs) {
      const double* v = as.values.data();
      const auto first =
          static_cast<std::size_t>(std::lower_bound(v, v + as.values.size(), options.minA) - v);
      const auto last =
          static_cast<std::size_t>(std::upper_bound(v, v + as.values.size(), options.maxA) - v);
      if (first >= last) continue;
      const std::size_t from = first + (last - first) * part / parts;
      const std::size_t to = first + (last - first) * (part + 1) / parts;
      if (from == to) continue;
      for (const LegList& bs : legs) walk.Sweep(as, from, to, bs);
    }
  };
  // On two threads, each takes half the legs A of each list. The window lies on output / target,
  // whose relative error is the row's.
  const auto pass = [&](std::size_t capacity, const TwoLegRow* after) {
    return detail::SplitPass(lines, options.tolerance, capacity, after, threads, options.work);
  };
  detail::RunPasses<TwoLegRow>(limit, options.rowsPerPass, options.stop, pass, emit);
}

}  // namespace vantrel::networks
