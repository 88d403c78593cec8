// import of a 20,000-row order history: reading it, and adding it to an empty Inventory.csv.
#include <benchmark/benchmark.h>

#include "bench_libraries.h"
#include "fake_services.h"
#include "inventory_file.h"
#include "inventory_import.h"

namespace vantrel::bench {
namespace {

void ImportOrderHistory(benchmark::State& state) {
  const std::string orders = OrderHistoryFileText();
  for (auto _ : state) {
    testing::FakeFileService files;
    files.files["orders.csv"] = orders;
    const drawer::ImportedFile file = drawer::ImportFile(files, "orders.csv");
    std::vector<drawer::InventoryRow> rows;
    rows.reserve(file.rows.size());
    for (const drawer::ImportedRow& row : file.rows) rows.push_back(row.row);
    const drawer::InventoryMerge merge = drawer::MergeIntoInventory(files, rows);
    if (!merge.refusal.empty() || file.rows.size() < 17000) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(files.files);
  }
}
BENCHMARK(ImportOrderHistory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel::bench
