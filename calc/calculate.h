#pragma once

#include <string_view>

#include "library_file.h"
#include "library_table.h"
#include "result_table.h"
#include "services.h"

namespace vantrel {

inline constexpr char kParameterErrorMessage[] = "Parameter setting error !";
inline constexpr char kNoValueReachesTargetMessage[] =
    "All Library's Resistor value less than targer value !";

// Why Calculate refuses a target and precision as its number rules read them.
enum class ParameterFault {
  kNone,
  kTargetNotAboveZero,
  kTargetBeyondFloat,
  kPrecisionNegative,
  kPrecisionBeyondFloat
};
ParameterFault CheckParameters(float target, float precision);

// The Calculate command: converts the two input texts, reads and normalises the library file
// into library, searches it and, on success, replaces results with the new rows and count.
// Returns false after showing a message; results are then as they were. A failed read of the
// library file throws FileError. When the file was read, report holds what its reader is told
// (ReadDetail::kNotes).
bool Calculate(std::string_view targetText, std::string_view precisionText, LibraryTable& library,
               ResultTable& results, Services& services, ReadReport* report = nullptr);

}  // namespace vantrel
