#include "kicad_board.h"

#include <algorithm>

#include "schematic.h"

namespace vantrel::drawer {

BoardValues ReadKicadBoard(IFileService& files, const std::string& path) {
  const kicad::SchematicValues read = kicad::ReadSchematicValues(files, path);
  BoardValues board;
  if (!read.refusal.empty()) {
    board.refusal = read.refusal;
    return board;
  }
  board.format = "a KiCad schematic";
  for (const kicad::SchematicPart& part : read.parts)
    board.values[static_cast<std::size_t>(part.kind->part)].push_back(part.value);
  for (const kicad::SkippedSymbol& skip : read.skipped)
    board.skipped.push_back({skip.source, skip.value, skip.reference, skip.reason});
  for (std::vector<double>& values : board.values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
  }
  return board;
}

}  // namespace vantrel::drawer
