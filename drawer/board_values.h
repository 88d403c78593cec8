#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "services.h"
#include "stock_kind.h"

namespace vantrel::drawer {

// A line of a board's file that gives no value, and why.
struct BoardSkip {
  std::string source;     // "file:line"
  std::string text;       // the line's value, or the line when it has no value column
  std::string reference;  // "R53"; empty in a plain list
  std::string reason;
};

// The values already on a board, read from a bill of materials: a schematic or assembly BOM
// ("Reference" or "Designator", "Value" or "Comment", ..., "DNP"), Vantrel's Inventory.csv (its
// rows in stock) or a plain list of values, one a line.
struct BoardValues {
  std::string format;  // the format it was read as
  // Each kind's values in its held unit, ascending, each once; indexed by PartKind.
  std::array<std::vector<double>, 3> values;
  std::vector<BoardSkip> skipped;  // in the order of the file
  std::string refusal;             // why the file gives no values; nothing else is set then

  const std::vector<double>& Of(const StockKind& kind) const {
    return values[static_cast<std::size_t>(kind.part)];
  }
};

// "bom.csv:53: \"TBD\" of R53 skipped: not a resistor value".
std::string BoardSkipText(const BoardSkip& skip);

// "a schematic or assembly BOM (Reference or Designator, Value or Comment, DNP), Vantrel's
// a KiCad schematic (.kicad_sch), Inventory.csv or a plain list of values, one a line".
std::string KnownBoardFormatsText();

// Reads the text of a file named name (as messages name it), its fields separated by ',', ';'
// or tabs as its header is. A BOM's reference column may be named Reference, Ref, References,
// Reference(s), Designator or Designation, its value column Value, Comment or Val. Its rows take
// their kind from the letters of the reference (R, C, L; others, such as U or RV, are skipped),
// their value in that kind's notation as BOMs write it ("10K", "4k7", "100nF", "4.7u"), a
// package, voltage, tolerance, power, TCR or dielectric after it allowed ("1k_0402",
// "100nF_0402_16V", "10k 1%"). Rows marked DNP (the column, or "DNP", "NC" and the like as the
// value), 0 Ω jumpers and values that cannot be read ("TBD", "?") are skipped and named. A plain
// list's lines are read in the notation of the first of kinds that reads them; after its first
// line, a line that is no value is skipped. A header no format matches, text that is no UTF-8
// and files past kInventoryByteLimit bytes or kInventoryRowLimit rows are refused, naming the
// file and the line. A UTF-8 byte order mark is skipped; CR LF, LF and CR end lines; lines that
// start with '#' are passed over.
BoardValues ReadBoardValues(std::string_view bytes, std::string_view name,
                            const std::vector<const StockKind*>& kinds);

// Reads the file at path as ReadBoardValues does; refused, with the system's reason, when it
// cannot be opened. A failed read throws FileError.
BoardValues ReadBoardFile(IFileService& files, const std::string& path,
                          const std::vector<const StockKind*>& kinds);

}  // namespace vantrel::drawer
