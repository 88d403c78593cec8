#include "two_leg_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>

#include "exact_band.h"
#include "exact_decimal.h"
#include "line_walk.h"
#include "pair_table.h"
#include "two_leg_levels.h"

namespace vantrel::networks {
namespace {

using detail::Levels;
using detail::Span;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool SharesPart(const Network& a, const Network& b) {
  for (int i = 0; i < PartCount(a.shape); ++i) {
    for (int j = 0; j < PartCount(b.shape); ++j) {
      if (a.parts[static_cast<std::size_t>(i)] == b.parts[static_cast<std::size_t>(j)]) return true;
    }
  }
  return false;
}

// A decision within this fraction of its edge (the tolerance, band.within) is made exactly.
constexpr double kEdgeBand = 1e-9;
// Far beyond the rounding of output / target near 1, which a line's nearness allows for.
constexpr double kNearMargin = 1e-13;

// The band of row, as AddBand says; exact settles its edges where it may. Returns whether it
// lies within band.within.
bool Band(TwoLegRow& row, std::span<const double> stock, const TwoLegFormula& formula,
          double target, const TwoLegBand& band, const ExactTwoLeg* exact,
          const StockDecimals& decimals) {
  // Each part's tolerance: its own, or the band's for all (which holds their drift already).
  PartTolerances own;
  if (!band.perPart) {
    own.first.fill(band.partTolerance);
    own.second.fill(band.partTolerance);
  } else if (!band.perPart(row.a, row.b, own)) {
    return MarkUnbanded(row, band.within);
  }
  // In the worst case every part drifts its own worst way as well.
  const PartTolerances wide = own.Widened();
  const double aUp = NetworkValue(row.a, stock, UpFactors(wide.first));
  const double aDown = NetworkValue(row.a, stock, DownFactors(wide.first));
  const double bUp = NetworkValue(row.b, stock, UpFactors(wide.second));
  const double bDown = NetworkValue(row.b, stock, DownFactors(wide.second));
  row.parallel = aUp * bUp / (aUp + bUp);
  const TwoLegFormula& low = band.low;
  const TwoLegFormula& high = band.high;
  const bool risesInA = formula.risesInA;
  const double x = risesInA ? low.output(low.k, aDown, bUp) : low.output(low.k, aUp, bDown);
  const double y = risesInA ? high.output(high.k, aUp, bDown) : high.output(high.k, aDown, bUp);
  // A divider of negative VIN falls where a positive one rises.
  row.low = std::min({x, y, row.output});
  row.high = std::max({x, y, row.output});
  row.worst = std::max(std::fabs((row.low - target) / target * 100),
                       std::fabs((row.high - target) / target * 100));
  bool inside = row.worst <= band.within;
  if (exact &&
      (row.worst < kExactBand || (std::isfinite(band.within) &&
                                  std::fabs(row.worst - band.within) <= kEdgeBand * band.within))) {
    const ExactTwoLeg::Band settled =
        exact->Edges(row.a, row.b, decimals.Get(), band.perPart ? &wide : nullptr);
    row.low = settled.low;
    row.high = settled.high;
    row.worst = settled.worst;
    inside = settled.inside;
  }
  row.ranked = row.worst;
  if (band.spreads) {
    AddRssBand(row, stock, formula, target, band, band.perPart ? &own : nullptr);
    if (band.byRss) {
      row.ranked = row.rssWorst;
      inside = row.rssWorst <= band.within;
    }
  }
  row.worstKey = WorstKey(row.ranked);
  return inside;
}

// The lines of the legs A of one pass, keeping the best rows. A line is walked in B, against
// the window's bounds as values of B, so a step costs no division; the legs of a list rise,
// and B at a fixed output rises with A, so along a list the crossing moves up by a few entries
// a line, and so do the bounds the totals set. The few lines that hold a row in the window are
// walked out of line, which keeps the loop over the others short.
class TwoLegLines {
 public:
  TwoLegLines(std::span<const double> stock, const TwoLegFormula& formula,
              const TwoLegOptions& options, const StockDecimals& decimals,
              detail::BestRows<TwoLegRow>& best, double scaleCut)
      : m_stock(stock),
        m_formula(formula),
        m_options(options),
        m_decimals(decimals),
        m_k0(ShortestDecimal(formula.k[0])),
        m_target(ShortestDecimal(options.target)),
        m_best(best),
        m_tiedAfter(best.TiedAfter()),
        m_scaleCut(scaleCut),
        m_levels(formula, options, best.window()) {
    if (formula.exact) {
      m_exact = std::make_unique<ExactTwoLeg>(formula, options.target, options.tolerance,
                                              options.band ? &*options.band : nullptr);
    }
  }

  // The legs A [from, to) of as along the legs B of bs. With near (one entry per leg of as),
  // a line whose entry says none of its rows left can lie in the window is passed over, and
  // each line looked at sets its entry (Near).
  void Sweep(const LegList& as, std::size_t from, std::size_t to, const LegList& bs,
             std::uint16_t* near = nullptr) {
    const double* v = bs.values.data();
    const std::size_t size = bs.values.size();
    const auto first = static_cast<std::size_t>(std::lower_bound(v, v + size, m_options.minB) - v);
    const auto last = static_cast<std::size_t>(std::upper_bound(v, v + size, m_options.maxB) - v);
    if (first >= last) return;
    std::size_t begin = first;
    std::size_t end = last;
    auto cross = static_cast<std::size_t>(
        std::lower_bound(v + first, v + last, m_levels.Cross(as.values[from])) - v);
    std::size_t seen = from;  // the line after the last one looked at
    for (std::size_t t = from; t < to && !detail::Stopped(m_options.stop); ++t) {
      if (near && Beyond(Unpacked(near[t]))) continue;
      const double a = as.values[t];
      // A + B rises with B, so the bounds on the total bound the line.
      if (m_options.minTotal > 0) {
        begin = detail::FirstTrue(first, last, begin,
                                  [&](std::size_t i) { return a + v[i] >= m_options.minTotal; });
      }
      if (m_options.maxTotal < kInfinity) {
        end = detail::FirstTrue(begin, last, end,
                                [&](std::size_t i) { return !(a + v[i] <= m_options.maxTotal); });
      }
      const double crossB = m_levels.Cross(a);
      // Lines passed over leave the last crossing far behind: it is searched for, not stepped to.
      cross =
          t == seen
              ? detail::CrossingFrom(v, begin, end, cross, crossB, [](double b) { return b; })
              : detail::FirstTrue(begin, end, cross, [&](std::size_t i) { return v[i] >= crossB; });
      seen = t + 1;
      const Span span = m_levels.ByRss()
                            ? m_levels.LineBounds(a, ShareSquares(as, t), PartCount(bs.shape))
                            : m_levels.Bounds(a);
      std::size_t up = cross;    // the first row above the target not yet given
      std::size_t down = cross;  // and the first at or below it, less one
      if (m_tiedAfter && OutsideScales(a, span)) {
      } else if (span.lo <= span.hi && ((cross < end && v[cross] <= span.hi) ||
                                        (cross > begin && v[cross - 1] >= span.lo))) {
        // Any B in the span is at least v[cross] or at most v[cross - 1].
        Walk(as, t, bs, begin, cross, end, up, down);
      }
      if (near) near[t] = Packed(Near(a, v, begin, end, up, down));
    }
  }

 private:
  // The squares of the shares of leg t's parts in its relative move, summed (Levels).
  double ShareSquares(const LegList& legs, std::size_t t) const {
    if (legs.shape == Shape::kOne) return 1;
    const double x = m_stock[legs.parts[t][0]];
    const double y = m_stock[legs.parts[t][1]];
    const double sum = x + y;
    return (x / sum) * (x / sum) + (y / sum) * (y / sum);
  }

  // With m_tiedAfter, whether every row of a's line with B in span has a scale that ranks it
  // before that row or past the cut: the scale key is |ln| of (A / s) (B / s), whose least
  // over the span lies at 1 or at an end and whose most at an end. A little margin covers its
  // roundings.
  bool OutsideScales(double a, const Span& span) const {
    const double s = m_options.scale;
    const double lo = a / s * (span.lo / s);
    const double hi = a / s * (span.hi / s);
    const auto key = [](double p) { return p >= 1 ? p : 1 / p; };
    const double least = lo >= 1 ? key(lo) : hi <= 1 ? key(hi) : 1;
    const double most = std::max(key(lo), key(hi));
    return least > m_scaleCut * (1 + 1e-9) || most < m_tiedAfter->scaleKey * (1 - 1e-9);
  }

  // Offers the rows of the line of leg A t in the window, outward from the crossing, or from
  // the nearest B to it in the band's interval, which need not hold the crossing.
  // up and down become the edges of the rows an earlier pass gave, where the walk knows them.
  [[gnu::noinline]] void Walk(const LegList& as, std::size_t t, const LegList& bs,
                              std::size_t begin, std::size_t cross, std::size_t end,
                              std::size_t& up, std::size_t& down) {
    ++m_best.window().lines;
    const double* v = bs.values.data();
    const double a = as.values[t];
    const bool own = m_levels.ByRss();
    const double shares = own ? ShareSquares(as, t) : 1;
    const int bParts = own ? PartCount(bs.shape) : 1;
    const auto bounds = [&] {
      return own ? m_levels.LineBounds(a, shares, bParts) : m_levels.Bounds(a);
    };
    Span span = bounds();
    std::uint64_t generation = m_levels.Generation();
    // Each row may narrow the window, and with it the line's bounds.
    const auto narrowed = [&] {
      if (m_levels.Generation() == generation) return;
      generation = m_levels.Generation();
      span = bounds();
    };
    const auto atLeast = [&](double bound) {
      return detail::FirstTrue(begin, end, cross, [&](std::size_t i) { return v[i] >= bound; });
    };
    const auto above = [&](double bound) {
      return detail::FirstTrue(begin, end, cross, [&](std::size_t i) { return v[i] > bound; });
    };
    const std::size_t center =
        std::clamp(cross, atLeast(span.lo), std::max(atLeast(span.lo), above(span.hi)));
    // [skipFrom, skipTo): the rows an earlier pass delivered.
    std::size_t skipFrom = center;
    std::size_t skipTo = center;
    if (m_levels.HasInner()) {
      const Span inner = m_levels.InnerBounds(a);
      if (inner.lo < inner.hi) {
        skipFrom = above(inner.lo);
        skipTo = std::max(skipFrom, atLeast(inner.hi));
        // Only rows given around the crossing leave the nearest ones on either side behind.
        if (skipFrom <= cross && cross <= skipTo) {
          up = skipTo;
          down = skipFrom;
        }
      }
    }
    std::uint64_t& steps = m_best.window().steps;
    for (std::size_t i = center; i < end && v[i] <= span.hi; ++steps) {
      if (i >= skipFrom && i < skipTo) {
        i = skipTo;
      } else if (v[i] < span.lo) {
        i = std::max(i + 1, atLeast(span.lo));
      } else {
        Offer(as, t, bs, i++);
        narrowed();
      }
    }
    for (std::size_t i = center; i > begin && v[i - 1] >= span.lo; ++steps) {
      if (i - 1 >= skipFrom && i - 1 < skipTo) {
        i = skipFrom;
      } else if (v[i - 1] > span.hi) {
        i = std::min(i - 1, above(span.hi));
      } else {
        Offer(as, t, bs, --i);
        narrowed();
      }
    }
  }

  // How near the target the output of a's line comes at the rows from up on and below down,
  // as |output / target - 1|, a little less for the roundings: the output moves one way along
  // the line, so no row there comes nearer. Neither an earlier pass's rows nor the bounds on
  // the rows count, so no row of the line that any later pass may give lies nearer.
  float Near(double a, const double* v, std::size_t begin, std::size_t end, std::size_t up,
             std::size_t down) const {
    double least = kInfinity;
    const auto off = [&](double b) {
      return std::fabs(m_formula.output(m_formula.k, a, b) / m_options.target - 1);
    };
    if (up < end) least = off(v[up]);
    if (down > begin) least = std::min(least, off(v[down - 1]));
    least -= least * 1e-9 + kNearMargin;
    if (!(least > 0)) return 0;
    const auto rounded = static_cast<float>(least);
    return rounded > least ? std::nextafter(rounded, 0.0f) : rounded;
  }
  // A nearness in two bytes: the float's upper half, which for a positive float is a little
  // less than it or the same, as its lower bits only add to it.
  static std::uint16_t Packed(float near) {
    return static_cast<std::uint16_t>(std::bit_cast<std::uint32_t>(near) >> 16);
  }
  static float Unpacked(std::uint16_t packed) {
    return std::bit_cast<float>(std::uint32_t{packed} << 16);
  }
  // Whether a line whose rows left are no nearer the target than near has none in the window.
  bool Beyond(float near) const {
    const detail::Window& w = m_best.window();
    return near > 0 && w.lo > 1 - double{near} && w.hi < 1 + double{near};
  }

  // Whether row's error is within the tolerance, settled exactly at its edge.
  bool WithinTolerance(TwoLegRow& row) const {
    const double tolerance = m_options.tolerance;
    const double off = std::fabs(row.error);
    if (m_exact && std::isfinite(tolerance) &&
        std::fabs(off - tolerance) <= kEdgeBand * tolerance && tolerance > 0) {
      const ExactTwoLeg::Error settled = m_exact->Nominal(row.a, row.b, m_decimals.Get());
      if (settled.inside) row.error = settled.percent;
      return settled.inside;
    }
    return off <= tolerance;
  }

  void Offer(const LegList& as, std::size_t t, const LegList& bs, std::size_t i) {
    const Network a = as.At(t);
    const Network b = bs.At(i);
    if (m_options.distinct && SharesPart(a, b)) return;
    if (m_options.band) {
      const double tolerance = m_options.band->partTolerance;
      if (!EarnsItsPlace(a, m_stock, tolerance) || !EarnsItsPlace(b, m_stock, tolerance)) return;
    }
    TwoLegRow row{a, b, as.values[t], bs.values[i]};
    row.total = row.ra + row.rb;
    row.parallel = row.ra * row.rb / row.total;
    // Without a band the nominal A || B is judged; a band's upper ends come with it.
    if (!m_options.band && row.parallel > m_options.maxParallel) return;
    row.scaleKey = ScaleKey(row.ra, row.rb, m_options.scale);
    if (m_tiedAfter && (!TwoLegTiesAfter(row, *m_tiedAfter) || row.scaleKey > m_scaleCut)) return;
    if (const TwoLegRow* worst = m_best.TiedWorst(); worst && TwoLegTiesAfter(row, *worst)) return;
    row.output = m_formula.output(m_formula.k, row.ra, row.rb);
    row.error = (row.output - m_options.target) / m_options.target * 100;
    // The pin current's term is a product of three decimals, past the exact integers' width.
    if (m_formula.exact && m_formula.k[1] == 0 && std::fabs(row.error) < kExactBand) {
      if (const auto exact =
              ExactTwoLegPercent(m_formula.exact->numerator, m_formula.exact->denominator, a, b,
                                 m_decimals.Get(), m_k0, m_target)) {
        row.error = *exact;
        if (*exact == 0) row.output = m_options.target;
      }
    }
    if (!WithinTolerance(row)) return;
    if (m_options.band) {
      if (!Band(row, m_stock, m_formula, m_options.target, *m_options.band, m_exact.get(),
                m_decimals) ||
          row.parallel > m_options.maxParallel) {
        return;
      }
    } else {
      row.low = row.output;
      row.high = row.output;
      row.worst = std::fabs(row.error);
      row.ranked = row.worst;
      row.worstKey = row.worst;
    }
    if (m_options.keep && !m_options.keep(row)) return;
    m_best.Offer(row);
    m_levels.Refresh();
  }

  std::span<const double> m_stock;
  const TwoLegFormula& m_formula;
  const TwoLegOptions& m_options;
  const StockDecimals& m_decimals;
  Decimal m_k0;
  Decimal m_target;
  detail::BestRows<TwoLegRow>& m_best;
  const TwoLegRow* m_tiedAfter;
  double m_scaleCut;  // with m_tiedAfter, rows past this scale are left out
  Levels m_levels;
  std::unique_ptr<ExactTwoLeg> m_exact;
};

}  // namespace

void AddRssBand(TwoLegRow& row, std::span<const double> stock, const TwoLegFormula& formula,
                double target, const TwoLegBand& band, const PartTolerances* own) {
  const std::array<double, 2> slopes = formula.slopes(formula.k, row.ra, row.rb);
  const PartSpreads spreads = own ? own->Spreads() : band.spreads;
  const double squares = LegSquares(row.a, 0, stock, false, row.ra, slopes[0], spreads) +
                         LegSquares(row.b, 1, stock, false, row.rb, slopes[1], spreads);
  const double root = std::sqrt(squares);
  const TwoLegFormula& low = band.low;
  const TwoLegFormula& high = band.high;
  const double x = row.output - root + (low.output(low.k, row.ra, row.rb) - row.output);
  const double y = row.output + root + (high.output(high.k, row.ra, row.rb) - row.output);
  row.rssLow = std::min({x, y, row.output});
  row.rssHigh = std::max({x, y, row.output});
  row.rssWorst = std::max(std::fabs((row.rssLow - target) / target * 100),
                          std::fabs((row.rssHigh - target) / target * 100));
}

double WorstKey(double worst) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, worst, std::chars_format::scientific, 8);
  double key = worst;
  std::from_chars(text, end.ptr, key);
  return key;
}

double ScaleKey(double ra, double rb, double scale) {
  const double ratio = ra / scale * (rb / scale);
  return ratio >= 1 ? ratio : 1 / ratio;
}

void AddBand(TwoLegRow& row, std::span<const double> stock, const TwoLegFormula& formula,
             double target, const TwoLegBand& band, bool exact) {
  const StockDecimals decimals(stock);
  std::unique_ptr<ExactTwoLeg> settle;
  if (exact && formula.exact) settle = std::make_unique<ExactTwoLeg>(formula, target, 0, &band);
  Band(row, stock, formula, target, band, settle.get(), decimals);
}

bool TwoLegTiesAfter(const TwoLegRow& x, const TwoLegRow& y) {
  if (x.scaleKey != y.scaleKey) return x.scaleKey > y.scaleKey;
  if (x.total != y.total) return x.total > y.total;
  if (NetworkBefore(y.a, x.a)) return true;
  if (NetworkBefore(x.a, y.a)) return false;
  return NetworkBefore(y.b, x.b);
}

bool TwoLegRanksBefore(const TwoLegRow& x, const TwoLegRow& y) {
  if (x.worstKey != y.worstKey) return x.worstKey < y.worstKey;
  const double ex = std::fabs(x.error);
  const double ey = std::fabs(y.error);
  if (ex != ey) return ex < ey;
  return TwoLegTiesAfter(y, x);
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

  double scaleCut = kInfinity;
  // Where more than one pass may run, each line's nearness (TwoLegLines::Near), kept from pass
  // to pass, per pair of lists and leg A: a pass then looks only at the lines that may hold a
  // row of its window, where it looked at every line of every list. Not with a band: a window
  // on the worst case reaches far past the outputs' nearness, and passes over next to no line.
  std::vector<std::vector<std::uint16_t>> nearness;
  if (!options.band && limit > std::min<std::uint64_t>(options.rowsPerPass, 1024)) {
    nearness.resize(legs.size() * legs.size());
    for (std::size_t i = 0; i < legs.size(); ++i) {
      for (std::size_t j = 0; j < legs.size(); ++j) {
        if (options.parts != 0 &&
            PartCount(legs[i].shape) + PartCount(legs[j].shape) != options.parts) {
          continue;
        }
        nearness[i * legs.size() + j].assign(legs[i].values.size(), 0);
      }
    }
  }
  // Each takes part `part` of `parts` of the legs A of every list within the bounds on A.
  const auto lines = [&](detail::BestRows<TwoLegRow>& best, std::size_t part, std::size_t parts) {
    TwoLegLines walk(stock, formula, options, decimals, best, scaleCut);
    for (std::size_t i = 0; i < legs.size(); ++i) {
      const LegList& as = legs[i];
      const double* v = as.values.data();
      const auto first =
          static_cast<std::size_t>(std::lower_bound(v, v + as.values.size(), options.minA) - v);
      const auto last =
          static_cast<std::size_t>(std::upper_bound(v, v + as.values.size(), options.maxA) - v);
      if (first >= last) continue;
      const std::size_t from = first + (last - first) * part / parts;
      const std::size_t to = first + (last - first) * (part + 1) / parts;
      if (from == to) continue;
      for (std::size_t j = 0; j < legs.size(); ++j) {
        const LegList& bs = legs[j];
        if (options.parts != 0 && PartCount(as.shape) + PartCount(bs.shape) != options.parts) {
          continue;
        }
        walk.Sweep(as, from, to, bs,
                   nearness.empty() ? nullptr : nearness[i * legs.size() + j].data());
      }
    }
  };
  // On two threads, each takes half the legs A of each list. The window lies on output / target,
  // whose relative error is the row's; with a band, on the worst case.
  const double bound = options.band ? options.band->within : options.tolerance;
  // Within a long run of ties, a pass that leaves out the rows an earlier one gave may also
  // leave out those past the scale the next rows are likely to reach, as the last pass's rows
  // spread over the scale, for as many rows as this pass holds, with half as many again to
  // spare. A pass that leaves rows out stands only when it fills (PassAfterTies), so a guess too
  // short is widened, to four times as far, then to the whole run, before a pass of every row
  // is made.
  bool tied = false;
  std::vector<double> scales;  // the first and the last row's scale of the last pass
  std::size_t lastRows = 0;    // and how many it gave
  const auto pass = [&](std::size_t capacity, const TwoLegRow* after, double passBound) {
    std::vector<TwoLegRow> rows = detail::PassAfterTies(capacity, after, tied, [&](bool skip) {
      scaleCut = kInfinity;
      if (!skip || scales.size() != 2 || !(scales[1] > scales[0])) {
        return detail::SplitPass(lines, passBound, capacity, after, threads, options.work, skip);
      }
      double reach = (scales[1] - scales[0]) * 1.5 * static_cast<double>(capacity) /
                     static_cast<double>(lastRows);
      for (int widened = 0;; ++widened) {
        scaleCut = widened < 2 ? scales[1] + reach : kInfinity;
        std::vector<TwoLegRow> found =
            detail::SplitPass(lines, passBound, capacity, after, threads, options.work, true);
        if (found.size() == capacity || scaleCut == kInfinity) return found;
        reach *= 4;
      }
    });
    scales.clear();
    lastRows = rows.size();
    if (!rows.empty()) scales = {rows.front().scaleKey, rows.back().scaleKey};
    return rows;
  };
  detail::RunPasses<TwoLegRow>(limit, options.rowsPerPass, bound, options.stop, pass, emit);
}

}  // namespace vantrel::networks
