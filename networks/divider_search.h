#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>

#include "network.h"
#include "two_leg_search.h"

namespace vantrel::networks {

struct DividerOptions {
  double vin = 0;  // VOUT / VIN strictly between 0 and 1, both finite
  double vout = 0;
  // A load across the bottom leg (ohms, finite, above 0); none where infinite.
  double load = std::numeric_limits<double>::infinity();
  // On R1 || R2, the source resistance an ADC input sees (TwoLegOptions::maxParallel).
  double maxSource = std::numeric_limits<double>::infinity();
  int legParts = 1;      // each leg a network of 1 to legParts parts, at most 2
  double tolerance = 1;  // percent; a pair is kept when |error| <= tolerance
  double minTotal = 0;   // on R1 + R2
  double maxTotal = std::numeric_limits<double>::infinity();
  bool distinct = false;                    // no stock value used twice in the whole divider
  int parts = 0;                            // only dividers of this many parts in all; 0 for any
  double scale = 1e4;                       // as TwoLegOptions::scale
  std::size_t rowsPerPass = kRowsPerPass;   // as FindOptions::rowsPerPass
  const std::atomic<bool>* stop = nullptr;  // as FindOptions::stop
  int threads = 2;  // legs of two parts use a second thread when 2 or more; the rows are the same
  SearchWork* work = nullptr;  // as FindOptions::work
};

// A divider: top leg R1 from VIN to VOUT, bottom leg R2 from VOUT to ground.
struct DividerRow {
  Network top;
  Network bottom;
  double r1 = 0;  // NetworkValue of each leg
  double r2 = 0;
  double vout = 0;   // vin * r2 / (r1 + r2), r2 || load with a load
  double error = 0;  // (vout - options.vout) / options.vout * 100
  double total = 0;  // r1 + r2
};

// The two-leg search of a divider: leg A the top, leg B the bottom, DividerFormulaOf(options).
TwoLegOptions DividerLegOptions(const DividerOptions& options);
// DividerFormula(vin), or LoadedDividerFormula(vin, load) with a load.
TwoLegFormula DividerFormulaOf(const DividerOptions& options);
DividerRow DividerRowOf(const TwoLegRow& row);

// Calls emit for every divider within the tolerance and the total's bounds, in rank order,
// stopping after limit rows: FindTwoLegs with DividerFormulaOf. stock as for FindNetworks.
void FindDividers(std::span<const double> stock, const DividerOptions& options, std::uint64_t limit,
                  const std::function<void(const DividerRow&)>& emit);

}  // namespace vantrel::networks
