#include "library_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fake_services.h"
#include "library_rewrite.h"
#include "posix_files.h"

namespace vantrel {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::vector<float> InUse(const LibraryTable& table) {
  return {table.values.begin(), table.values.begin() + table.count};
}

// "1\r2\r...": the values 1 to count, each ended by lineEnd.
std::string CountingFile(int count, std::string_view lineEnd = "\r") {
  std::string text;
  for (int i = 1; i <= count; ++i) (text += std::to_string(i)) += lineEnd;
  return text;
}

// The lines joined by the line end chosen for each from ends, in turn.
std::string Joined(const std::vector<std::string>& lines, const std::vector<std::string>& ends) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += lines[i] + ends[i % ends.size()];
  return text;
}

class LibraryFileTest : public ::testing::Test {
 protected:
  void SetFile(std::string content) { fakes.files.files[kLibraryPath] = std::move(content); }
  std::string File() { return fakes.files.files.at(kLibraryPath); }

  bool Read(ReadReport* report = nullptr) { return ReadLibraryFile(fakes.services, table, report); }

  // A table with contents that no read of the tests produces.
  void FillWithSentinel() {
    for (std::size_t i = 0; i < table.values.size(); ++i) table.values[i] = -7.5f;
    table.values[0] = 1;
    table.values[1] = 2;
    table.count = 2;
  }

  testing::FakeServices fakes;
  LibraryTable table;
};

struct ReadCase {
  const char* name;
  std::string content;
  std::vector<float> expected;
};

TEST_F(LibraryFileTest, ReadSplitsAtLineEndsAndKeepsEveryNonZeroValue) {
  const ReadCase cases[] = {
      {"crlf", "100\r\n47\r\n91\r\n100\r\n", {100, 47, 91, 100}},
      {"lf only", "10\n22\n47\n", {10, 22, 47}},
      {"lf before cr is two line ends", "10\n\r22\n\n\r47", {10, 22, 47}},
      {"byte order mark",
       "\xef\xbb\xbf"
       "100\r\n47\r\n",
       {100, 47}},
      {"byte order mark later",
       "100\r\n\xef\xbb\xbf"
       "47\r\n",
       {100}},
      {"cr only", "10\r22\r47", {10, 22, 47}},
      {"runs of cr", "\r\r10\r\r\r22\r\r", {10, 22}},
      {"space ends the number", "4.7 5.1\r\n", {4.7f}},
      {"unit letters", "4.7k\r\n4.7kOhm\r\n470R\r\n", {4.7f, 4.7f, 470}},
      {"exponents", "1e3\r\n1d3\r\n1D3\r\n1E3\r\n", {1000, 1000, 1000, 1000}},
      {"no number or zero", "0x10\r\nabc\r\n0\r\n\r\n0.000\r\n-0\r\n.\r\n", {}},
      {"negative kept", "-10\r\n", {-10}},
      {"rounded to float", "0.1\r\n4.70\r\n", {0.1f, 4.7f}},
      {"tab and form feed", "\t5\r\f6\r\v7", {5, 6, 7}},
      {"nul ends the text", std::string("10\r\n22\0\r\n47\r\n", 13), {10, 22}},
      {"nul mid number",
       std::string("10\r\n2\0"
                   "2\r\n",
                   9),
       {10, 2}},
      {"beyond the float range", "1e39\r\n5\r\n-1e39\r\n3.5e38\r\n", {5}},
      {"float range edge", "3.4028234e38\r\n", {FLT_MAX}},
      {"empty file", "", {}},
      {"binary junk",
       std::string("\x01\xff\x80\r\xfe"
                   "12\r",
                   8),
       {}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetFile(c.content);
    FillWithSentinel();
    ASSERT_TRUE(Read());
    EXPECT_THAT(InUse(table), ElementsAreArray(c.expected));
  }
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

TEST_F(LibraryFileTest, ReadReportsWhatWasLeftOut) {
  SetFile("100\r\nabc\r\n1e39\r\n0\r\n-2e40\r\n47\r\n");
  ReadReport report;
  ASSERT_TRUE(Read(&report));
  EXPECT_THAT(InUse(table), ElementsAre(100, 47));
  EXPECT_THAT(report.valuePieces, ElementsAre(LinePiece{1, "100"}, LinePiece{6, "47"}));
  EXPECT_THAT(report.unusedPieces, ElementsAre(LinePiece{2, "abc"}, LinePiece{4, "0"}));
  EXPECT_THAT(report.infinitePieces, ElementsAre(LinePiece{3, "1e39"}, LinePiece{5, "-2e40"}));
  EXPECT_EQ(report.valuesBeyondTable, 0);
  EXPECT_FALSE(report.fileTooLong);
  EXPECT_TRUE(report.TookWholeFile());
}

// Line numbers as an editor shows them: CR LF is one line end, LF CR two.
TEST_F(LibraryFileTest, ReadNamesTheLineOfEachPiece) {
  SetFile("\xef\xbb\xbf\r\n\n10\n\r22\r\r\n\n x \r\n4k7");
  ReadReport report;
  ASSERT_TRUE(Read(&report));
  EXPECT_TRUE(report.byteOrderMark);
  EXPECT_THAT(report.valuePieces,
              ElementsAre(LinePiece{3, "10"}, LinePiece{5, "22"}, LinePiece{9, "4k7"}));
  EXPECT_THAT(report.unusedPieces, ElementsAre(LinePiece{8, " x "}));
  EXPECT_EQ(report.unusedPieces[0].Trimmed(), "x");
  ASSERT_EQ(report.notationPieces.size(), 1u);
  EXPECT_EQ(report.notationPieces[0].piece, (LinePiece{9, "4k7"}));
  EXPECT_EQ(report.notationPieces[0].readAs, 4);
  EXPECT_EQ(report.notationPieces[0].written, 4700);
}

// Whatever the line ends, the same lines give the same table and the same report.
TEST_F(LibraryFileTest, EveryLineEndReadsTheSame) {
  const std::vector<std::string> lines = {"100", "",     " 4.7 ", "abc", "0",    "47",
                                          "4k7", "1e39", "",      "",    "-2.5", "2R2 x"};
  auto reportOf = [&](const std::vector<std::string>& ends) {
    SetFile(Joined(lines, ends));
    ReadReport report;
    EXPECT_TRUE(Read(&report));
    std::string seen;
    for (float v : InUse(table)) seen += std::to_string(v) + ' ';
    for (const auto* pieces : {&report.valuePieces, &report.unusedPieces, &report.infinitePieces}) {
      for (const LinePiece& piece : *pieces) seen += std::to_string(piece.line) + piece.text + '|';
    }
    for (const NotationPiece& n : report.notationPieces) seen += std::to_string(n.piece.line);
    return seen;
  };
  const std::string expected = reportOf({"\r\n"});
  EXPECT_THAT(expected, ::testing::HasSubstr("11-2.5|"));
  for (const auto& ends : std::vector<std::vector<std::string>>{
           {"\n"}, {"\r"}, {"\r\n", "\n", "\r"}, {"\n", "\r", "\r\n", "\r\n"}}) {
    EXPECT_EQ(reportOf(ends), expected) << ::testing::PrintToString(ends);
  }
}

TEST_F(LibraryFileTest, ReadReportsTextAfterANul) {
  const struct {
    const char* name;
    std::string content;
    bool textAfterNul;
  } cases[] = {
      {"nul padding", std::string("10\r\n\0\0\r\n", 7), false},
      {"text after a nul", std::string("10\r\n22\0\r\n47\r\n", 13), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetFile(c.content);
    ReadReport report;
    ASSERT_TRUE(Read(&report));
    EXPECT_EQ(report.textAfterNul, c.textAfterNul);
    EXPECT_EQ(report.TookWholeFile(), !c.textAfterNul);
  }
}

// Text that runs into byte 10240 may be the start of a longer number, so it is left out;
// a file that ends at the limit, or whose last line end is the limit, is whole.
TEST_F(LibraryFileTest, ReadLeavesOutTextCutByTheLimit) {
  const struct {
    const char* name;
    std::string tail;  // the text that ends at byte 10240
    std::string beyond;
    std::vector<float> values;
    std::optional<LinePiece> cut;
  } cases[] = {
      {"cut in a number", "5\r\n1234", "5678\r\n77\r\n", {5}, LinePiece{2, "1234"}},
      {"cut in a number, lf", "5\n1234", "5678\n77\n", {5}, LinePiece{2, "1234"}},
      {"cut after a number", "5\r\n4700", "\r\n", {5}, LinePiece{2, "4700"}},
      {"cut in a line end", "5\r\n4700\r", "\n", {5, 4700}, std::nullopt},
      {"cut after a line end", "5\n4700\n", "1", {5, 4700}, std::nullopt},
      {"cut in blanks", "5\r\n  ", "  ", {5}, std::nullopt},
      {"ends at the limit", "5\r\n1234", "", {5, 1234}, std::nullopt},
      {"nul before the limit", std::string("5\r\n12\0 ", 7), "4", {5, 12}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Spaces in front put the tail at the end of the first 10240 bytes.
    SetFile(std::string(kLibraryReadLimit - c.tail.size(), ' ') + c.tail + c.beyond);
    ReadReport report;
    ASSERT_TRUE(Read(&report));
    EXPECT_THAT(InUse(table), ElementsAreArray(c.values));
    EXPECT_EQ(report.cutPiece, c.cut);
    EXPECT_EQ(report.fileTooLong, !c.beyond.empty());
    EXPECT_EQ(fakes.files.readSizes.size(), 1u) << "the file is read in a single read";
    fakes.files.readSizes.clear();
  }
}

TEST_F(LibraryFileTest, ReadStoresAtMost1000Values) {
  for (const char* lineEnd : {"\r", "\n", "\r\n"}) {
    SetFile(CountingFile(1005, lineEnd));
    ReadReport report;
    ASSERT_TRUE(Read(&report));
    ASSERT_EQ(table.count, LibraryTable::kCapacity);
    EXPECT_EQ(table.values.front(), 1);
    EXPECT_EQ(table.values.back(), 1000);
    EXPECT_EQ(report.valuesBeyondTable, 5);
    EXPECT_FALSE(report.TookWholeFile());

    SetFile(CountingFile(1000, lineEnd));
    ASSERT_TRUE(Read(&report));
    EXPECT_EQ(table.count, 1000);
    EXPECT_TRUE(report.TookWholeFile());
  }
}

TEST_F(LibraryFileTest, ReadAfterALongerFileYieldsOnlyTheShorterFile) {
  SetFile("1\r\n2\r\n3\r\n4\r\n5\r\n");
  ASSERT_TRUE(Read());
  SetFile("9\r\n8\r\n");
  ASSERT_TRUE(Read());
  EXPECT_THAT(InUse(table), ElementsAre(9, 8));
}

TEST_F(LibraryFileTest, MissingFileShowsItsMessageAndLeavesTheTable) {
  FillWithSentinel();
  const LibraryTable before = table;
  EXPECT_FALSE(Read());
  EXPECT_THAT(fakes.messages.Texts(),
              ElementsAre("Resistor library file:\"ResistorLibrary.txt\" is not exist !"));
  EXPECT_EQ(fakes.messages.shown[0].owner, MessageOwner::kMainWindow);
  EXPECT_EQ(fakes.messages.shown[0].icon, MessageIcon::kNone);
  EXPECT_EQ(table.values, before.values);
  EXPECT_EQ(table.count, before.count);
}

TEST_F(LibraryFileTest, FailedReadOrCloseThrowsAndLeavesTheTable) {
  for (bool testing::FakeFileService::*failure :
       {&testing::FakeFileService::failRead, &testing::FakeFileService::failClose}) {
    testing::FakeServices local;
    local.files.files[kLibraryPath] = "100\r\n47\r\n";
    local.files.*failure = true;
    FillWithSentinel();
    const LibraryTable before = table;
    EXPECT_THROW(ReadLibraryFile(local.services, table), FileError);
    EXPECT_EQ(table.values, before.values);
    EXPECT_EQ(table.count, before.count);
    EXPECT_THAT(local.messages.shown, IsEmpty());
  }
}

struct NormaliseCase {
  std::vector<float> values;
  std::vector<float> distinct;  // after RemoveDuplicates
  std::vector<float> sorted;    // after SortAscending as well
};

TEST(LibraryNormaliseTest, RemoveDuplicatesKeepsFirstOccurrencesInOrderThenSortAscends) {
  const NormaliseCase cases[] = {
      {{}, {}, {}},
      {{5}, {5}, {5}},
      {{100, 47, 91, 100}, {100, 47, 91}, {47, 91, 100}},
      {{3, 1, 3, 2, 1}, {3, 1, 2}, {1, 2, 3}},
      {{7, 7, 7, 7}, {7}, {7}},
      {{2, 2, 2, 1, 1}, {2, 1}, {1, 2}},
      {{4.7f, 4.70f, 470, -3, 470}, {4.7f, 470, -3}, {-3, 4.7f, 470}},
      {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}},
      {{3, 2, 1}, {3, 2, 1}, {1, 2, 3}},
  };
  for (const NormaliseCase& c : cases) {
    std::vector<float> values = c.values;
    values.push_back(99);  // a slot beyond count, which neither function may touch
    const auto count = static_cast<std::int32_t>(c.values.size());
    const std::int32_t distinct = RemoveDuplicates(values.data(), count);
    EXPECT_THAT(std::vector<float>(values.begin(), values.begin() + distinct),
                ElementsAreArray(c.distinct));
    SortAscending(values.data(), distinct);
    EXPECT_THAT(std::vector<float>(values.begin(), values.begin() + distinct),
                ElementsAreArray(c.sorted));
    EXPECT_EQ(values.back(), 99);
  }
}

TEST(LibraryNormaliseTest, NegativeZeroIsARepeatOfZeroAndTheFirstStays) {
  float values[] = {-0.0f, 1, 0.0f};
  ASSERT_EQ(RemoveDuplicates(values, 3), 2);
  EXPECT_TRUE(std::signbit(values[0]));
}

// The plain yardstick: a value stays unless an equal one came before it; 0 and -0 are equal,
// so the sign of the first zero is the one kept.
TEST(LibraryNormaliseTest, RemoveDuplicatesKeepsWhatAPlainScanKeeps) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> pick(-6, 6);
  for (int round = 0; round < 300; ++round) {
    std::vector<float> values(static_cast<std::size_t>(round % 40 == 0 ? 1000 : round % 37));
    for (float& value : values) {
      const int n = pick(random);
      value = n == 6 ? -0.0f : static_cast<float>(n) / 4;  // 0 and -0 both
    }
    std::vector<float> plain;
    for (float value : values) {
      if (std::find(plain.begin(), plain.end(), value) == plain.end()) plain.push_back(value);
    }
    const std::int32_t kept =
        RemoveDuplicates(values.data(), static_cast<std::int32_t>(values.size()));
    ASSERT_EQ(kept, static_cast<std::int32_t>(plain.size()));
    for (std::size_t i = 0; i < plain.size(); ++i) {
      ASSERT_EQ(values[i], plain[i]) << i;
      ASSERT_EQ(std::signbit(values[i]), std::signbit(plain[i])) << i;
    }
  }
}

TEST(LibraryNormaliseTest, RandomTablesBecomeTheirDistinctValuesAscending) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(-20, 60);
  for (int round = 0; round < 200; ++round) {
    LibraryTable table;
    table.count = round % 2 ? LibraryTable::kCapacity : round * 5;
    std::set<float> distinct;
    for (std::int32_t i = 0; i < table.count; ++i) {
      table.values[i] = static_cast<float>(pick(random)) * 0.5f;
      distinct.insert(table.values[i]);
    }
    NormaliseLibrary(table);
    EXPECT_THAT(InUse(table), ElementsAreArray(distinct.begin(), distinct.end()));
  }
}

struct TextCase {
  std::vector<float> values;
  const char* text;
};

TEST(LibraryFileTextTest, EachValueIsFormattedWithTwoDecimalsAndCrLf) {
  const TextCase cases[] = {
      {{4.7f, 470, -3}, "4.70\r\n470.00\r\n-3.00\r\n"},
      {{0.001f}, "0.00\r\n"},
      {{}, ""},
      {{0.125f, 4.755f, 1.005f}, "0.13\r\n4.76\r\n1.00\r\n"},
      {{1000000}, "1000000.00\r\n"},
      {{FLT_MAX}, "340282346638528859811704183484516925440.00\r\n"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(LibraryFileText(c.values.data(), static_cast<std::int32_t>(c.values.size())), c.text);
  }
}

TEST_F(LibraryFileTest, WrittenValuesReadBackAsWritten) {
  const float values[] = {4.7f, 470, -3, 0.001f};
  SetFile("old");
  ASSERT_TRUE(WriteLibraryFile(fakes.services, values, 4, kLibraryPath));
  EXPECT_EQ(File(), "4.70\r\n470.00\r\n-3.00\r\n0.00\r\n");
  ASSERT_TRUE(Read());
  EXPECT_THAT(InUse(table), ElementsAre(4.7f, 470, -3));  // 0.00 is dropped
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

TEST_F(LibraryFileTest, WritingAnEmptyTableGivesAnEmptyFile) {
  SetFile("1.00\r\n");
  ASSERT_TRUE(WriteLibraryFile(fakes.services, table.values.data(), 0, kLibraryPath));
  EXPECT_EQ(File(), "");
}

TEST_F(LibraryFileTest, WriteToAMissingFileThrowsAndWritesNothing) {
  const float values[] = {1};
  EXPECT_THROW(WriteLibraryFile(fakes.services, values, 1, kLibraryPath), FileError);
  EXPECT_FALSE(fakes.files.files.contains(kLibraryPath));
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

TEST_F(LibraryFileTest, WriteThatCannotCreateShowsItsMessageAndKeepsTheOldFile) {
  const float values[] = {1};
  SetFile("old\r\n");
  fakes.files.failCreate = true;
  EXPECT_FALSE(WriteLibraryFile(fakes.services, values, 1, kLibraryPath));
  EXPECT_THAT(fakes.messages.Texts(), ElementsAre("Write To Resistor Library Error !"));
  EXPECT_EQ(File(), "old\r\n");
}

TEST_F(LibraryFileTest, FailedWriteThrowsAndKeepsTheOldFile) {
  const float values[] = {1};
  SetFile("old\r\n");
  fakes.files.failWrite = true;
  EXPECT_THROW(WriteLibraryFile(fakes.services, values, 1, kLibraryPath), FileError);
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
  EXPECT_EQ(File(), "old\r\n");
}

// count values written as 1e6, 2e6, ...: short in the file, 12 bytes each with two decimals.
std::string CompactMillions(int count) {
  std::string text;
  for (int k = 1; k <= count; ++k) text += std::to_string(k) + "e6\r\n";
  return text;
}

class LibraryRewriteTest : public LibraryFileTest {
 protected:
  bool Rewrite() { return RewriteLibraryFile(fakes.services, table, &report); }
  RewriteReport report;
};

TEST_F(LibraryRewriteTest, NormalisesTheFileAndCountsDuplicates) {
  SetFile("100\r\n47\r\nabc\r\n91\r\n100\r\n47.0\r\n");
  ASSERT_TRUE(Rewrite());
  EXPECT_EQ(File(), "47.00\r\n91.00\r\n100.00\r\n");
  EXPECT_THAT(report.repeats,
              ElementsAre(RepeatedLine{{5, "100"}, 1, true}, RepeatedLine{{6, "47.0"}, 2, true}));
  EXPECT_THAT(report.read.unusedPieces, ElementsAre(LinePiece{3, "abc"}));
  EXPECT_THAT(InUse(table), ElementsAre(47, 91, 100));
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

TEST_F(LibraryRewriteTest, RewritesAFullTableThatFitsTheReadLimit) {
  SetFile(CountingFile(1000));
  ASSERT_TRUE(Rewrite());
  EXPECT_EQ(File().substr(0, 12), "1.00\r\n2.00\r\n");
  EXPECT_EQ(File().size(), 9 * 6 + 90 * 7 + 900 * 8 + 9u);
}

// 850 values of 12 bytes each once written ("1000000.00\r\n"), and a tail that brings the text
// to 10240 bytes (written) or to 10241 (refused).
TEST_F(LibraryRewriteTest, WritesTextOfExactly10240BytesAndRefusesOneMore) {
  std::string twelves;
  for (int k = 1000000; k < 1000850; ++k) twelves += std::to_string(k) + "\r\n";
  SetFile(twelves + "1e4\r\n2e4\r\n3e4\r\n4e4\r\n");
  ASSERT_TRUE(Rewrite());
  EXPECT_EQ(File().size(), kLibraryReadLimit);

  const std::string oneMore = twelves + "1e4\r\n2e4\r\n3e4\r\n1e5\r\n";
  SetFile(oneMore);
  EXPECT_FALSE(Rewrite());
  EXPECT_THAT(fakes.messages.Texts(), ElementsAre(kLibraryWouldGrowMessage));
  EXPECT_EQ(File(), oneMore);
}

// Another program appends between the read and the write: the file is read again, and after
// three changed tries it is left as that program wrote it.
TEST_F(LibraryRewriteTest, RereadsAFileChangedMeanwhileThreeTimesAtMost) {
  for (const int changes : {1, 2, 3}) {
    SetFile("47\r\n");
    fakes.messages.shown.clear();
    fakes.files.replaceCalls = 0;
    int left = changes;
    fakes.files.beforeReplace = [&] {
      if (left-- > 0) fakes.files.files[kLibraryPath] += "10\r\n";
    };
    const bool rewritten = Rewrite();
    EXPECT_EQ(rewritten, changes < kRewriteAttempts) << changes;
    EXPECT_EQ(fakes.files.replaceCalls, std::min(changes + 1, kRewriteAttempts));
    if (rewritten) {
      EXPECT_EQ(File(), "10.00\r\n47.00\r\n") << changes;
      EXPECT_THAT(fakes.messages.shown, IsEmpty());
    } else {
      EXPECT_EQ(File(), "47\r\n10\r\n10\r\n10\r\n");
      EXPECT_THAT(fakes.messages.Texts(), ElementsAre(kLibraryChangedMessage));
    }
  }
}

TEST_F(LibraryRewriteTest, RefusesAFileItCouldNotTakeInWhole) {
  const struct {
    const char* name;
    std::string content;
    const char* message;
  } cases[] = {
      {"longer than 10240 bytes", std::string(kLibraryReadLimit, ' ') + "1\r\n",
       kLibraryTooLongMessage},
      {"more than 1000 values", CountingFile(1001), kLibraryTooManyMessage},
      {"growing past 10240 bytes once written", CompactMillions(1000), kLibraryWouldGrowMessage},
      {"more than 1000 values, lf", CountingFile(1001, "\n"), kLibraryTooManyMessage},
      {"text after a nul", std::string("10\r\n22\0\r\n47\r\n", 13), kLibraryNulMessage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeServices local;
    local.files.files[kLibraryPath] = c.content;
    EXPECT_FALSE(RewriteLibraryFile(local.services, table));
    EXPECT_THAT(local.messages.Texts(), ElementsAre(c.message));
    EXPECT_EQ(local.files.replaceCalls, 0);
    EXPECT_EQ(local.files.files.at(kLibraryPath), c.content);
  }
}

// A file with text and no value is not a library: rewriting it would empty it, alone or with a
// series merged in. A blank one takes the series.
TEST_F(LibraryRewriteTest, RefusesTextWithoutAValueAndFillsABlankFile) {
  const float series[] = {10, 22, 47};
  const std::string noValue[] = {
      "my notes\r\nresistors to buy\r\n",
      "0\n0.00\n",
      "1e39\n",
      "\xef\xbb\xbf"
      "x",
      "\n\n  parts list\t\n\n",
  };
  for (const std::string& content : noValue) {
    SCOPED_TRACE(content);
    for (const bool merge : {false, true}) {
      SetFile(content);
      fakes.messages.shown.clear();
      EXPECT_FALSE(merge ? MergeIntoLibraryFile(fakes.services, table, series, &report)
                         : Rewrite());
      EXPECT_THAT(fakes.messages.Texts(), ElementsAre(kLibraryNoValueMessage));
      EXPECT_EQ(File(), content);
    }
  }
  EXPECT_EQ(fakes.files.replaceCalls, 0);
  fakes.messages.shown.clear();
  for (const std::string& blank :
       std::vector<std::string>{"", "\r\n \t\r\n", "\xef\xbb\xbf", std::string("\n\0\0", 3)}) {
    SetFile(blank);
    ASSERT_TRUE(MergeIntoLibraryFile(fakes.services, table, series, &report));
    EXPECT_EQ(File(), "10.00\r\n22.00\r\n47.00\r\n");
  }
  SetFile("x\n4.7\n");
  ASSERT_TRUE(Rewrite());
  EXPECT_EQ(File(), "4.70\r\n");
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

// Whatever the line ends, the file comes back CR LF, sorted, once per two-decimal text.
TEST_F(LibraryRewriteTest, WritesEachTwoDecimalTextOnceWithCrLf) {
  const struct {
    const char* name;
    std::string content;
    const char* written;
    std::vector<RepeatedLine> repeats;
  } cases[] = {
      {"lf", "100\n47\n\n4.7\n", "4.70\r\n47.00\r\n100.00\r\n", {}},
      {"mixed", "100\r47\n\r\n4.7", "4.70\r\n47.00\r\n100.00\r\n", {}},
      {"byte order mark",
       "\xef\xbb\xbf"
       "100\r\n47\r\n",
       "47.00\r\n100.00\r\n",
       {}},
      {"text that keeps the value",
       "470R\n4.7 ohm\n4.7\xce\xa9\n100 metal film\n1 k\xc3\xa4se\n",
       "1.00\r\n4.70\r\n100.00\r\n470.00\r\n",
       {{{3, "4.7\xce\xa9"}, 2, true}}},
      {"same two decimals",
       "1.002\n1.001\n3\n1.004\n1.006\n1.002\n",
       "1.00\r\n1.01\r\n3.00\r\n",
       {{{1, "1.002"}, 2, false}, {{4, "1.004"}, 2, false}, {{6, "1.002"}, 2, false}}},
      {"negative", "-1.001\n-1.002\n", "-1.00\r\n", {{{1, "-1.001"}, 2, false}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetFile(c.content);
    ASSERT_TRUE(Rewrite());
    EXPECT_EQ(File(), c.written);
    EXPECT_EQ(report.repeats, c.repeats);
    ASSERT_TRUE(Rewrite());
    EXPECT_EQ(File(), c.written);
  }
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

// A value the rewrite would change is refused with the line, what it reads as and what to write.
TEST_F(LibraryRewriteTest, RefusesToChangeAValue) {
  const struct {
    std::string line;
    const char* message;  // after "ResistorLibrary.txt was not rewritten: line 2 "
  } cases[] = {
      {"4k7", "\"4k7\" would be read as 4. Write the value in plain digits (4700) and try again."},
      {"4.7k", "\"4.7k\" would be read as 4.7. Write the value in plain digits (4700)"},
      {" 2.2 k ", "\"2.2 k\" would be read as 2.2. Write the value in plain digits (2200)"},
      {"1M", "\"1M\" would be read as 1. Write the value in plain digits (1000000)"},
      {"1G 5%", "\"1G 5%\" would be read as 1. Write the value in plain digits (1000000000)"},
      {"100m", "\"100m\" would be read as 100. Write the value in plain digits (0.1)"},
      {"4.7kohm", "\"4.7kohm\" would be read as 4.7. Write the value in plain digits (4700)"},
      {"2R2", "\"2R2\" would be read as 2. Write the value in plain digits (2.2)"},
      {"4M7", "\"4M7\" would be read as 4. Write the value in plain digits (4700000)"},
      {"0R5", "\"0R5\" would be read as 0. Write the value in plain digits (0.5)"},
      {"0.004", "\"0.004\" would be written with two decimals as 0.00, which reads as no value."},
      {"-0.004", "\"-0.004\" would be written with two decimals as -0.00, which reads as no"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    // Only the first line the rewrite would change is named.
    const std::string content = "10\n" + c.line + "\r\n" + c.line + "\n";
    SetFile(content);
    EXPECT_FALSE(Rewrite());
    ASSERT_EQ(fakes.messages.shown.size(), 1u);
    EXPECT_THAT(fakes.messages.shown[0].text,
                ::testing::StartsWith(
                    std::string("ResistorLibrary.txt was not rewritten: line 2 ") + c.message));
    EXPECT_EQ(fakes.messages.shown[0].text, report.refusal);
    EXPECT_EQ(fakes.files.replaceCalls, 0);
    EXPECT_EQ(File(), content);
    fakes.messages.shown.clear();
  }
}

// A rewritten file reads back as itself: a second rewrite leaves it byte for byte.
TEST_F(LibraryRewriteTest, RewritingTwiceChangesNothingOnTheFuzzCorpus) {
  int rewritten = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VANTREL_LIBRARY_CORPUS)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path(), std::ios::binary);
    SetFile({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    if (!Rewrite()) continue;
    ++rewritten;
    const std::string once = File();
    ASSERT_TRUE(Rewrite());
    EXPECT_EQ(File(), once);
    EXPECT_TRUE(report.repeats.empty() && report.read.unusedPieces.empty());
  }
  EXPECT_GE(rewritten, 10);
}

// The real file service in a temporary directory of its own.
class PosixFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(dir);
  }

  std::string PathOf(const std::string& name) const { return (dir / name).string(); }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(PathOf(name), std::ios::binary) << content;
  }
  std::string Contents(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Every name in the directory, so left-over temporary files show up.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  static unsigned Mode(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
  }

  std::filesystem::path dir;
  PosixFileService files;
};

TEST_F(PosixFilesTest, ReadReturnsTheBytesAskedForInFull) {
  std::string content(20000, 'x');
  content[3] = '\0';
  content[15000] = 'y';
  Write("lib", content);
  auto file = files.OpenForRead(PathOf("lib"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Read(kLibraryReadLimit + 1), content.substr(0, kLibraryReadLimit + 1));
  EXPECT_EQ(file->Read(100000), content.substr(kLibraryReadLimit + 1));
  EXPECT_EQ(file->Read(10), "");
  EXPECT_NO_THROW(file->Close());
}

TEST_F(PosixFilesTest, OpenForReadGivesNothingForAMissingFileOrADirectory) {
  std::filesystem::create_directory(dir / "sub");
  EXPECT_EQ(files.OpenForRead(PathOf("missing")), nullptr);
  EXPECT_EQ(files.OpenForRead(PathOf("sub")), nullptr);
}

TEST_F(PosixFilesTest, ReplaceWritesTheContentAndKeepsThePermissionBits) {
  for (unsigned mode : {0640u, 0604u, 0600u, 0755u}) {
    Write("lib", "old\r\n");
    ASSERT_EQ(::chmod(PathOf("lib").c_str(), mode), 0);
    EXPECT_EQ(files.ReplaceFile(PathOf("lib"), "new\r\n", std::nullopt), ReplaceOutcome::kReplaced);
    EXPECT_EQ(Contents("lib"), "new\r\n");
    EXPECT_EQ(Mode(PathOf("lib")), mode);
    EXPECT_EQ(Names(), std::set<std::string>{"lib"});
  }
  EXPECT_EQ(files.ReplaceFile(PathOf("lib"), "", std::nullopt), ReplaceOutcome::kReplaced);
  EXPECT_EQ(Contents("lib"), "");
}

TEST_F(PosixFilesTest, ReplaceThroughASymbolicLinkRewritesTheTargetAndKeepsTheLink) {
  std::filesystem::create_directory(dir / "store");
  Write("store/real", "old\r\n");
  std::filesystem::create_symlink("store/real", dir / "lib");
  EXPECT_EQ(files.ReplaceFile(PathOf("lib"), "new\r\n", std::nullopt), ReplaceOutcome::kReplaced);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "lib"));
  EXPECT_EQ(std::filesystem::read_symlink(dir / "lib"), "store/real");
  EXPECT_EQ(Contents("store/real"), "new\r\n");
  EXPECT_EQ(Names(), (std::set<std::string>{"lib", "store"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "store"), {}), 1);
}

TEST_F(PosixFilesTest, ReplaceOfAMissingFileThrowsAndCreatesNothing) {
  try {
    files.ReplaceFile(PathOf("lib"), "new", std::nullopt);
    ADD_FAILURE() << "no FileError";
  } catch (const FileError& error) {
    EXPECT_EQ(error.Path(), PathOf("lib"));
    EXPECT_FALSE(error.Reason().empty());
  }
  std::filesystem::create_symlink("nowhere", dir / "dangling");
  EXPECT_THROW(files.ReplaceFile(PathOf("dangling"), "new", std::nullopt), FileError);
  EXPECT_EQ(Names(), std::set<std::string>{"dangling"});
}

TEST_F(PosixFilesTest, ReplaceLeavesADirectoryAlone) {
  std::filesystem::create_directory(dir / "lib");
  EXPECT_THROW(files.ReplaceFile(PathOf("lib"), "new", std::nullopt), FileError);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "lib"));
  EXPECT_EQ(Names(), std::set<std::string>{"lib"});
}

// A pid that ran and is reaped: no process has it until the system hands it out again.
pid_t EndedProcess() {
  const pid_t pid = ::fork();
  if (pid == 0) std::_Exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

// Of the names a rewrite's new file may have, only a writer that no longer runs loses its file;
// names that only look alike stay, whatever their pid.
TEST_F(PosixFilesTest, LeftoversOfEndedWritersGoAndEverythingElseStays) {
  const pid_t running = ::fork();
  if (running == 0) {
    ::pause();
    std::_Exit(0);
  }
  const std::string ended = std::to_string(EndedProcess());
  const std::string alive = std::to_string(running);
  const std::string self = std::to_string(::getpid());
  const std::set<std::string> kept = {
      ".ResistorLibrary.txt." + alive + ".Ab3xZ9",
      ".ResistorLibrary.txt." + self + ".Ab3xZ9",
      ".ResistorLibrary.txt.bak.1",
      ".ResistorLibrary.txt." + ended + ".bak.1",
      ".ResistorLibrary.txt." + ended + ".Ab3xZ",
      ".ResistorLibrary.txt." + ended + ".Ab3xZ9.bak",
      ".ResistorLibrary.txt." + ended + ".Ab-xZ9",
      ".ResistorLibrary.txt.0" + ended + ".Ab3xZ9",
      ".ResistorLibrary.txt..Ab3xZ9",
      ".ResistorLibrary.txt." + ended,
      "ResistorLibrary.txt." + ended + ".Ab3xZ9",
  };
  for (const std::string& name : kept) Write(name, "");
  Write(".ResistorLibrary.txt." + ended + ".Ab3xZ9", "");
  const int folder = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  // Left over from an earlier call: only kill's own failure may say the writer is gone.
  errno = ESRCH;
  RemoveLeftovers(folder);
  ::close(folder);
  ::kill(running, SIGKILL);
  ::waitpid(running, nullptr, 0);
  EXPECT_EQ(Names(), kept);
}

// Runs in a child process, as nobody when started as root, since root may write anywhere.
// Exits 0 when the new file could not be created.
[[noreturn]] void ReplaceAsAnOrdinaryUser(PosixFileService& files, const std::string& path) {
  constexpr unsigned kNobody = 65534;
  if (::geteuid() == 0 &&
      (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
    std::_Exit(4);
  }
  std::_Exit(files.ReplaceFile(path, "new\r\n", std::nullopt) == ReplaceOutcome::kCannotCreate ? 0
                                                                                               : 2);
}

TEST_F(PosixFilesTest, ReplaceInAReadOnlyFolderCannotCreateAndKeepsTheFile) {
  Write("lib", "old\r\n");
  ASSERT_EQ(::chmod((dir / "lib").c_str(), 0666), 0);  // only the folder stands in the way
  ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
  EXPECT_EXIT(ReplaceAsAnOrdinaryUser(files, PathOf("lib")), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Contents("lib"), "old\r\n");
  EXPECT_EQ(Names(), std::set<std::string>{"lib"});
}

// Runs in a child process as nobody (when started as root). Exits 0 when the replacement was
// refused with a FileError.
[[noreturn]] void ReplaceWriteProtectedAsAnOrdinaryUser(PosixFileService& files,
                                                        const std::string& path) {
  constexpr unsigned kNobody = 65534;
  if (::geteuid() == 0 &&
      (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
    std::_Exit(4);
  }
  try {
    files.ReplaceFile(path, "new\r\n", std::nullopt);
  } catch (const FileError&) {
    std::_Exit(0);
  }
  std::_Exit(2);
}

TEST_F(PosixFilesTest, ReplaceRefusesAWriteProtectedFile) {
  Write("lib", "old\r\n");
  ASSERT_EQ(::chmod((dir / "lib").c_str(), 0444), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), 0);
  }
  EXPECT_EXIT(ReplaceWriteProtectedAsAnOrdinaryUser(files, PathOf("lib")),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Contents("lib"), "old\r\n");
  EXPECT_EQ(Names(), std::set<std::string>{"lib"});
}

TEST_F(PosixFilesTest, ReplaceByRootKeepsTheFileOwner) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "only root can give a file to another user";
  }
  Write("lib", "old\r\n");
  ASSERT_EQ(::chown((dir / "lib").c_str(), 65534, 65534), 0);
  files.ReplaceFile(PathOf("lib"), "new\r\n", std::nullopt);
  struct stat info {};
  ASSERT_EQ(::stat((dir / "lib").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(Contents("lib"), "new\r\n");
}

// Runs in a child process: a file size limit makes the write of the new file fail, for root
// as well. Exits 0 when the failure came as a write FileError.
[[noreturn]] void ReplaceUnderASizeLimit(PosixFileService& files, const std::string& path) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{16, 16};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  try {
    files.ReplaceFile(path, std::string(100, '1'), std::nullopt);
  } catch (const FileError& error) {
    std::_Exit(error.Operation() == "write" ? 0 : 2);
  }
  std::_Exit(3);
}

TEST_F(PosixFilesTest, FailedWriteThrowsAndKeepsTheOldFile) {
  Write("lib", "old\r\n");
  EXPECT_EXIT(ReplaceUnderASizeLimit(files, PathOf("lib")), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Contents("lib"), "old\r\n");
  EXPECT_EQ(Names(), std::set<std::string>{"lib"});
}

}  // namespace
}  // namespace vantrel
