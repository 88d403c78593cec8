// The match search, fast and plain, in its worst case and on the sample library.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench_libraries.h"
#include "match_search.h"
#include "reference_search.h"

namespace vantrel::bench {
namespace {

using SearchFunction = SearchOutcome (*)(const float*, std::int32_t, float, float, ResultTable&);

void RunSearch(benchmark::State& state, SearchFunction search, const std::vector<float>& values,
               float target, float precision) {
  const auto n = static_cast<std::int32_t>(values.size());
  for (auto _ : state) {
    ResultTable table;
    benchmark::DoNotOptimize(search(values.data(), n, target, precision, table));
    benchmark::DoNotOptimize(table);
  }
}

// Every value lies above the target and the precision admits anything: all 500,500 pairs of a
// full library qualify.
void AllPairsQualify(benchmark::State& state, SearchFunction search,
                     const std::vector<float>& values) {
  constexpr float kTarget = 7.5f;
  if (values.size() != 1000 || !(values.front() > kTarget)) throw std::logic_error("bad library");
  RunSearch(state, search, values, kTarget, 1e30f);
}

void SampleLibrary(benchmark::State& state, SearchFunction search, float precision) {
  RunSearch(state, search, E24Library(), 45, precision);
}

BENCHMARK_CAPTURE(AllPairsQualify, fast_spread, &SearchMatches, SpreadLibrary())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AllPairsQualify, fast_random, &SearchMatches, RandomLibrary())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AllPairsQualify, plain_spread, &testing::ReferenceSearchMatches, SpreadLibrary())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AllPairsQualify, plain_random, &testing::ReferenceSearchMatches, RandomLibrary())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SampleLibrary, fast_p1, &SearchMatches, 1.0f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SampleLibrary, fast_p5, &SearchMatches, 5.0f)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SampleLibrary, plain_p1, &testing::ReferenceSearchMatches, 1.0f)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SampleLibrary, plain_p5, &testing::ReferenceSearchMatches, 5.0f)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel::bench
