#include "board_problem.h"

#include <algorithm>
#include <map>

namespace vantrel::board {
namespace {

bool Subset(const std::vector<int>& small, const std::vector<int>& large) {
  return std::includes(large.begin(), large.end(), small.begin(), small.end());
}

bool DrawsNoMore(const std::vector<std::pair<int, std::int64_t>>& a,
                 const std::vector<std::pair<int, std::int64_t>>& b) {
  std::size_t j = 0;
  for (const auto& [item, count] : a) {
    while (j < b.size() && b[j].first < item) ++j;
    if (j == b.size() || b[j].first != item || b[j].second < count) return false;
  }
  return true;
}

// Whether a, ranked before b, is never worse: replacing b by a in any choice keeps the counts,
// adds no value and no part, and lowers the rank sum, so no best choice takes b.
bool Dominates(const Kept& a, const Kept& b, bool counted) {
  return a.parts <= b.parts && Subset(a.values, b.values) &&
         (!counted || DrawsNoMore(a.items, b.items));
}

}  // namespace

Problem MakeProblem(const ChoiceInput& input) {
  Problem problem;
  problem.counted = input.drawer.has_value();
  std::map<Value, int> valueIds;
  std::map<Item, int> itemIds;
  if (input.drawer) {
    for (const auto& [item, count] : *input.drawer) {
      itemIds.emplace(item, static_cast<int>(problem.stock.size()));
      problem.stock.push_back(count);
    }
  }
  for (const auto& circuit : input.circuits) {
    std::vector<Kept>& kept = problem.circuits.emplace_back();
    for (std::size_t rank = 0; rank < circuit.size(); ++rank) {
      Kept candidate;
      candidate.rank = rank;
      candidate.parts = static_cast<int>(circuit[rank].parts.size());
      bool held = true;
      std::map<int, std::int64_t> draws;
      for (const Item& part : circuit[rank].parts) {
        if (!input.free.contains(part.value)) {
          const auto [at, added] = valueIds.emplace(part.value, problem.valueCount);
          if (added) ++problem.valueCount;
          candidate.values.push_back(at->second);
        }
        if (problem.counted) {
          const auto at = itemIds.find(part);
          if (at == itemIds.end()) {
            held = false;
          } else if (++draws[at->second] > problem.stock[static_cast<std::size_t>(at->second)]) {
            held = false;
          }
        }
      }
      if (!held) continue;
      std::sort(candidate.values.begin(), candidate.values.end());
      candidate.values.erase(std::unique(candidate.values.begin(), candidate.values.end()),
                             candidate.values.end());
      candidate.items.assign(draws.begin(), draws.end());
      if (std::any_of(kept.begin(), kept.end(), [&](const Kept& better) {
            return Dominates(better, candidate, problem.counted);
          })) {
        continue;
      }
      kept.push_back(std::move(candidate));
    }
  }
  return problem;
}

}  // namespace vantrel::board
