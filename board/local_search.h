#pragma once

// A good choice found fast, for the program to start from and to give when its time runs out:
// a greedy start, then moves of one, two and three circuits at a time.

#include <cstdint>
#include <functional>
#include <optional>
#include <tuple>

#include "board_problem.h"

namespace vantrel::board {

// What the choice minimises, in order: new values, parts, the sum of ranks.
using Score = std::tuple<int, int, std::int64_t>;

Score ScoreOf(const Problem& problem, const Picks& picks);

// Each circuit in turn takes the candidate adding the fewest values, then parts, that the drawer
// still holds; none when it runs dry.
std::optional<Picks> Greedy(const Problem& problem);

// Moves the picks to a better choice, each move giving one, two or three circuits the best they
// can take together beside the others, until no move improves or outOfTime says so (asked before
// each move). Every move keeps the drawer's counts. With three circuits or fewer the last sweep
// tries every combination, so the answer is the best.
void Improve(const Problem& problem, Picks& picks, const std::function<bool()>& outOfTime);

}  // namespace vantrel::board
