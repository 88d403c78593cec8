#include "match_search.h"

#include <cmath>
#include <limits>

#include "number_text.h"

// Why the fast search gives the table of the plain one.
//
// The plain search appends the singles, then inserts each qualifying pair, in the order (i, j),
// before the first row whose stored precision f is >= the pair's unrounded deviation d, and
// counts at most 99 rows once a pair has come. That keeps the rows sorted by f; among rows of
// equal f = (float)d a pair with d <= f goes in front and a pair with d > f behind. So every
// candidate has a fixed rank (Candidate::Before), and the plain table is the first 99
// candidates by rank, or the singles alone (up to 100) when no pair qualifies. The rows past the
// count differ: the plain search leaves a dropped pair in slot 99, this one writes nothing there.
//
// For a fixed first value the parallel value grows with the second one, so the deviation falls
// until the parallel value reaches the target and rises after. The product of two floats is
// exact in double and the sum and quotient are rounded once each, so the float parallel value
// can fall behind that order by one float ulp at most, and the deviation computed from it is
// monotone on either side of the target. The walk outward from the crossing therefore stops once
// even a parallel value one ulp back towards the target would be out of reach.

namespace vantrel {
namespace {

constexpr int kMaxRowsWithPairs = ResultTable::kSlots - 1;

// |T - x| / T * 100 in double, the sign dropped by multiplying with -1.
double Deviation(float target, double x) {
  double d = (target - x) / target * 100;
  if (d < 0) d = d * -1;
  return d;
}

float Parallel(double a, double b) {
  return RoundToFloat(a * b / (a + b));
}

// A result row with its rank among all candidates of one search.
struct Candidate {
  ResultRow row;
  int group = 0;          // 0: pair ahead of its equal-precision rows, 1: single, 2: pair behind
  std::int64_t turn = 0;  // arrival order; negated for group 0, where later pairs go first

  bool Before(const Candidate& other) const {
    if (row.precision != other.row.precision) return row.precision < other.row.precision;
    if (group != other.group) return group < other.group;
    return turn < other.turn;
  }
};

// The best kMaxRowsWithPairs candidates offered so far, in rank order.
class Leaders {
 public:
  bool Full() const { return m_size == kMaxRowsWithPairs; }
  int Size() const { return m_size; }
  float WorstPrecision() const { return m_rows[m_size - 1].row.precision; }
  const ResultRow& Row(int k) const { return m_rows[k].row; }

  void Offer(const Candidate& candidate) {
    if (Full() && !candidate.Before(m_rows[m_size - 1])) return;
    int k = Full() ? m_size - 1 : m_size++;
    for (; k > 0 && candidate.Before(m_rows[k - 1]); --k) m_rows[k] = m_rows[k - 1];
    m_rows[k] = candidate;
  }

 private:
  Candidate m_rows[kMaxRowsWithPairs];
  int m_size = 0;
};

// Walks the pairs of each first value outward from where their parallel value meets the target.
class PairWalk {
  enum class Direction { kUp, kDown };

 public:
  PairWalk(const float* values, std::int32_t n, float target, float precision, Leaders& leaders)
      : m_values(values), m_n(n), m_target(target), m_precision(precision), m_leaders(leaders) {}

  bool AnyPairQualified() const { return m_anyPair; }

  // Offers every pair (i, j), j >= i, that can still reach the leaders.
  void WalkFrom(std::int32_t i) {
    const double a = m_values[i];
    // The first j whose parallel value reaches the target, give or take the ulp it may wobble.
    std::int32_t lo = i;
    std::int32_t hi = m_n;
    while (lo < hi) {
      const std::int32_t mid = lo + (hi - lo) / 2;
      if (Parallel(a, m_values[mid]) < m_target) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    for (std::int32_t j = lo; j < m_n; ++j) {
      if (!Visit(i, j, Direction::kUp)) break;
    }
    for (std::int32_t j = lo - 1; j >= i; --j) {
      if (!Visit(i, j, Direction::kDown)) break;
    }
  }

 private:
  // A deviation no pair can have and still reach the table: beyond the precision, or ranked
  // behind a full set of leaders. The rank counts only once a pair has qualified: when the
  // singles take all 100 slots, whether any pair qualifies decides between them and 99 rows.
  bool OutOfReach(double d) const {
    if (!(d <= m_precision)) return true;
    return m_anyPair && m_leaders.Full() && RoundToFloat(d) > m_leaders.WorstPrecision();
  }

  // Offers pair (i, j) and tells whether the walk in this direction must go on.
  bool Visit(std::int32_t i, std::int32_t j, Direction direction) {
    const float p = Parallel(m_values[i], m_values[j]);
    const double d = Deviation(m_target, p);
    if (d <= m_precision) {
      m_anyPair = true;
      const float stored = RoundToFloat(d);
      const ResultRow row{p, m_values[i], m_values[j], stored};
      const std::int64_t turn = static_cast<std::int64_t>(i) * m_n + j;
      m_leaders.Offer(d <= stored ? Candidate{row, 0, -turn} : Candidate{row, 2, turn});
    }
    // Past the target, every further pair is at least as far from it as the float one ulp
    // back towards the target.
    const bool up = direction == Direction::kUp;
    if (up ? !(p > m_target) : !(p < m_target)) return true;
    if (!OutOfReach(d)) return true;
    const float closer = std::nextafter(p, up ? 0.0f : std::numeric_limits<float>::infinity());
    return !OutOfReach(Deviation(m_target, closer));
  }

  const float* m_values;
  std::int32_t m_n;
  float m_target;
  float m_precision;
  Leaders& m_leaders;
  bool m_anyPair = false;
};

}  // namespace

SearchOutcome SearchMatches(const float* values, std::int32_t n, float target, float precision,
                            ResultTable& table) {
  std::int32_t s = 0;
  while (s < n && !(values[s] >= target)) ++s;
  if (s == n) return SearchOutcome::NoValueReachesTarget;

  ResultRow singles[ResultTable::kSlots];
  std::int32_t singleCount = 0;
  if (values[s] == target) {
    singles[0] = {values[s], 0, 0, 0};
    singleCount = 1;
    ++s;
  }
  // Singles arrive in ascending deviation; the phase stops when every slot is taken.
  for (std::int32_t k = s; k < n && singleCount < ResultTable::kSlots; ++k) {
    const double d = Deviation(target, values[k]);
    if (d <= precision) singles[singleCount++] = {values[k], 0, 0, RoundToFloat(d)};
  }

  Leaders leaders;
  for (std::int32_t k = 0; k < singleCount; ++k) leaders.Offer({singles[k], 1, k});
  PairWalk walk(values, n, target, precision, leaders);
  for (std::int32_t i = s; i < n; ++i) walk.WalkFrom(i);

  if (!walk.AnyPairQualified()) {
    for (std::int32_t k = 0; k < singleCount; ++k) table.rows[k] = singles[k];
    table.count = singleCount;
  } else {
    for (int k = 0; k < leaders.Size(); ++k) table.rows[k] = leaders.Row(k);
    table.count = leaders.Size();
  }
  return SearchOutcome::SearchDone;
}

}  // namespace vantrel
