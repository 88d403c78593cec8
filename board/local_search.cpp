#include "local_search.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vantrel::board {
namespace {

// The board as the picks leave it: how many picks take each value, what the drawer has left.
class Board {
 public:
  explicit Board(const Problem& problem)
      : uses_(static_cast<std::size_t>(problem.valueCount), 0), left_(problem.stock) {}

  // Values of the candidate that no pick takes yet.
  int Adds(const Kept& candidate) const {
    return static_cast<int>(
        std::count_if(candidate.values.begin(), candidate.values.end(),
                      [&](int v) { return uses_[static_cast<std::size_t>(v)] == 0; }));
  }

  bool Holds(const Kept& candidate) const {
    return std::all_of(candidate.items.begin(), candidate.items.end(), [&](const auto& draw) {
      return left_[static_cast<std::size_t>(draw.first)] >= draw.second;
    });
  }

  void Take(const Kept& candidate, int sign) {
    for (const int v : candidate.values) uses_[static_cast<std::size_t>(v)] += sign;
    for (const auto& [item, count] : candidate.items)
      left_[static_cast<std::size_t>(item)] -= sign * count;
  }

 private:
  std::vector<int> uses_;
  std::vector<std::int64_t> left_;
};

Score operator+(const Score& a, const Score& b) {
  return {std::get<0>(a) + std::get<0>(b), std::get<1>(a) + std::get<1>(b),
          std::get<2>(a) + std::get<2>(b)};
}

// What the candidate adds to the board's score as the board stands.
Score Beside(const Board& board, const Kept& candidate) {
  return {board.Adds(candidate), candidate.parts, static_cast<std::int64_t>(candidate.rank)};
}

// One move: the circuits in `moved` lifted off the board, and every combination of their
// candidates tried in turn. A combination's score grows with each candidate added to it, so a
// part that already scores no better than the best found is not taken further.
class Move {
 public:
  Move(const Problem& problem, Board& board, const std::vector<std::size_t>& moved)
      : problem_(problem), board_(board), moved_(moved), trial_(moved.size()) {}

  // The best combination that scores below `current`, into best; false if there is none.
  bool Find(const Score& current, std::vector<std::size_t>& best) {
    best_ = current;
    found_ = false;
    Try(0, Score{});
    if (found_) best = chosen_;
    return found_;
  }

 private:
  void Try(std::size_t depth, const Score& partial) {
    const auto& circuit = problem_.circuits[moved_[depth]];
    const bool last = depth + 1 == moved_.size();
    for (std::size_t j = 0; j < circuit.size(); ++j) {
      const Kept& candidate = circuit[j];
      const Score score = partial + Beside(board_, candidate);
      if (score >= best_ || !board_.Holds(candidate)) continue;
      trial_[depth] = j;
      if (last) {
        best_ = score;
        chosen_ = trial_;
        found_ = true;
      } else {
        board_.Take(candidate, 1);
        Try(depth + 1, score);
        board_.Take(candidate, -1);
      }
    }
  }

  const Problem& problem_;
  Board& board_;
  const std::vector<std::size_t>& moved_;
  std::vector<std::size_t> trial_;
  std::vector<std::size_t> chosen_;
  Score best_;
  bool found_ = false;
};

// Calls visit with each set of `size` circuits of `count`, in order, until it returns false.
template <typename Visit>
bool EachSubset(std::size_t count, std::size_t size, Visit visit) {
  if (size > count) return true;
  std::vector<std::size_t> subset(size);
  for (std::size_t i = 0; i < size; ++i) subset[i] = i;
  for (;;) {
    if (!visit(subset)) return false;
    std::size_t i = size;
    while (i > 0 && subset[i - 1] == count - size + i - 1) --i;
    if (i == 0) return true;
    ++subset[i - 1];
    for (std::size_t k = i; k < size; ++k) subset[k] = subset[k - 1] + 1;
  }
}

}  // namespace

Score ScoreOf(const Problem& problem, const Picks& picks) {
  Board board(problem);
  Score score;
  for (std::size_t c = 0; c < picks.size(); ++c) {
    const Kept& candidate = problem.circuits[c][picks[c]];
    score = score + Beside(board, candidate);
    board.Take(candidate, 1);
  }
  return score;
}

std::optional<Picks> Greedy(const Problem& problem) {
  Board board(problem);
  Picks picks;
  for (const auto& circuit : problem.circuits) {
    std::optional<std::size_t> best;
    std::pair<int, int> bestCost;
    for (std::size_t j = 0; j < circuit.size(); ++j) {
      if (!board.Holds(circuit[j])) continue;
      const std::pair<int, int> cost{board.Adds(circuit[j]), circuit[j].parts};
      if (!best || cost < bestCost) {
        best = j;
        bestCost = cost;
      }
    }
    if (!best) return std::nullopt;
    board.Take(circuit[*best], 1);
    picks.push_back(*best);
  }
  return picks;
}

void Improve(const Problem& problem, Picks& picks, const std::function<bool()>& outOfTime) {
  Board board(problem);
  for (std::size_t c = 0; c < picks.size(); ++c) board.Take(problem.circuits[c][picks[c]], 1);
  const std::size_t count = picks.size();
  // Sweeps of moves of one circuit, then two, then three; a sweep that improves anything sends
  // the next back to one, so the picks end where no move of up to three improves them.
  for (std::size_t size = 1; size <= std::min<std::size_t>(3, count);) {
    bool improved = false;
    const bool finished = EachSubset(count, size, [&](const std::vector<std::size_t>& moved) {
      if (outOfTime()) return false;
      for (const std::size_t c : moved) board.Take(problem.circuits[c][picks[c]], -1);
      Picks lifted;
      for (const std::size_t c : moved) lifted.push_back(picks[c]);
      // The moved circuits' own score beside the others is what a combination must beat.
      Score current;
      for (const std::size_t c : moved) {
        const Kept& candidate = problem.circuits[c][picks[c]];
        current = current + Beside(board, candidate);
        board.Take(candidate, 1);
      }
      for (const std::size_t c : moved) board.Take(problem.circuits[c][picks[c]], -1);
      Move move(problem, board, moved);
      if (move.Find(current, lifted)) improved = true;
      for (std::size_t i = 0; i < moved.size(); ++i) {
        picks[moved[i]] = lifted[i];
        board.Take(problem.circuits[moved[i]][lifted[i]], 1);
      }
      return true;
    });
    if (!finished) return;
    size = improved ? 1 : size + 1;
  }
}

}  // namespace vantrel::board
