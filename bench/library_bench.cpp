// Reading and normalising a full library, the work every Calculate does before the search.
#include <benchmark/benchmark.h>

#include "bench_libraries.h"
#include "fake_services.h"
#include "library_file.h"

namespace vantrel::bench {
namespace {

void ReadAndNormaliseFullLibrary(benchmark::State& state) {
  testing::FakeServices fakes;
  fakes.files.files[kLibraryPath] = FullLibraryFileText();
  for (auto _ : state) {
    LibraryTable table;
    benchmark::DoNotOptimize(ReadLibraryFile(fakes.services, table));
    NormaliseLibrary(table);
    benchmark::DoNotOptimize(table);
    fakes.files.readSizes.clear();
  }
}
BENCHMARK(ReadAndNormaliseFullLibrary)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel::bench
