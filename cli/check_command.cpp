#include "check_command.h"

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "e_series.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel {
namespace {

// Values further than this from every E3 to E192 value are worth a note.
constexpr double kSeriesTolerance = 0.005;

// One finding about a line; the findings are printed in line order.
struct Finding {
  int line;
  std::string text;
};

Finding About(const LinePiece& piece, const std::string& what) {
  return {piece.line, "line " + std::to_string(piece.line) + ": \"" + std::string(piece.Trimmed()) +
                          "\": " + what};
}

}  // namespace

CommandSpec CheckCommandSpec() {
  return {"check",
          "Show what a rewrite would do to the library, without writing it.",
          "Reads the library as normalise does and prints, without writing anything, each\n"
          "line the rewrite would drop (no number or zero, beyond the float range, a\n"
          "repeat), each that would stop the rewrite, each value that is within 0.5 % of no\n"
          "E3 to E192 value (for information), and a summary. Exit status 0 when a rewrite\n"
          "would leave the file as it is, 1 when it would change or refuse it.\n",
          {},
          {}};
}

int RunCheck(const ParsedArgs&, CliContext& context) {
  LibraryTable table;
  RewriteReport report;
  if (!ReadLibraryFile(context.services, table, &report.read)) return kExitFailure;
  const std::string bytes = ReadWholeLibraryFile(context.services.files);
  std::vector<Finding> findings;

  // Before the plan reorders the table, the read's pieces match its values one to one.
  std::set<float> outside;
  for (std::size_t i = 0; i < report.read.valuePieces.size(); ++i) {
    const float value = table.values[i];
    if (!NearStandardValue(value, kSeriesTolerance) && outside.insert(value).second) {
      findings.push_back(About(report.read.valuePieces[i], "within 0.5 % of no E3 to E192 value"));
    }
  }
  PlanRewrite(table, report);

  int dropped = 0;
  int blank = 0;
  for (const LinePiece& piece : report.read.unusedPieces) {
    if (piece.Trimmed().empty()) {
      ++blank;
      continue;
    }
    findings.push_back(About(piece, "no number or zero, dropped"));
    ++dropped;
  }
  for (const LinePiece& piece : report.read.infinitePieces) {
    findings.push_back(About(piece, "beyond the float range, dropped"));
    ++dropped;
  }
  for (const RepeatedLine& repeat : report.repeats) {
    findings.push_back(About(
        repeat.piece, (repeat.sameValue ? "repeats line " : "two decimals write it like line ") +
                          std::to_string(repeat.keptLine) + ", dropped"));
    ++dropped;
  }

  int refused = 0;
  for (const NotationPiece& notation : report.read.notationPieces) {
    findings.push_back(About(notation.piece, "read as " + PlainDigits(notation.readAs) +
                                                 " where resistor notation means " +
                                                 PlainDigits(notation.written) + ", refused"));
    ++refused;
  }
  for (const LinePiece& piece : report.writtenAsZero) {
    findings.push_back(About(
        piece, "two decimals write it as " + FormatFixed(ParseAtof(piece.text), 2) + ", refused"));
    ++refused;
  }
  if (report.read.cutPiece) {
    findings.push_back(About(*report.read.cutPiece, "cut by the 10240-byte read limit, refused"));
    ++refused;
  }

  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  std::ostream& out = context.out;
  for (const Finding& finding : findings) out << finding.text << '\n';
  out << report.read.valuePieces.size() << " value(s), " << dropped << " line(s) dropped";
  if (blank > 0) out << ", " << blank << " blank line(s) dropped";
  out << ", " << refused << " line(s) refused, " << outside.size()
      << " value(s) outside the E-series.\n";
  if (!report.refusal.empty()) {
    // The rewrite's own message, told as what would happen.
    constexpr std::string_view kNotRewritten = "ResistorLibrary.txt was not rewritten: ";
    std::string_view refusal = report.refusal;
    if (refusal.starts_with(kNotRewritten)) refusal.remove_prefix(kNotRewritten.size());
    out << "A rewrite would be refused: " << refusal << '\n';
    return kExitFailure;
  }
  if (report.text != bytes) {
    out << "A rewrite would change the file: values ascending, two decimals, CR LF, no blank "
           "lines.\n";
    return kExitFailure;
  }
  out << "A rewrite would change nothing.\n";
  return kExitOk;
}

}  // namespace vantrel
