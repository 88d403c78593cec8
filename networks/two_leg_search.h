#pragma once

#include <array>
#include <atomic>
#include <cmath>
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
  // How far the output moves per relative move of each leg: dout/dA * A and dout/dB * B.
  std::array<double, 2> (*slopes)(const std::array<double, 2>& k, double a, double b) = nullptr;
  // The least magnitudes of slopes over every pair of legs whose output lies in [lo, hi]
  // (0 where nothing better is known): they bound the statistical band from below.
  std::array<double, 2> (*leastSlopes)(const std::array<double, 2>& k, double lo,
                                       double hi) = nullptr;
  // When set, the output is k[0] * numerator / denominator + k[1] * A, settled exactly near
  // the target (where k[1] is 0) and at the edges of the tolerance and the band.
  struct Exact {
    LegSum numerator;
    LegSum denominator;
  };
  std::optional<Exact> exact;
};

// The worst case of a design: the output with every part off by partTolerance percent in the
// direction that moves it most, and the constants at the matching ends of their ranges (low
// gives the lowest output, high the highest), widened where need be to take in the nominal
// output, so Low <= output <= High in every row.
struct TwoLegBand {
  TwoLegFormula low;
  TwoLegFormula high;
  double partTolerance = 0;  // percent, 0 to below 100
  // Percent: only rows whose band lies within it of the target, both ends included.
  double within = std::numeric_limits<double>::infinity();
  // When set, rows also carry the statistical band of these spreads (AddRssBand).
  PartSpreads spreads{};
  // Rows rank by the statistical band's worst case and meet within by it; needs spreads.
  bool byRss = false;
  // When set, each part's own tolerance (first: leg A, second: leg B), partTolerance being
  // then at most the least of them, which bounds the walk; false where a part's tolerance is
  // unknown, and such a row has no band (low and high its output, worst +infinity, so that it
  // ranks after every row whose band is known) and never meets a finite within.
  std::function<bool(const Network& a, const Network& b, PartTolerances& tolerances)> perPart{};
  // The least tolerance and drift (fractions) of any part's statistical spread, and with perPart
  // the least drift, which widens partTolerance in the walk's bounds; zero bounds nothing.
  PartSpread least{};
};

// The statistical band of a row, first order, parts independent: each part's tolerance and
// drift a term of its own, (dout/dx * x * t)^2, summed in the order of the legs (A then B), of
// their slots, tolerance before drift, and its root taken; the constants' ranges added
// linearly: High is output + root + (band.high's output - output), Low likewise with band.low,
// each widened to take in the output. Sets rssLow, rssHigh and rssWorst, in double alone. With
// own, each part's own tolerance and drift (TwoLegBand::perPart's) stand for band.spreads.
struct TwoLegRow;
void AddRssBand(TwoLegRow& row, std::span<const double> stock, const TwoLegFormula& formula,
                double target, const TwoLegBand& band, const PartTolerances* own = nullptr);

// VIN * B / (A + B): a divider of top leg A and bottom leg B.
TwoLegFormula DividerFormula(double vin);
// VIN * (B || L) / (A + B || L): that divider with a load L (finite, above 0) across leg B,
// B || L being B * L / (B + L). Its k are {VIN, L}; the load is exact, so the band's formulas
// carry the same L.
TwoLegFormula LoadedDividerFormula(double vin, double load);
// VREF * (1 + A / B) + IADJ * A: an adjustable reference's output, B carrying VREF.
TwoLegFormula RegulatorFormula(double vref, double iadj);
// 1 + A / B: a non-inverting amplifier's gain, A the feedback resistor.
TwoLegFormula GainFormula();
// A / B: an inverting amplifier's gain magnitude, A the feedback resistor, B the input one.
TwoLegFormula InvertingGainFormula();

struct TwoLegRow;
// The ranking: the smaller worst case first (to 9 significant digits; without a band it is the
// absolute error), then the smaller absolute error, then the legs' scale nearer the one aimed
// at, then the lower total, then leg A and then leg B in the order of NetworkBefore.
bool TwoLegRanksBefore(const TwoLegRow& x, const TwoLegRow& y);
// Whether x ranks after y by the tie-breaks alone, from the scale on.
bool TwoLegTiesAfter(const TwoLegRow& x, const TwoLegRow& y);

// Two legs and what they give.
struct TwoLegRow {
  Network a;
  Network b;
  double ra = 0;  // NetworkValue of each leg
  double rb = 0;
  double output = 0;
  double error = 0;  // (output - target) / target * 100
  double total = 0;  // ra + rb
  // A || B, ra * rb / (ra + rb); with a band, of the legs at their worst case's upper ends (each
  // part up by its tolerance and drift), which a source resistance is judged by.
  double parallel = 0;
  // With a band, its ends and the larger of |low - target| and |high - target| in percent of
  // |target|; without one, low and high are the output and worst is |error|.
  double low = 0;
  double high = 0;
  double worst = 0;
  // With spreads, the statistical band's ends and its worst case in percent of |target|.
  double rssLow = 0;
  double rssHigh = 0;
  double rssWorst = 0;
  double ranked = 0;    // the worst case the ranking and within judge: worst, or rssWorst by RSS
  double worstKey = 0;  // ranked as the ranking compares it
  // How far the legs' geometric mean lies from the scale aimed at: (ra / s) * (rb / s), or its
  // inverse where that is below 1, so |ln| of the ratio without a logarithm.
  double scaleKey = 0;
  bool banded = true;  // false where band.perPart knew no tolerance for some part

  double Percent() const { return ranked; }
  static bool Before(const TwoLegRow& x, const TwoLegRow& y) { return TwoLegRanksBefore(x, y); }
  // Equal in the keys settled exactly, the worst case and the error.
  static bool SameKey(const TwoLegRow& x, const TwoLegRow& y) {
    return x.worstKey == y.worstKey && std::fabs(x.error) == std::fabs(y.error);
  }
  // Keys no row has less of: a band of nothing about an exact output.
  static bool LeastKey(const TwoLegRow& x) { return x.worstKey == 0 && x.error == 0; }
};

// worst as the ranking compares it: rounded to 9 significant digits, so that bands equal in
// exact arithmetic (100 with 10 and 110 with 11 for a gain of 11) tie whatever double rounding
// left in them, and rank by the next keys instead.
double WorstKey(double worst);

// Marks a row (TwoLegRow, RcRow) whose band is unknown, as TwoLegBand::perPart says: its ends
// the output, its worst cases infinite, so that it ranks after every row whose band is known.
// Returns whether it still meets within, which only an infinite one does.
template <class Row>
bool MarkUnbanded(Row& row, double within) {
  row.low = row.high = row.rssLow = row.rssHigh = row.output;
  row.worst = row.worstKey = std::numeric_limits<double>::infinity();
  row.rssWorst = row.ranked = row.worst;
  row.banded = false;
  return !std::isfinite(within);
}
// How far from scale the legs ra and rb lie, as TwoLegRow::scaleKey.
double ScaleKey(double ra, double rb, double scale);

struct TwoLegOptions {
  double target = 0;     // nonzero, finite
  int legParts = 1;      // each leg a network of 1 to legParts parts, at most 2
  double tolerance = 1;  // percent; a pair is kept when |error| <= tolerance
  double minTotal = 0;   // on A + B
  double maxTotal = std::numeric_limits<double>::infinity();
  double minA = 0;  // on leg A
  double maxA = std::numeric_limits<double>::infinity();
  double minB = 0;  // on leg B
  double maxB = std::numeric_limits<double>::infinity();
  double maxParallel = std::numeric_limits<double>::infinity();  // on TwoLegRow::parallel
  bool distinct = false;  // no stock value used twice in the pair
  int parts = 0;          // only pairs of this many parts in all; 0 for any
  double scale = 1e4;     // the legs' geometric mean that ties go to, in ohms
  // When set, rows carry their worst case, rank by it and meet band.within; the walk is bounded
  // by the band as well as by the tolerance.
  std::optional<TwoLegBand> band;
  // Rows it refuses are left out; called from the search's threads. Empty keeps every row.
  std::function<bool(const TwoLegRow&)> keep;
  std::size_t rowsPerPass = kRowsPerPass;   // as FindOptions::rowsPerPass
  const std::atomic<bool>* stop = nullptr;  // as FindOptions::stop
  int threads = 2;  // legs of two parts use a second thread when 2 or more; the rows are the same
  SearchWork* work = nullptr;  // as FindOptions::work
};

// The band of a row: its ends and worst case, settled as FindTwoLegs settles them, or with
// exact false in double arithmetic alone (for a search over the tolerance, which settling at
// every step would slow a thousandfold).
void AddBand(TwoLegRow& row, std::span<const double> stock, const TwoLegFormula& formula,
             double target, const TwoLegBand& band, bool exact = true);

// Calls emit for every pair of legs whose output lies within the tolerance of the target and
// that meets the bounds, in rank order, stopping after limit rows. stock as for FindNetworks.
// Each leg A is a line along each sorted list of legs B (the single parts, the series pairs,
// the parallel pairs), entered where B meets the target (TwoLegFormula::level) and walked
// outward while the output stays within the window; a row whose double error lies within
// kExactBand is settled in exact arithmetic where the formula has an exact form.
//
// With a band the window lies on the worst case. Stopping rule: the worst case is never below
// the absolute error (Low <= output <= High), and each end of the band is the formula (at the
// constants' ends) of the legs scaled by 1 +- t, so along a line of fixed A each end, like the
// output, is monotonic in B. Once limit rows are held, a row can rank among them only if its
// worst case is at most the held worst one's, W: its output, and each end, within W of the
// target. Each of the three gives an interval of B on the line (TwoLegFormula::level at the
// window's two bounds), and only their intersection is walked; the window narrows as better
// rows come, as it does on the error.
//
// Edges in exact arithmetic: a row whose error lies within 1e-9 of it of the tolerance, whose
// worst case lies within 1e-9 of it of band.within, or whose worst case is below kExactBand,
// is decided in GMP's rationals (each value the shortest decimal of its double, the formula's
// exact form, the band's ends and worst case rounded once to the nearest double), where the
// formula has an exact form.
void FindTwoLegs(std::span<const double> stock, const TwoLegFormula& formula,
                 const TwoLegOptions& options, std::uint64_t limit,
                 const std::function<void(const TwoLegRow&)>& emit);

}  // namespace vantrel::networks
