#include "series_library.h"

#include <cmath>

#include "e_series.h"
#include "library_file.h"
#include "number_text.h"

namespace vantrel::finder {

namespace {

// A capacitor or inductor series: each value's decimal text read in the held unit, so the
// written notation gives it back exactly.
SeriesLibrary MakeKindSeriesLibrary(const SeriesRequest& request) {
  const StockKind& kind = *request.kind;
  const std::string name(request.series->name);
  SeriesLibrary library;
  library.kind = &kind;
  const int digits = static_cast<int>(std::to_string(request.series->mantissas.front()).size());
  const auto low = static_cast<int>(std::floor(std::log10(request.low))) - digits;
  bool full = false;
  for (int exponent = low; !full; ++exponent) {
    for (int mantissa : request.series->mantissas) {
      const double value =
          ParseAtof(std::to_string(mantissa).append("e").append(std::to_string(exponent)));
      if (value < request.low) continue;
      if (value > request.high || library.held.size() > LibraryTable::kCapacity) {
        full = true;
        break;
      }
      library.held.push_back(value);
    }
  }
  if (library.held.empty()) {
    library.problem = "no " + name + " value lies from " + KindValueText(kind, request.low) +
                      " to " + KindValueText(kind, request.high) + "; choose a wider range";
    return library;
  }
  library.text = KindFileText(kind, library.held);
  if (library.held.size() > LibraryTable::kCapacity || library.text.size() > kLibraryReadLimit) {
    library.problem = name + " from " + KindValueText(kind, request.low) + " to " +
                      KindValueText(kind, request.high) +
                      " is more than a library holds (1000 values, 10240 bytes); choose a "
                      "smaller range";
    library.text.clear();
    library.held.clear();
    return library;
  }
  for (double value : library.held) library.values.push_back(RoundToFloat(value));
  return library;
}

}  // namespace

SeriesLibrary MakeSeriesLibrary(const SeriesRequest& request) {
  if (request.kind->part != PartKind::kResistor) return MakeKindSeriesLibrary(request);
  const std::string name(request.series->name);
  SeriesValues found =
      SeriesBetween(*request.series, request.low, request.high, LibraryTable::kCapacity);
  SeriesLibrary library;
  if (!found.inexact.empty()) {
    library.problem = "the " + name + " value " + found.inexact +
                      " cannot be kept with two decimals in single precision; choose another range";
    return library;
  }
  if (found.values.empty()) {
    library.problem = "no " + name + " value lies from " + PlainDigits(request.low) + " to " +
                      PlainDigits(request.high) + "; choose a wider range";
    return library;
  }
  library.text =
      LibraryFileText(found.values.data(), static_cast<std::int32_t>(found.values.size()));
  if (found.values.size() > LibraryTable::kCapacity || library.text.size() > kLibraryReadLimit) {
    library.problem = name + " from " + PlainDigits(request.low) + " to " +
                      PlainDigits(request.high) +
                      " is more than a library holds (1000 values, 10240 bytes); choose a "
                      "smaller range";
    library.text.clear();
    return library;
  }
  library.values = std::move(found.values);
  return library;
}

SeriesWriteResult WriteSeriesLibrary(Services& services, const SeriesLibrary& library, bool merge) {
  SeriesWriteResult result;
  const StockKind& kind = *library.kind;
  switch (services.files.CreateFile(std::string(kind.path), library.text)) {
    case CreateOutcome::kCreated:
      result.outcome = SeriesWrite::kCreated;
      return result;
    case CreateOutcome::kCannotCreate:
      services.messages.Show({WriteErrorMessage(kind)});
      result.outcome = SeriesWrite::kCannotCreate;
      return result;
    case CreateOutcome::kExists:
      break;
  }
  if (!merge) return result;
  LibraryTable table;
  const bool merged =
      kind.part == PartKind::kResistor
          ? MergeIntoLibraryFile(services, table, library.values, &result.report)
          : MergeIntoLibraryFile(services, kind, table, library.held, &result.report);
  result.outcome = merged ? SeriesWrite::kMerged : SeriesWrite::kMergeRefused;
  result.libraryCount = table.count;
  return result;
}

std::string SeriesWrittenNote(const SeriesRequest& request, const SeriesLibrary& library,
                              const SeriesWriteResult& written) {
  const std::string name(request.series->name);
  const std::string fileName(library.kind->fileName);
  switch (written.outcome) {
    case SeriesWrite::kCreated:
      return "wrote " + std::to_string(library.values.size()) + " " + name + " values to " +
             fileName;
    case SeriesWrite::kMerged:
      return "added " + std::to_string(written.report.valuesAdded) + " " + name + " values to " +
             fileName + ", which now holds " + std::to_string(written.libraryCount);
    default:
      return {};
  }
}

}  // namespace vantrel::finder
