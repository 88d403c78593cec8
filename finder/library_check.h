#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "e_series.h"
#include "services.h"
#include "stock_kind.h"

namespace vantrel::finder {

// One line of the library worth telling about.
struct LibraryFinding {
  int line = 0;
  std::string lineText;  // the line without the white space around it
  std::string what;      // what a rewrite does with it, or why it is worth a look

  // line N: "the line's text": what
  std::string Text() const;
};

// What a rewrite would do to the library, found without writing it.
struct LibraryCheck {
  const StockKind* kind = &kResistors;
  std::vector<LibraryFinding> findings;      // in line order
  std::size_t values = 0;                    // values read
  int dropped = 0;                           // lines a rewrite drops, blank ones apart
  int blank = 0;                             // blank lines a rewrite drops
  int refused = 0;                           // lines that stop a rewrite
  const ESeries* series = nullptr;           // the series values are held against; all if none
  std::size_t outsideSeries = 0;             // distinct values within 0.5 % of none of series
  std::optional<std::int64_t> longFileSize;  // the size of a file longer than the read limit
  std::string refusal;       // why a rewrite would be refused, after the file's name
  bool wouldChange = false;  // a rewrite would write other bytes

  bool Clean() const { return refusal.empty() && !wouldChange; }
  // The lines told after the findings: the long file, if so, the counts and the verdict.
  std::vector<std::string> Conclusion() const;
};

// Reads ./ResistorLibrary.txt as a rewrite does, and notes each value that is within 0.5 % of
// no value of series, or of E3 to E192 without one. Nothing, after the missing-library message,
// when it cannot be opened; a failed read throws FileError.
std::optional<LibraryCheck> CheckLibrary(Services& services, const ESeries* series = nullptr,
                                         const StockKind& kind = kResistors);

}  // namespace vantrel::finder
