#include "divider_search.h"

#include <cmath>

#include "two_leg_search.h"

namespace vantrel::networks {

bool DividerRanksBefore(const DividerRow& a, const DividerRow& b) {
  const double ea = std::fabs(a.error);
  const double eb = std::fabs(b.error);
  if (ea != eb) return ea < eb;
  if (a.total != b.total) return a.total < b.total;
  if (NetworkBefore(a.top, b.top)) return true;
  if (NetworkBefore(b.top, a.top)) return false;
  return NetworkBefore(a.bottom, b.bottom);
}

TwoLegOptions DividerLegOptions(const DividerOptions& options) {
  TwoLegOptions legs;
  legs.target = options.vout;
  legs.legParts = options.legParts;
  legs.tolerance = options.tolerance;
  legs.minTotal = options.minTotal;
  legs.maxTotal = options.maxTotal;
  legs.distinct = options.distinct;
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
