#pragma once

// The board's choice: one candidate row per circuit, so that the drawer's counts hold across the
// board, then the fewest distinct values, the fewest parts and the smallest sum of ranks. A local
// search finds it and a bound proves its values where it can; the rest is solved exactly as an
// integer program (CBC). No Qt, no files.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace vantrel::board {

// A value on the board: its kind (the caller's numbering: resistors, capacitors, ...) and value.
struct Value {
  int kind = 0;
  double value = 0;
  auto operator<=>(const Value&) const = default;
};

// A drawer's class of a value (the caller's numbering; 0 where there is no drawer).
struct Item {
  Value value;
  int cls = 0;
  auto operator<=>(const Item&) const = default;
};

// A circuit's candidate row: the parts it takes, one entry per part.
struct Candidate {
  std::vector<Item> parts;
};

struct ChoiceInput {
  // Each circuit's candidates, best first; a candidate's rank is its index.
  std::vector<std::vector<Candidate>> circuits;
  // The drawer's counts: a part of an item not named here is not held.
  std::optional<std::map<Item, std::int64_t>> drawer;
  // Values already on the board, which cost nothing.
  std::set<Value> free;
  // Seconds of CPU the solver may take in all.
  double timeLimit = 10;
  // From this many candidates in all (those no other candidate of its circuit makes needless),
  // the solver runs in a process of its own under the time limit: its first linear relaxation,
  // which grows with the candidates, checks no clock.
  std::size_t isolateFrom = 2000;
};

enum class ChoiceStatus {
  kOptimal,    // proved best
  kTimedOut,   // the best found when the time ran out; bound says how far it may be off
  kNoChoice,   // the drawer cannot cover every circuit at once (or a circuit has no candidate)
  kNoneFound,  // the time ran out before any choice was found
};

struct Choice {
  ChoiceStatus status = ChoiceStatus::kNoneFound;
  // Per circuit, the index of its chosen candidate (empty unless a choice was found).
  std::vector<std::size_t> picks;
  int distinct = 0;   // distinct values on the board
  int newValues = 0;  // of them, those not free: what is minimised
  int parts = 0;
  std::int64_t rankSum = 0;
  // No choice has fewer new values than this.
  int bound = 0;
  // kNoChoice: the items the best choice without counts takes more of than the drawer holds.
  std::vector<Item> shortItems;
};

Choice ChooseBoard(const ChoiceInput& input);

}  // namespace vantrel::board
