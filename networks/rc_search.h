#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>
#include <span>

#include "network.h"

namespace vantrel::networks {

// 2π, for the corner 1 / (2π R C).
inline constexpr double kTwoPi = 2 * std::numbers::pi;

// What an RC pair is measured by: its time constant R·C, or its corner 1 / (2π R C).
enum class RcQuantity : std::uint8_t { kTau, kCorner };

// A capacitor leg's value: the network's value with the roles of series and parallel swapped,
// parallel parts adding and series ones folding as x * y / (x + y), each part scaled by factor.
double CapacitorLegValue(const Network& leg, std::span<const double> stock, double factor = 1);
// The same with each slot's part scaled by its own factor.
double CapacitorLegValue(const Network& leg, std::span<const double> stock,
                         const SlotFactors& factors);

struct RcRow;
// The ranking: the smaller worst case first (to 9 significant digits; without a band it is the
// absolute error), then the smaller absolute error, then fewer parts, then the resistance
// nearer the scale aimed at, then the lower resistance, then the resistor leg and then the
// capacitor leg in the order of NetworkBefore.
bool RcRanksBefore(const RcRow& x, const RcRow& y);

// An RC pair's worst case: R off by rTolerance and C by cTolerance percent, tau from
// R (1 - tr) C (1 - tc) to R (1 + tr) C (1 + tc), the corner the other way round.
struct RcBand {
  double rTolerance = 0;  // percent, 0 to below 100
  double cTolerance = 0;
  // Percent: only rows whose band lies within it of the target, both ends included.
  double within = std::numeric_limits<double>::infinity();
  // As TwoLegBand's: the statistical band's spreads (leg 0 the resistor, 1 the capacitor), and
  // whether rows rank by it and meet within by it.
  PartSpreads spreads{};
  bool byRss = false;
  // When set, each part's own tolerance (first: the R leg, second: the C leg), rTolerance and
  // cTolerance being then at most the least of the R and the C parts' own; as
  // TwoLegBand::perPart.
  std::function<bool(const Network& r, const Network& c, PartTolerances& tolerances)> perPart{};
  // The least tolerance and drift (fractions) of any resistor's and any capacitor's statistical
  // spread, with perPart the least of the parts' own; they bound the walk by the statistical
  // band, and zero bounds nothing.
  PartSpread leastR{};
  PartSpread leastC{};
};

// A resistor leg R and a capacitor leg C, and what they give.
struct RcRow {
  Network r;  // on the resistor stock
  Network c;  // on the capacitor stock, spelled as resistors are: + in series, || in parallel
  double rValue = 0;  // NetworkValue
  double cValue = 0;  // CapacitorLegValue
  double tau = 0;     // R·C, settled as FindRc says
  double output = 0;  // tau, or the corner 1 / (2π tau)
  double error = 0;   // (output - target) / target * 100
  // As TwoLegRow's: the band's ends and worst case, or the output and |error| without one.
  double low = 0;
  double high = 0;
  double worst = 0;
  double rssLow = 0;  // as TwoLegRow's
  double rssHigh = 0;
  double rssWorst = 0;
  double ranked = 0;
  double worstKey = 0;
  double scaleKey = 0;  // rValue / scale, or its inverse where that is below 1
  bool banded = true;   // as TwoLegRow::banded

  int PartTotal() const { return PartCount(r.shape) + PartCount(c.shape); }
  double Percent() const { return ranked; }
  static bool Before(const RcRow& x, const RcRow& y) { return RcRanksBefore(x, y); }
};

struct RcOptions {
  RcQuantity quantity = RcQuantity::kTau;
  double target = 0;     // seconds or hertz, finite and above 0
  int rParts = 1;        // the resistor leg a network of 1 to rParts parts, at most 2
  int cParts = 1;        // likewise the capacitor leg
  double tolerance = 1;  // percent; a pair is kept when |error| <= tolerance
  double minR = 0;       // on the resistor leg, both ends included
  double maxR = std::numeric_limits<double>::infinity();
  int parts = 0;       // only pairs of this many parts in all; 0 for any
  double scale = 1e4;  // the resistance that ties go to
  // When set, rows carry their worst case, rank by it and meet band.within, and the walk is
  // bounded by it: each end of the band is the output times a constant, so the window on the
  // worst case is a narrower one on the output (as FindTwoLegs says).
  std::optional<RcBand> band;
  // Rows it refuses are left out; called from the search's threads. Empty keeps every row.
  std::function<bool(const RcRow&)> keep;
  std::size_t rowsPerPass = kRowsPerPass;   // as FindOptions::rowsPerPass
  const std::atomic<bool>* stop = nullptr;  // as FindOptions::stop
  int threads = 2;  // legs of two parts use a second thread when 2 or more; the rows are the same
  SearchWork* work = nullptr;  // as FindOptions::work
};

// The time constant the target asks for: the target itself, or 1 / (2π f) for a corner f.
double TargetTau(const RcOptions& options);

// The band of row, settled as FindRc settles it: a time constant's ends exactly, where its
// worst case lies within 1e-9 of it of band.within or below kExactBand (a corner is irrational,
// its ends are computed in double from the time constant's), or with exact false in double
// arithmetic alone. Returns whether it lies within band.within.
bool AddRcBand(RcRow& row, std::span<const double> rStock, std::span<const double> cStock,
               const RcOptions& options, const RcBand& band, bool exact = true);

// The statistical band of row as AddRssBand's for two legs: the output moves by output * s / R
// per relative move of a part of sensitivity s in a leg of value R (a time constant rises with
// each leg as much as the leg, a corner falls as much), each part's tolerance and drift a term;
// the resistor's parts come first, then the capacitor's. There are no constants, so the band is
// the output -+ the root of the sum of squares.
void AddRcRssBand(RcRow& row, std::span<const double> rStock, std::span<const double> cStock,
                  const RcOptions& options, const PartSpreads& spreads,
                  const PartTolerances* own = nullptr);

// Calls emit for every pair of a resistor leg from rStock and a capacitor leg from cStock whose
// output lies within the tolerance of the target and whose resistor leg lies within the bounds,
// in rank order, stopping after limit rows. Each stock as for FindNetworks.
//
// Each capacitor leg C is a line along each sorted list of resistor legs (the single parts,
// the series pairs, the parallel pairs), entered where R = tau / C and walked outward while the
// output stays within the window, which the best rows kept narrow.
//
// Exactness: tau is R·C computed exactly from the shortest decimals of the parts' values (as
// the other searches read them) and rounded once to the nearest double, so pairs of one exact
// product (1k with 100n, 10k with 10n) tie to the bit and rank by parts and resistance, and a
// pair exactly on a time constant typed as a decimal shows error 0. The corner, 1 / (2π tau),
// is irrational for any such pair and is computed in double from that tau; its error too.
// Where a leg's parts, as integers at a common power of ten of at most 1, pass 2^60, or the
// product's power of ten lies below 10^-38, tau is the double product R * C instead.
void FindRc(std::span<const double> rStock, std::span<const double> cStock,
            const RcOptions& options, std::uint64_t limit,
            const std::function<void(const RcRow&)>& emit);

}  // namespace vantrel::networks
