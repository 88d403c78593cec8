#pragma once

// The board's choice as its solvers see it: each circuit's kept candidates, with the values they
// add as ids and the drawer's items they draw. Shared by the start, the bound and the program.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "board_choice.h"

namespace vantrel::board {

// A candidate: the values it adds (ids of values that are not free, sorted, each once) and the
// drawer's items it draws, with counts.
struct Kept {
  std::size_t rank = 0;
  std::vector<int> values;
  std::vector<std::pair<int, std::int64_t>> items;  // (item id, parts), sorted by id
  int parts = 0;
};

struct Problem {
  std::vector<std::vector<Kept>> circuits;
  int valueCount = 0;
  bool counted = false;
  std::vector<std::int64_t> stock;  // per item id
};

// The candidates the drawer holds, less those another candidate of the same circuit makes
// needless (ranked before it, no more values, parts or draws).
Problem MakeProblem(const ChoiceInput& input);

// Per circuit, the index into its kept candidates.
using Picks = std::vector<std::size_t>;

}  // namespace vantrel::board
