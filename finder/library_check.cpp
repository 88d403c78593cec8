#include "library_check.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "e_series.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel::finder {
namespace {

// Values further than this from every value of the series are worth a note.
constexpr double kSeriesTolerance = 0.005;

LibraryFinding About(const LinePiece& piece, const std::string& what) {
  return {piece.line, std::string(piece.Trimmed()), what};
}

}  // namespace

std::string LibraryFinding::Text() const {
  return "line " + std::to_string(line) + ": \"" + lineText + "\": " + what;
}

std::vector<std::string> LibraryCheck::Conclusion() const {
  std::vector<std::string> lines;
  if (longFileSize) {
    lines.push_back(std::string(kind->fileName) + " goes on past " +
                    std::to_string(kLibraryReadLimit) + " bytes: it holds " +
                    std::to_string(*longFileSize) + " bytes, and only the first " +
                    std::to_string(kLibraryReadLimit) + " are read.");
  }
  std::string summary = CountText(values, "value") + ", " + CountText(dropped, "line") + " dropped";
  if (blank > 0) summary += ", " + CountText(blank, "blank line") + " dropped";
  const std::string outside = series ? std::string(series->name) : "the E-series";
  lines.push_back(summary + ", " + CountText(refused, "line") + " refused, " +
                  CountText(outsideSeries, "value") + " outside " + outside + ".");
  if (!refusal.empty()) {
    lines.push_back("A rewrite would be refused: " + refusal);
  } else if (wouldChange) {
    lines.push_back(kind->part == PartKind::kResistor
                        ? "A rewrite would change the file: values ascending, two decimals, CR "
                          "LF, no blank lines."
                        : "A rewrite would change the file: values ascending, each in " +
                              std::string(kind->name) + " notation, CR LF, no blank lines.");
  } else {
    lines.push_back("A rewrite would change nothing.");
  }
  return lines;
}

std::optional<LibraryCheck> CheckLibrary(Services& services, const ESeries* series,
                                         const StockKind& kind) {
  LibraryTable table;
  RewriteReport report;
  if (!ReadLibraryFile(services, kind, table, &report.read)) return std::nullopt;
  LibraryCheck check;
  check.kind = &kind;
  check.series = series;
  std::vector<LibraryFinding>& findings = check.findings;
  const auto near = [&](float value) {
    return series ? NearSeriesValue(value, *series, kSeriesTolerance)
                  : NearStandardValue(value, kSeriesTolerance);
  };
  const std::string farFrom =
      "within 0.5 % of no " + (series ? std::string(series->name) : "E3 to E192") + " value";

  // Before the plan reorders the table, the read's pieces match its values one to one.
  std::set<float> outside;
  for (std::size_t i = 0; i < report.read.valuePieces.size(); ++i) {
    const float value = table.values[i];
    // Not a resistance at all rather than one off the series; the searches leave it out.
    if (value < 0) {
      findings.push_back(About(report.read.valuePieces[i],
                               "negative: a rewrite keeps it, find and divider leave it out"));
      continue;
    }
    if (!near(value) && outside.insert(value).second) {
      findings.push_back(About(report.read.valuePieces[i], farFrom));
    }
  }
  check.values = report.read.valuePieces.size();
  check.outsideSeries = outside.size();
  PlanRewrite(kind, table, report);

  for (const LinePiece& piece : report.read.unusedPieces) {
    if (piece.Trimmed().empty()) {
      ++check.blank;
      continue;
    }
    findings.push_back(About(piece, "no number or zero, dropped"));
    ++check.dropped;
  }
  for (const LinePiece& piece : report.read.infinitePieces) {
    findings.push_back(About(piece, "beyond the float range, dropped"));
    ++check.dropped;
  }
  for (const RepeatedLine& repeat : report.repeats) {
    findings.push_back(About(
        repeat.piece, (repeat.sameValue ? "repeats line " : "two decimals write it like line ") +
                          std::to_string(repeat.keptLine) + ", dropped"));
    ++check.dropped;
  }

  for (const NotationPiece& notation : report.read.notationPieces) {
    findings.push_back(About(notation.piece, "read as " + PlainDigits(notation.readAs) +
                                                 " where resistor notation means " +
                                                 PlainDigits(notation.written) + ", refused"));
    ++check.refused;
  }
  for (const RefusedPiece& refused : report.read.refusedPieces) {
    findings.push_back(About(refused.piece, refused.why + ", refused"));
    ++check.refused;
  }
  for (const LinePiece& piece : report.writtenAsZero) {
    findings.push_back(About(
        piece, "two decimals write it as " + FormatFixed(ParseAtof(piece.text), 2) + ", refused"));
    ++check.refused;
  }
  if (report.read.cutPiece) {
    findings.push_back(About(*report.read.cutPiece, "cut by the 10240-byte read limit, refused"));
    ++check.refused;
  }
  std::stable_sort(
      findings.begin(), findings.end(),
      [](const LibraryFinding& a, const LibraryFinding& b) { return a.line < b.line; });

  // The bytes of this read tell both the length and whether the rewrite changes the file.
  const LibraryBytes bytes = ReadLibraryBytes(services.files, kind);
  if (bytes.goesOn) check.longFileSize = bytes.size;
  // The rewrite's own message, told as what would happen.
  const std::string kNotRewritten = std::string(kind.fileName).append(" was not rewritten: ");
  std::string_view refusal = report.refusal;
  if (refusal.starts_with(kNotRewritten)) refusal.remove_prefix(kNotRewritten.size());
  check.refusal = refusal;
  // A file past the limit is refused, so the bytes the reader takes tell whether it changes.
  check.wouldChange = check.refusal.empty() && bytes.bytes != report.text;
  return check;
}

}  // namespace vantrel::finder
