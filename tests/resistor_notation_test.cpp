#include "resistor_notation.h"
#include "number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>

namespace vantrel {
namespace {

struct Case {
  const char* text;
  std::optional<double> value;
};

TEST(ResistorNotationTest, ReadsWhatPeopleType) {
  const Case cases[] = {
      {"4700", 4700},
      {" 4.7e3 ", 4700},
      {"4.7k", 4700},
      {"4k7", 4700},
      {"4K7", 4700},
      {"2R2", 2.2},
      {"0R5", 0.5},
      {"470R", 470},
      {"1M", 1e6},
      {"4M7", 4.7e6},
      {"1G", 1e9},
      {"100m", 0.1},
      {"1 k", 1000},
      {"4.7kohm", 4700},
      {"4.7 k Ohms", 4700},
      {"4k7Ω", 4700},
      {"10\xE2\x84\xA6", 10},
      {"470 ohm", 470},
      {"1 Mohm", 1e6},
      {"-4k7", -4700},
      {"0", 0},
      {".5k", 500},
      {"", std::nullopt},
      {"k", std::nullopt},
      {"4.7kk", std::nullopt},
      {"4k7k", std::nullopt},
      {"4.7x", std::nullopt},
      {"4 7", std::nullopt},
      {"4.7k2", std::nullopt},
      {"1d3", std::nullopt},
      {"0x10", std::nullopt},
      {"4700 ohm extra", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseResistance(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(ResistorNotationTest, InfinityAndNanComeBackForTheCallerToRefuse) {
  EXPECT_EQ(ParseResistance("inf"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseResistance("-Infinity"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseResistance("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(*ParseResistance("NaN")));
}

TEST(ResistorNotationTest, FindsLibraryLinesWhoseNotationChangesTheValue) {
  const Case cases[] = {
      // read as the digits before the letter, meant as something else
      {"4.7k", 4700},
      {"1M", 1e6},
      {"2.2 k", 2200},
      {"1G", 1e9},
      {"100m", 0.1},
      {"4.7kohm", 4700},
      {"4.7k\xCE\xA9", 4700},
      {"4.7k metal film", 4700},
      {"4k7", 4700},
      {"2R2", 2.2},
      {"4M7", 4.7e6},
      {"0R5", 0.5},
      {" -1k\n", -1000},
      // the rest leaves the value alone
      {"470R", std::nullopt},
      {"4.7 ohm", std::nullopt},
      {"4.7\xCE\xA9", std::nullopt},
      {"100 metal film", std::nullopt},
      {"4.7", std::nullopt},
      {"1R0", std::nullopt},
      {"0k", std::nullopt},
      {"kilo", std::nullopt},
      {"4.7kg", std::nullopt},
      {"1e3", std::nullopt},
      {"1d3", std::nullopt},
      {"4.7k2", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NotationValue(c.text), c.value) << '"' << c.text << '"';
  }
}

// Whatever a value, its plain digits read back as the same double, also with a letter.
TEST(ResistorNotationTest, PlainDigitsRoundTrip) {
  EXPECT_EQ(PlainDigits(4700), "4700");
  EXPECT_EQ(PlainDigits(0.1), "0.1");
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-6, 12);
  for (int i = 0; i < 5000; ++i) {
    const double value = std::pow(10.0, exponent(random));
    const std::string digits = PlainDigits(value);
    ASSERT_EQ(ParseResistance(digits), value) << digits;
    ASSERT_EQ(ParseResistance(digits + "R"), value) << digits;
    ASSERT_EQ(ParseResistance(digits + "e-3k"), value) << digits;
  }
}

}  // namespace
}  // namespace vantrel
