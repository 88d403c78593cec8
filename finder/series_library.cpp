#include "series_library.h"

#include "e_series.h"
#include "library_file.h"
#include "number_text.h"

namespace vantrel::finder {

SeriesLibrary MakeSeriesLibrary(const SeriesRequest& request) {
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
  switch (services.files.CreateFile(kLibraryPath, library.text)) {
    case CreateOutcome::kCreated:
      result.outcome = SeriesWrite::kCreated;
      return result;
    case CreateOutcome::kCannotCreate:
      services.messages.Show({kWriteErrorMessage});
      result.outcome = SeriesWrite::kCannotCreate;
      return result;
    case CreateOutcome::kExists:
      break;
  }
  if (!merge) return result;
  LibraryTable table;
  result.outcome = MergeIntoLibraryFile(services, table, library.values, &result.report)
                       ? SeriesWrite::kMerged
                       : SeriesWrite::kMergeRefused;
  result.libraryCount = table.count;
  return result;
}

std::string SeriesWrittenNote(const SeriesRequest& request, const SeriesLibrary& library,
                              const SeriesWriteResult& written) {
  const std::string name(request.series->name);
  switch (written.outcome) {
    case SeriesWrite::kCreated:
      return "wrote " + std::to_string(library.values.size()) + " " + name + " values to " +
             kLibraryFileName;
    case SeriesWrite::kMerged:
      return "added " + std::to_string(written.report.valuesAdded) + " " + name + " values to " +
             kLibraryFileName + ", which now holds " + std::to_string(written.libraryCount);
    default:
      return {};
  }
}

}  // namespace vantrel::finder
