#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "services.h"
#include "stock_kind.h"

namespace vantrel::finder {

// The values already on a board, read from a bill of materials: a KiCad schematic BOM export
// ("Reference","Value",...,"DNP"), Vantrel's Inventory.csv (its rows in stock) or a plain list
// of values, one a line.
struct BoardValues {
  std::string format;  // the format it was read as
  // Each kind's values in its held unit, ascending, each once; indexed by PartKind.
  std::array<std::vector<double>, 3> values;
  std::string refusal;  // why the file gives no values; nothing else is set then

  const std::vector<double>& Of(const StockKind& kind) const {
    return values[static_cast<std::size_t>(kind.part)];
  }
};

// "a KiCad schematic BOM (Reference, Value, DNP), Vantrel's Inventory.csv or a plain list of
// values, one a line".
std::string KnownBoardFormatsText();

// Reads the text of a file named name (as messages name it). A KiCad BOM's rows take their kind
// from the letters of the reference (R, C, L; others, such as U or RV, are passed over), their
// value in that kind's notation as BOMs write it ("10K", "4k7", "100nF", "4.7u"); rows marked DNP
// (the column, or "DNP", "NC" and the like as the value) are left out. A plain list's lines are
// read in the notation of the first of kinds that reads them. A value that cannot be read, a
// header no format matches, text that is no UTF-8 and files past kInventoryByteLimit bytes or
// kInventoryRowLimit rows are refused, naming the file and the line. A UTF-8 byte order mark is
// skipped; CR LF, LF and CR end lines; lines that start with '#' are passed over.
BoardValues ReadBoardValues(std::string_view bytes, std::string_view name,
                            const std::vector<const StockKind*>& kinds);

// Reads the file at path as ReadBoardValues does; refused, with the system's reason, when it
// cannot be opened. A failed read throws FileError.
BoardValues ReadBoardFile(IFileService& files, const std::string& path,
                          const std::vector<const StockKind*>& kinds);

}  // namespace vantrel::finder
