#include "divider_search.h"

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

// The legs of one kind by ascending value: the single parts, or the series or the parallel
// pairs.
struct LegList {
  Shape shape = Shape::kOne;
  std::span<const double> values;
  const std::array<std::uint16_t, 2>* parts = nullptr;  // of the pairs

  Network At(std::size_t i) const {
    if (shape == Shape::kOne) return {shape, {static_cast<std::uint16_t>(i)}};
    return {shape, {parts[i][0], parts[i][1]}};
  }
};

// R2 / (R1 + R2) is q where R2 = R1 * q / (1 - q): a window on the ratio as factors on R1,
// worked out again whenever the window narrows. A ratio at or above 1 bounds nothing, nor one
// at or below 0.
class RatioFactors {
 public:
  explicit RatioFactors(const detail::Window& w) : m_w(w), m_target(Factor(w.target)) { Refresh(); }

  // For the window's bounds as they are now.
  void Refresh() {
    if (m_w.lo == m_lo && m_w.hi == m_hi) return;
    m_lo = m_w.lo;
    m_hi = m_w.hi;
    lo = Factor(m_lo);
    hi = Factor(m_hi);
  }

  double Target() const { return m_target; }
  bool HasInner() const { return m_w.hasInner; }
  double InnerLo() const { return Factor(m_w.innerLo); }
  double InnerHi() const { return Factor(m_w.innerHi); }

  double lo = 0;
  double hi = 0;

 private:
  static double Factor(double q) {
    if (q >= 1) return std::numeric_limits<double>::infinity();
    return q > 0 ? q / (1 - q) : 0;
  }

  const detail::Window& m_w;
  double m_target;
  double m_lo = std::numeric_limits<double>::quiet_NaN();
  double m_hi = std::numeric_limits<double>::quiet_NaN();
};

bool SharesPart(const Network& a, const Network& b) {
  for (int i = 0; i < PartCount(a.shape); ++i) {
    for (int j = 0; j < PartCount(b.shape); ++j) {
      if (a.parts[static_cast<std::size_t>(i)] == b.parts[static_cast<std::size_t>(j)]) return true;
    }
  }
  return false;
}

// The lines of the top legs of one pass, keeping the best rows. A line is walked in R2,
// against the window's bounds times R1, so a step costs no division; the legs of a list rise,
// so along a list of top legs the crossing moves up by a few entries a line, and so do the
// bounds the totals set. The few lines that hold a row in the window are walked out of line,
// which keeps the loop over the others short.
class DividerLines {
 public:
  DividerLines(const DividerOptions& options, const StockDecimals& decimals,
               detail::BestRows<DividerRow>& best)
      : m_options(options),
        m_decimals(decimals),
        m_vin(ShortestDecimal(options.vin)),
        m_vout(ShortestDecimal(options.vout)),
        m_best(best),
        m_factors(best.window()) {}

  // The top legs [from, to) of top along the bottom legs.
  void Sweep(const LegList& top, std::size_t from, std::size_t to, const LegList& bottom) {
    const double* v = bottom.values.data();
    const std::size_t size = bottom.values.size();
    const double factor = m_factors.Target();
    std::size_t begin = 0;
    std::size_t end = size;
    auto cross =
        static_cast<std::size_t>(std::lower_bound(v, v + size, top.values[from] * factor) - v);
    for (std::size_t t = from; t < to && !detail::Stopped(m_options.stop); ++t) {
      const double r1 = top.values[t];
      // R1 + R2 rises with R2, so the bounds on the total bound the line.
      if (m_options.minTotal > 0) {
        begin = detail::FirstTrue(0, size, begin,
                                  [&](std::size_t i) { return r1 + v[i] >= m_options.minTotal; });
      }
      if (m_options.maxTotal < std::numeric_limits<double>::infinity()) {
        end = detail::FirstTrue(begin, size, end,
                                [&](std::size_t i) { return !(r1 + v[i] <= m_options.maxTotal); });
      }
      cross = detail::CrossingFrom(v, begin, end, cross, r1 * factor, [](double r2) { return r2; });
      if (m_factors.HasInner() || (cross < end && v[cross] <= r1 * m_factors.hi) ||
          (cross > begin && v[cross - 1] >= r1 * m_factors.lo)) {
        Walk(top, t, bottom, begin, cross, end);
      }
    }
  }

 private:
  // Offers the rows of the line of top leg t in the window, outward from the crossing.
  [[gnu::noinline]] void Walk(const LegList& top, std::size_t t, const LegList& bottom,
                              std::size_t begin, std::size_t cross, std::size_t end) {
    ++m_best.window().lines;
    const double* v = bottom.values.data();
    const double r1 = top.values[t];
    std::size_t up = cross;
    std::size_t down = cross;
    if (m_factors.HasInner()) {
      const double innerHi = r1 * m_factors.InnerHi();
      const double innerLo = r1 * m_factors.InnerLo();
      up = detail::FirstTrue(cross, end, cross, [&](std::size_t i) { return v[i] >= innerHi; });
      down = detail::FirstTrue(begin, cross, cross, [&](std::size_t i) { return v[i] > innerLo; });
    }
    std::uint64_t& steps = m_best.window().steps;
    for (; up < end && v[up] <= r1 * m_factors.hi; ++up, ++steps) Offer(top, t, bottom, up);
    for (; down > begin && v[down - 1] >= r1 * m_factors.lo; ++steps) Offer(top, t, bottom, --down);
  }

  void Offer(const LegList& tops, std::size_t t, const LegList& bottoms, std::size_t b) {
    const Network top = tops.At(t);
    const Network bottom = bottoms.At(b);
    if (m_options.distinct && SharesPart(top, bottom)) return;
    DividerRow row{top, bottom, tops.values[t], bottoms.values[b]};
    row.total = row.r1 + row.r2;
    row.vout = m_options.vin * row.r2 / row.total;
    row.error = (row.vout - m_options.vout) / m_options.vout * 100;
    if (std::fabs(row.error) < kExactBand) {
      if (const auto exact = ExactDividerPercent(top, bottom, m_decimals.Get(), m_vin, m_vout)) {
        row.error = *exact;
        if (*exact == 0) row.vout = m_options.vout;
      }
    }
    m_best.Offer(row);
    m_factors.Refresh();
  }

  const DividerOptions& m_options;
  const StockDecimals& m_decimals;
  Decimal m_vin;
  Decimal m_vout;
  detail::BestRows<DividerRow>& m_best;
  RatioFactors m_factors;
};

}  // namespace

bool DividerRanksBefore(const DividerRow& a, const DividerRow& b) {
  const double ea = std::fabs(a.error);
  const double eb = std::fabs(b.error);
  if (ea != eb) return ea < eb;
  if (a.total != b.total) return a.total < b.total;
  if (NetworkBefore(a.top, b.top)) return true;
  if (NetworkBefore(b.top, a.top)) return false;
  return NetworkBefore(a.bottom, b.bottom);
}

void FindDividers(std::span<const double> stock, const DividerOptions& options, std::uint64_t limit,
                  const std::function<void(const DividerRow&)>& emit) {
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

  // Each takes part `part` of `parts` of the top legs of every list.
  const auto lines = [&](detail::BestRows<DividerRow>& best, std::size_t part, std::size_t parts) {
    DividerLines walk(options, decimals, best);
    for (const LegList& top : legs) {
      const std::size_t from = top.values.size() * part / parts;
      const std::size_t to = top.values.size() * (part + 1) / parts;
      if (from == to) continue;
      for (const LegList& bottom : legs) walk.Sweep(top, from, to, bottom);
    }
  };
  // On two threads, each takes half the top legs of each list and keeps its own best rows,
  // merged in rank order.
  const auto pass = [&](std::size_t capacity, const DividerRow* after) {
    // The walk follows R2 / (R1 + R2), whose relative error is that of VOUT.
    std::atomic<double> bound = options.tolerance;
    const auto best = [&] {
      return detail::BestRows<DividerRow>(options.vout / options.vin, options.tolerance, capacity,
                                          after, &bound);
    };
    const auto take = [&](detail::BestRows<DividerRow>& rows) {
      if (options.work) {
        options.work->lines += rows.window().lines;
        options.work->steps += rows.window().steps;
      }
      return rows.TakeSorted();
    };
    detail::BestRows<DividerRow> low = best();
    if (!threads) {
      lines(low, 0, 1);
      return take(low);
    }
    detail::BestRows<DividerRow> high = best();
    detail::RunBoth([&] { lines(high, 1, 2); }, [&] { lines(low, 0, 2); });
    return detail::MergeRows(take(low), take(high), capacity);
  };
  detail::RunPasses<DividerRow>(limit, options.rowsPerPass, options.stop, pass, emit);
}

}  // namespace vantrel::networks
