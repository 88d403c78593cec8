#pragma once

// How few new values any choice of the board can take: the proof beside the best found.

#include <functional>

#include "board_problem.h"

namespace vantrel::board {

// A number of new values that no choice goes below, found without the integer program. Stops
// early once it reaches `target` (the best choice found), which it then proves best, or when
// outOfTime says so (asked before each step).
int ValueBound(const Problem& problem, int target, const std::function<bool()>& outOfTime);

}  // namespace vantrel::board
