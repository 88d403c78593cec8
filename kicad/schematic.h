#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "files.h"
#include "sexpr.h"
#include "stock_kind.h"

// A KiCad 6 or later schematic (.kicad_sch) with its hierarchical sheets: each placed symbol
// once for every instance of the sheet that holds it, by the reference that instance gives it.
namespace vantrel::kicad {

struct SheetFile {
  SheetFile(std::string path_, std::string bytes_)
      : path(std::move(path_)), bytes(std::move(bytes_)), lines(bytes) {}

  std::string path;  // the root's as given; a sheet's joined to the folder of the file naming it
  std::string bytes;
  LineIndex lines;
  Node root;
  FileIdentity identity;  // the file as read, so a rewrite leaves another program's change alone
};

// One symbol as placed in one instance of its sheet.
struct PlacedSymbol {
  std::size_t file = 0;  // the file holding it, in Schematic::files
  std::string reference;
  std::string value;
  const Node* valueField = nullptr;  // the string of its Value property
  // KiCad 6: the (value "...") of this instance, in the root's symbol_instances (or in the
  // symbol's instances, as early KiCad 7 files have it), which wins over the property when not
  // empty; nullptr when there is none.
  const Node* instanceValue = nullptr;
  std::size_t instanceFile = 0;
  std::size_t valueFile = 0;  // the file and line of the value that counts
  int line = 0;
  std::string left;  // why a board leaves it out: do-not-populate, out of the BOM; else empty
};

struct Schematic {
  std::vector<std::unique_ptr<SheetFile>> files;  // the root first, each file once
  std::vector<PlacedSymbol> symbols;              // in the order of the sheets, depth first
  std::string refusal;                            // why it cannot be read; nothing else is set
};

// A schematic's file may be this long; its sheets, instances and symbols this many.
inline constexpr std::size_t kSchematicByteLimit = std::size_t{64} << 20;
inline constexpr std::size_t kMostSheetInstances = 10000;
inline constexpr std::size_t kMostPlacedSymbols = 1000000;

// Reads the schematic at path and the sheets it names, each sheet file's name taken from the
// folder of the file naming it ("Sheetfile", or "Sheet file" as KiCad 6 writes it). A file
// that cannot be opened or read as a KiCad schematic, a sheet that holds itself and sizes past
// the limits above refuse it, naming the file and the line. A failed read throws FileError.
Schematic ReadSchematic(IFileService& files, const std::string& path);

// What a board takes from a schematic: the value of every symbol whose reference is R, C or L
// and a number, once a reference.
struct SchematicPart {
  const StockKind* kind = nullptr;
  double value = 0;  // in the kind's held unit
  std::string reference;
  std::string source;  // "file:line" of the value
};

// A resistor, capacitor or inductor a board leaves out, and why.
struct SkippedSymbol {
  std::string reference;
  std::string value;  // as the schematic writes it
  std::string source;
  std::string reason;
};

struct SchematicValues {
  std::vector<SchematicPart> parts;
  std::vector<SkippedSymbol> skipped;
  std::string refusal;
};

// The parts of a schematic read: symbols marked do-not-populate or out of the BOM (or in a
// sheet so marked), unannotated ("R?") and those whose value is no value of their kind ("TBD",
// "DNP") are skipped, named with the reason; other references (U1, #PWR01, RV1) are passed
// over.
SchematicValues ValuesOf(const Schematic& schematic);

// Reads the schematic at path as ReadSchematic does and gives its values.
SchematicValues ReadSchematicValues(IFileService& files, const std::string& path);

}  // namespace vantrel::kicad
