#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>

#include "exact_decimal.h"
#include "network.h"

namespace vantrel::networks {

// Where a formula's output meets a given value along a line of fixed leg A: leg B is
// a * scale / (1 - a * slope), or +infinity where that denominator is not positive (no B
// reaches the value) or scale is.
struct LegLevel {
  double scale = 0;
  double slope = 0;
};

// B = a * scale / (1 - a * slope) as LegLevel says.
inline double LegB(const LegLevel& level, double a) {
  if (level.slope == 0) return a * level.scale;
  const double rest = 1 - a * level.slope;
  return rest > 0 ? a * level.scale / rest : std::numeric_limits<double>::infinity();
}

// How two legs A and B make an output. The output rises in one leg and falls in the other, so
// along a line of fixed A it meets any value at most once; it rises in each constant k.
struct TwoLegFormula {
  std::array<double, 2> k{};
  double (*output)(const std::array<double, 2>& k, double a, double b) = nullptr;
  // The LegLevel of out: monotonic in out, B at zero or +infinity where no leg reaches it.
  LegLevel (*level)(const std::array<double, 2>& k, double out) = nullptr;
  bool risesInA = true;  // else it falls in A and rises in B
  // When set, the output is k[0] * numerator / denominator, settled exactly near the target.
  struct Exact {
    LegSum numerator;
    LegSum denominator;
  };
  std::optional<Exact> exact;
};

// VIN * B / (A + B): a divider of top leg A and bottom leg B.
TwoLegFormula DividerFormula(double vin);
// VREF * (1 + A / B) + IADJ * A: an adjustable reference's output, B carrying VREF.
TwoLegFormula RegulatorFormula(double vref, double iadj);
// 1 + A / B: a non-inverting amplifier's gain, A the feedback resistor.
TwoLegFormula GainFormula();
// A / B: an inverting amplifier's gain magnitude, A the feedback resistor, B the input one.
TwoLegFormula InvertingGainFormula();

struct TwoLegRow;
// The ranking: smaller absolute error first, then lower total, then leg A and then leg B in the
// order of NetworkBefore.
bool TwoLegRanksBefore(const TwoLegRow& x, const TwoLegRow& y);

// Two legs and what they give.
struct TwoLegRow {
  Network a;
  Network b;
  double ra = 0;  // NetworkValue of each leg
  double rb = 0;
  double output = 0;
  double error = 0;  // (output - target) / target * 100
  double total = 0;  // ra + rb

  double Percent() const { return error; }
  static bool Before(const TwoLegRow& x, const TwoLegRow& y) { return TwoLegRanksBefore(x, y); }
};

struct TwoLegOptions {
  double target = 0;     // nonzero, finite
  int legParts = 1;      // each leg a network of 1 to legParts parts, at most 2
  double tolerance = 1;  // percent; a pair is kept when |error| <= tolerance
  double minTotal = 0;   // on A + B
  double maxTotal = std::numeric_limits<double>::infinity();
  double minA = 0;  // on leg A
  double maxA = std::numeric_limits<double>::infinity();
  bool distinct = false;  // no stock value used twice in the pair
  // Rows it refuses are left out; called from the search's threads. Empty keeps every row.
  std::function<bool(const TwoLegRow&)> keep;
  std::size_t rowsPerPass = std::size_t{1} << 18;  // as FindOptions::rowsPerPass
  const std::atomic<bool>* stop = nullptr;         // as FindOptions::stop
  int threads = 2;  // legs of two parts use a second thread when 2 or more; the rows are the same
  SearchWork* work = nullptr;  // as FindOptions::work
};

// Calls emit for every pair of legs whose output lies within the tolerance of the target and
// that meets the bounds, in rank order, stopping after limit rows. stock as for FindNetworks.
// Each leg A is a line along each sorted list of legs B (the single parts, the series pairs,
// the parallel pairs), entered where B meets the target (TwoLegFormula::level) and walked
// outward while the output stays within the window; a row whose double error lies within
// kExactBand is settled in exact arithmetic where the formula has an exact form.
void FindTwoLegs(std::span<const double> stock, const TwoLegFormula& formula,
                 const TwoLegOptions& options, std::uint64_t limit,
                 const std::function<void(const TwoLegRow&)>& emit);

}  // namespace vantrel::networks
