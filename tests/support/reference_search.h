#pragma once

#include <cstdint>

#include "match_search.h"

namespace vantrel::testing {

// The match search written out plainly, pair by pair with a scan and shift for every
// qualifying pair; the yardstick the fast SearchMatches must equal row for row.
SearchOutcome ReferenceSearchMatches(const float* values, std::int32_t n, float target,
                                     float precision, ResultTable& table);

}  // namespace vantrel::testing
