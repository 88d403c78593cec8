#pragma once

#include <cstdint>

#include "result_table.h"

namespace vantrel {

enum class SearchOutcome { NoValueReachesTarget, SearchDone };

// Fills table with every single value and every parallel pair of library values within
// precision percent of target, ranked by deviation. values holds n distinct ascending values;
// table must be zeroed by the caller. Only values at or above target take part. Returns
// NoValueReachesTarget, leaving table untouched, when no value reaches target.
SearchOutcome SearchMatches(const float* values, std::int32_t n, float target, float precision,
                            ResultTable& table);

}  // namespace vantrel
