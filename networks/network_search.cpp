#include "network_search.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "exact_decimal.h"
#include "line_walk.h"
#include "pair_table.h"

namespace vantrel::networks {
namespace {

using detail::WalkLine;
using detail::WalkLineFrom;
using detail::Window;
using Index = std::uint16_t;

Index I(std::size_t i) {
  return static_cast<Index>(i);
}

double Par(double x, double y) {
  return x * y / (x + y);
}

// Makes candidates into rows and keeps the best.
class Collector {
 public:
  Collector(std::span<const double> stock, const StockDecimals& decimals,
            const FindOptions& options, double tolerance, std::size_t capacity,
            const NetworkRow* after, std::atomic<double>* sharedBound,
            detail::SharedTies* sharedTies, bool skipTied)
      : m_stock(stock),
        m_decimals(decimals),
        m_target(ShortestDecimal(options.target)),
        m_options(options),
        m_best(options.target, tolerance, capacity, after, sharedBound, sharedTies, skipTied),
        m_tiedAfter(m_best.TiedAfter()) {}

  const Window& window() const { return m_best.window(); }

  // Takes a candidate whose parts are in the shape's slot order, unordered within groups.
  void Offer(Shape shape, std::array<Index, 4> slots) {
    const int parts = PartCount(shape);
    if (m_options.distinct) {
      for (int i = 1; i < parts; ++i) {
        for (int j = 0; j < i; ++j) {
          if (slots[static_cast<std::size_t>(i)] == slots[static_cast<std::size_t>(j)]) return;
        }
      }
    }
    if (!m_options.held.empty()) {
      for (int i = 0; i < parts; ++i) {
        const Index value = slots[static_cast<std::size_t>(i)];
        int uses = 0;
        for (int j = 0; j < parts; ++j) uses += slots[static_cast<std::size_t>(j)] == value;
        if (static_cast<std::uint32_t>(uses) > m_options.held[value]) return;
      }
    }
    NetworkRow row;
    row.network = CanonicalNetwork(shape, slots, m_stock);
    if (m_tiedAfter && !NetworkBefore(m_tiedAfter->network, row.network)) return;
    if (const NetworkRow* worst = m_best.TiedWorst();
        worst && NetworkBefore(worst->network, row.network)) {
      return;
    }
    row.value = NetworkValue(row.network, m_stock);
    row.deviation = (row.value - m_options.target) / m_options.target * 100;
    if (std::fabs(row.deviation) < kExactBand) {
      if (const auto exact = ExactNetworkPercent(row.network, m_decimals.Get(), m_target)) {
        row.deviation = *exact;
        if (*exact == 0) row.value = m_options.target;
      }
    }
    m_best.Offer(row);
  }

  // The rows in rank order, the work added to the options' tally.
  std::vector<NetworkRow> TakeSorted() {
    if (SearchWork* work = m_options.work) {
      work->lines += m_best.window().lines;
      work->steps += m_best.window().steps;
    }
    return m_best.TakeSorted();
  }

 private:
  std::span<const double> m_stock;
  const StockDecimals& m_decimals;
  Decimal m_target;
  const FindOptions& m_options;
  detail::BestRows<NetworkRow> m_best;
  const NetworkRow* m_tiedAfter;
};

// A pair table, where a value would fall in it, and for each stock index d where the pairs of
// parts at most d end (upTo) and where those of parts at least d begin (from): a line that takes
// only such pairs walks only that part of the table, where a line over all of it could pass
// over most of it without a row, a whole table per line for a target far from the stock.
struct IndexedPairs : PairTable {
  detail::TableIndex index;
  std::vector<std::size_t> upTo;
  std::vector<std::size_t> from;
};

// bounds(x) is the least and the greatest value of a pair of parts at least and at most x: for
// a series pair its sum, x + x; for a parallel pair half x, short of a few roundings either way.
template <class Bounds>
IndexedPairs Indexed(PairTable table, std::span<const double> stock, Bounds bounds) {
  IndexedPairs pairs{std::move(table), {}, {}, {}};
  const std::vector<double>& v = pairs.values;
  pairs.index = detail::TableIndex(v.data(), v.size());
  for (const double x : stock) {
    const auto [least, greatest] = bounds(x);
    pairs.upTo.push_back(
        static_cast<std::size_t>(std::upper_bound(v.begin(), v.end(), greatest) - v.begin()));
    pairs.from.push_back(
        static_cast<std::size_t>(std::lower_bound(v.begin(), v.end(), least) - v.begin()));
  }
  return pairs;
}

// The first index of values[0, end) whose value is at least bound.
std::size_t FirstAtLeast(const double* values, std::size_t end, double bound) {
  return static_cast<std::size_t>(std::lower_bound(values, values + end, bound) - values);
}

// The v that brings x + (y || v) to t: infinity when none does, 0 when every v passes t.
// y infinite stands for no y: x + v.
double SeriesLeafParallelPartner(double t, double x, double y) {
  const double rest = t - x;
  if (rest <= 0) return 0;
  if (std::isinf(y)) return rest;
  return y > rest ? y * rest / (y - rest) : std::numeric_limits<double>::infinity();
}

// The v that brings x || (y + v) to t, likewise.
double ParallelLeafSeriesPartner(double t, double x, double y) {
  if (x <= t) return std::numeric_limits<double>::infinity();
  return std::max(x * t / (x - t) - y, 0.0);
}

// The loops over the pair tables, and what they read, set up once per pass: the stock of n
// values and the series and parallel pair tables of m pairs each.
struct TableLines {
  const double* s;
  std::size_t n;
  const IndexedPairs& sp;
  const IndexedPairs& pp;
  const double* sv;
  const double* pv;
  std::size_t m;
  const std::atomic<bool>* stop;

  bool Stopped() const { return detail::Stopped(stop); }

  // Three parts when the pair tables are there: the single part chosen, the pair on a table,
  // a line per stock value rather than per pair. In x + x + x and x || x || x the chosen part
  // is the largest, at least a third of lo for a series, at least three times lo for a
  // parallel group, which lies below a third of its largest member.
  void ThreeFromTables(Collector& c) const {
    const Window& w = c.window();
    const double inf = std::numeric_limits<double>::infinity();
    for (std::size_t d = FirstAtLeast(s, n, w.lo / 3); d < n && !Stopped() && s[d] <= w.hi; ++d) {
      const double y = s[d];
      WalkLineFrom(
          sv, 0, sp.upTo[d], sp.index.Near(w.target - y), w, 3, [y](double v) { return v + y; },
          [&](std::size_t r) {
            const auto ab = sp.parts[r];
            if (ab[1] <= d) c.Offer(Shape::kSeries3, {ab[0], ab[1], I(d)});
          });
    }
    for (std::size_t d = FirstAtLeast(s, n, w.lo * 3);
         d < n && !Stopped() && Par(pv[0], s[d]) <= w.hi; ++d) {
      const double y = s[d];
      WalkLineFrom(
          pv, 0, pp.upTo[d], pp.index.Near(ParallelLeafSeriesPartner(w.target, y, 0)), w, 3,
          [y](double v) { return Par(v, y); },
          [&](std::size_t r) {
            const auto ab = pp.parts[r];
            if (ab[1] <= d) c.Offer(Shape::kParallel3, {ab[0], ab[1], I(d)});
          });
    }
    // x + (x || x) and x || (x + x): the leaf chosen.
    for (std::size_t a = 0; a < n && !Stopped() && s[a] <= w.hi; ++a) {
      const double x = s[a];
      WalkLineFrom(
          pv, 0, m, pp.index.Near(SeriesLeafParallelPartner(w.target, x, inf)), w, 3,
          [x](double v) { return x + v; },
          [&](std::size_t r) {
            c.Offer(Shape::kSeriesLeafParallel, {I(a), pp.parts[r][0], pp.parts[r][1]});
          });
    }
    for (std::size_t a = FirstAtLeast(s, n, w.lo); a < n && !Stopped() && Par(s[a], sv[0]) <= w.hi;
         ++a) {
      const double x = s[a];
      WalkLineFrom(
          sv, 0, m, sp.index.Near(ParallelLeafSeriesPartner(w.target, x, 0)), w, 3,
          [x](double v) { return Par(x, v); },
          [&](std::size_t r) {
            c.Offer(Shape::kParallelLeafSeries, {I(a), sp.parts[r][0], sp.parts[r][1]});
          });
    }
  }

  // Four parts as two pair groups: one pair chosen, the other on a pair table. A parallel
  // group's value lies below each member's, a series group's above, which bounds the chosen
  // pair; of two groups of one kind, the chosen one is the one whose range is narrower.
  void FourPairGroups(Collector& c) const {
    const Window& w = c.window();
    const auto quad = [](std::array<Index, 2> x, std::array<Index, 2> y) {
      return std::array<Index, 4>{x[0], x[1], y[0], y[1]};
    };

    // (x + x) || (x + x): the smaller group chosen, at least lo and at most twice hi.
    std::size_t hint = m;
    for (std::size_t k = FirstAtLeast(sv, m, w.lo); k < m && !Stopped() && sv[k] / 2 <= w.hi; ++k) {
      const double x = sv[k];
      hint = WalkLine(
          sv, k, m, hint, w, 4, [x](double v) { return Par(x, v); },
          [&](std::size_t r) {
            c.Offer(Shape::kParallelOfSeriesPairs, quad(sp.parts[k], sp.parts[r]));
          });
    }
    // (x || x) + (x || x): the larger group chosen, at least half lo and at most hi; the
    // smaller one on the table up to it.
    hint = 0;
    for (std::size_t k = FirstAtLeast(pv, m, w.lo / 2); k < m && !Stopped() && pv[k] <= w.hi; ++k) {
      const double x = pv[k];
      hint = WalkLine(
          pv, 0, k + 1, hint, w, 4, [x](double v) { return v + x; },
          [&](std::size_t r) {
            c.Offer(Shape::kSeriesOfParallelPairs, quad(pp.parts[r], pp.parts[k]));
          });
    }
    // x + x + (x || x): the series pair chosen, at most hi.
    hint = m;
    for (std::size_t k = 0; k < m && !Stopped() && sv[k] + pv[0] <= w.hi; ++k) {
      const double x = sv[k];
      hint = WalkLine(
          pv, 0, m, hint, w, 4, [x](double v) { return x + v; },
          [&](std::size_t r) {
            c.Offer(Shape::kSeries2Parallel2, quad(sp.parts[k], pp.parts[r]));
          });
    }
    // x || x || (x + x): the parallel pair chosen, at least lo.
    hint = m;
    for (std::size_t k = FirstAtLeast(pv, m, w.lo);
         k < m && !Stopped() && Par(pv[k], sv[0]) <= w.hi; ++k) {
      const double x = pv[k];
      hint = WalkLine(
          sv, 0, m, hint, w, 4, [x](double v) { return Par(x, v); },
          [&](std::size_t r) {
            c.Offer(Shape::kParallel2Series2, quad(pp.parts[k], sp.parts[r]));
          });
    }
    // x + x + x + x: the two largest parts chosen, their sum at least half lo and at most hi,
    // the two smallest on the table. x || x || x || x: the two smallest chosen, their parallel
    // value at least lo and at most twice hi, the two largest on the table.
    hint = 0;
    for (std::size_t k = FirstAtLeast(sv, m, w.lo / 2); k < m && !Stopped() && sv[k] <= w.hi; ++k) {
      const double x = sv[k];
      const Index c0 = sp.parts[k][0];
      hint = WalkLine(
          sv, 0, sp.upTo[c0], hint, w, 4, [x](double v) { return v + x; },
          [&](std::size_t r) {
            if (sp.parts[r][1] <= c0) c.Offer(Shape::kSeries4, quad(sp.parts[r], sp.parts[k]));
          });
    }
    hint = m;
    for (std::size_t k = FirstAtLeast(pv, m, w.lo); k < m && !Stopped() && pv[k] / 2 <= w.hi; ++k) {
      const double x = pv[k];
      const Index b = pp.parts[k][1];
      hint = WalkLine(
          pv, pp.from[b], m, hint, w, 4, [x](double v) { return Par(x, v); },
          [&](std::size_t r) {
            if (pp.parts[r][0] >= b) c.Offer(Shape::kParallel4, quad(pp.parts[k], pp.parts[r]));
          });
    }
  }

  // Four parts as two single parts and a pair on a table, the lines with s[a] as the leaf,
  // each entered through the table's index where the pair's value would meet the target. A
  // leaf in series with a parallel group of y needs y at least lo less the leaf; a leaf in
  // parallel needs itself at least lo.
  void FourLeafLines(Collector& c, std::size_t a) const {
    const Window& w = c.window();
    const double x = s[a];
    // x + (x || (x + x)): the parallel group's single part chosen.
    LinesAhead(
        sp, FirstAtLeast(s, n, w.lo - x),
        [&](std::size_t b) { return b < n && x + Par(s[b], sv[0]) <= w.hi; },
        [&](std::size_t b) { return SeriesLeafParallelPartner(w.target, x, s[b]); },
        [&](std::size_t b, std::size_t near) {
          const double y = s[b];
          WalkLineFrom(
              sv, 0, m, near, w, 4, [x, y](double v) { return x + Par(y, v); },
              [&](std::size_t r) {
                c.Offer(Shape::kSeriesLeafParallelLeafSeries,
                        {I(a), I(b), sp.parts[r][0], sp.parts[r][1]});
              });
        });
    // x + (x || x || x): the largest of the group chosen, its two smaller parts on a table.
    LinesAhead(
        pp, FirstAtLeast(s, n, w.lo - x),
        [&](std::size_t d) { return d < n && x + Par(pv[0], s[d]) <= w.hi; },
        [&](std::size_t d) { return SeriesLeafParallelPartner(w.target, x, s[d]); },
        [&](std::size_t d, std::size_t near) {
          const double y = s[d];
          WalkLineFrom(
              pv, 0, pp.upTo[d], near, w, 4, [x, y](double v) { return x + Par(v, y); },
              [&](std::size_t r) {
                const auto bc = pp.parts[r];
                if (bc[1] <= d) c.Offer(Shape::kSeriesLeafParallel3, {I(a), bc[0], bc[1], I(d)});
              });
        });
    if (x < w.lo) return;
    // x || (x + (x || x)): the series group's single part chosen.
    LinesAhead(
        pp, 0, [&](std::size_t b) { return b < n && Par(x, s[b] + pv[0]) <= w.hi; },
        [&](std::size_t b) { return ParallelLeafSeriesPartner(w.target, x, s[b]); },
        [&](std::size_t b, std::size_t near) {
          const double y = s[b];
          WalkLineFrom(
              pv, 0, m, near, w, 4, [x, y](double v) { return Par(x, y + v); },
              [&](std::size_t r) {
                c.Offer(Shape::kParallelLeafSeriesLeafParallel,
                        {I(a), I(b), pp.parts[r][0], pp.parts[r][1]});
              });
        });
    // x || (x + x + x): the largest of the group chosen, its two smaller parts on a table.
    LinesAhead(
        sp, 0, [&](std::size_t d) { return d < n && Par(x, sv[0] + s[d]) <= w.hi; },
        [&](std::size_t d) { return ParallelLeafSeriesPartner(w.target, x, s[d]); },
        [&](std::size_t d, std::size_t near) {
          const double y = s[d];
          WalkLineFrom(
              sv, 0, sp.upTo[d], near, w, 4, [x, y](double v) { return Par(x, v + y); },
              [&](std::size_t r) {
                const auto bc = sp.parts[r];
                if (bc[1] <= d) c.Offer(Shape::kParallelLeafSeries3, {I(a), bc[0], bc[1], I(d)});
              });
        });
  }

  // Walks the lines i, i + 1, ... while more(i), line i from where table's index puts
  // partner(i). Successive lines enter the table far apart, so the index entry and the first
  // values of the next line are fetched while this one is walked.
  template <class More, class Partner, class Walk>
  static void LinesAhead(const IndexedPairs& table, std::size_t i, More more, Partner partner,
                         Walk walk) {
    if (!more(i)) return;
    std::size_t near = table.index.Near(partner(i));
    for (;; ++i) {
      const bool next = more(i + 1);
      std::size_t nextNear = 0;
      if (next) {
        nextNear = table.index.Near(partner(i + 1));
        __builtin_prefetch(table.values.data() + nextNear);
      }
      walk(i, near);
      if (!next) return;
      near = nextNear;
    }
  }
};

class Search {
 public:
  Search(std::span<const double> stock, const FindOptions& options)
      : m_stock(stock), m_decimals(stock), m_options(options) {
    if (options.maxParts >= 4 && !stock.empty()) {
      // A sum rounds once, so it keeps the order of its terms; a parallel value is within a few
      // roundings of its exact value.
      const auto series = [&] {
        m_series = Indexed(SeriesPairs(stock, options.distinct), stock, [](double x) {
          return std::pair{x + x, x + x};
        });
      };
      const auto parallel = [&] {
        m_parallel = Indexed(ParallelPairs(stock, options.distinct), stock, [](double x) {
          return std::pair{x / 2 * (1 - detail::kWindowMargin),
                           x / 2 * (1 + detail::kWindowMargin)};
        });
      };
      if (options.threads < 2) {
        series();
        parallel();
      } else {
        detail::RunBoth(series, parallel);
      }
    }
  }

  // Four parts in pieces of work, the leaf lines one piece per leaf; on two threads, each
  // takes the next piece until none is left and keeps its own best rows, which are merged in
  // rank order, so the result does not depend on which thread did what.
  // The best capacity rows after after within tolerance percent of the target.
  // With skipTied, as BestRows::TiedAfter.
  std::vector<NetworkRow> Pass(std::size_t capacity, const NetworkRow* after, double tolerance,
                               bool skipTied) const {
    std::atomic<double> bound = tolerance;
    detail::SharedTies ties;
    Collector c(m_stock, m_decimals, m_options, tolerance, capacity, after, &bound, &ties,
                skipTied);
    if (m_stock.empty()) return c.TakeSorted();
    const bool four = m_options.maxParts >= 4 && !m_series.values.empty();
    const std::size_t pieces = four ? 2 + m_stock.size() : 1;
    const TableLines tables{m_stock.data(),
                            m_stock.size(),
                            m_series,
                            m_parallel,
                            m_series.values.data(),
                            m_parallel.values.data(),
                            m_series.values.size(),
                            m_options.stop};
    const auto run = [&](Collector& collector, std::size_t piece) {
      const auto counts = [&](int parts) {
        return m_options.minParts <= parts && parts <= m_options.maxParts;
      };
      if (piece == 0) {
        if (counts(1)) One(collector);
        if (counts(2)) Two(collector);
        if (counts(3)) four ? tables.ThreeFromTables(collector) : Three(collector);
      } else if (!counts(4)) {
        return;
      } else if (piece == 1) {
        tables.FourPairGroups(collector);
      } else {
        tables.FourLeafLines(collector, piece - 2);
      }
    };
    if (m_options.threads < 2 || !four) {
      for (std::size_t piece = 0; piece < pieces && !Stopped(); ++piece) run(c, piece);
      return c.TakeSorted();
    }
    Collector other(m_stock, m_decimals, m_options, tolerance, capacity, after, &bound, &ties,
                    skipTied);
    std::atomic<std::size_t> next = 0;
    const auto work = [&](Collector& collector) {
      for (std::size_t piece = next++; piece < pieces && !Stopped(); piece = next++) {
        run(collector, piece);
      }
    };
    detail::RunBoth([&] { work(other); }, [&] { work(c); });
    return detail::MergeRows(c.TakeSorted(), other.TakeSorted(), capacity);
  }

 private:
  bool Stopped() const { return detail::Stopped(m_options.stop); }
  // The first partner of a in a group where partners come in ascending order.
  std::size_t After(std::size_t a) const { return m_options.distinct ? a + 1 : a; }

  void One(Collector& c) const {
    const double* s = m_stock.data();
    const std::size_t n = m_stock.size();
    WalkLine(
        s, 0, n, 0, c.window(), 1, [](double v) { return v; },
        [&](std::size_t r) { c.Offer(Shape::kOne, {I(r)}); });
  }

  void Two(Collector& c) const {
    const double* s = m_stock.data();
    const std::size_t n = m_stock.size();
    const Window& w = c.window();
    std::size_t hint = n;
    for (std::size_t a = 0; a < n && !Stopped() && s[a] + s[a] <= w.hi; ++a) {
      const double x = s[a];
      hint = WalkLine(
          s, After(a), n, hint, w, 2, [x](double v) { return x + v; },
          [&](std::size_t b) {
            c.Offer(Shape::kSeries2, {I(a), I(b)});
          });
    }
    hint = n;
    for (std::size_t a = 0; a < n && !Stopped() && Par(s[a], s[a]) <= w.hi; ++a) {
      const double x = s[a];
      hint = WalkLine(
          s, After(a), n, hint, w, 2, [x](double v) { return Par(x, v); },
          [&](std::size_t b) {
            c.Offer(Shape::kParallel2, {I(a), I(b)});
          });
    }
  }

  void Three(Collector& c) const {
    const double* s = m_stock.data();
    const std::size_t n = m_stock.size();
    const Window& w = c.window();
    // x + x + x and x || x || x: a <= b <= c, c on the line.
    for (std::size_t a = 0; a < n && !Stopped() && s[a] + s[a] + s[a] <= w.hi; ++a) {
      std::size_t hint = n;
      for (std::size_t b = After(a); b < n && s[a] + s[b] + s[b] <= w.hi; ++b) {
        const double x = s[a] + s[b];
        hint = WalkLine(
            s, After(b), n, hint, w, 3, [x](double v) { return x + v; },
            [&](std::size_t r) {
              c.Offer(Shape::kSeries3, {I(a), I(b), I(r)});
            });
      }
    }
    // A parallel group lies below each member: a at least lo.
    for (std::size_t a = FirstAtLeast(s, n, w.lo);
         a < n && !Stopped() && Par(Par(s[a], s[a]), s[a]) <= w.hi; ++a) {
      std::size_t hint = n;
      for (std::size_t b = After(a); b < n && Par(Par(s[a], s[b]), s[b]) <= w.hi; ++b) {
        const double x = Par(s[a], s[b]);
        hint = WalkLine(
            s, After(b), n, hint, w, 3, [x](double v) { return Par(x, v); },
            [&](std::size_t r) {
              c.Offer(Shape::kParallel3, {I(a), I(b), I(r)});
            });
      }
    }
    // x + (x || x) and x || (x + x): the pair b <= c chosen, the single part on the line.
    for (std::size_t b = 0; b < n && !Stopped() && s[0] + Par(s[b], s[b]) <= w.hi; ++b) {
      std::size_t hint = n;
      for (std::size_t d = After(b); d < n && s[0] + Par(s[b], s[d]) <= w.hi; ++d) {
        const double x = Par(s[b], s[d]);
        hint = WalkLine(
            s, 0, n, hint, w, 3, [x](double v) { return v + x; },
            [&](std::size_t r) {
              c.Offer(Shape::kSeriesLeafParallel, {I(r), I(b), I(d)});
            });
      }
    }
    // The series pair at least lo.
    for (std::size_t b = 0; b < n && !Stopped() && Par(s[0], s[b] + s[b]) <= w.hi; ++b) {
      std::size_t hint = n;
      for (std::size_t d = std::max(After(b), FirstAtLeast(s, n, w.lo - s[b]));
           d < n && Par(s[0], s[b] + s[d]) <= w.hi; ++d) {
        const double x = s[b] + s[d];
        hint = WalkLine(
            s, 0, n, hint, w, 3, [x](double v) { return Par(v, x); },
            [&](std::size_t r) {
              c.Offer(Shape::kParallelLeafSeries, {I(r), I(b), I(d)});
            });
      }
    }
  }

  std::span<const double> m_stock;
  StockDecimals m_decimals;
  const FindOptions& m_options;
  IndexedPairs m_series;
  IndexedPairs m_parallel;
};

}  // namespace

void FindNetworks(std::span<const double> stock, const FindOptions& options, std::uint64_t limit,
                  const std::function<void(const NetworkRow&)>& emit) {
  const Search search(stock, options);
  bool tied = false;
  detail::RunPasses<NetworkRow>(
      limit, options.rowsPerPass, options.tolerance, options.stop,
      [&](std::size_t capacity, const NetworkRow* after, double bound) {
        return detail::PassAfterTies(capacity, after, tied, [&](bool skipTied) {
          return search.Pass(capacity, after, bound, skipTied);
        });
      },
      emit);
}

}  // namespace vantrel::networks
