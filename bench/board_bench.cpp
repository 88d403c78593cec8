// The board's choice alone on bench/board.txt: 20 circuits of two-part legs on a 1000-value
// library, 500 candidates each, searched once before the clock starts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "bench_libraries.h"
#include "board_choice.h"
#include "board_command.h"
#include "fake_services.h"
#include "local_search.h"
#include "value_bound.h"

namespace vantrel::bench {
namespace {

const board::ChoiceInput& FullBoard() {
  static const board::ChoiceInput input = [] {
    static testing::FakeServices fakes;
    std::ifstream file(VANTREL_BENCH_BOARD);
    fakes.files.files["./ResistorLibrary.txt"] = FullLibraryFileText();
    fakes.files.files["board.txt"] = {std::istreambuf_iterator<char>(file), {}};
    std::ostringstream out;
    std::ostringstream err;
    TerminalEditorLauncher editor;
    CliContext context{fakes.services, editor, out, err};
    ParsedArgs args;
    args.operands = {"board.txt"};
    std::optional<board::ChoiceInput> read = BoardChoiceInput(args, context);
    if (!read) throw std::runtime_error("bench/board.txt: " + err.str());
    return *read;
  }();
  return input;
}

// The board with each circuit's best `candidates` rows, as --candidates gives them.
board::ChoiceInput BenchBoard(std::int64_t candidates) {
  board::ChoiceInput input = FullBoard();
  for (auto& circuit : input.circuits)
    circuit.resize(std::min(circuit.size(), static_cast<std::size_t>(candidates)));
  return input;
}

// Each circuit's best K candidates (the argument), as --candidates K gives them, and the
// default time limit of 10 s: the counters say whether the choice was proved and its bound.
void BM_BoardChoice(benchmark::State& state) {
  const board::ChoiceInput input = BenchBoard(state.range(0));
  board::Choice choice;
  for (auto _ : state) {
    choice = board::ChooseBoard(input);
    benchmark::DoNotOptimize(choice);
  }
  state.counters["distinct"] = choice.distinct;
  state.counters["parts"] = choice.parts;
  state.counters["bound"] = choice.bound;
  state.counters["optimal"] = choice.status == board::ChoiceStatus::kOptimal;
}
BENCHMARK(BM_BoardChoice)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(10)
    ->Arg(20)
    ->Arg(50)
    ->Arg(100)
    ->Arg(500);

// The local search and the bound alone, without the integer program: what they find and prove.
void BM_BoardStartAndBound(benchmark::State& state) {
  const board::ChoiceInput input = BenchBoard(state.range(0));
  const auto never = [] { return false; };
  board::Score score;
  int bound = 0;
  for (auto _ : state) {
    const board::Problem problem = board::MakeProblem(input);
    std::optional<board::Picks> picks = board::Greedy(problem);
    board::Improve(problem, *picks, never);
    score = board::ScoreOf(problem, *picks);
    bound = board::ValueBound(problem, std::get<0>(score), never);
  }
  state.counters["found"] = std::get<0>(score);
  state.counters["bound"] = bound;
}
BENCHMARK(BM_BoardStartAndBound)
    ->Unit(benchmark::kMillisecond)
    ->Arg(10)
    ->Arg(20)
    ->Arg(100)
    ->Arg(500);

}  // namespace
}  // namespace vantrel::bench
