#include "value_bound.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <vector>

namespace vantrel::board {
namespace {

// No choice adds fewer values than the circuit whose every candidate adds the most.
int LeastNewValues(const Problem& problem) {
  int least = 0;
  for (const auto& circuit : problem.circuits) {
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (const Kept& candidate : circuit) fewest = std::min(fewest, candidate.values.size());
    if (!circuit.empty()) least = std::max(least, static_cast<int>(fewest));
  }
  return least;
}

// The bound shares each value out among the circuits: circuit c pays share[c][v] of value v,
// and the shares of a value add up to at most 1. A choice takes each of its values once, so it
// takes at least what its circuits pay, and each circuit pays at least its cheapest candidate:
//
//   new values >= sum over circuits c of (min over c's candidates j of sum over v in j of
//   share[c][v])
//
// (The dual of the integer program's linear relaxation, where every share is free.) The shares
// are found by projected subgradient ascent: each step raises the shares of the values each
// circuit's cheapest candidate takes, then scales every value's shares back onto
// { share >= 0, sum <= 1 }. Every step's shares are such a split, so the best sum seen is a
// bound. The steps, their sizes and the order of every sum are fixed, so the bound is the same
// on every machine.
class Shares {
 public:
  explicit Shares(const Problem& problem) {
    // Each circuit's values get slots of their own; per value, the slots that share it.
    std::vector<int> circuitsOf(static_cast<std::size_t>(problem.valueCount), 0);
    for (const auto& circuit : problem.circuits) {
      std::map<int, int> slotOf;
      auto& slots = slots_.emplace_back();
      for (const Kept& candidate : circuit) {
        auto& row = slots.emplace_back();
        for (const int v : candidate.values) {
          const auto [at, added] = slotOf.emplace(v, static_cast<int>(valueOfSlot_.size()));
          if (added) {
            valueOfSlot_.push_back(v);
            ++circuitsOf[static_cast<std::size_t>(v)];
          }
          row.push_back(at->second);
        }
      }
    }
    share_.resize(valueOfSlot_.size());
    slotsOfValue_.resize(static_cast<std::size_t>(problem.valueCount));
    for (std::size_t s = 0; s < valueOfSlot_.size(); ++s) {
      const auto v = static_cast<std::size_t>(valueOfSlot_[s]);
      slotsOfValue_[v].push_back(s);
      share_[s] = 1.0 / circuitsOf[v];  // an even split to start from
    }
  }

  // Each circuit's cheapest candidate under the shares, into cheapest; the sum of their costs.
  double Cheapest(std::vector<std::size_t>& cheapest) const {
    double total = 0;
    cheapest.assign(slots_.size(), 0);
    for (std::size_t c = 0; c < slots_.size(); ++c) {
      double least = std::numeric_limits<double>::infinity();
      for (std::size_t j = 0; j < slots_[c].size(); ++j) {
        double cost = 0;
        for (const int s : slots_[c][j]) cost += share_[static_cast<std::size_t>(s)];
        if (cost < least) {
          least = cost;
          cheapest[c] = j;
        }
      }
      total += least;
    }
    return total;
  }

  void Step(const std::vector<std::size_t>& cheapest, double size) {
    for (std::size_t c = 0; c < slots_.size(); ++c) {
      for (const int s : slots_[c][cheapest[c]]) share_[static_cast<std::size_t>(s)] += size;
    }
    for (const auto& slots : slotsOfValue_) Project(slots);
  }

 private:
  // The nearest point of { x >= 0, sum x <= 1 } to the value's shares: each lowered by the same
  // amount, none below 0, where they add up to more than 1.
  void Project(const std::vector<std::size_t>& slots) {
    double sum = 0;
    for (const std::size_t s : slots) sum += share_[s];
    if (sum <= 1) return;
    std::vector<double> sorted;
    for (const std::size_t s : slots) sorted.push_back(share_[s]);
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    double kept = 0;
    double lower = 0;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
      kept += sorted[k];
      lower = (kept - 1) / static_cast<double>(k + 1);
      if (k + 1 == sorted.size() || sorted[k + 1] <= lower) break;
    }
    sum = 0;
    for (const std::size_t s : slots) {
      share_[s] = std::max(0.0, share_[s] - lower);
      sum += share_[s];
    }
    // What rounding leaves above 1 is taken off in proportion; the ulps that division may still
    // leave are covered by the slack where the bound is rounded.
    if (sum > 1) {
      for (const std::size_t s : slots) share_[s] /= sum;
    }
  }

  std::vector<std::vector<std::vector<int>>> slots_;  // per circuit, per candidate
  std::vector<int> valueOfSlot_;
  std::vector<std::vector<std::size_t>> slotsOfValue_;
  std::vector<double> share_;
};

}  // namespace

int ValueBound(const Problem& problem, int target, const std::function<bool()>& outOfTime) {
  int bound = LeastNewValues(problem);
  if (bound >= target || problem.valueCount == 0) return bound;
  Shares shares(problem);
  std::vector<std::size_t> cheapest;
  double size = 0.2;
  for (int step = 0; step < 1500 && !outOfTime(); ++step) {
    // Sums of shares err by far less than 1e-6, which keeps a near-integer sum from rounding up.
    const double total = shares.Cheapest(cheapest);
    bound = std::max(bound, static_cast<int>(std::ceil(total - 1e-6)));
    if (bound >= target) break;
    shares.Step(cheapest, size);
    size *= 0.998;
  }
  return bound;
}

}  // namespace vantrel::board
