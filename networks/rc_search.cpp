#include "rc_search.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

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

// The window's bounds as resistances on the line of a capacitor leg C. The window lies on
// output / target: a time constant rises with R, a corner falls.
class ResistanceLevels {
 public:
  ResistanceLevels(const RcOptions& options, const detail::Window& w)
      : m_corner(options.quantity == RcQuantity::kCorner), m_tau(TargetTau(options)), m_w(w) {}

  // R where the line meets the target.
  double Cross(double c) const { return m_tau / c; }
  // The least and the greatest R of the line in the window.
  std::pair<double, double> Bounds(double c) const { return Band(m_w.lo, m_w.hi, c); }
  bool HasInner() const { return m_w.hasInner; }
  // The open band of R an earlier pass has delivered; none (lo above hi) when it is empty, as
  // after a row of error 0.
  std::pair<double, double> InnerBounds(double c) const {
    if (!(m_w.innerLo < m_w.innerHi)) return {kInfinity, -kInfinity};
    return Band(m_w.innerLo, m_w.innerHi, c);
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
};

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
  RcLines(const RcOptions& options, const StockDecimals& rDecimals, const StockDecimals& cDecimals,
          detail::BestRows<RcRow>& best)
      : m_options(options),
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
      const auto [lo, hi] = m_levels.Bounds(c);
      if (m_levels.HasInner() || (cross < rs.end && v[cross] <= hi) ||
          (cross > rs.begin && v[cross - 1] >= lo)) {
        Walk(cs, t, rs, cross);
      }
    }
  }

 private:
  // Offers the rows of the line of capacitor leg t in the window, outward from the crossing.
  [[gnu::noinline]] void Walk(const LegList& cs, std::size_t t, const Legs& rs, std::size_t cross) {
    ++m_best.window().lines;
    const double* v = rs.list.values.data();
    const double c = cs.values[t];
    std::size_t up = cross;
    std::size_t down = cross;
    if (m_levels.HasInner()) {
      // Named copies, not a structured binding: clang 14 cannot capture one in a lambda.
      const auto inner = m_levels.InnerBounds(c);
      const double innerLo = inner.first;
      const double innerHi = inner.second;
      up = detail::FirstTrue(cross, rs.end, cross, [&](std::size_t i) { return v[i] >= innerHi; });
      down =
          detail::FirstTrue(rs.begin, cross, cross, [&](std::size_t i) { return v[i] > innerLo; });
    }
    // Each row may narrow the window, and with it the line's bounds.
    std::uint64_t& steps = m_best.window().steps;
    for (; up < rs.end && v[up] <= m_levels.Bounds(c).second; ++steps) Offer(cs, t, rs, up++);
    for (; down > rs.begin && v[down - 1] >= m_levels.Bounds(c).first; ++steps) {
      Offer(cs, t, rs, --down);
    }
  }

  void Offer(const LegList& cs, std::size_t t, const Legs& rs, std::size_t i) {
    RcRow row{rs.list.At(i), cs.At(t), rs.list.values[i], cs.values[t]};
    row.tau = ExactLegProduct(row.r, m_rDecimals.Get(), row.c, m_cDecimals.Get())
                  .value_or(row.rValue * row.cValue);
    row.output = m_options.quantity == RcQuantity::kCorner ? 1 / (kTwoPi * row.tau) : row.tau;
    row.error = (row.output - m_options.target) / m_options.target * 100;
    if (!(std::fabs(row.error) <= m_options.tolerance)) return;
    if (m_options.keep && !m_options.keep(row)) return;
    m_best.Offer(row);
  }

  const RcOptions& m_options;
  const StockDecimals& m_rDecimals;
  const StockDecimals& m_cDecimals;
  detail::BestRows<RcRow>& m_best;
  ResistanceLevels m_levels;
};

}  // namespace

double CapacitorLegValue(const Network& leg, std::span<const double> stock, double factor) {
  return EvaluateNetwork(
      leg, [&](int slot) { return stock[leg.parts[static_cast<std::size_t>(slot)]] * factor; },
      Fold, Sum);
}

bool RcRanksBefore(const RcRow& x, const RcRow& y) {
  const double ex = std::fabs(x.error);
  const double ey = std::fabs(y.error);
  if (ex != ey) return ex < ey;
  if (x.PartTotal() != y.PartTotal()) return x.PartTotal() < y.PartTotal();
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
    RcLines walk(options, rDecimals, cDecimals, best);
    for (const LegList& cs : cLegs) {
      const std::size_t size = cs.values.size();
      const std::size_t from = size * part / parts;
      const std::size_t to = size * (part + 1) / parts;
      if (from == to) continue;
      for (const Legs& rs : rLegs) walk.Sweep(cs, from, to, rs);
    }
  };
  // On two threads, each takes half the capacitor legs of each list.
  const auto pass = [&](std::size_t capacity, const RcRow* after) {
    return detail::SplitPass(lines, options.tolerance, capacity, after, threads, options.work);
  };
  detail::RunPasses<RcRow>(limit, options.rowsPerPass, options.stop, pass, emit);
}

}  // namespace vantrel::networks
