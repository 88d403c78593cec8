#pragma once

#include <cstdint>
#include <span>

#include "library_file.h"

namespace vantrel {

inline constexpr char kLibraryTooLongMessage[] =
    "ResistorLibrary.txt was not rewritten: it is longer than 10240 bytes, and only the "
    "first 10240 bytes are read. Shorten the file and try again.";
inline constexpr char kLibraryTooManyMessage[] =
    "ResistorLibrary.txt was not rewritten: it holds more than 1000 values, and only the "
    "first 1000 are kept. Remove values and try again.";

inline constexpr char kLibraryNulMessage[] =
    "ResistorLibrary.txt was not rewritten: it holds a NUL byte, and nothing after it is read. "
    "Remove it and try again.";
inline constexpr char kLibraryLineFeedMessage[] =
    "ResistorLibrary.txt was not rewritten: some of its lines end in a line feed alone, and "
    "the lines after such a line end are not read. Save the file with CR LF line ends and try "
    "again.";
inline constexpr char kLibraryWouldGrowMessage[] =
    "ResistorLibrary.txt was not rewritten: with two decimals per value it would grow past "
    "10240 bytes, and the values after that would no longer be read. Remove values and try "
    "again.";

inline constexpr char kLibraryMergeTooManyMessage[] =
    "ResistorLibrary.txt was not rewritten: with the new values it would hold more than 1000 "
    "values, and only the first 1000 are read. Add fewer values and try again.";

struct RewriteReport {
  ReadReport read;
  std::int32_t duplicatesRemoved = 0;
  std::int32_t valuesAdded = 0;  // values merged in that the library did not hold
};

// The message explaining why a file read with report cannot be rewritten without losing
// values, or nullptr when the table holds the whole file.
const char* IncompleteReadMessage(const ReadReport& report);

// Reads ./ResistorLibrary.txt, normalises it in table and writes it back. Stops with false,
// after showing a message, when the file cannot be opened or created, when the read could not
// take in the whole file, or when the rewritten file would be too long to be read whole
// (either would lose values); the file is then unchanged.
// File errors throw FileError.
bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report = nullptr);

// As RewriteLibraryFile, with added joining the library's values before they are written.
// Stops in the same cases, and when the values would not fit in the table.
bool MergeIntoLibraryFile(Services& services, LibraryTable& table, std::span<const float> added,
                          RewriteReport* report = nullptr);

}  // namespace vantrel
