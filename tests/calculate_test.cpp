#include "calculate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fake_services.h"
#include "library_file.h"

namespace vantrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr ResultRow kZeroRow{};

class CalculateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFile("100\r\n47\r\n91\r\n100\r\n");
    // Rows and a count left by an earlier run, and a stale library.
    for (std::size_t i = 0; i < results.rows.size(); ++i) {
      results.rows[i] = {static_cast<float>(i) + 1, 2, 3, 0.5f};
    }
    results.count = 7;
    library.values.fill(-1);
    library.count = 5;
  }

  void SetFile(std::string content) { fakes.files.files[kLibraryPath] = std::move(content); }
  bool Run(std::string_view target, std::string_view precision) {
    return Calculate(target, precision, library, results, fakes.services);
  }
  std::vector<float> Library() const {
    return {library.values.begin(), library.values.begin() + library.count};
  }
  void ExpectResultsUnchanged(const ResultTable& before) const {
    EXPECT_EQ(results.count, before.count);
    EXPECT_EQ(results.rows, before.rows);
  }
  void ExpectLibraryUnchanged(const LibraryTable& before) const {
    EXPECT_EQ(library.count, before.count);
    EXPECT_EQ(library.values, before.values);
  }

  testing::FakeServices fakes;
  LibraryTable library;
  ResultTable results;
};

TEST_F(CalculateTest, RejectsATargetNotAboveZeroOrANegativeOrInfinitePrecision) {
  const struct {
    const char* target;
    const char* precision;
  } cases[] = {
      {"", "1"},       {"abc", "1"},   {"-5", "1"},   {"0", "1"},   {"  -1", "1"},
      {"0.0", "1"},    {"1e-50", "1"}, {"1e39", "1"}, {"45", "-1"}, {"45", "1e39"},
      {"45", "-1e39"}, {"", "-1"},     {"x45", "5"},  {"-0", "5"},  {"45", "-0.000001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("target \"") + c.target + "\", precision \"" + c.precision + '"');
    testing::FakeServices local;
    local.files.files[kLibraryPath] = "100\r\n47\r\n";
    const ResultTable resultsBefore = results;
    const LibraryTable libraryBefore = library;
    EXPECT_FALSE(Calculate(c.target, c.precision, library, results, local.services));
    EXPECT_THAT(local.messages.Texts(), ElementsAre("Parameter setting error !"));
    EXPECT_TRUE(local.files.readSizes.empty()) << "the library is not read";
    ExpectResultsUnchanged(resultsBefore);
    ExpectLibraryUnchanged(libraryBefore);
  }
}

TEST_F(CalculateTest, DefaultsFindNothingAndSucceedWithCountZero) {
  ASSERT_TRUE(Run("45", "1"));
  EXPECT_EQ(results.count, 0);
  for (const ResultRow& row : results.rows) EXPECT_EQ(row, kZeroRow);
  EXPECT_THAT(Library(), ElementsAre(47, 91, 100));
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

TEST_F(CalculateTest, FivePercentGivesThePairThenTheSingleValueToTheLastBit) {
  ASSERT_TRUE(Run("45", "5"));
  ASSERT_EQ(results.count, 2);
  EXPECT_EQ(results.rows[0], (ResultRow{45.5f, 91, 91, 1.1111112f}));
  EXPECT_EQ(results.rows[1], (ResultRow{47, 0, 0, 4.4444447f}));
  for (std::size_t i = 2; i < results.rows.size(); ++i) EXPECT_EQ(results.rows[i], kZeroRow);
}

TEST_F(CalculateTest, ConvertsInputsTheWayAtofDoes) {
  const struct {
    const char* target;
    const char* precision;
    std::vector<ResultRow> rows;
  } cases[] = {
      {"45abc", "5", {{45.5f, 91, 91, 1.1111112f}, {47, 0, 0, 4.4444447f}}},
      {"  45", " \t5%", {{45.5f, 91, 91, 1.1111112f}, {47, 0, 0, 4.4444447f}}},
      {"4.5e1", "5", {{45.5f, 91, 91, 1.1111112f}, {47, 0, 0, 4.4444447f}}},
      {"45", "abc", {}},  // letters are precision 0, which is accepted
      {"45", "", {}},
      {"1e2", "0", {{100, 0, 0, 0}}},
      {"1d2", "0", {{100, 0, 0, 0}}},
      {"45.5", "0", {{45.5f, 91, 91, 0}}},
      {"100", "-0", {{100, 0, 0, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("target \"") + c.target + "\", precision \"" + c.precision + '"');
    ASSERT_TRUE(Run(c.target, c.precision));
    EXPECT_EQ(std::vector<ResultRow>(results.rows.begin(), results.rows.begin() + results.count),
              c.rows);
  }
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
}

TEST_F(CalculateTest, TargetAboveEveryValueFailsButRefreshesTheLibrary) {
  const ResultTable before = results;
  EXPECT_FALSE(Run("101", "1"));
  EXPECT_THAT(fakes.messages.Texts(),
              ElementsAre("All Library's Resistor value less than targer value !"));
  ExpectResultsUnchanged(before);
  EXPECT_THAT(Library(), ElementsAre(47, 91, 100));
}

TEST_F(CalculateTest, EmptyLibraryReachesNoTarget) {
  SetFile("\r\n\r\n");
  const ResultTable before = results;
  EXPECT_FALSE(Run("1", "100"));
  EXPECT_THAT(fakes.messages.Texts(), ElementsAre(kNoValueReachesTargetMessage));
  ExpectResultsUnchanged(before);
  EXPECT_EQ(library.count, 0);
}

TEST_F(CalculateTest, MissingLibraryLeavesBothTables) {
  fakes.files.files.clear();
  const ResultTable resultsBefore = results;
  const LibraryTable libraryBefore = library;
  EXPECT_FALSE(Run("45", "5"));
  EXPECT_THAT(fakes.messages.Texts(), ElementsAre(kLibraryMissingMessage));
  ExpectResultsUnchanged(resultsBefore);
  ExpectLibraryUnchanged(libraryBefore);
}

TEST_F(CalculateTest, FailedReadThrowsAndLeavesBothTables) {
  fakes.files.failRead = true;
  const ResultTable resultsBefore = results;
  const LibraryTable libraryBefore = library;
  EXPECT_THROW(Run("45", "5"), FileError);
  EXPECT_THAT(fakes.messages.shown, IsEmpty());
  ExpectResultsUnchanged(resultsBefore);
  ExpectLibraryUnchanged(libraryBefore);
}

TEST_F(CalculateTest, SuccessReplacesEveryRowOfTheEarlierRun) {
  ASSERT_TRUE(Run("45", "5"));
  ASSERT_TRUE(Run("100", "0"));
  ASSERT_EQ(results.count, 1);
  EXPECT_EQ(results.rows[0], (ResultRow{100, 0, 0, 0}));
  for (std::size_t i = 1; i < results.rows.size(); ++i) EXPECT_EQ(results.rows[i], kZeroRow);
}

TEST_F(CalculateTest, ValuesBeyondTheFloatRangeGiveNoNanRow) {
  SetFile("1e39\r\n47\r\n-1e39\r\n3.5e38\r\n");
  ASSERT_TRUE(Run("45", "1e30"));
  EXPECT_THAT(Library(), ElementsAre(47));
  ASSERT_EQ(results.count, 2);
  for (const ResultRow& row : results.rows) {
    EXPECT_FALSE(std::isnan(row.value) || std::isnan(row.precision));
    EXPECT_FALSE(std::isinf(row.value) || std::isinf(row.precision));
  }
}

}  // namespace
}  // namespace vantrel
