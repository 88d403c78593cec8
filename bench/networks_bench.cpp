// The network, divider and RC searches: 3 and 4 parts, top 20, on full libraries, E192 and the
// sample; the transcribed pair-table search on E192 for comparison; and find as the command
// line runs it (the top 20 within 1 %, else the closest network) at a target of each decade
// of the accepted range, on a narrow and a wide stock.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

#include "bench_libraries.h"
#include "divider_search.h"
#include "network_search.h"
#include "pair_table_search.h"
#include "rc_search.h"
#include "two_leg_search.h"

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

// Another two-leg design on the divider's engine: formula's pairs nearest target, top 20.
void TwoLegs(benchmark::State& state, const std::vector<float>& values,
             const networks::TwoLegFormula& formula, double target) {
  const std::vector<double> stock = Stock(values);
  networks::TwoLegOptions options;
  options.target = target;
  options.legParts = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::uint64_t rows = 0;
    networks::FindTwoLegs(stock, formula, options, 20, [&](const networks::TwoLegRow&) { ++rows; });
    benchmark::DoNotOptimize(rows);
  }
}

// RC pairs of 1000 resistor and 200 capacitor values meeting a corner of 1 kHz, top 20;
// arguments: the parts of each leg.
void Rc(benchmark::State& state, const std::vector<float>& resistors) {
  const std::vector<double> r = Stock(resistors);
  const std::vector<double> c = CapacitorLibrary();
  networks::RcOptions options;
  options.quantity = networks::RcQuantity::kCorner;
  options.target = 1000;
  options.rParts = static_cast<int>(state.range(0));
  options.cParts = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::uint64_t rows = 0;
    networks::FindRc(r, c, options, 20, [&](const networks::RcRow&) { ++rows; });
    benchmark::DoNotOptimize(rows);
  }
}

// 1 to 1000.
std::vector<double> WholeNumbers() {
  std::vector<double> stock(1000);
  std::iota(stock.begin(), stock.end(), 1.0);
  return stock;
}

// Arguments: parts, and the target's power of ten.
void FindOrClosest(benchmark::State& state, const std::vector<double>& stock) {
  networks::FindOptions options;
  options.maxParts = static_cast<int>(state.range(0));
  options.target = std::pow(10.0, static_cast<double>(state.range(1)));
  for (auto _ : state) {
    std::uint64_t rows = 0;
    networks::FindNetworks(stock, options, 20, [&](const networks::NetworkRow&) { ++rows; });
    if (rows == 0) {
      networks::FindOptions closest = options;
      closest.tolerance = std::numeric_limits<double>::infinity();
      networks::FindNetworks(stock, closest, 1, [&](const networks::NetworkRow&) { ++rows; });
    }
    benchmark::DoNotOptimize(rows);
  }
}

void DecadeSweep(benchmark::internal::Benchmark* b) {
  for (int parts = 1; parts <= 4; ++parts) {
    for (int decade = -6; decade <= 15; ++decade) b->Args({parts, decade});
  }
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(FindOrClosest, whole_1_1000, WholeNumbers())->Apply(DecadeSweep);
BENCHMARK_CAPTURE(FindOrClosest, e24_10_1M, Stock(E24Library()))->Apply(DecadeSweep);

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
BENCHMARK_CAPTURE(TwoLegs, regulator_5v_random, RandomLibrary(),
                  networks::RegulatorFormula(1.25, 0), 5)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TwoLegs, regulator_5v_iadj_random, RandomLibrary(),
                  networks::RegulatorFormula(1.25, 50e-6), 5)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Rc, corner_1k_random, RandomLibrary())
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TwoLegs, gain_11_random, RandomLibrary(), networks::GainFormula(), 11)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel::bench
