#pragma once

#include <cstdint>

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

inline constexpr char kLibraryChangedMessage[] =
    "ResistorLibrary.txt was not rewritten: another program changed it each time it was read. "
    "Try again once that program has finished.";

// How often a rewrite reads the file again when another program changed it meanwhile.
inline constexpr int kRewriteAttempts = 3;

struct RewriteReport {
  ReadReport read;
  std::int32_t duplicatesRemoved = 0;
};

// The message explaining why a file read with report cannot be rewritten without losing
// values, or nullptr when the table holds the whole file.
const char* IncompleteReadMessage(const ReadReport& report);

// Reads ./ResistorLibrary.txt, normalises it in table and writes it back. Stops with false,
// after showing a message, when the file cannot be opened or created, when the read could not
// take in the whole file, or when the rewritten file would be too long to be read whole
// (either would lose values); the file is then unchanged. When another program changes the file
// between the read and the write, it is read again, kRewriteAttempts times in all, and then
// left as that program wrote it.
// File errors throw FileError.
bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report = nullptr);

}  // namespace vantrel
