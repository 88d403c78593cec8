#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library_rewrite.h"
#include "request.h"
#include "services.h"

namespace vantrel::finder {

// The values of a series request as a library: the values, the file text, and why they
// cannot make one (a value two decimals cannot keep, more than a library holds), empty when
// they can.
struct SeriesLibrary {
  const StockKind* kind = &kResistors;
  std::vector<float> values;
  std::vector<double> held;  // capacitors and inductors: the values in the held unit
  std::string text;
  std::string problem;
};

SeriesLibrary MakeSeriesLibrary(const SeriesRequest& request);

enum class SeriesWrite {
  kCreated,       // there was no library; it is the series now
  kCannotCreate,  // there was none, and it could not be created (message shown)
  kExists,        // there is one and merge was not asked for; nothing written
  kMerged,        // added to the library through the rewrite
  kMergeRefused,  // the rewrite refused (message shown); nothing written
};

struct SeriesWriteResult {
  SeriesWrite outcome = SeriesWrite::kExists;
  RewriteReport report;           // of the merge
  std::int32_t libraryCount = 0;  // values in the library after a merge
};

// Writes library (without a problem) as ./ResistorLibrary.txt where there is none; where there
// is one and merge, adds its values through the rewrite's merge, with its refusals. File errors
// throw FileError.
SeriesWriteResult WriteSeriesLibrary(Services& services, const SeriesLibrary& library, bool merge);

// What a write that was done did: "wrote 61 E12 values to ResistorLibrary.txt" or "added 12 E12
// values to ResistorLibrary.txt, which now holds 73"; empty for a write not done.
std::string SeriesWrittenNote(const SeriesRequest& request, const SeriesLibrary& library,
                              const SeriesWriteResult& written);

}  // namespace vantrel::finder
