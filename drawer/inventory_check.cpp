#include "inventory_check.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "number_text.h"
#include "part_text.h"

namespace vantrel::drawer {

std::string InventoryFinding::Text() const {
  return "line " + std::to_string(line) + ": " + what;
}

std::optional<InventoryCheck> CheckInventory(IFileService& files) {
  std::optional<Inventory> read = ReadInventory(files);
  if (!read) return std::nullopt;
  InventoryCheck check{std::move(*read), {}, {}, false};
  const Inventory& inventory = check.inventory;
  for (const InventoryProblem& problem : inventory.problems) {
    check.findings.push_back(
        {problem.line, Quoted(problem.text) + ": " + problem.reason + ", cannot be read"});
  }
  // Rows alike in every column but the count could be one row.
  std::map<std::tuple<InventoryRow::ClassKey, std::optional<double>, std::string, std::string,
                      std::string, std::vector<std::string>>,
           int>
      firstLines;
  for (const InventoryRow& row : inventory.rows) {
    const auto [first, isFirst] = firstLines.emplace(
        std::tuple(row.Class(), row.tcr, row.location, row.partNumber, row.note, row.extra),
        row.line);
    if (isFirst) continue;
    check.findings.push_back({row.line, std::string(KindLetter(*row.kind)) + " " +
                                            PartValueText(*row.kind, row.value) +
                                            ": the same as line " + std::to_string(first->second) +
                                            " but for the count; the two could be one row"});
  }
  std::stable_sort(
      check.findings.begin(), check.findings.end(),
      [](const InventoryFinding& a, const InventoryFinding& b) { return a.line < b.line; });
  if (!inventory.refusal.empty()) {
    check.conclusion.push_back("A rewrite would be refused: " + inventory.refusal + ".");
    return check;
  }
  std::string counts;
  for (const StockKind* kind : kStockKinds) {
    std::size_t rows = 0;
    std::uint64_t parts = 0;
    std::map<double, int> values;
    for (const InventoryRow& row : inventory.rows) {
      if (row.kind != kind) continue;
      ++rows;
      parts += row.quantity;
      ++values[row.value];
    }
    counts += (counts.empty() ? "" : ", ") + std::string(KindLetter(*kind)) + ": " +
              std::to_string(rows) + " row(s), " + std::to_string(values.size()) + " value(s), " +
              std::to_string(parts) + " part(s)";
  }
  check.conclusion.push_back(std::to_string(inventory.rows.size()) + " row(s) (" + counts + "), " +
                             std::to_string(inventory.problems.size()) +
                             " line(s) that cannot be read.");
  if (!inventory.problems.empty()) {
    check.conclusion.push_back(
        "A rewrite would be refused: lines that cannot be read would be lost.");
    return check;
  }
  // The bytes as read, held against what a rewrite writes.
  auto file = files.OpenForRead(kInventoryPath);
  if (!file) throw FileError("read", kInventoryPath, files.LastFailure());
  const std::string bytes = file->Read(kInventoryByteLimit + 1);
  file->Close();
  Inventory sorted = inventory;
  SortInventory(sorted);
  if (InventoryText(sorted) != bytes) {
    check.conclusion.push_back(
        "A rewrite would change the file: rows sorted by kind and value, the known columns "
        "first, CR LF.");
    return check;
  }
  check.conclusion.push_back("A rewrite would change nothing.");
  check.clean = true;
  return check;
}

}  // namespace vantrel::drawer
