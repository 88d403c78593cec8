#include "e_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "library_file.h"

namespace vantrel {
namespace {

// The yardstick is the rounded geometric progression; the standard departs from it only at
// these values.
TEST(ESeriesTest, StandardTablesAreTheProgressionSaveTheirListedExceptions) {
  const std::map<std::string_view, std::map<int, int>> exceptions = {
      {"E3", {{46, 47}}},
      {"E6", {{32, 33}, {46, 47}}},
      {"E12", {{26, 27}, {32, 33}, {38, 39}, {46, 47}, {83, 82}}},
      {"E24", {{26, 27}, {29, 30}, {32, 33}, {35, 36}, {38, 39}, {42, 43}, {46, 47}, {83, 82}}},
      {"E48", {}},
      {"E96", {}},
      {"E192", {{919, 920}}},
  };
  ASSERT_EQ(StandardSeries().size(), exceptions.size());
  for (const ESeries& series : StandardSeries()) {
    SCOPED_TRACE(series.name);
    const int size = std::stoi(std::string(series.name.substr(1)));
    const double scale = size <= 24 ? 10 : 100;
    ASSERT_EQ(series.mantissas.size(), static_cast<std::size_t>(size));
    std::map<int, int> differing;
    for (int i = 0; i < size; ++i) {
      const auto formula = static_cast<int>(std::lround(std::pow(10.0, i / double(size)) * scale));
      if (formula != series.mantissas[i]) differing[formula] = series.mantissas[i];
    }
    EXPECT_EQ(differing, exceptions.at(series.name));
  }
  // E24 is not part of E192: most of its values have no three-digit twin there.
  const std::set<int> e192(FindSeries("E192")->mantissas.begin(),
                           FindSeries("E192")->mantissas.end());
  for (int value : {27, 30, 33, 36, 39, 43, 51, 56, 62, 68, 82, 91}) {
    EXPECT_FALSE(e192.count(value * 10)) << value;
  }
  EXPECT_EQ(FindSeries("e12"), FindSeries("E12"));
  EXPECT_EQ(FindSeries("E5"), nullptr);
  EXPECT_EQ(FindSeries("E1"), nullptr);
}

TEST(ESeriesTest, ValuesBetweenBoundsAsTheLibraryWritesThem) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* series;
    double low, high;
    std::size_t count;
    const char* first;
    const char* last;
    const char* inexact;
  } cases[] = {
      {"E24", 10, 1e6, 121, "10.00", "1000000.00", ""},
      {"E192", 10, 1e6, 961, "10.00", "1000000.00", ""},
      {"E3", 0.1, 1000, 13, "0.10", "1000.00", ""},
      {"E12", 4.7, 4.7, 1, "4.70", "4.70", ""},
      {"E12", 4.71, 5.5, 0, "", "", ""},
      {"E12", 4.699999, 5.600001, 2, "4.70", "5.60", ""},
      {"E96", 0.97, 1.1, 0, "", "", "0.976"},                               // needs a third decimal
      {"E3", 1e9, inf, 2, "1000000000.00", "2200000000.00", "4700000000"},  // beyond a float
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.series + std::string(" ") + std::to_string(c.low));
    const SeriesValues found = SeriesBetween(*FindSeries(c.series), c.low, c.high, 1000);
    EXPECT_EQ(found.inexact, c.inexact);
    if (!found.inexact.empty()) continue;
    ASSERT_EQ(found.values.size(), c.count);
    if (c.count == 0) continue;
    EXPECT_EQ(LibraryFileText(found.values.data(), 1), c.first + std::string("\r\n"));
    EXPECT_EQ(LibraryFileText(&found.values.back(), 1), c.last + std::string("\r\n"));
    EXPECT_TRUE(std::is_sorted(found.values.begin(), found.values.end()));
  }
  EXPECT_EQ(SeriesBetween(*FindSeries("E192"), 1, 1e6, 1000).values.size(), 1001u);
}

// Every standard value counts, to within the tolerance either way; the widest gap of E192
// (9.88 to 10) has values outside 0.5 % of both ends.
TEST(ESeriesTest, NearStandardValueWithinTolerance) {
  for (const ESeries& series : StandardSeries()) {
    for (const float value : SeriesBetween(series, 1, 1e6, 1000).values) {
      for (double factor : {1.0, 1.0049, 1 / 1.0049}) {
        EXPECT_TRUE(NearStandardValue(value * factor, 0.005)) << series.name << " " << value;
      }
    }
  }
  for (double value : {9.94, 0.00994, 99400.0, 1e40 * 9.94}) {
    EXPECT_FALSE(NearStandardValue(value, 0.005)) << value;
    EXPECT_TRUE(NearStandardValue(value, 0.007)) << value;
  }
  for (double value : {0.0, -4.7, std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(NearStandardValue(value, 0.005)) << value;
  }
}

}  // namespace
}  // namespace vantrel
