#include "series_command.h"

#include <string>

#include "command_args.h"
#include "e_series.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "rewrite_messages.h"
#include "series_library.h"

namespace vantrel {

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
          "does. A range without a value of the series is refused.\n"
          "\n"
          "With --capacitors or --inductors the values are written in their notation (4.7n,\n"
          "100u) to CapacitorLibrary.txt (default 10p to 1000u) or InductorLibrary.txt\n"
          "(default 1u to 100m).\n",
          {{"NAME", false, SeriesNames()}},
          {{"--from", "LOW", "The lowest value (default 10)."},
           {"--to", "HIGH", "The highest value (default 1M)."},
           {"--write", "", "Write ResistorLibrary.txt instead of printing."},
           {"--merge", "", "With --write: add the series to the existing library."},
           StockKindOptions()[0],
           StockKindOptions()[1]}};
}

int RunSeries(const ParsedArgs& args, CliContext& context) {
  const StockKind& kind = StockKindOf(args);
  const finder::SeriesRequest request = Require(
      finder::CheckSeries({args.operands[0], Given(args, "--from"), Given(args, "--to"), &kind}));
  if (args.Has("--merge") && !args.Has("--write")) {
    throw UsageError{"series: --merge goes with --write", "series"};
  }

  const finder::SeriesLibrary library = finder::MakeSeriesLibrary(request);
  if (!library.problem.empty()) {
    context.err << "vantrel-cli: series: " << library.problem << '\n';
    return kExitFailure;
  }
  if (!args.Has("--write")) {
    context.out << library.text << std::flush;
    return kExitOk;
  }

  const finder::SeriesWriteResult written =
      finder::WriteSeriesLibrary(context.services, library, args.Has("--merge"));
  switch (written.outcome) {
    case finder::SeriesWrite::kCreated:
      context.err << finder::SeriesWrittenNote(request, library, written) << '\n';
      return kExitOk;
    case finder::SeriesWrite::kCannotCreate:
      return kExitFailure;
    case finder::SeriesWrite::kExists:
      if (const std::string notALibrary = NotALibraryMessage(context.services.files, kind);
          !notALibrary.empty()) {
        context.err << "vantrel-cli: series: " << notALibrary << '\n';
      } else {
        context.err << "vantrel-cli: series: " << kind.fileName
                    << " exists already; --merge adds the series to it\n";
      }
      return kExitFailure;
    case finder::SeriesWrite::kMergeRefused:
      ReportReadNotes(written.report.read, context.err);
      return kExitFailure;
    case finder::SeriesWrite::kMerged:
      break;
  }
  ReportReadNotes(written.report.read, context.err);
  ReportDropped(written.report, context.err);
  context.err << finder::SeriesWrittenNote(request, library, written) << '\n';
  return kExitOk;
}

}  // namespace vantrel
