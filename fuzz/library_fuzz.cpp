// libFuzzer target for the library file: the input goes through the reader, normalisation,
// the rewrite and the file text round trip, each checked against a reference or an invariant.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fake_services.h"
#include "fuzz_checks.h"
#include "library_file.h"
#include "library_rewrite.h"
#include "number_text.h"

namespace vantrel {
namespace {

using fuzz::Check;
using fuzz::ReferenceAtof;
using fuzz::ReferenceFixed;

struct Reference {
  std::vector<float> values;
  std::size_t unusedPieces = 0;
  std::size_t infinitePieces = 0;
  int valuesBeyondTable = 0;
  int piecesSpanningLines = 0;
  bool textAfterNul = false;
};

bool IsCSpace(char c) {
  return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr;
}

// A piece holds a further line when, after its first non-blank character, a line feed is
// followed by something other than white space.
bool ReferenceSpansLines(const char* piece) {
  const char* p = piece;
  while (*p != '\0' && IsCSpace(*p)) ++p;
  const char* lineFeed = std::strchr(p, '\n');
  if (lineFeed == nullptr) return false;
  for (p = lineFeed; *p != '\0'; ++p) {
    if (!IsCSpace(*p)) return true;
  }
  return false;
}

// The reader as strtok and strtod would do it: the first 10240 bytes as a C string, split at
// runs of CR.
Reference ReferenceRead(std::string_view file) {
  std::string text(file.substr(0, kLibraryReadLimit));
  Reference ref;
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    ref.textAfterNul = std::any_of(text.begin() + static_cast<std::ptrdiff_t>(nul), text.end(),
                                   [](char c) { return c != '\0' && !IsCSpace(c); });
  }
  for (char* piece = std::strtok(text.data(), "\r"); piece != nullptr;
       piece = std::strtok(nullptr, "\r")) {
    if (ReferenceSpansLines(piece)) ++ref.piecesSpanningLines;
    const double value = ReferenceAtof(piece);
    if (value == 0.0) {
      ++ref.unusedPieces;
    } else if (std::isinf(RoundToFloat(value))) {
      ++ref.infinitePieces;
    } else if (ref.values.size() == LibraryTable::kCapacity) {
      ++ref.valuesBeyondTable;
    } else {
      ref.values.push_back(RoundToFloat(value));
    }
  }
  return ref;
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

// The written text read back gives the same text, less zero lines ("0.00", "-0.00") and the
// repeats of lines that now say the same; a further round trip changes nothing.
void CheckRoundTrip(const std::string& text) {
  std::string expected;
  std::string previous;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find("\r\n", pos);
    Check(end != std::string::npos, "file text line without CR LF");
    const std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    if (line == "0.00" || line == "-0.00" || line == previous) continue;
    expected += line + "\r\n";
    previous = line;
  }

  std::string current = text;
  for (int round = 0; round < 2; ++round) {
    ReadReport report;
    LibraryTable table = ReadText(current, report);
    Check(report.TookWholeFile() && report.infinitePieces.empty(), "round trip lost a value");
    NormaliseLibrary(table);
    current = LibraryFileText(table.values.data(), table.count);
    Check(current == expected, "round trip text is not stable");
  }
}

void CheckRewrite(const std::string& file, const Reference& ref, const std::string& text) {
  testing::FakeServices fakes;
  fakes.files.files[kLibraryPath] = file;
  LibraryTable table;
  const bool rewritten = RewriteLibraryFile(fakes.services, table);
  const char* refusal = file.size() > kLibraryReadLimit   ? kLibraryTooLongMessage
                        : ref.valuesBeyondTable > 0       ? kLibraryTooManyMessage
                        : ref.textAfterNul                ? kLibraryNulMessage
                        : ref.piecesSpanningLines > 0     ? kLibraryLineFeedMessage
                        : text.size() > kLibraryReadLimit ? kLibraryWouldGrowMessage
                                                          : nullptr;
  if (refusal == nullptr) {
    Check(rewritten && fakes.messages.shown.empty(), "rewrite of a whole file failed");
    Check(fakes.files.files[kLibraryPath] == text, "rewrite wrote other text");
  } else {
    Check(!rewritten && fakes.files.replaceCalls == 0, "rewrite that loses values");
    Check(fakes.messages.Texts() == std::vector<std::string>{refusal},
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
  Check(report.unusedPieces.size() == ref.unusedPieces, "unused piece count");
  Check(report.infinitePieces.size() == ref.infinitePieces, "infinite piece count");
  Check(report.valuesBeyondTable == ref.valuesBeyondTable, "values beyond the table");
  Check(report.fileTooLong == (size > kLibraryReadLimit), "file too long flag");
  Check(report.textAfterNul == ref.textAfterNul, "text after a NUL flag");
  Check(report.piecesSpanningLines == ref.piecesSpanningLines, "pieces spanning lines");

  NormaliseLibrary(table);
  CheckNormalised(table, read);

  const std::string text = LibraryFileText(table.values.data(), table.count);
  std::string lines;
  for (float v : InUse(table)) lines += ReferenceFixed(v, 2) + "\r\n";
  Check(text == lines, "file text is not %.2f and CR LF");
  CheckRewrite(file, ref, text);
  // A longer text is never written: the next read would cut it.
  if (text.size() <= kLibraryReadLimit) CheckRoundTrip(text);
  return 0;
}
