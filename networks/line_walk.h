#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

#include "exact_decimal.h"

namespace vantrel::networks::detail {

// Candidate values come from a different order of operations than the kept value, and a
// deviation rounds, so the windows are widened (and the inner one narrowed) by kWindowMargin
// of the value at each edge, far above the few roundings by which a steering value differs
// from the kept one or an exactly settled deviation (a row within a few roundings of the
// target) from its double, and by kHalfMargin of the half-width, far above the few roundings
// of the deviation and of the half-width (a few parts in 2^53 of it); rows are then filtered
// exactly. Both margins scale with what they cover: a margin of the target instead would take
// in every network of a stock far below it (1e-9 of 1e15 is 1e6).
inline constexpr double kWindowMargin = 1e-9;
inline constexpr double kHalfMargin = 1e-14;

// Rows of at most this many parts tie out walks (Window::TiedOut).
inline constexpr int kTieParts = 4;

inline std::array<double, kTieParts + 1> TieBounds() {
  std::array<double, kTieParts + 1> bounds;
  bounds.fill(std::numeric_limits<double>::infinity());
  return bounds;
}

// The band of approximate values a search still visits: [lo, hi] without the open inner band
// (innerLo, innerHi), whose rows an earlier pass has already delivered.
struct Window {
  double target = 0;
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::numeric_limits<double>::infinity();
  double innerLo = 0;
  double innerHi = 0;
  bool hasInner = false;
  double bound = std::numeric_limits<double>::infinity();  // the percent SetOuter was given
  double innerBound = 0;                                   // and SetInner
  // tieBound[p]: a row of p parts no closer than it ranks after a kept row of fewer parts
  // (TiedOut); infinite until the kept rows are full.
  std::array<double, kTieParts + 1> tieBound = TieBounds();
  // The work of the walks through this window.
  mutable std::uint64_t lines = 0;
  mutable std::uint64_t steps = 0;

  // Keeps values within percent of target.
  void SetOuter(double percent) {
    bound = percent;
    const double half = target * percent / 100;
    lo = (target - half) * (1 - kWindowMargin) - half * kHalfMargin;
    hi = (target + half) * (1 + kWindowMargin);
  }
  // Whether a walk over rows of parts parts, going away from the target, may stop at the line
  // value v: every row from here on has a value past v less kWindowMargin of it, and a
  // deviation computed as the rows compute it, (value - target) / target * 100, never falls as
  // its value moves away, so none is closer than the edge's deviation. When the edge is no
  // closer than tieBound[parts], the rest of the walk ties at best with a kept row that has
  // fewer parts, and ranks after it. Where the stock lies so far from the target that every
  // deviation rounds to -100 %, this is what keeps a walk from visiting every network. Below
  // kExactBand a row's deviation is settled exactly instead, so the bound holds only above it.
  bool TiedOut(int parts, double v) const {
    const double tie = tieBound[static_cast<std::size_t>(parts)];
    if (tie == std::numeric_limits<double>::infinity()) return false;
    const bool up = v >= target;
    const double edge = up ? v * (1 - kWindowMargin) : v * (1 + kWindowMargin);
    const double deviation = (edge - target) / target * 100;
    return (up ? deviation : -deviation) >= tie;
  }
  // Skips values strictly closer to the target than percent.
  void SetInner(double percent) {
    innerBound = percent;
    const double half = target * percent / 100;
    innerLo = (target - half) * (1 + kWindowMargin) + half * kHalfMargin;
    innerHi = (target + half) * (1 - kWindowMargin);
    hasInner = std::isfinite(innerLo) && std::isfinite(innerHi);
  }
};

// The first index in [begin, end) where pred holds (pred false then true along the range),
// or end; searched outward from hint, so a good hint costs a few probes.
template <class Pred>
std::size_t FirstTrue(std::size_t begin, std::size_t end, std::size_t hint, Pred pred) {
  if (begin == end) return end;
  hint = std::clamp(hint, begin, end - 1);
  std::size_t lo = begin;
  std::size_t hi = end;  // the answer lies in [lo, hi]; hi is end or a true index
  std::size_t step = 1;
  if (pred(hint)) {
    hi = hint;
    while (hi - begin >= step) {
      const std::size_t probe = hi - step;
      if (!pred(probe)) {
        lo = probe + 1;
        break;
      }
      hi = probe;
      step *= 2;
    }
  } else {
    lo = hint + 1;
    while (lo < end) {
      const std::size_t probe = lo + std::min(step, end - lo) - 1;
      if (pred(probe)) {
        hi = probe;
        break;
      }
      lo = probe + 1;
      step *= 2;
    }
  }
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (pred(mid)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

// Where a value would fall in a long ascending table of positive values, in one lookup: the
// table's doubles are bucketed by their bit patterns, which rise with them and space the
// buckets about evenly on a logarithmic scale, one bucket per one or two entries (more buckets
// cost more in fresh memory than the steps they save). Near(v) is the first index of v's
// bucket, a hint within a few entries of v's place for FirstTrue.
class TableIndex {
 public:
  TableIndex() = default;
  TableIndex(const double* values, std::size_t n) {
    if (n == 0) return;
    m_low = Bits(values[0]);
    const std::uint64_t span = Bits(values[n - 1]) - m_low;
    while ((span >> m_shift) >= n) ++m_shift;
    const std::size_t buckets = static_cast<std::size_t>(span >> m_shift) + 1;
    // Each bucket up to a value's own starts at that value, unless an earlier one took it.
    m_first.assign(buckets + 1, static_cast<std::uint32_t>(n));
    std::size_t b = 0;
    for (std::size_t i = 0; i < n; ++i) {
      for (const std::size_t bucket = Bucket(values[i]); b <= bucket; ++b) {
        m_first[b] = static_cast<std::uint32_t>(i);
      }
    }
  }

  std::size_t Near(double value) const {
    if (m_first.empty() || !(value > 0)) return 0;
    if (Bits(value) < m_low) return 0;
    return m_first[std::min(Bucket(value), m_first.size() - 1)];
  }

 private:
  static std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }
  std::size_t Bucket(double value) const {
    return static_cast<std::size_t>((Bits(value) - m_low) >> m_shift);
  }

  std::uint64_t m_low = 0;
  int m_shift = 0;
  std::vector<std::uint32_t> m_first;
};

// Visits r, r + 1, ... up to end while value(values[r]) is in the window and the rows of parts
// parts are not tied out.
template <class Value, class Visit>
void WalkUp(const double* values, std::size_t r, std::size_t end, const Window& w, int parts,
            Value value, Visit visit) {
  for (; r < end; ++r, ++w.steps) {
    const double v = value(values[r]);
    if (!(v <= w.hi) || w.TiedOut(parts, v)) return;
    visit(r);
  }
}

// Visits r - 1, r - 2, ... down to begin likewise.
template <class Value, class Visit>
void WalkDown(const double* values, std::size_t begin, std::size_t r, const Window& w, int parts,
              Value value, Visit visit) {
  for (; r > begin; ++w.steps) {
    const double v = value(values[r - 1]);
    if (!(v >= w.lo) || w.TiedOut(parts, v)) return;
    visit(--r);
  }
}

// Visits the indices r of values[begin, end) (ascending) whose value(values[r]), rising
// with r, lies in the window: upward from where it crosses the target, then downward, each
// walk stopping where it leaves the window, which visit may narrow, or where its rows, of
// parts parts each, are tied out. Returns the crossing, a hint for the next line.
template <class Value, class Visit>
std::size_t WalkLine(const double* values, std::size_t begin, std::size_t end, std::size_t hint,
                     const Window& w, int parts, Value value, Visit visit) {
  ++w.lines;
  const std::size_t cross =
      FirstTrue(begin, end, hint, [&](std::size_t r) { return value(values[r]) >= w.target; });
  std::size_t r = cross;
  if (w.hasInner) {
    r = FirstTrue(cross, end, cross, [&](std::size_t i) { return value(values[i]) >= w.innerHi; });
  }
  WalkUp(values, r, end, w, parts, value, visit);
  r = cross;
  if (w.hasInner) {
    r = FirstTrue(begin, cross, cross, [&](std::size_t i) { return value(values[i]) > w.innerLo; });
  }
  WalkDown(values, begin, r, w, parts, value, visit);
  return cross;
}

// The first index of values[begin, end) whose value(values[i]), rising with i, is at least
// target, found by stepping from near, which lies a few entries from it.
template <class Value>
std::size_t CrossingFrom(const double* values, std::size_t begin, std::size_t end, std::size_t near,
                         double target, Value value) {
  std::size_t cross = std::clamp(near, begin, end);
  while (cross < end && value(values[cross]) < target) ++cross;
  while (cross > begin && value(values[cross - 1]) >= target) --cross;
  return cross;
}

// WalkLine from near, an index a few entries from where the line crosses the target
// (TableIndex::Near, or the last line's crossing when lines move little): the crossing is
// found by stepping from near, and its two neighbours' values serve both the search and the
// walk, a few evaluations per line where a search from a far hint takes a dozen.
template <class Value, class Visit>
std::size_t WalkLineFrom(const double* values, std::size_t begin, std::size_t end, std::size_t near,
                         const Window& w, int parts, Value value, Visit visit) {
  if (w.hasInner) return WalkLine(values, begin, end, near, w, parts, value, visit);
  ++w.lines;
  const std::size_t cross = CrossingFrom(values, begin, end, near, w.target, value);
  WalkUp(values, cross, end, w, parts, value, visit);
  WalkDown(values, begin, cross, w, parts, value, visit);
  return cross;
}

// Window::tieBound shared by the searches of one pass on several threads.
struct SharedTies {
  std::array<std::atomic<double>, kTieParts + 1> bound;
  SharedTies() {
    for (std::atomic<double>& b : bound) b = std::numeric_limits<double>::infinity();
  }
};

// The best rows of one pass, after an earlier pass's last row: a max-heap in rank order whose
// worst row, once the heap is full, narrows the window. Row::Before is the ranking and
// Row::Percent the deviation it starts with; a Row with Parts() ranks fewer parts first among
// equal deviations, and each worst kept row ties out the walks over rows of more parts: it
// stays ahead of them as the worst row only gets better.
//
// Searches split over threads keep one BestRows each and merge them. A shared bound lets each
// narrow its window to the best that any of them has proved: the worst row of a full heap is
// no better than the K-th best row overall, so no row of the overall best K is ever outside
// the window, and the merge is the same whichever thread was quicker; likewise for the shared
// tie bounds, those of such worst rows.
template <class Row>
class BestRows {
 public:
  BestRows(double windowTarget, double tolerance, std::size_t capacity, const Row* after,
           std::atomic<double>* sharedBound = nullptr, SharedTies* sharedTies = nullptr,
           bool skipTied = false)
      : m_tolerance(tolerance),
        m_capacity(capacity),
        m_after(after),
        m_skipTied(skipTied),
        m_shared(sharedBound),
        m_sharedTies(sharedTies) {
    m_window.target = windowTarget;
    m_window.SetOuter(tolerance);
    m_bound = tolerance;
    if (after) m_window.SetInner(std::fabs(after->Percent()));
    m_rows.reserve(std::min<std::size_t>(capacity, 1024));
  }

  const Window& window() const { return m_window; }
  // With skipTied, the row after which the search may leave out, unsettled, every row that
  // ranks before it among rows of equal keys (PassAfterTies); else null.
  const Row* TiedAfter() const { return m_skipTied ? m_after : nullptr; }
  // The worst held row once the rows are full and it has after's keys (Row::SameKey), or keys
  // no row can be below (Row::LeastKey), else null: a row whose tie-breaks put it after this one
  // can then rank among them by no key, and may be left out before it is settled.
  const Row* TiedWorst() const {
    if constexpr (requires(const Row& r) { Row::SameKey(r, r); }) {
      if (m_rows.size() != m_capacity || m_rows.empty()) return nullptr;
      const Row& worst = m_rows.front();
      if (m_after && Row::SameKey(worst, *m_after)) return &worst;
      if constexpr (requires(const Row& r) { Row::LeastKey(r); }) {
        if (Row::LeastKey(worst)) return &worst;
      }
    }
    return nullptr;
  }
  void Offer(const Row& row) {
    if (m_shared) Narrow(m_shared->load(std::memory_order_relaxed));
    if (m_sharedTies) {
      for (int parts = 2; parts <= kTieParts; ++parts) {
        Tie(parts, m_sharedTies->bound[parts].load(std::memory_order_relaxed));
      }
    }
    if (!(std::fabs(row.Percent()) <= m_tolerance)) return;
    if (m_after && !Row::Before(*m_after, row)) return;
    if (m_rows.size() == m_capacity) {
      if (!Row::Before(row, m_rows.front())) return;
      std::pop_heap(m_rows.begin(), m_rows.end(), Row::Before);
      m_rows.back() = row;
    } else {
      m_rows.push_back(row);
    }
    std::push_heap(m_rows.begin(), m_rows.end(), Row::Before);
    if (m_rows.size() == m_capacity) {
      const double worst = std::fabs(m_rows.front().Percent());
      Narrow(worst);
      if (m_shared) LowerTo(*m_shared, worst);
      // Below kExactBand a deviation is settled exactly, not as TiedOut computes it.
      if constexpr (requires { row.Parts(); }) {
        for (int parts = m_rows.front().Parts() + 1; parts <= kTieParts && worst >= kExactBand;
             ++parts) {
          Tie(parts, worst);
          if (m_sharedTies) LowerTo(m_sharedTies->bound[parts], worst);
        }
      }
    }
  }

  std::vector<Row> TakeSorted() {
    std::sort_heap(m_rows.begin(), m_rows.end(), Row::Before);
    return std::move(m_rows);
  }

 private:
  static void LowerTo(std::atomic<double>& shared, double value) {
    double now = shared.load(std::memory_order_relaxed);
    while (value < now && !shared.compare_exchange_weak(now, value, std::memory_order_relaxed)) {
    }
  }
  void Tie(int parts, double percent) {
    double& bound = m_window.tieBound[static_cast<std::size_t>(parts)];
    bound = std::min(bound, percent);
  }
  void Narrow(double percent) {
    if (percent < m_bound) {
      m_bound = percent;
      m_window.SetOuter(percent);
    }
  }
  double m_tolerance;
  std::size_t m_capacity;
  const Row* m_after;
  bool m_skipTied;
  std::atomic<double>* m_shared;
  SharedTies* m_sharedTies;
  double m_bound;  // the deviation the outer window admits
  Window m_window;
  std::vector<Row> m_rows;
};

inline bool Stopped(const std::atomic<bool>* stop) {
  return stop && stop->load(std::memory_order_relaxed);
}

// Runs first on a new thread and second on this one, then rethrows what first threw.
template <class First, class Second>
void RunBoth(const First& first, const Second& second) {
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      first();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  try {
    second();
  } catch (...) {
    worker.join();
    throw;
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

// The first capacity rows of two sorted row lists of distinct rows, in rank order: the same
// whichever thread found which.
template <class Row>
std::vector<Row> MergeRows(const std::vector<Row>& a, const std::vector<Row>& b,
                           std::size_t capacity) {
  std::vector<Row> rows(a.size() + b.size());
  std::merge(a.begin(), a.end(), b.begin(), b.end(), rows.begin(), Row::Before);
  if (rows.size() > capacity) rows.resize(capacity);
  return rows;
}

// A row this close below a pass's bound, relative to it, is left to the next pass: a row just
// past the bound could tie with it on a worst case rounded to 9 digits (WorstKey) and rank first.
inline constexpr double kBoundSafety = 1e-7;
// After this many guessed passes in a row that gave no row, the next walks the whole bound.
inline constexpr int kEmptyPasses = 6;

// Emits up to limit rows in rank order, found in passes of at most rowsPerPass rows each;
// pass(capacity, after, bound) returns the best rows after the row after whose |Percent()| is
// at most bound, sorted, the whole bound being fullBound. Once stop is set, nothing more is
// emitted: a pass it cut short holds an arbitrary part of its rows.
// The first pass holds 1024 rows and each next one twice as many, so that the first rows of
// a long listing come at once. Every pass but the first walks only as far beyond the last row
// as the rows so far say it needs for its share (a window it has to widen again when too few
// rows lie in it): a pass bounded by the whole bound walks every row from the last one out to
// the edge before its heap fills, and reworks each row as often as passes go by. Below a
// bound short of the whole, only the rows up to the first within kBoundSafety of it are given,
// as the rows past it may still rank among them; those that follow are found again next pass.
template <class Row, class Pass>
void RunPasses(std::uint64_t limit, std::size_t rowsPerPass, double fullBound,
               const std::atomic<bool>* stop, const Pass& pass,
               const std::function<void(const Row&)>& emit) {
  std::optional<Row> after;
  std::size_t passRows = std::min<std::size_t>(rowsPerPass, 1024);
  double bound = fullBound;
  double from = 0;   // |Percent()| of after
  double reach = 0;  // how far past from the next pass walks; 0 until the rows tell
  int empty = 0;     // guessed passes in a row that gave nothing
  while (limit > 0 && !Stopped(stop)) {
    const auto capacity = static_cast<std::size_t>(std::min<std::uint64_t>(limit, passRows));
    const bool whole = !(bound < fullBound);
    if (whole) bound = fullBound;
    const std::vector<Row> rows = pass(capacity, after ? &*after : nullptr, bound);
    std::size_t given = rows.size();
    if (!whole) {
      const double safe = bound * (1 - kBoundSafety);
      given = 0;
      while (given < rows.size() && std::fabs(rows[given].Percent()) <= safe) ++given;
    }
    for (std::size_t i = 0; i < given; ++i) {
      if (Stopped(stop)) return;
      emit(rows[i]);
    }
    if (whole && rows.size() < capacity) break;
    limit -= given;
    const double last = given > 0 ? std::fabs(rows[given - 1].Percent()) : from;
    // The rows a bound takes in grow about in proportion to its width, while it stays narrow
    // beside the tolerance.
    const std::size_t next = static_cast<std::size_t>(std::min<std::uint64_t>(
        limit, std::min(rowsPerPass, rows.size() == capacity ? passRows * 2 : passRows)));
    const double spread = last - from;
    const double wanted = given > 0 && spread > 0 ? spread / static_cast<double>(given) *
                                                        static_cast<double>(next) * 1.5
                                                  : 0;
    empty = given == 0 ? empty + 1 : 0;
    if (rows.size() < capacity || given == 0) {
      // Too few rows within the bound: walk at least twice as far next time, four times when
      // nothing came.
      const double grow = given == 0 ? 4 : 2;
      reach = std::max({wanted, grow * (bound - last), grow * reach});
    } else if (wanted > 0) {
      reach = wanted;
    } else if (reach == 0) {
      // A whole pass of ties: start from the ties' own scale, or from the smallest that exact
      // settling tells apart.
      reach = last > 0 ? last : kExactBand;
    }
    // Past the margin that keeps the rows near the bound for the next pass.
    reach = std::max(reach, last * kBoundSafety * 4);
    passRows = next;
    if (given > 0) after = rows[given - 1];
    from = last;
    // Past the last row there may be none at all, and an unbounded walk's bound never reaches
    // the whole one by widening.
    bound = empty >= kEmptyPasses ? fullBound : last + reach;
  }
}

// A pass inside a long run of rows of equal keys (Row::SameKey: all but the tie-breaks) would
// settle every row of the run again, exactly, to drop those an earlier pass gave. So while
// passes stay within one run (tied), pass(true) first leaves out, before settling it, every row
// whose tie-breaks alone put it before after: such a row ranks before after, or has a greater key
// and ranks after every row of after's key. When that pass fills up with rows of after's key,
// the rows it left out rank after all of them, and it stands; else pass(false) is made.
template <class Row, class Pass>
std::vector<Row> PassAfterTies(std::size_t capacity, const Row* after, bool& tied,
                               const Pass& pass) {
  if (after && tied) {
    std::vector<Row> rows = pass(true);
    if (rows.size() == capacity && Row::SameKey(rows.back(), *after)) return rows;
  }
  std::vector<Row> rows = pass(false);
  tied = rows.size() == capacity && !rows.empty() && Row::SameKey(rows.front(), rows.back());
  return rows;
}

// One pass of a search whose lines split in two: lines(best, part, parts) walks part `part` of
// `parts` into best. With threads each half runs on a thread of its own and keeps its own best
// rows, merged in rank order; the windows' work is added to *work when work is set.
template <class Row, class Lines, class Work>
std::vector<Row> SplitPass(const Lines& lines, double tolerance, std::size_t capacity,
                           const Row* after, bool threads, Work* work, bool skipTied = false) {
  std::atomic<double> bound = tolerance;
  const auto best = [&] {
    return BestRows<Row>(1, tolerance, capacity, after, &bound, nullptr, skipTied);
  };
  const auto take = [&](BestRows<Row>& rows) {
    if (work) {
      work->lines += rows.window().lines;
      work->steps += rows.window().steps;
    }
    return rows.TakeSorted();
  };
  BestRows<Row> low = best();
  if (!threads) {
    lines(low, 0, 1);
    return take(low);
  }
  BestRows<Row> high = best();
  RunBoth([&] { lines(high, 1, 2); }, [&] { lines(low, 0, 2); });
  return MergeRows(take(low), take(high), capacity);
}

}  // namespace vantrel::networks::detail
