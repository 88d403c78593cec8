#pragma once

#include <span>
#include <string>
#include <vector>

#include "two_leg_search.h"

namespace vantrel::testing {

struct PlainTwoLegRow {
  std::string a;  // each leg spelled with names[i] for stock value i
  std::string b;
  double output = 0;
  double error = 0;
  double total = 0;
};

// The two-leg search done plainly: every leg of up to options.legParts parts (a part, two in
// series, two in parallel) paired with every other, each output worked out from the formula,
// settled exactly by the formula's exact form near the target, filtered and sorted by the
// ranking. The yardstick for networks::FindTwoLegs.
std::vector<PlainTwoLegRow> PlainFindTwoLegs(std::span<const double> stock,
                                             std::span<const std::string> names,
                                             const networks::TwoLegFormula& formula,
                                             const networks::TwoLegOptions& options);

}  // namespace vantrel::testing
