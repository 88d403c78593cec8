#include "network_search.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "exact_decimal.h"
#include "line_walk.h"

namespace vantrel::networks {
namespace {

using detail::WalkLine;
using detail::Window;
using Index = std::uint16_t;

double Par(double x, double y) {
  return x * y / (x + y);
}

// Makes candidates into rows and keeps the best.
class Collector {
 public:
  Collector(std::span<const double> stock, std::span<const Decimal> decimals,
            const FindOptions& options, std::size_t capacity, const NetworkRow* after)
      : m_stock(stock),
        m_decimals(decimals),
        m_target(ShortestDecimal(options.target)),
        m_options(options),
        m_best(options.target, options.tolerance, capacity, after) {}

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
    NetworkRow row;
    row.network = CanonicalNetwork(shape, slots, m_stock);
    row.value = NetworkValue(row.network, m_stock);
    row.deviation = (row.value - m_options.target) / m_options.target * 100;
    if (std::fabs(row.deviation) < kExactBand) {
      if (const auto exact = ExactNetworkPercent(row.network, m_decimals, m_target)) {
        row.deviation = *exact;
        if (*exact == 0) row.value = m_options.target;
      }
    }
    m_best.Offer(row);
  }

  std::vector<NetworkRow> TakeSorted() { return m_best.TakeSorted(); }

 private:
  std::span<const double> m_stock;
  std::span<const Decimal> m_decimals;
  Decimal m_target;
  const FindOptions& m_options;
  detail::BestRows<NetworkRow> m_best;
};

// All pairs i <= j (i < j when distinct) of stock values combined one way, by ascending
// combined value.
struct PairTable {
  std::vector<double> values;
  std::vector<std::array<Index, 2>> parts;
};

template <class Combine>
PairTable MakePairTable(std::span<const double> stock, bool distinct, Combine combine) {
  struct Entry {
    double value;
    std::array<Index, 2> parts;
  };
  std::vector<Entry> entries;
  const std::size_t n = stock.size();
  entries.reserve(n * (n + 1) / 2);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = distinct ? i + 1 : i; j < n; ++j) {
      entries.push_back(
          {combine(stock[i], stock[j]), {static_cast<Index>(i), static_cast<Index>(j)}});
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.value < b.value; });
  PairTable table;
  table.values.reserve(entries.size());
  table.parts.reserve(entries.size());
  for (const Entry& e : entries) {
    table.values.push_back(e.value);
    table.parts.push_back(e.parts);
  }
  return table;
}

class Search {
 public:
  Search(std::span<const double> stock, const FindOptions& options)
      : m_stock(stock), m_options(options) {
    for (double value : stock) m_decimals.push_back(ShortestDecimal(value));
    if (options.maxParts >= 4 && !stock.empty()) {
      m_series = MakePairTable(stock, options.distinct, [](double x, double y) { return x + y; });
      m_parallel = MakePairTable(stock, options.distinct, Par);
    }
  }

  std::vector<NetworkRow> Pass(std::size_t capacity, const NetworkRow* after) const {
    Collector c(m_stock, m_decimals, m_options, capacity, after);
    if (!m_stock.empty()) {
      One(c);
      if (m_options.maxParts >= 2) Two(c);
      if (m_options.maxParts >= 3) Three(c);
      if (m_options.maxParts >= 4) Four(c);
    }
    return c.TakeSorted();
  }

 private:
  static Index I(std::size_t i) { return static_cast<Index>(i); }
  bool Stopped() const { return detail::Stopped(m_options.stop); }
  // The first partner of a in a group where partners come in ascending order.
  std::size_t After(std::size_t a) const { return m_options.distinct ? a + 1 : a; }

  void One(Collector& c) const {
    const double* s = m_stock.data();
    const std::size_t n = m_stock.size();
    WalkLine(
        s, 0, n, 0, c.window(), [](double v) { return v; },
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
          s, After(a), n, hint, w, [x](double v) { return x + v; },
          [&](std::size_t b) {
            c.Offer(Shape::kSeries2, {I(a), I(b)});
          });
    }
    hint = n;
    for (std::size_t a = 0; a < n && !Stopped() && Par(s[a], s[a]) <= w.hi; ++a) {
      const double x = s[a];
      hint = WalkLine(
          s, After(a), n, hint, w, [x](double v) { return Par(x, v); },
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
            s, After(b), n, hint, w, [x](double v) { return x + v; },
            [&](std::size_t r) {
              c.Offer(Shape::kSeries3, {I(a), I(b), I(r)});
            });
      }
    }
    for (std::size_t a = 0; a < n && !Stopped() && Par(Par(s[a], s[a]), s[a]) <= w.hi; ++a) {
      std::size_t hint = n;
      for (std::size_t b = After(a); b < n && Par(Par(s[a], s[b]), s[b]) <= w.hi; ++b) {
        const double x = Par(s[a], s[b]);
        hint = WalkLine(
            s, After(b), n, hint, w, [x](double v) { return Par(x, v); },
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
            s, 0, n, hint, w, [x](double v) { return v + x; },
            [&](std::size_t r) {
              c.Offer(Shape::kSeriesLeafParallel, {I(r), I(b), I(d)});
            });
      }
    }
    for (std::size_t b = 0; b < n && Par(s[0], s[b] + s[b]) <= w.hi; ++b) {
      std::size_t hint = n;
      for (std::size_t d = After(b); d < n && Par(s[0], s[b] + s[d]) <= w.hi; ++d) {
        const double x = s[b] + s[d];
        hint = WalkLine(
            s, 0, n, hint, w, [x](double v) { return Par(v, x); },
            [&](std::size_t r) {
              c.Offer(Shape::kParallelLeafSeries, {I(r), I(b), I(d)});
            });
      }
    }
  }

  void Four(Collector& c) const {
    const double* s = m_stock.data();
    const std::size_t n = m_stock.size();
    const Window& w = c.window();
    const PairTable& sp = m_series;
    const PairTable& pp = m_parallel;
    const std::size_t m = sp.values.size();
    if (m == 0) return;
    const double* sv = sp.values.data();
    const double* pv = pp.values.data();
    const auto quad = [](std::array<Index, 2> x, std::array<Index, 2> y) {
      return std::array<Index, 4>{x[0], x[1], y[0], y[1]};
    };

    // Two pair groups: one pair chosen, the other on a pair table.
    std::size_t hint = m;
    for (std::size_t k = 0; k < m && !Stopped() && sv[k] / 2 <= w.hi; ++k) {  // (x + x) || (x + x)
      const double x = sv[k];
      hint = WalkLine(
          sv, k, m, hint, w, [x](double v) { return Par(x, v); },
          [&](std::size_t r) {
            c.Offer(Shape::kParallelOfSeriesPairs, quad(sp.parts[k], sp.parts[r]));
          });
    }
    hint = m;
    for (std::size_t k = 0; k < m && !Stopped() && pv[k] + pv[k] <= w.hi;
         ++k) {  // (x || x) + (x || x)
      const double x = pv[k];
      hint = WalkLine(
          pv, k, m, hint, w, [x](double v) { return x + v; },
          [&](std::size_t r) {
            c.Offer(Shape::kSeriesOfParallelPairs, quad(pp.parts[k], pp.parts[r]));
          });
    }
    hint = m;
    for (std::size_t k = 0; k < m && !Stopped() && sv[k] + pv[0] <= w.hi;
         ++k) {  // x + x + (x || x)
      const double x = sv[k];
      hint = WalkLine(
          pv, 0, m, hint, w, [x](double v) { return x + v; },
          [&](std::size_t r) {
            c.Offer(Shape::kSeries2Parallel2, quad(sp.parts[k], pp.parts[r]));
          });
    }
    hint = m;
    for (std::size_t k = 0; k < m && !Stopped() && Par(pv[k], sv[0]) <= w.hi;
         ++k) {  // x || x || (x + x)
      const double x = pv[k];
      hint = WalkLine(
          sv, 0, m, hint, w, [x](double v) { return Par(x, v); },
          [&](std::size_t r) {
            c.Offer(Shape::kParallel2Series2, quad(pp.parts[k], sp.parts[r]));
          });
    }
    // x + x + x + x and x || x || x || x: the two smallest parts chosen, the two largest on the
    // table, which then holds the larger value.
    hint = m;
    for (std::size_t k = 0; k < m && !Stopped() && sv[k] + sv[k] <= w.hi; ++k) {
      const double x = sv[k];
      const Index b = sp.parts[k][1];
      hint = WalkLine(
          sv, 0, m, hint, w, [x](double v) { return x + v; },
          [&](std::size_t r) {
            if (sp.parts[r][0] >= b) c.Offer(Shape::kSeries4, quad(sp.parts[k], sp.parts[r]));
          });
    }
    hint = m;
    for (std::size_t k = 0; k < m && !Stopped() && pv[k] / 2 <= w.hi; ++k) {
      const double x = pv[k];
      const Index b = pp.parts[k][1];
      hint = WalkLine(
          pv, 0, m, hint, w, [x](double v) { return Par(x, v); },
          [&](std::size_t r) {
            if (pp.parts[r][0] >= b) c.Offer(Shape::kParallel4, quad(pp.parts[k], pp.parts[r]));
          });
    }

    // Two single parts chosen, a pair on a table.
    for (std::size_t a = 0; a < n && !Stopped() && s[a] + Par(s[0], sv[0]) <= w.hi; ++a) {
      hint = m;
      for (std::size_t b = 0; b < n && s[a] + Par(s[b], sv[0]) <= w.hi; ++b) {
        const double x = s[a];
        const double y = s[b];
        hint = WalkLine(
            sv, 0, m, hint, w, [x, y](double v) { return x + Par(y, v); },
            [&](std::size_t r) {
              c.Offer(Shape::kSeriesLeafParallelLeafSeries,
                      {I(a), I(b), sp.parts[r][0], sp.parts[r][1]});
            });
      }
    }
    for (std::size_t a = 0; a < n && !Stopped() && Par(s[a], s[0] + pv[0]) <= w.hi; ++a) {
      hint = m;
      for (std::size_t b = 0; b < n && Par(s[a], s[b] + pv[0]) <= w.hi; ++b) {
        const double x = s[a];
        const double y = s[b];
        hint = WalkLine(
            pv, 0, m, hint, w, [x, y](double v) { return Par(x, y + v); },
            [&](std::size_t r) {
              c.Offer(Shape::kParallelLeafSeriesLeafParallel,
                      {I(a), I(b), pp.parts[r][0], pp.parts[r][1]});
            });
      }
    }
    // x + (x || x || x) and x || (x + x + x): the single part and the largest of the group
    // chosen, the group's two smaller parts on a table.
    for (std::size_t a = 0; a < n && !Stopped() && s[a] + Par(pv[0], s[0]) <= w.hi; ++a) {
      hint = m;
      for (std::size_t d = 0; d < n && s[a] + Par(pv[0], s[d]) <= w.hi; ++d) {
        const double x = s[a];
        const double y = s[d];
        hint = WalkLine(
            pv, 0, m, hint, w, [x, y](double v) { return x + Par(v, y); },
            [&](std::size_t r) {
              const auto bc = pp.parts[r];
              if (bc[1] <= d) {
                c.Offer(Shape::kSeriesLeafParallel3, {I(a), bc[0], bc[1], I(d)});
              }
            });
      }
    }
    for (std::size_t a = 0; a < n && !Stopped() && Par(s[a], sv[0] + s[0]) <= w.hi; ++a) {
      hint = m;
      for (std::size_t d = 0; d < n && Par(s[a], sv[0] + s[d]) <= w.hi; ++d) {
        const double x = s[a];
        const double y = s[d];
        hint = WalkLine(
            sv, 0, m, hint, w, [x, y](double v) { return Par(x, v + y); },
            [&](std::size_t r) {
              const auto bc = sp.parts[r];
              if (bc[1] <= d) {
                c.Offer(Shape::kParallelLeafSeries3, {I(a), bc[0], bc[1], I(d)});
              }
            });
      }
    }
  }

  std::span<const double> m_stock;
  std::vector<Decimal> m_decimals;
  const FindOptions& m_options;
  PairTable m_series;
  PairTable m_parallel;
};

}  // namespace

void FindNetworks(std::span<const double> stock, const FindOptions& options, std::uint64_t limit,
                  const std::function<void(const NetworkRow&)>& emit) {
  const Search search(stock, options);
  detail::RunPasses<NetworkRow>(
      limit, options.rowsPerPass, options.stop,
      [&](std::size_t capacity, const NetworkRow* after) { return search.Pass(capacity, after); },
      emit);
}

}  // namespace vantrel::networks
