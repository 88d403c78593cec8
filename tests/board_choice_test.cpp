// The board's choice, its start and its bound against a plain enumeration of every combination
// on small random boards.

#include "board_choice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "board_problem.h"
#include "local_search.h"
#include "value_bound.h"

namespace vantrel::board {
namespace {

using Score = std::tuple<int, int, std::int64_t>;  // new values, parts, rank sum

// The yardstick's own scoring of one pick per circuit; nullopt where the drawer runs short.
std::optional<Score> PlainScore(const ChoiceInput& input, const std::vector<std::size_t>& picks) {
  std::map<Item, std::int64_t> drawn;
  std::set<std::pair<int, double>> fresh;
  int parts = 0;
  std::int64_t ranks = 0;
  for (std::size_t c = 0; c < picks.size(); ++c) {
    ranks += static_cast<std::int64_t>(picks[c]);
    for (const Item& part : input.circuits[c][picks[c]].parts) {
      ++parts;
      ++drawn[part];
      if (!input.free.contains(part.value)) fresh.emplace(part.value.kind, part.value.value);
    }
  }
  if (input.drawer) {
    for (const auto& [item, count] : drawn) {
      const auto held = input.drawer->find(item);
      if (held == input.drawer->end() || held->second < count) return std::nullopt;
    }
  }
  return Score{static_cast<int>(fresh.size()), parts, ranks};
}

struct Plain {
  std::optional<Score> best;
  bool partsBind = false;   // the fewest values tie, and parts tell them apart
  bool valuesBind = false;  // the lowest rank sum is not the fewest values
  bool countsBind = false;  // the best without counts overdraws the drawer
};

Plain Enumerate(const ChoiceInput& input) {
  Plain plain;
  std::optional<Score> uncounted;
  std::optional<std::int64_t> lowestRanks;
  std::optional<int> newOfLowestRanks;
  std::set<int> partsAtFewest;
  std::vector<std::size_t> picks(input.circuits.size(), 0);
  std::vector<Score> feasible;
  ChoiceInput without = input;
  without.drawer.reset();
  for (;;) {
    const Score free = *PlainScore(without, picks);
    if (!uncounted || free < *uncounted) uncounted = free;
    if (const auto score = PlainScore(input, picks)) {
      feasible.push_back(*score);
      if (!plain.best || *score < *plain.best) plain.best = score;
      if (!lowestRanks || std::get<2>(*score) < *lowestRanks) {
        lowestRanks = std::get<2>(*score);
        newOfLowestRanks = std::get<0>(*score);
      }
    }
    std::size_t c = 0;
    while (c < picks.size() && ++picks[c] == input.circuits[c].size()) picks[c++] = 0;
    if (c == picks.size()) break;
  }
  if (plain.best) {
    for (const Score& score : feasible) {
      if (std::get<0>(score) == std::get<0>(*plain.best)) partsAtFewest.insert(std::get<1>(score));
    }
    plain.partsBind = partsAtFewest.size() > 1;
    plain.valuesBind = *newOfLowestRanks > std::get<0>(*plain.best);
  }
  plain.countsBind = input.drawer && (!plain.best || *plain.best != *uncounted);
  return plain;
}

ChoiceInput RandomBoard(std::mt19937& random) {
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  ChoiceInput input;
  input.timeLimit = 60;
  const int kinds = pick(1, 2);
  const int values = pick(3, 6);
  const int classes = pick(1, 2);
  const auto item = [&] {
    return Item{{pick(0, kinds - 1), static_cast<double>(pick(1, values)) * 1.5},
                pick(0, classes - 1)};
  };
  const int circuits = pick(3, 5);
  for (int c = 0; c < circuits; ++c) {
    auto& candidates = input.circuits.emplace_back();
    const int count = pick(1, 5);
    for (int j = 0; j < count; ++j) {
      Candidate& candidate = candidates.emplace_back();
      const int parts = pick(1, 4);
      for (int p = 0; p < parts; ++p) candidate.parts.push_back(item());
    }
  }
  if (pick(0, 1) == 1) {
    input.drawer.emplace();
    for (int k = 0; k < kinds; ++k) {
      for (int v = 1; v <= values; ++v) {
        for (int cls = 0; cls < classes; ++cls) {
          // Some items are missing from the drawer, the rest held 0 to 6 times.
          if (pick(0, 5) > 0) (*input.drawer)[Item{{k, v * 1.5}, cls}] = pick(0, 6);
        }
      }
    }
  }
  for (int k = 0; k < kinds; ++k) {
    for (int v = 1; v <= values; ++v) {
      if (pick(0, 3) == 0) input.free.insert(Value{k, v * 1.5});
    }
  }
  return input;
}

// The start and the bound on their own, as on a board too large for the program: the start keeps
// the counts and is the best on boards of up to three circuits (its last sweep tries every
// combination), and the bound is never above the best. Counts how often the bound proves it.
void CheckStartAndBound(const ChoiceInput& input, const Score& best, int& exact, int& proved) {
  const auto never = [] { return false; };
  const Problem problem = MakeProblem(input);
  const int bound = ValueBound(problem, std::numeric_limits<int>::max(), never);
  EXPECT_LE(bound, std::get<0>(best));
  std::optional<Picks> start = Greedy(problem);
  if (!start) return;  // the greedy start ran the drawer dry; the program starts bare
  Improve(problem, *start, never);
  std::vector<std::size_t> ranks;
  for (std::size_t c = 0; c < start->size(); ++c)
    ranks.push_back(problem.circuits[c][(*start)[c]].rank);
  const std::optional<Score> score = PlainScore(input, ranks);
  ASSERT_TRUE(score.has_value()) << "the start overdraws the drawer";
  EXPECT_EQ(ScoreOf(problem, *start), *score);
  EXPECT_GE(*score, best);
  if (input.circuits.size() <= 3) {
    EXPECT_EQ(*score, best);
    ++exact;
  }
  proved += bound == std::get<0>(*score);
}

TEST(BoardChoice, MatchesEveryCombinationOnSmallBoards) {
  std::mt19937 random(20261209);
  int exact = 0;
  int proved = 0;
  int partsBind = 0;
  int valuesBind = 0;
  int countsBind = 0;
  int impossible = 0;
  for (int round = 0; round < 1500; ++round) {
    ChoiceInput input = RandomBoard(random);
    // Now and then the solver runs in a process of its own, as for a large board.
    if (round % 10 == 0) input.isolateFrom = 0;
    const Plain plain = Enumerate(input);
    const Choice choice = ChooseBoard(input);
    SCOPED_TRACE(round);
    if (!plain.best) {
      ++impossible;
      EXPECT_EQ(choice.status, ChoiceStatus::kNoChoice);
      EXPECT_TRUE(choice.picks.empty());
      // The values that run short are named, and each is overdrawn or missing.
      EXPECT_FALSE(choice.shortItems.empty());
      continue;
    }
    partsBind += plain.partsBind;
    valuesBind += plain.valuesBind;
    countsBind += plain.countsBind;
    ASSERT_EQ(choice.status, ChoiceStatus::kOptimal);
    ASSERT_EQ(choice.picks.size(), input.circuits.size());
    const std::optional<Score> score = PlainScore(input, choice.picks);
    ASSERT_TRUE(score.has_value()) << "the choice overdraws the drawer";
    EXPECT_EQ(*score, *plain.best);
    EXPECT_EQ(Score(choice.newValues, choice.parts, choice.rankSum), *plain.best);
    EXPECT_EQ(choice.bound, choice.newValues);
    CheckStartAndBound(input, *plain.best, exact, proved);
  }
  EXPECT_GT(exact, 300);
  EXPECT_GT(proved, 300);
  // Each rule decided some boards, so each was tested.
  EXPECT_GT(partsBind, 50);
  EXPECT_GT(valuesBind, 50);
  EXPECT_GT(countsBind, 50);
  EXPECT_GT(impossible, 20);
}

TEST(BoardChoice, CircuitWithoutCandidatesHasNoChoice) {
  ChoiceInput input;
  input.circuits = {{Candidate{{Item{{0, 10}, 0}}}}, {}};
  EXPECT_EQ(ChooseBoard(input).status, ChoiceStatus::kNoChoice);
}

TEST(BoardChoice, DistinctCountsFreeValuesToo) {
  ChoiceInput input;
  input.circuits = {{Candidate{{Item{{0, 10}, 0}, Item{{0, 22}, 0}}}}};
  input.free = {Value{0, 10}};
  const Choice choice = ChooseBoard(input);
  EXPECT_EQ(choice.distinct, 2);
  EXPECT_EQ(choice.newValues, 1);
}

}  // namespace
}  // namespace vantrel::board
