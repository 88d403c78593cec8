#pragma once

#include <string>
#include <vector>

#include "schematic.h"

// Writes chosen values into a schematic's Value fields in place: only the bytes of those
// strings change.
namespace vantrel::kicad {

struct ValueChange {
  std::string reference;  // "R5", as an instance of its sheet names it
  std::string value;      // "4.7k"
};

struct EditedFile {
  std::size_t file = 0;  // in Schematic::files
  std::string bytes;
};

struct ValueEditPlan {
  std::vector<EditedFile> files;  // only those whose bytes change
  std::string refusal;            // why the changes cannot be made; nothing is set then
};

// The files as the changes leave them. Every symbol a reference names (each unit) gets the
// value, and so does the instance's own value where a KiCad 6 schematic has one. A reference no
// symbol has, and two references of one symbol (a sheet used twice) given different values,
// refuse. A value already written as asked leaves its bytes as they are.
ValueEditPlan PlanValueEdits(const Schematic& schematic, const std::vector<ValueChange>& changes);

// Replaces each file of plan through files' safe replace, only while it is still the file that
// was read. Why a file was left as it was, else empty; a failed write throws FileError.
std::string WriteValueEdits(IFileService& files, const Schematic& schematic,
                            const ValueEditPlan& plan);

}  // namespace vantrel::kicad
