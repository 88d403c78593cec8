#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace vantrel::networks::detail {

// Candidate values come from a different order of operations than the kept value, and a
// deviation rounds, so the windows are widened (and the inner one narrowed) by this much
// relative to target + edge, far above the rounding of a few operations; rows are then
// filtered exactly.
inline constexpr double kWindowMargin = 1e-9;

// The band of approximate values a search still visits: [lo, hi] without the open inner band
// (innerLo, innerHi), whose rows an earlier pass has already delivered.
struct Window {
  double target = 0;
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::numeric_limits<double>::infinity();
  double innerLo = 0;
  double innerHi = 0;
  bool hasInner = false;

  // Keeps values within percent of target.
  void SetOuter(double percent) {
    const double half = target * percent / 100;
    const double margin = (target + half) * kWindowMargin;
    lo = target - half - margin;
    hi = target + half + margin;
  }
  // Skips values strictly closer to the target than percent.
  void SetInner(double percent) {
    const double half = target * percent / 100;
    const double margin = (target + half) * kWindowMargin;
    innerLo = target - half + margin;
    innerHi = target + half - margin;
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

// Visits the indices r of values[begin, end) (ascending) whose value(values[r]), rising
// with r, lies in the window: upward from where it crosses the target, then downward, each
// walk stopping where it leaves the window, which visit may narrow. Returns the crossing, a
// hint for the next line.
template <class Value, class Visit>
std::size_t WalkLine(const double* values, std::size_t begin, std::size_t end, std::size_t hint,
                     const Window& w, Value value, Visit visit) {
  const std::size_t cross =
      FirstTrue(begin, end, hint, [&](std::size_t r) { return value(values[r]) >= w.target; });
  std::size_t r = cross;
  if (w.hasInner) {
    r = FirstTrue(cross, end, cross, [&](std::size_t i) { return value(values[i]) >= w.innerHi; });
  }
  for (; r < end && value(values[r]) <= w.hi; ++r) visit(r);
  r = cross;
  if (w.hasInner) {
    r = FirstTrue(begin, cross, cross, [&](std::size_t i) { return value(values[i]) > w.innerLo; });
  }
  while (r > begin && value(values[r - 1]) >= w.lo) visit(--r);
  return cross;
}

}  // namespace vantrel::networks::detail
