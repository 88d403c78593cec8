#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files.h"
#include "inventory_file.h"

namespace vantrel::drawer {

// A line of Inventory.csv worth telling about: one that cannot be read, or a row that could be
// one with an earlier row.
struct InventoryFinding {
  int line = 0;
  std::string what;  // "\"text\": reason, cannot be read"

  // line N: what
  std::string Text() const;
};

// What check --inventory finds, without writing anything.
struct InventoryCheck {
  Inventory inventory;
  std::vector<InventoryFinding> findings;  // in line order
  // The lines told after the findings: the rows per kind, then what a rewrite would do.
  std::vector<std::string> conclusion;
  bool clean = false;  // every line read, and a rewrite would change nothing
};

// Reads ./Inventory.csv as a rewrite does and tells what it would do. Nothing when the file cannot
// be opened (LastFailure says why); a failed read throws FileError.
std::optional<InventoryCheck> CheckInventory(IFileService& files);

}  // namespace vantrel::drawer
