#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library_table.h"
#include "services.h"

namespace vantrel {

inline constexpr char kLibraryFileName[] = "ResistorLibrary.txt";
inline constexpr char kLibraryPath[] = "./ResistorLibrary.txt";
// Only this many bytes of the library file are read.
inline constexpr std::size_t kLibraryReadLimit = 10240;

inline constexpr char kLibraryMissingMessage[] =
    "Resistor library file:\"ResistorLibrary.txt\" is not exist !";
inline constexpr char kWriteErrorMessage[] = "Write To Resistor Library Error !";

// What a read left out of the table, for front ends that tell the user.
struct ReadReport {
  std::vector<std::string> unusedPieces;    // no number, or a number that is zero
  std::vector<std::string> infinitePieces;  // beyond the float range
  int valuesBeyondTable = 0;                // non-zero values after the table was full
  bool fileTooLong = false;                 // bytes beyond kLibraryReadLimit were ignored
  bool textAfterNul = false;                // text after a NUL byte was ignored
  int piecesSpanningLines = 0;              // pieces with lines after a bare line feed
  FileIdentity identity;                    // the file as it was before the read

  // True when the table holds every value of the file, so rewriting it loses nothing.
  bool TookWholeFile() const {
    return !fileTooLong && valuesBeyondTable == 0 && !textAfterNul && piecesSpanningLines == 0;
  }
};

// Replaces the table's contents from ./ResistorLibrary.txt. Returns false, after showing the
// missing-library message, when the file cannot be opened; the table is then unchanged. A
// failed read or close throws FileError.
bool ReadLibraryFile(Services& services, LibraryTable& table, ReadReport* report = nullptr);

// Removes later repeats of a value in place, keeping the order; returns the new count.
std::int32_t RemoveDuplicates(float* values, std::int32_t count);

void SortAscending(float* values, std::int32_t count);

// The normalisation run after every read: distinct values in ascending order.
void NormaliseLibrary(LibraryTable& table);

// The file text for values: each formatted "%.2f" and ended by CR LF.
std::string LibraryFileText(const float* values, std::int32_t count);

// Replaces the file at path with text; fails and throws as WriteLibraryFile does.
bool WriteLibraryText(Services& services, std::string_view text, const std::string& path);

// Replaces the file at path with the first count values. Returns false, after showing the
// write-error message, when the new file cannot be created; the old file then stays. Throws
// FileError when path does not exist or writing fails.
bool WriteLibraryFile(Services& services, const float* values, std::int32_t count,
                      const std::string& path);

}  // namespace vantrel
