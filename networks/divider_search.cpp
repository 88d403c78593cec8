#include "divider_search.h"

#include "two_leg_search.h"

namespace vantrel::networks {

TwoLegOptions DividerLegOptions(const DividerOptions& options) {
  TwoLegOptions legs;
  legs.target = options.vout;
  legs.legParts = options.legParts;
  legs.tolerance = options.tolerance;
  legs.minTotal = options.minTotal;
  legs.maxTotal = options.maxTotal;
  legs.distinct = options.distinct;
  legs.parts = options.parts;
  legs.scale = options.scale;
  legs.rowsPerPass = options.rowsPerPass;
  legs.stop = options.stop;
  legs.threads = options.threads;
  legs.work = options.work;
  return legs;
}

DividerRow DividerRowOf(const TwoLegRow& row) {
  return {row.a, row.b, row.ra, row.rb, row.output, row.error, row.total};
}

void FindDividers(std::span<const double> stock, const DividerOptions& options, std::uint64_t limit,
                  const std::function<void(const DividerRow&)>& emit) {
  FindTwoLegs(stock, DividerFormula(options.vin), DividerLegOptions(options), limit,
              [&](const TwoLegRow& row) { emit(DividerRowOf(row)); });
}

}  // namespace vantrel::networks
