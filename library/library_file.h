#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library_table.h"
#include "services.h"
#include "stock_kind.h"

namespace vantrel {

inline constexpr char kLibraryFileName[] = "ResistorLibrary.txt";
inline constexpr char kLibraryPath[] = "./ResistorLibrary.txt";
// Only this many bytes of the library file are read.
inline constexpr std::size_t kLibraryReadLimit = 10240;

inline constexpr char kLibraryMissingMessage[] =
    "Resistor library file:\"ResistorLibrary.txt\" is not exist !";
inline constexpr char kWriteErrorMessage[] = "Write To Resistor Library Error !";

// A piece of the file between line ends, and the line it is on, counted from 1.
struct LinePiece {
  int line = 0;
  std::string text;

  // The text without the white space around it, as messages quote it.
  std::string_view Trimmed() const;

  bool operator==(const LinePiece&) const = default;
};

// A piece the number rules read as readAs while its resistor notation says written.
struct NotationPiece {
  LinePiece piece;
  double readAs = 0;
  double written = 0;
};

// A piece that is no value in the stock's notation: a capacitor line in resistor notation
// ("4k7"), a bare number in a capacitor stock, capacitor notation in a resistor library.
struct RefusedPiece {
  LinePiece piece;
  std::string why;               // "resistor notation, not a capacitor value"
  std::optional<double> readAs;  // what a resistor library reads it as; unset: left out
};

// What a read took from the file and what it left out, for front ends that tell the user.
struct ReadReport {
  std::vector<LinePiece> valuePieces;         // the piece of each value stored, as read
  std::vector<double> valuesAsRead;           // each value stored, before rounding to float
  std::vector<LinePiece> unusedPieces;        // no number, or a number that is zero
  int zeroValues = 0;                         // the unused pieces whose number is zero
  std::vector<LinePiece> infinitePieces;      // beyond the float range
  std::vector<NotationPiece> notationPieces;  // read as another value than their notation says
  std::vector<RefusedPiece> refusedPieces;    // not in the stock's notation; stop a rewrite
  std::optional<LinePiece> cutPiece;          // the text the byte limit cut, left out
  int valuesBeyondTable = 0;                  // non-zero values after the table was full
  bool fileTooLong = false;                   // bytes beyond kLibraryReadLimit were ignored
  bool textAfterNul = false;                  // text after a NUL byte was ignored
  bool byteOrderMark = false;                 // a UTF-8 byte order mark at the start was skipped
  FileIdentity identity;                      // the file as it was before the read

  // True when the table holds every value of the file, so rewriting it loses nothing.
  bool TookWholeFile() const { return !fileTooLong && valuesBeyondTable == 0 && !textAfterNul; }
};

// Why ./ResistorLibrary.txt can be no library, in the words every front end uses:
// "ResistorLibrary.txt is a folder; ..."; empty when it is a regular file, a symbolic link to
// one, or nothing at all.
std::string NotALibraryMessage(IFileService& files, const StockKind& kind = kResistors);

// How much of the file a read's report holds besides the flags and valuesBeyondTable.
enum class ReadDetail {
  kNotes,  // notationPieces and cutPiece only: what a reader of the values is told
  kAll,    // every piece and value as read, for a rewrite, a check or the stock
};

// Replaces the table's contents from ./ResistorLibrary.txt: CR, LF and CR LF each end a piece,
// and each piece is read as one value. Returns false, after showing the missing-library
// message, when the file cannot be opened; the table is then unchanged. A failed read or close
// throws FileError.
bool ReadLibraryFile(Services& services, LibraryTable& table, ReadReport* report = nullptr,
                     ReadDetail detail = ReadDetail::kAll);

// As above, from kind's file in its notation. The table holds the values in the held unit
// (pF, nH) rounded to float; report's valuesAsRead hold them at double precision. A piece
// that starts with a number but is no value of kind is left out and named in refusedPieces.
bool ReadLibraryFile(Services& services, const StockKind& kind, LibraryTable& table,
                     ReadReport* report = nullptr, ReadDetail detail = ReadDetail::kAll);

// The start of ./ResistorLibrary.txt that the reader takes, and how long the whole file is.
struct LibraryBytes {
  std::string bytes;      // at most kLibraryReadLimit bytes
  bool goesOn = false;    // the file is longer than kLibraryReadLimit
  std::int64_t size = 0;  // of the whole file: the size it has, or the bytes read of it
};

// Reads one byte past the limit, and the rest of a longer file only when the size the file
// system gives is below what was read. Throws FileError when the file cannot be opened or
// read.
LibraryBytes ReadLibraryBytes(IFileService& files, const StockKind& kind = kResistors);

// Removes later repeats of a value in place, keeping the order; returns the new count.
std::int32_t RemoveDuplicates(float* values, std::int32_t count);

// Sorts the first count values ascending, equal ones (0 and -0) in the order they came; the
// reader stores no NaN, which has no place in that order.
void SortAscending(float* values, std::int32_t count);

// The normalisation run after every read: distinct values in ascending order.
void NormaliseLibrary(LibraryTable& table);

// The file text for values: each formatted "%.2f" and ended by CR LF.
std::string LibraryFileText(const float* values, std::int32_t count);

// The file text of a capacitor or inductor stock: each held value in its notation
// (KindValueText), ended by CR LF.
std::string KindFileText(const StockKind& kind, std::span<const double> held);

// Replaces the file at path with text; fails and throws as WriteLibraryFile does.
bool WriteLibraryText(Services& services, std::string_view text, const std::string& path);

// Replaces the file at path with the first count values. Returns false, after showing the
// write-error message, when the new file cannot be created; the old file then stays. Throws
// FileError when path does not exist or writing fails.
bool WriteLibraryFile(Services& services, const float* values, std::int32_t count,
                      const std::string& path);

}  // namespace vantrel
