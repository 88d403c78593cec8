// The network and divider searches: 3 and 4 parts, top 20, on full libraries, E192 and the
// sample; and the transcribed pair-table search on E192 for comparison.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_libraries.h"
#include "divider_search.h"
#include "network_search.h"
#include "pair_table_search.h"

namespace vantrel::bench {
namespace {

std::vector<double> Stock(const std::vector<float>& values) {
  return {values.begin(), values.end()};
}

void FindIn(benchmark::State& state, const std::vector<double>& stock, double target) {
  networks::FindOptions options;
  options.target = target;
  options.maxParts = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::uint64_t rows = 0;
    networks::FindNetworks(stock, options, 20, [&](const networks::NetworkRow&) { ++rows; });
    benchmark::DoNotOptimize(rows);
  }
}

void Find(benchmark::State& state, const std::vector<float>& values, double target) {
  FindIn(state, Stock(values), target);
}

// The transcribed pair-table search: one best network per part count, up to four.
void PairTable(benchmark::State& state, const std::vector<double>& stock, double target) {
  for (auto _ : state) benchmark::DoNotOptimize(PairTableBest(stock, target));
}

void Divider(benchmark::State& state, const std::vector<float>& values) {
  const std::vector<double> stock = Stock(values);
  networks::DividerOptions options;
  options.vin = 5;
  options.vout = 3.3;
  options.legParts = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::uint64_t rows = 0;
    networks::FindDividers(stock, options, 20, [&](const networks::DividerRow&) { ++rows; });
    benchmark::DoNotOptimize(rows);
  }
}

BENCHMARK_CAPTURE(Find, spread_4k7, SpreadLibrary(), 4700)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Find, random_4k7, RandomLibrary(), 4700)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Find, random_123k, RandomLibrary(), 123456)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FindIn, e192_123k, E192Library(), 123456)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PairTable, e192_123k, E192Library(), 123456)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Find, e24_4k7, E24Library(), 4700)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Divider, random, RandomLibrary())->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Divider, e24, E24Library())->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel::bench
