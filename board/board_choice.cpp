#include "board_choice.h"

#include <Cbc_C_Interface.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>
#include <sstream>
#include <tuple>
#include <utility>

#include "board_problem.h"
#include "cpu_limited.h"
#include "local_search.h"
#include "value_bound.h"

namespace vantrel::board {
namespace {

struct Solved {
  std::optional<Picks> picks;
  bool optimal = false;
  bool infeasible = false;
  double bound = 0;
};

struct ModelDeleter {
  void operator()(Cbc_Model* model) const { Cbc_deleteModel(model); }
};

// One stage of the lexicographic objective. First stage: the fewest new values. Second: at most
// maxNew new values, then the fewest parts, then the smallest rank sum, weighted so that one
// part outweighs every rank sum (all integers far below 2^53, so exact in doubles).
Solved SolveStage(const Problem& problem, std::optional<int> maxNew,
                  const std::optional<Picks>& start, double seconds) {
  std::unique_ptr<Cbc_Model, ModelDeleter> owned(Cbc_newModel());
  Cbc_Model* model = owned.get();
  Cbc_setLogLevel(model, 0);
  double rankWeight = 1;
  for (const auto& circuit : problem.circuits) {
    if (!circuit.empty()) rankWeight += static_cast<double>(circuit.back().rank);
  }
  // Columns: a choice bit per kept candidate, circuit by circuit, then a bit per value.
  std::vector<int> first;
  int columns = 0;
  for (const auto& circuit : problem.circuits) {
    first.push_back(columns);
    for (const Kept& candidate : circuit) {
      const double cost =
          maxNew ? candidate.parts * rankWeight + static_cast<double>(candidate.rank) : 0;
      Cbc_addCol(model, "", 0, 1, cost, 1, 0, nullptr, nullptr);
      ++columns;
    }
  }
  const int valueColumn = columns;
  for (int v = 0; v < problem.valueCount; ++v)
    Cbc_addCol(model, "", 0, 1, maxNew ? 0 : 1, 1, 0, nullptr, nullptr);

  std::vector<int> index;
  std::vector<double> coefficient;
  const auto addRow = [&](char sense, double rhs) {
    Cbc_addRow(model, "", static_cast<int>(index.size()), index.data(), coefficient.data(), sense,
               rhs);
    index.clear();
    coefficient.clear();
  };
  // One candidate per circuit; a circuit's candidates that use a value need that value.
  for (std::size_t c = 0; c < problem.circuits.size(); ++c) {
    const auto& circuit = problem.circuits[c];
    std::map<int, std::vector<int>> users;
    for (std::size_t j = 0; j < circuit.size(); ++j) {
      const int column = first[c] + static_cast<int>(j);
      index.push_back(column);
      coefficient.push_back(1);
      for (const int v : circuit[j].values) users[v].push_back(column);
    }
    addRow('E', 1);
    for (const auto& [v, candidates] : users) {
      for (const int column : candidates) {
        index.push_back(column);
        coefficient.push_back(1);
      }
      index.push_back(valueColumn + v);
      coefficient.push_back(-1);
      addRow('L', 0);
    }
  }
  // The drawer's counts, where the most the circuits could draw together is more than it holds.
  if (problem.counted) {
    std::map<int, std::vector<std::pair<int, std::int64_t>>> draws;
    std::vector<std::int64_t> most(problem.stock.size(), 0);
    for (std::size_t c = 0; c < problem.circuits.size(); ++c) {
      std::map<int, std::int64_t> circuitMost;
      for (std::size_t j = 0; j < problem.circuits[c].size(); ++j) {
        for (const auto& [item, count] : problem.circuits[c][j].items) {
          draws[item].emplace_back(first[c] + static_cast<int>(j), count);
          circuitMost[item] = std::max(circuitMost[item], count);
        }
      }
      for (const auto& [item, count] : circuitMost) most[static_cast<std::size_t>(item)] += count;
    }
    for (const auto& [item, columnsDrawing] : draws) {
      if (most[static_cast<std::size_t>(item)] <= problem.stock[static_cast<std::size_t>(item)])
        continue;
      for (const auto& [column, count] : columnsDrawing) {
        index.push_back(column);
        coefficient.push_back(static_cast<double>(count));
      }
      addRow('L', static_cast<double>(problem.stock[static_cast<std::size_t>(item)]));
    }
  }
  if (maxNew) {
    for (int v = 0; v < problem.valueCount; ++v) {
      index.push_back(valueColumn + v);
      coefficient.push_back(1);
    }
    addRow('L', *maxNew);
  }
  if (start) {
    std::vector<double> values(static_cast<std::size_t>(columns + problem.valueCount), 0);
    for (std::size_t c = 0; c < problem.circuits.size(); ++c) {
      values[static_cast<std::size_t>(first[c]) + (*start)[c]] = 1;
      for (const int v : problem.circuits[c][(*start)[c]].values)
        values[static_cast<std::size_t>(valueColumn + v)] = 1;
    }
    std::vector<int> all(values.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    Cbc_setMIPStartI(model, static_cast<int>(all.size()), all.data(), values.data());
  }
  // The objective takes integer values only, so a gap below 1 proves the best.
  Cbc_setAllowableGap(model, 0.5);
  Cbc_setAllowableFractionGap(model, 0);
  Cbc_setMaximumSeconds(model, std::max(seconds, 0.01));
  Cbc_solve(model);

  Solved solved;
  solved.infeasible = Cbc_isProvenInfeasible(model) != 0;
  solved.optimal = Cbc_isProvenOptimal(model) != 0;
  solved.bound = Cbc_getBestPossibleObjValue(model);
  if (const double* best = Cbc_bestSolution(model); best && !solved.infeasible) {
    Picks picks;
    for (std::size_t c = 0; c < problem.circuits.size(); ++c) {
      std::size_t pick = 0;
      for (std::size_t j = 1; j < problem.circuits[c].size(); ++j) {
        if (best[first[c] + static_cast<int>(j)] > best[first[c] + static_cast<int>(pick)])
          pick = j;
      }
      picks.push_back(pick);
    }
    solved.picks = std::move(picks);
  } else {
    solved.optimal = false;
  }
  return solved;
}

double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// A stage's answer as a line of words, for the process that solved it to hand back: infeasible,
// optimal, the bound (shortest round-trip digits), then the picks, if any.
std::string SolvedText(const Solved& solved) {
  std::string text = solved.infeasible ? "1 " : "0 ";
  text += solved.optimal ? "1 " : "0 ";
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, solved.bound).ptr;
  text.append(digits, end);
  if (solved.picks) {
    for (const std::size_t pick : *solved.picks) {
      text += ' ';
      text += std::to_string(pick);
    }
  }
  return text;
}

std::optional<Solved> ReadSolved(const std::string& text, std::size_t circuits) {
  std::istringstream words(text);
  std::string infeasible, optimal, bound;
  if (!(words >> infeasible >> optimal >> bound)) return std::nullopt;
  Solved solved;
  solved.infeasible = infeasible == "1";
  solved.optimal = optimal == "1";
  const auto [end, error] =
      std::from_chars(bound.data(), bound.data() + bound.size(), solved.bound);
  if (error != std::errc{} || end != bound.data() + bound.size()) return std::nullopt;
  Picks picks;
  for (std::size_t pick = 0; words >> pick;) picks.push_back(pick);
  if (picks.size() == circuits) solved.picks = std::move(picks);
  return solved;
}

// A stage solved here, or for a large program in a process of its own that the time limit
// ends wherever the solver is (ChoiceInput::isolateFrom); spent grows by the CPU it took.
Solved SolveBounded(const Problem& problem, const ChoiceInput& input, std::optional<int> maxNew,
                    const std::optional<Picks>& start, double seconds, double& spent) {
  std::size_t kept = 0;
  for (const auto& circuit : problem.circuits) kept += circuit.size();
  if (kept < input.isolateFrom) return SolveStage(problem, maxNew, start, seconds);
  const CpuLimited run = RunCpuLimited(
      seconds, [&] { return SolvedText(SolveStage(problem, maxNew, start, seconds)); });
  spent += run.cpuSeconds;
  if (run.out) {
    if (std::optional<Solved> solved = ReadSolved(*run.out, problem.circuits.size()))
      return *solved;
  }
  return {};  // out of time with nothing proved
}

void Measure(const ChoiceInput& input, Choice& choice) {
  std::set<Value> values;
  choice.parts = 0;
  choice.rankSum = 0;
  for (std::size_t c = 0; c < input.circuits.size(); ++c) {
    const Candidate& candidate = input.circuits[c][choice.picks[c]];
    choice.parts += static_cast<int>(candidate.parts.size());
    choice.rankSum += static_cast<std::int64_t>(choice.picks[c]);
    for (const Item& part : candidate.parts) values.insert(part.value);
  }
  choice.distinct = static_cast<int>(values.size());
  choice.newValues = static_cast<int>(std::count_if(
      values.begin(), values.end(), [&](const Value& v) { return !input.free.contains(v); }));
}

// The items that the best choice without counts overdraws: why the drawer cannot serve.
std::vector<Item> ShortItems(const ChoiceInput& input) {
  ChoiceInput uncounted = input;
  uncounted.drawer.reset();
  const Choice free = ChooseBoard(uncounted);
  std::vector<Item> shortItems;
  if (free.picks.empty()) return shortItems;
  std::map<Item, std::int64_t> drawn;
  for (std::size_t c = 0; c < input.circuits.size(); ++c) {
    for (const Item& part : input.circuits[c][free.picks[c]].parts) ++drawn[part];
  }
  for (const auto& [item, count] : drawn) {
    const auto held = input.drawer->find(item);
    if (held == input.drawer->end() || held->second < count) shortItems.push_back(item);
  }
  return shortItems;
}

}  // namespace

Choice ChooseBoard(const ChoiceInput& input) {
  const double started = CpuSeconds();
  double solvers = 0;  // CPU of the solvers' own processes
  const auto left = [&] { return input.timeLimit - (CpuSeconds() - started) - solvers; };
  Choice choice;
  const Problem problem = MakeProblem(input);
  const auto toInput = [&](const Picks& picks) {
    choice.picks.clear();
    for (std::size_t c = 0; c < picks.size(); ++c)
      choice.picks.push_back(problem.circuits[c][picks[c]].rank);
    Measure(input, choice);
  };
  if (std::any_of(problem.circuits.begin(), problem.circuits.end(),
                  [](const auto& circuit) { return circuit.empty(); })) {
    choice.status = ChoiceStatus::kNoChoice;
    if (input.drawer) choice.shortItems = ShortItems(input);
    return choice;
  }
  // Without values to count, the first stage is settled at none and the second finds out.
  int fewest = 0;
  // The start: greedy, then moved about for at most half the time, so the program has the rest.
  std::optional<Picks> start = Greedy(problem);
  if (start) Improve(problem, *start, [&] { return left() < input.timeLimit / 2; });
  // The program's answer, or the start where the program found none better in its time.
  const auto better = [&](const std::optional<Picks>& found) {
    if (!start) return found;
    if (!found) return start;
    return ScoreOf(problem, *start) < ScoreOf(problem, *found) ? start : found;
  };
  if (problem.valueCount > 0) {
    const int startValues =
        start ? std::get<0>(ScoreOf(problem, *start)) : std::numeric_limits<int>::max();
    choice.bound = ValueBound(problem, startValues, [&] { return left() <= 0; });
    // A start that meets the bound needs no program to prove its count of values.
    if (choice.bound < startValues) {
      const Solved first = SolveBounded(problem, input, std::nullopt, start, left(), solvers);
      if (first.infeasible) {
        choice.status = ChoiceStatus::kNoChoice;
        if (input.drawer) choice.shortItems = ShortItems(input);
        return choice;
      }
      choice.bound = std::max(choice.bound, static_cast<int>(std::ceil(first.bound - 1e-6)));
      const std::optional<Picks> found = first.optimal ? first.picks : better(first.picks);
      if (!found) {
        choice.status = ChoiceStatus::kNoneFound;
        return choice;
      }
      toInput(*found);
      if (!first.optimal) {
        choice.status = ChoiceStatus::kTimedOut;
        return choice;
      }
      start = found;
    }
    fewest = std::get<0>(ScoreOf(problem, *start));
  }
  choice.bound = fewest;
  const Solved second = SolveBounded(problem, input, fewest, start, left(), solvers);
  if (second.infeasible) {
    choice.status = ChoiceStatus::kNoChoice;
    choice.picks.clear();
    if (input.drawer) choice.shortItems = ShortItems(input);
    return choice;
  }
  const std::optional<Picks> found = second.optimal ? second.picks : better(second.picks);
  if (!found) {
    choice.status = ChoiceStatus::kNoneFound;
    return choice;
  }
  toInput(*found);
  choice.status = second.optimal ? ChoiceStatus::kOptimal : ChoiceStatus::kTimedOut;
  return choice;
}

}  // namespace vantrel::board
