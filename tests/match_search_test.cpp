#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "match_search.h"
#include "reference_search.h"

namespace vantrel {

std::ostream& operator<<(std::ostream& out, const ResultRow& row) {
  return out << '{' << row.value << ", " << row.resistor1 << ", " << row.resistor2 << ", "
             << row.precision << '}';
}

namespace {

using SearchFunction = SearchOutcome (*)(const float*, std::int32_t, float, float, ResultTable&);

struct FastSearch {
  static constexpr SearchFunction kSearch = &SearchMatches;
};
struct PlainSearch {
  static constexpr SearchFunction kSearch = &testing::ReferenceSearchMatches;
};

// The table followed by memory that a write past its last slot would change.
struct GuardedTable {
  ResultTable table;
  std::array<ResultRow, 8> guard;
};
constexpr ResultRow kGuardRow{-7, -7, -7, -7};

std::vector<float> Range(int first, int last) {
  std::vector<float> values;
  for (int v = first; v <= last; ++v) values.push_back(static_cast<float>(v));
  return values;
}

template <class Implementation>
class MatchSearchTest : public ::testing::Test {
 protected:
  MatchSearchTest() { m_guarded.guard.fill(kGuardRow); }

  SearchOutcome Search(const std::vector<float>& values, float target, float precision) {
    return Implementation::kSearch(values.data(), static_cast<std::int32_t>(values.size()), target,
                                   precision, m_guarded.table);
  }

  std::vector<ResultRow> Rows() const {
    const auto& rows = m_guarded.table.rows;
    return {rows.begin(), rows.begin() + m_guarded.table.count};
  }

  void ExpectGuardIntact() const {
    for (const ResultRow& row : m_guarded.guard) EXPECT_EQ(row, kGuardRow);
  }

  GuardedTable m_guarded{};
};

using Searches = ::testing::Types<FastSearch, PlainSearch>;
TYPED_TEST_SUITE(MatchSearchTest, Searches);

struct SearchCase {
  const char* name;
  std::vector<float> values;
  float target;
  float precision;
  std::vector<ResultRow> rows;
};

TYPED_TEST(MatchSearchTest, RanksSinglesAndPairsByDeviation) {
  const std::vector<SearchCase> cases = {
      {"both within 5%", {47, 91, 100}, 45, 5, {{45.5f, 91, 91, 10.0f / 9}, {47, 0, 0, 40.0f / 9}}},
      {"none within 1%", {47, 91, 100}, 45, 1, {}},
      {"pair ties go before the exact match", {50, 100}, 50, 0, {{50, 100, 100, 0}, {50, 0, 0, 0}}},
      {"single rejected, its pair exact", {200}, 100, 0, {{100, 200, 200, 0}}},
      {"values below the target take no part", {98, 120}, 100, 5, {}},
      {"a deviation equal to the precision qualifies", {110}, 100, 10, {{110, 0, 0, 10}}},
      {"just beyond the precision does not", {110}, 100, std::nextafter(10.0f, 0.0f), {}},
      {"exact match alone", {20, 30}, 20, 0, {{20, 0, 0, 0}}},
  };
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.name);
    this->m_guarded.table = {};
    EXPECT_EQ(this->Search(c.values, c.target, c.precision), SearchOutcome::SearchDone);
    EXPECT_EQ(this->Rows(), c.rows);
  }
}

TYPED_TEST(MatchSearchTest, NoValueReachingTheTargetLeavesTheTableUntouched) {
  const std::vector<std::vector<float>> libraries = {{10, 20}, {}};
  for (const auto& values : libraries) {
    ResultTable before;
    before.rows.fill({1, 2, 3, 4});
    before.count = 42;
    this->m_guarded.table = before;
    EXPECT_EQ(this->Search(values, 30, 5), SearchOutcome::NoValueReachesTarget);
    EXPECT_EQ(this->m_guarded.table.rows, before.rows);
    EXPECT_EQ(this->m_guarded.table.count, 42);
  }
}

TYPED_TEST(MatchSearchTest, KeepsThe99SmallestDeviationsOfMoreCandidates) {
  const std::vector<float> values = Range(101, 400);
  const float target = 100;
  const float precision = 30;
  ASSERT_EQ(this->Search(values, target, precision), SearchOutcome::SearchDone);

  // Every candidate's stored deviation, worked out here on its own.
  std::vector<float> all;
  const auto add = [&](double x) {
    const double d = std::abs((target - x) / target * 100);
    if (d <= precision) all.push_back(static_cast<float>(d));
  };
  for (std::size_t i = 0; i < values.size(); ++i) {
    add(values[i]);
    for (std::size_t j = i; j < values.size(); ++j) {
      const double a = values[i];
      const double b = values[j];
      add(static_cast<float>(a * b / (a + b)));
    }
  }
  std::sort(all.begin(), all.end());
  ASSERT_GT(all.size(), 99u);
  std::vector<float> held;
  for (const ResultRow& row : this->Rows()) held.push_back(row.precision);
  EXPECT_EQ(held, std::vector<float>(all.begin(), all.begin() + 99));
}

TYPED_TEST(MatchSearchTest, ExactMatchAndSinglesCanFillAll100Slots) {
  // Pairs of values near 1000 come to about 500, far outside 20%.
  ASSERT_EQ(this->Search(Range(1000, 1099), 1000, 20), SearchOutcome::SearchDone);
  const auto rows = this->Rows();
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows.front(), (ResultRow{1000, 0, 0, 0}));
  EXPECT_EQ(rows.back().value, 1099);
  this->ExpectGuardIntact();
}

TYPED_TEST(MatchSearchTest, SinglePhaseStopsAtTheLastSlot) {
  // Six singles more than the slots, few enough for the guard to catch every one written.
  ASSERT_EQ(this->Search(Range(1001, 1106), 1000, 20), SearchOutcome::SearchDone);
  this->ExpectGuardIntact();
  const auto rows = this->Rows();
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows.back().value, 1100);
}

TYPED_TEST(MatchSearchTest, PairAfterAFullTableKeeps99RowsRankedByDeviation) {
  std::vector<float> values = Range(1001, 1100);
  values.push_back(2091);  // alone 109% off; with itself 1045.5, between 1045 and 1046
  ASSERT_EQ(this->Search(values, 1000, 20), SearchOutcome::SearchDone);
  const auto rows = this->Rows();
  ASSERT_EQ(rows.size(), 99u);
  EXPECT_EQ(rows[44].value, 1045);
  EXPECT_EQ(rows[45], (ResultRow{1045.5f, 2091, 2091, 4.55f}));
  EXPECT_EQ(rows[46].value, 1046);
  EXPECT_EQ(rows.back().value, 1098);
  this->ExpectGuardIntact();
}

TYPED_TEST(MatchSearchTest, PairBeyondA100RowTableStillCutsItTo99) {
  std::vector<float> values = Range(1001, 1100);
  values.push_back(2300);  // with itself 1150: 15% off, behind every single
  ASSERT_EQ(this->Search(values, 1000, 20), SearchOutcome::SearchDone);
  const auto rows = this->Rows();
  ASSERT_EQ(rows.size(), 99u);
  EXPECT_EQ(rows.back(), (ResultRow{1099, 0, 0, 9.9f}));
  this->ExpectGuardIntact();
}

// Random libraries, targets and precisions, built to hit the corners of the search.
class CaseGenerator {
 public:
  explicit CaseGenerator(std::uint64_t seed) : m_rng(seed) {}

  std::vector<float> Library(int size) {
    std::vector<float> values;
    const int spread = Pick(6);
    for (int k = 0; k < size; ++k) values.push_back(Value(spread));
    if (Pick(8) == 0) values.push_back(std::numeric_limits<float>::infinity());
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
  }

  float Target(const std::vector<float>& values) {
    const bool fromLibrary = HasFinite(values);
    switch (Pick(7)) {
      case 0:  // an exact match
        if (fromLibrary) return Element(values);
        [[fallthrough]];
      case 1:  // just below the smallest value: every value a single within reach
        if (fromLibrary) return values.front() * (1 - LogUniform(1e-6, 1e-2));
        [[fallthrough]];
      case 2:  // reached exactly by a value paired with itself
        if (fromLibrary) {
          const float half = Element(values) / 2;
          if (half > 0) return half;
        }
        [[fallthrough]];
      case 3:
        return LogUniform(1e-3, 1e4);
      case 4:
        return static_cast<float>(1 + Pick(1000));
      case 5:
        return Pick(2) ? FLT_MAX : std::numeric_limits<float>::denorm_min();
      default:
        return AnyFinite();
    }
  }

  float Precision(const std::vector<float>& values, float target) {
    switch (Pick(7)) {
      case 0:
        return 0;
      case 1:
        return LogUniform(1e-7, 1e-2);
      case 2:
      case 3:
        return LogUniform(0.1, 60);
      case 4:
        return 1e30f;
      case 5:  // exactly the stored deviation of some pair, to test the inclusive bound
        if (HasFinite(values)) {
          const double a = Element(values);
          const double b = Element(values);
          const float p = static_cast<float>(a * b / (a + b));
          return static_cast<float>(std::abs((target - p) / target * 100));
        }
        [[fallthrough]];
      default:
        return std::numeric_limits<float>::infinity();
    }
  }

  int Pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_rng); }

 private:
  float Value(int spread) {
    switch (spread) {
      case 0:  // a library file's values: two decimals over many decades
        return std::round(LogUniform(1, 1e7) * 100) / 100;
      case 1: {  // a resistor series: few significant digits, many equal pair values
        const float mantissa = std::round(LogUniform(10, 100) * (Pick(2) ? 1 : 10));
        return mantissa * std::pow(10.0f, static_cast<float>(Pick(6)));
      }
      case 2:  // small integers: many pairs at the same deviation
        return static_cast<float>(1 + Pick(3000));
      case 3:  // crowded just above some target: many singles
        return 1000 + static_cast<float>(Pick(400)) / 4;
      case 4:  // multiples of one value: exact pairs
        return 12.5f * static_cast<float>(1 + Pick(200));
      default:
        return AnyFinite();
    }
  }

  // Any positive finite float from the smallest subnormal to FLT_MAX, at random bits.
  float AnyFinite() {
    const std::uint32_t bits = std::uniform_int_distribution<std::uint32_t>(1, 0x7f7fffff)(m_rng);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  float LogUniform(double low, double high) {
    const double e = std::uniform_real_distribution<double>(std::log(low), std::log(high))(m_rng);
    return static_cast<float>(std::exp(e));
  }

  static bool HasFinite(const std::vector<float>& values) {
    return !values.empty() && std::isfinite(values.front());
  }

  float Element(const std::vector<float>& values) {
    std::size_t finite = 0;
    while (finite < values.size() && std::isfinite(values[finite])) ++finite;
    return values[std::uniform_int_distribution<std::size_t>(0, finite - 1)(m_rng)];
  }

  std::mt19937_64 m_rng;
};

std::string Describe(const std::vector<float>& values, float target, float precision) {
  std::ostringstream out;
  out.precision(9);
  out << values.size() << " values from " << (values.empty() ? 0 : values.front()) << " to "
      << (values.empty() ? 0 : values.back()) << ", target " << target << ", precision "
      << precision;
  return out.str();
}

// Runs both searches on one case and expects the same outcome and the same results. Rows from
// count on are no results: the plain search leaves a dropped pair in slot 99, the fast one
// does not, so they are not compared.
void ExpectSameAsPlain(const std::vector<float>& values, float target, float precision) {
  SCOPED_TRACE(Describe(values, target, precision));
  const auto n = static_cast<std::int32_t>(values.size());
  ResultTable fast;
  ResultTable plain;
  const SearchOutcome fastOutcome = SearchMatches(values.data(), n, target, precision, fast);
  const SearchOutcome plainOutcome =
      testing::ReferenceSearchMatches(values.data(), n, target, precision, plain);
  ASSERT_EQ(fastOutcome, plainOutcome);
  ASSERT_EQ(fast.count, plain.count);
  for (int k = 0; k < plain.count; ++k) {
    ASSERT_EQ(std::memcmp(&fast.rows[k], &plain.rows[k], sizeof(ResultRow)), 0)
        << "row " << k << ": " << fast.rows[k] << " instead of " << plain.rows[k];
  }
}

TEST(FastMatchSearchTest, EqualsThePlainSearchOnRandomCases) {
  CaseGenerator generate(20240611);
  for (int round = 0; round < 3000; ++round) {
    // Mostly small libraries; the plain search takes long on large ones.
    const int scale = generate.Pick(100);
    const int size = generate.Pick(scale < 60 ? 13 : scale < 85 ? 61 : scale < 97 ? 251 : 1001);
    const std::vector<float> values = generate.Library(size);
    const float target = generate.Target(values);
    const float precision = generate.Precision(values, target);
    ASSERT_NO_FATAL_FAILURE(ExpectSameAsPlain(values, target, precision)) << "round " << round;
  }
}

TEST(FastMatchSearchTest, EqualsThePlainSearchWhenAllPairsOfAFullLibraryQualify) {
  // 1000 distinct values, 200 to a decade from 10 up, two decimals.
  std::vector<float> values;
  for (int k = 0; k < 1000; ++k) {
    values.push_back(std::round(static_cast<float>(10 * std::pow(10.0, k / 200.0)) * 100) / 100);
  }
  ASSERT_TRUE(std::adjacent_find(values.begin(), values.end(), std::greater_equal<>()) ==
              values.end());
  ExpectSameAsPlain(values, 10, 1e30f);
  ExpectSameAsPlain(values, 7.5f, 1e30f);
}

}  // namespace
}  // namespace vantrel
