#pragma once

#include <string>

#include "board_values.h"
#include "files.h"

namespace vantrel::drawer {

// A KiCad schematic (.kicad_sch) and its sheets as a board: the values of its resistors,
// capacitors and inductors as kicad::ReadSchematicValues reads them.
BoardValues ReadKicadBoard(IFileService& files, const std::string& path);

}  // namespace vantrel::drawer
