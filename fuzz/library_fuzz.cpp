// libFuzzer target for the library file: the input goes through the reader, normalisation,
// the rewrite and a second rewrite of what it wrote, each checked against a reference or an
// invariant.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fake_services.h"
#include "fuzz_checks.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel {
namespace {

using fuzz::Check;
using fuzz::ReferenceAtof;
using fuzz::ReferenceFixed;

struct Reference {
  std::vector<float> values;
  std::vector<int> valueLines;  // the line of each value
  std::vector<int> unusedLines;
  std::vector<int> infiniteLines;
  std::vector<int> notationLines;
  std::vector<int> reactiveLines;  // capacitor or inductor notation, refused
  int cutLine = 0;                 // 0: nothing was cut
  int valuesBeyondTable = 0;
  bool textWithoutValue = false;  // an unused or infinite line that is not blank
  bool textAfterNul = false;
  bool byteOrderMark = false;
};

bool IsCSpace(char c) {
  return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr;
}

// Capacitor or inductor notation, which a resistor library refuses: a number with an SI prefix
// or the unit (F, H) after it, or a prefix for its decimal point ("4n7", never "4 n7"). A lone m
// is a milliohm.
bool ReferenceReactive(const char* piece) {
  static const std::string space = "[ \\t\\n\\v\\f\\r]*";  // around the whole piece
  static const std::string blank = "[ \\t]*";              // within it
  static const std::string prefix = "(f|p|n|u|\xc2\xb5|\xce\xbc|m)";
  static const std::regex plain("^" + space +
                                "[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?" + blank +
                                prefix + "?" + blank + "([FHfh]?)" + space + "$");
  static const std::regex infix("^" + space + "[+-]?[0-9]+" + prefix + "[0-9]+" + blank +
                                "([FHfh]?)" + space + "$");
  // H in either case, F in upper case only (f alone is femto); m without a unit is a milliohm.
  const auto written = [](const std::csub_match& prefixed, const std::csub_match& unit) {
    const std::string u = unit.str();
    if (!prefixed.matched) return u == "F" || u == "H" || u == "h";
    return !u.empty() || prefixed.str() != "m";
  };
  std::cmatch match;
  if (std::regex_match(piece, match, plain)) return written(match[3], match[4]);
  if (std::regex_match(piece, match, infix)) return written(match[1], match[2]);
  return false;
}

// The reader as strtok and strtod would do it: the first 10240 bytes as a C string, less a
// leading byte order mark, split at runs of CR and LF; lines counted as an editor does.
Reference ReferenceRead(std::string_view file) {
  std::string text(file.substr(0, kLibraryReadLimit));
  Reference ref;
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    ref.textAfterNul = std::any_of(text.begin() + static_cast<std::ptrdiff_t>(nul), text.end(),
                                   [](char c) { return c != '\0' && !IsCSpace(c); });
  }
  char* start = text.data();
  if (std::strncmp(start, "\xef\xbb\xbf", 3) == 0) {
    ref.byteOrderMark = true;
    start += 3;
  }
  const std::string whole(start);  // strtok writes NULs into the text
  std::vector<char*> pieces;
  for (char* piece = std::strtok(start, "\r\n"); piece != nullptr;
       piece = std::strtok(nullptr, "\r\n")) {
    pieces.push_back(piece);
  }
  // Past the limit, a last piece without a line end may be the start of a longer number.
  const bool cut = file.size() > kLibraryReadLimit && nul == std::string::npos && !whole.empty() &&
                   whole.back() != '\r' && whole.back() != '\n';
  int line = 1;
  std::size_t counted = 0;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const auto offset = static_cast<std::size_t>(pieces[k] - start);
    for (; counted < offset; ++counted) {
      if (whole[counted] == '\r' ||
          (whole[counted] == '\n' && (counted == 0 || whole[counted - 1] != '\r'))) {
        ++line;
      }
    }
    const char* piece = pieces[k];
    if (cut && k + 1 == pieces.size()) {
      if (std::any_of(piece, piece + std::strlen(piece), [](char c) { return !IsCSpace(c); })) {
        ref.cutLine = line;
      }
      break;
    }
    if (NotationValue(piece)) {
      ref.notationLines.push_back(line);
    } else if (ReferenceReactive(piece)) {
      ref.reactiveLines.push_back(line);
    }
    const double value = ReferenceAtof(piece);
    const bool blank = std::all_of(piece, piece + std::strlen(piece), IsCSpace);
    if (value == 0.0) {
      ref.unusedLines.push_back(line);
      ref.textWithoutValue |= !blank;
    } else if (std::isinf(RoundToFloat(value))) {
      ref.infiniteLines.push_back(line);
      ref.textWithoutValue = true;
    } else if (ref.values.size() == LibraryTable::kCapacity) {
      ++ref.valuesBeyondTable;
    } else {
      ref.values.push_back(RoundToFloat(value));
      ref.valueLines.push_back(line);
    }
  }
  return ref;
}

std::vector<int> Lines(const std::vector<LinePiece>& pieces) {
  std::vector<int> lines;
  for (const LinePiece& piece : pieces) lines.push_back(piece.line);
  return lines;
}

std::vector<float> InUse(const LibraryTable& table) {
  return {table.values.begin(), table.values.begin() + table.count};
}

LibraryTable ReadText(const std::string& file, ReadReport& report) {
  testing::FakeServices fakes;
  fakes.files.files[kLibraryPath] = file;
  LibraryTable table;
  table.values.fill(-1.0f);  // stale values must not show through
  table.count = 12345;
  Check(ReadLibraryFile(fakes.services, table, &report), "read of an existing file failed");
  Check(fakes.messages.shown.empty(), "read showed a message");
  Check(table.count >= 0 && table.count <= LibraryTable::kCapacity, "count out of the table");
  return table;
}

void CheckNormalised(const LibraryTable& table, const std::vector<float>& read) {
  for (std::int32_t i = 0; i + 1 < table.count; ++i) {
    Check(table.values[static_cast<std::size_t>(i)] < table.values[static_cast<std::size_t>(i) + 1],
          "normalised values are not distinct and ascending");
  }
  std::vector<float> expected = read;
  std::sort(expected.begin(), expected.end());
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  Check(InUse(table) == expected, "normalisation lost or invented a value");

  // The same steps on a buffer of exactly the values in use, so ASan sees any access past it.
  const auto n = static_cast<std::int32_t>(read.size());
  auto exact = std::make_unique<float[]>(read.size());
  std::copy(read.begin(), read.end(), exact.get());
  const std::int32_t kept = RemoveDuplicates(exact.get(), n);
  std::vector<float> firsts;
  std::set<float> seen;
  for (float v : read) {
    if (seen.insert(v).second) firsts.push_back(v);
  }
  Check(std::vector<float>(exact.get(), exact.get() + kept) == firsts,
        "RemoveDuplicates did not keep the first of each value in order");
  SortAscending(exact.get(), kept);
  Check(std::vector<float>(exact.get(), exact.get() + kept) == expected, "SortAscending");
}

// The file text a rewrite writes: the distinct values ascending, each two-decimal text once.
std::string ReferenceText(std::vector<float> values) {
  std::sort(values.begin(), values.end());
  std::string text;
  std::string previous;
  for (float v : values) {
    const std::string line = ReferenceFixed(v, 2);
    if (line != previous) text += line + "\r\n";
    previous = line;
  }
  return text;
}

bool IsZeroText(const std::string& text) {
  return text == "0.00" || text == "-0.00";
}

// The refusal the rewrite must give, or "" when it must write; a refusal that names a line
// is given by its start.
std::string ReferenceRefusal(const std::string& file, const Reference& ref,
                             const std::string& text) {
  if (file.size() > kLibraryReadLimit) return kLibraryTooLongMessage;
  if (ref.valuesBeyondTable > 0) return kLibraryTooManyMessage;
  if (ref.textAfterNul) return kLibraryNulMessage;
  const std::string named = "ResistorLibrary.txt was not rewritten: line ";
  if (!ref.notationLines.empty()) return named + std::to_string(ref.notationLines.front()) + ' ';
  if (!ref.reactiveLines.empty()) return named + std::to_string(ref.reactiveLines.front()) + ' ';
  if (ref.values.empty() && ref.textWithoutValue) return kLibraryNoValueMessage;
  for (std::size_t i = 0; i < ref.values.size(); ++i) {
    if (IsZeroText(ReferenceFixed(ref.values[i], 2))) {
      return named + std::to_string(ref.valueLines[i]) + ' ';
    }
  }
  if (text.size() > kLibraryReadLimit) return kLibraryWouldGrowMessage;
  return "";
}

// A rewritten file is read back whole as the values it names; its rewrite changes nothing.
void CheckRewriteAgain(const std::string& text) {
  testing::FakeServices fakes;
  fakes.files.files[kLibraryPath] = text;
  LibraryTable table;
  RewriteReport report;
  Check(RewriteLibraryFile(fakes.services, table, &report), "rewrite of a rewritten file failed");
  Check(fakes.files.files[kLibraryPath] == text, "a second rewrite changed the file");
  Check(report.repeats.empty() && report.read.unusedPieces.empty() &&
            report.read.infinitePieces.empty() && report.read.notationPieces.empty(),
        "a rewritten file holds lines that are dropped");
}

void CheckRewrite(const std::string& file, const Reference& ref) {
  testing::FakeServices fakes;
  fakes.files.files[kLibraryPath] = file;
  LibraryTable table;
  RewriteReport report;
  const bool rewritten = RewriteLibraryFile(fakes.services, table, &report);
  const std::string text = ReferenceText(ref.values);
  Check(report.text == text, "rewrite text is not the distinct %.2f lines, CR LF");
  const std::string refusal = ReferenceRefusal(file, ref, text);
  if (refusal.empty()) {
    Check(rewritten && fakes.messages.shown.empty(), "rewrite of a whole file failed");
    Check(fakes.files.files[kLibraryPath] == text, "rewrite wrote other text");
    CheckRewriteAgain(text);
  } else {
    Check(!rewritten && fakes.files.replaceCalls == 0, "rewrite that loses or changes values");
    Check(fakes.files.files[kLibraryPath] == file, "a refused rewrite changed the file");
    Check(fakes.messages.shown.size() == 1 && fakes.messages.shown[0].text.starts_with(refusal),
          "rewrite refused with another message");
  }
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vantrel::fuzz::UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string file(reinterpret_cast<const char*>(data), size);
  ReadReport report;
  LibraryTable table = ReadText(file, report);
  const Reference ref = ReferenceRead(file);
  const std::vector<float> read = InUse(table);
  Check(read == ref.values, "read values differ from strtok and strtod");
  Check(Lines(report.valuePieces) == ref.valueLines, "lines of the values");
  Check(Lines(report.unusedPieces) == ref.unusedLines, "lines of the unused pieces");
  Check(Lines(report.infinitePieces) == ref.infiniteLines, "lines of the infinite pieces");
  std::vector<int> notationLines;
  for (const NotationPiece& n : report.notationPieces) notationLines.push_back(n.piece.line);
  Check(notationLines == ref.notationLines, "lines of the notation pieces");
  std::vector<int> reactiveLines;
  for (const RefusedPiece& r : report.refusedPieces) reactiveLines.push_back(r.piece.line);
  Check(reactiveLines == ref.reactiveLines, "lines of the capacitor and inductor notation pieces");
  Check((report.cutPiece ? report.cutPiece->line : 0) == ref.cutLine, "cut piece");
  Check(report.valuesBeyondTable == ref.valuesBeyondTable, "values beyond the table");
  Check(report.fileTooLong == (size > kLibraryReadLimit), "file too long flag");
  Check(report.textAfterNul == ref.textAfterNul, "text after a NUL flag");
  Check(report.byteOrderMark == ref.byteOrderMark, "byte order mark flag");

  NormaliseLibrary(table);
  CheckNormalised(table, read);

  const std::string text = LibraryFileText(table.values.data(), table.count);
  std::string lines;
  for (float v : InUse(table)) lines += ReferenceFixed(v, 2) + "\r\n";
  Check(text == lines, "file text is not %.2f and CR LF");
  CheckRewrite(file, ref);
  return 0;
}
