#include "divider_search.h"

#include <cmath>

#include "two_leg_search.h"

namespace vantrel::networks {

TwoLegOptions DividerLegOptions(const DividerOptions& options) {
  TwoLegOptions legs;
  legs.target = options.vout;
  legs.legParts = options.legParts;
  legs.tolerance = options.tolerance;
  legs.minTotal = options.minTotal;
  legs.maxTotal = options.maxTotal;
  legs.maxParallel = options.maxSource;
  legs.distinct = options.distinct;
  legs.parts = options.parts;
  legs.scale = options.scale;
  legs.rowsPerPass = options.rowsPerPass;
  legs.stop = options.stop;
  legs.threads = options.threads;
  legs.work = options.work;
  return legs;
}

TwoLegFormula DividerFormulaOf(const DividerOptions& options) {
  return std::isinf(options.load) ? DividerFormula(options.vin)
                                  : LoadedDividerFormula(options.vin, options.load);
}

DividerRow DividerRowOf(const TwoLegRow& row) {
  return {row.a, row.b, row.ra, row.rb, row.output, row.error, row.total};
}

void FindDividers(std::span<const double> stock, const DividerOptions& options, std::uint64_t limit,
                  const std::function<void(const DividerRow&)>& emit) {
  FindTwoLegs(stock, DividerFormulaOf(options), DividerLegOptions(options), limit,
              [&](const TwoLegRow& row) { emit(DividerRowOf(row)); });
}

}  // namespace vantrel::networks
