#include "reference_search.h"

#include <algorithm>

#include "number_text.h"

namespace vantrel::testing {
namespace {

constexpr std::int32_t kMaxRowsWithPairs = ResultTable::kSlots - 1;

// |T - x| / T * 100 in double, the sign dropped by multiplying with -1.
double Deviation(float target, double x) {
  double d = (target - x) / target * 100;
  if (d < 0) d = d * -1;
  return d;
}

}  // namespace

SearchOutcome ReferenceSearchMatches(const float* values, std::int32_t n, float target,
                                     float precision, ResultTable& table) {
  std::int32_t s = 0;
  while (s < n && !(values[s] >= target)) ++s;
  if (s == n) return SearchOutcome::NoValueReachesTarget;

  std::int32_t count = 0;
  if (values[s] == target) {
    table.rows[0] = {values[s], 0, 0, 0};
    count = 1;
    ++s;
  }

  // Singles arrive in ascending deviation; the phase stops when every slot is taken.
  for (std::int32_t k = s; k < n && count < ResultTable::kSlots; ++k) {
    const double d = Deviation(target, values[k]);
    if (d <= precision) table.rows[count++] = {values[k], 0, 0, RoundToFloat(d)};
  }

  for (std::int32_t i = s; i < n; ++i) {
    for (std::int32_t j = i; j < n; ++j) {
      const double a = values[i];
      const double b = values[j];
      const float p = RoundToFloat(a * b / (a + b));
      const double d = Deviation(target, p);
      if (!(d <= precision)) continue;

      std::int32_t q = 0;
      while (q < count && !(table.rows[q].precision >= d)) ++q;
      // Slot 99 is the last one written to; a row moved or written there is out of the count.
      const std::int32_t last = std::min(count, kMaxRowsWithPairs);
      q = std::min(q, last);
      for (std::int32_t k = last; k > q; --k) table.rows[k] = table.rows[k - 1];
      table.rows[q] = {p, values[i], values[j], RoundToFloat(d)};
      count = std::min(count + 1, kMaxRowsWithPairs);
    }
  }
  table.count = count;
  return SearchOutcome::SearchDone;
}

}  // namespace vantrel::testing
