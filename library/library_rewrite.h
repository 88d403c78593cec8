#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
inline constexpr char kLibraryWouldGrowMessage[] =
    "ResistorLibrary.txt was not rewritten: with two decimals per value it would grow past "
    "10240 bytes, and the values after that would no longer be read. Remove values and try "
    "again.";

inline constexpr char kKindWouldGrowMessage[] =
    "ResistorLibrary.txt was not rewritten: it would grow past 10240 bytes, and the values "
    "after that would no longer be read. Remove values and try again.";

inline constexpr char kLibraryNoValueMessage[] =
    "ResistorLibrary.txt was not rewritten: it holds no resistor value, so a rewrite would drop "
    "every line of it. Put one value on each line, or empty the file, and try again.";

inline constexpr char kLibraryMergeTooManyMessage[] =
    "ResistorLibrary.txt was not rewritten: with the new values it would hold more than 1000 "
    "values, and only the first 1000 are read. Add fewer values and try again.";

inline constexpr char kLibraryChangedMessage[] =
    "ResistorLibrary.txt was not rewritten: another program changed it each time it was read. "
    "Try again once that program has finished.";

// How often a rewrite reads the file again when another program changed it meanwhile.
inline constexpr int kRewriteAttempts = 3;

// A line the rewrite leaves out because an earlier or smaller value is written in its place.
struct RepeatedLine {
  LinePiece piece;
  int keptLine = 0;        // the line whose value is written instead
  bool sameValue = false;  // false: a larger value that two decimals write the same way

  bool operator==(const RepeatedLine&) const = default;
};

struct RewriteReport {
  ReadReport read;
  std::vector<RepeatedLine> repeats;     // in file order
  std::vector<LinePiece> writtenAsZero;  // values that two decimals write as 0.00 or -0.00
  std::string refusal;                   // why the file must stay as it is; empty if it need not
  std::string text;                      // the new file text
  std::int32_t valuesAdded = 0;          // merged values whose text the library did not hold
};

// The message explaining why a file read with report cannot be rewritten without losing
// values, or nullptr when the table holds the whole file.
const char* IncompleteReadMessage(const ReadReport& report);

// Everything the rewrite decides once the file is read into table: normalises table, leaves
// out values whose two-decimal text repeats a smaller one's, and fills report's repeats,
// writtenAsZero, text and, when writing would lose or change a value, refusal.
void PlanRewrite(LibraryTable& table, RewriteReport& report);

// As above for kind. Capacitor and inductor values are written from the double values as read
// (report.read.valuesAsRead), each as its shortest text in the notation, so only equal values
// repeat and none is written as zero; the table gets the values written, rounded to float.
void PlanRewrite(const StockKind& kind, LibraryTable& table, RewriteReport& report);

// Reads ./ResistorLibrary.txt, normalises it in table and writes it back. Stops with false,
// after showing a message, when the file cannot be opened or created, or when PlanRewrite
// refuses; the file is then unchanged. When another program changes the file between the read
// and the write, it is read again, kRewriteAttempts times in all, and then left as that program
// wrote it. File errors throw FileError.
bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report = nullptr);

// As above, for kind's file; refusals name kind's file.
bool RewriteLibraryFile(Services& services, const StockKind& kind, LibraryTable& table,
                        RewriteReport* report = nullptr);

// As RewriteLibraryFile, with added joining the library's values once the plan is made; a
// value whose two-decimal text the library holds is left out. Stops in the same cases, and
// when the result would hold more than 1000 values or grow past 10240 bytes.
bool MergeIntoLibraryFile(Services& services, LibraryTable& table, std::span<const float> added,
                          RewriteReport* report = nullptr);

// As above for kind, with added in the held unit (pF, nH); for resistors they are rounded to
// float first.
bool MergeIntoLibraryFile(Services& services, const StockKind& kind, LibraryTable& table,
                          std::span<const double> added, RewriteReport* report = nullptr);

}  // namespace vantrel
