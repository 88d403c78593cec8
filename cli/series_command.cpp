#include "series_command.h"

#include <string>

#include "command_args.h"
#include "e_series.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "rewrite_messages.h"

namespace vantrel {
namespace {

std::vector<std::string_view> SeriesNames() {
  std::vector<std::string_view> names;
  for (const ESeries& series : StandardSeries()) names.push_back(series.name);
  return names;
}

}  // namespace

CommandSpec SeriesCommandSpec() {
  return {"series",
          "Print or write a library of one standard E-series.",
          "Prints a library of the values of the IEC 60063 series NAME (E3, E6, E12, E24,\n"
          "E48, E96 or E192) from LOW to HIGH inclusive, as the program writes its library:\n"
          "two decimals, CR LF, ascending. LOW and HIGH take resistor notation (4k7, 1M)\n"
          "and default to 10 and 1M.\n"
          "\n"
          "--write writes it as ResistorLibrary.txt when there is none. --merge, with\n"
          "--write, adds the series to an existing library and rewrites it as normalise\n"
          "does. A range without a value of the series is refused.\n",
          {{"NAME", false, SeriesNames()}},
          {{"--from", "LOW", "The lowest value (default 10)."},
           {"--to", "HIGH", "The highest value (default 1M)."},
           {"--write", "", "Write ResistorLibrary.txt instead of printing."},
           {"--merge", "", "With --write: add the series to the existing library."}}};
}

int RunSeries(const ParsedArgs& args, CliContext& context) {
  const finder::SeriesRequest request =
      Require(finder::CheckSeries({args.operands[0], Given(args, "--from"), Given(args, "--to")}));
  const ESeries* series = request.series;
  const double low = request.low;
  const double high = request.high;
  if (args.Has("--merge") && !args.Has("--write")) {
    throw UsageError{"series: --merge goes with --write", "series"};
  }

  const std::string name(series->name);
  const SeriesValues found = SeriesBetween(*series, low, high, LibraryTable::kCapacity);
  if (!found.inexact.empty()) {
    context.err << "vantrel-cli: series: the " << name << " value " << found.inexact
                << " cannot be kept with two decimals in single precision; choose another "
                   "range\n";
    return kExitFailure;
  }
  if (found.values.empty()) {
    context.err << "vantrel-cli: series: no " << name << " value lies from " << PlainDigits(low)
                << " to " << PlainDigits(high) << "; choose a wider range\n";
    return kExitFailure;
  }
  const auto count = static_cast<std::int32_t>(found.values.size());
  const std::string text = LibraryFileText(found.values.data(), count);
  if (found.values.size() > LibraryTable::kCapacity || text.size() > kLibraryReadLimit) {
    context.err << "vantrel-cli: series: " << name << " from " << PlainDigits(low) << " to "
                << PlainDigits(high) << " is more than a library holds (1000 values, 10240 "
                << "bytes); choose a smaller range\n";
    return kExitFailure;
  }
  if (!args.Has("--write")) {
    context.out << text << std::flush;
    return kExitOk;
  }

  switch (context.services.files.CreateFile(kLibraryPath, text)) {
    case CreateOutcome::kCreated:
      context.err << "wrote " << count << " " << name << " values to " << kLibraryFileName << '\n';
      return kExitOk;
    case CreateOutcome::kCannotCreate:
      context.services.messages.Show({kWriteErrorMessage});
      return kExitFailure;
    case CreateOutcome::kExists:
      break;
  }
  if (!args.Has("--merge")) {
    context.err << "vantrel-cli: series: " << kLibraryFileName
                << " exists already; --merge adds the series to it\n";
    return kExitFailure;
  }
  LibraryTable library;
  RewriteReport report;
  const bool merged = MergeIntoLibraryFile(context.services, library, found.values, &report);
  ReportReadNotes(report.read, context.err);
  if (!merged) return kExitFailure;
  ReportDropped(report, context.err);
  context.err << "added " << report.valuesAdded << " " << name << " values to " << kLibraryFileName
              << ", which now holds " << library.count << '\n';
  return kExitOk;
}

}  // namespace vantrel
