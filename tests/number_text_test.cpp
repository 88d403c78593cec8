#include "number_text.h"

#include <gtest/gtest.h>

#include <locale.h>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace vantrel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Every check runs in the "C" locale and in a locale whose decimal point is a comma, which
// strtod and printf would follow.
class NumberTextTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::setlocale(LC_ALL, GetParam()) == nullptr) {
      GTEST_SKIP() << "locale " << GetParam() << " is not installed";
    }
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

INSTANTIATE_TEST_SUITE_P(Locales, NumberTextTest,
                         ::testing::Values("C", "de_DE.UTF-8", "fr_FR.UTF-8"),
                         [](const auto& param) {
                           std::string name = param.param;
                           return name.substr(0, name.find('.'));
                         });

TEST_P(NumberTextTest, LocaleIsReallyInEffect) {
  const bool comma = std::string(GetParam()) != "C";
  EXPECT_STREQ(localeconv()->decimal_point, comma ? "," : ".");
}

struct AtofCase {
  const char* text;
  double expected;
};

TEST_P(NumberTextTest, ParseAtofReadsTheLongestNumberPrefix) {
  const AtofCase cases[] = {
      {"45", 45},
      {" \t\n\v\f\r12", 12},
      {"+5", 5},
      {"-5", -5},
      {"-.5", -0.5},
      {"45abc", 45},
      {"4.7 5.1", 4.7},
      {"4.7k", 4.7},
      {"1,5", 1},  // the decimal point is "." whatever the locale
      {"1.2.3", 1.2},
      {"1e2", 100},
      {"1E2", 100},
      {"1d3", 1000},
      {"1D3", 1000},
      {"2.5e-1", 0.25},
      {"1e+2", 100},
      {"1e2.5", 100},
      {"1e", 1},
      {"1e+", 1},
      {"1e-", 1},
      {"1ex", 1},
      {"1d", 1},
      {".5", 0.5},
      {"5.", 5},
      {"5.e1", 50},
      {".", 0},
      {"-", 0},
      {"+", 0},
      {"+-5", 0},
      {"- 5", 0},
      {".e5", 0},
      {"e5", 0},
      {"", 0},
      {"   ", 0},
      {"abc", 0},
      {"0x10", 0},
      {"0X1p3", 0},
      {"inf", 0},
      {"-inf", 0},
      {"nan", 0},
      {"infinity", 0},
      {"INFINITY", 0},
      {"1e400", kInf},
      {"-1e400", -kInf},
      {"1e99999999999999999999", kInf},
      {"1e-400", 0},
      {"1e-99999999999999999999", 0},
      {"1e-320", 1e-320},  // subnormal
      {"4.9406564584124654e-324", 0x1p-1074},
      // 2^53 + 1 lies halfway between two doubles: ties go to the even one, and any digit
      // further on tips the balance.
      {"9007199254740993", 9007199254740992.0},
      {"9007199254740993.0000000000000000000001", 9007199254740994.0},
      {"0.1000000000000000055511151231257827021181583404541015625", 0.1},
      {"3.40282356779733661637539395458142568448e38", 0x1.ffffffp127},
      {"00000000000000000000000000000000000001.5", 1.5},
  };
  for (const AtofCase& c : cases) {
    EXPECT_EQ(ParseAtof(c.text), c.expected) << '"' << c.text << '"';
  }
  EXPECT_TRUE(std::signbit(ParseAtof("-0")));
  // Digits far beyond what a double holds still count, for rounding and for the exponent.
  EXPECT_EQ(ParseAtof("1" + std::string(400, '0') + "e-400"), 1);
  EXPECT_EQ(ParseAtof("0." + std::string(400, '0') + "1e401"), 1);
}

TEST_P(NumberTextTest, ParseAtofReadsOnlyTheGivenView) {
  const std::string text = "12345";
  EXPECT_EQ(ParseAtof(std::string_view(text).substr(0, 3)), 123);
  EXPECT_EQ(ParseAtof(std::string_view("7\0"
                                       "8",
                                       3)),
            7);
}

TEST_P(NumberTextTest, ParseAtoiReadsSignAndDigits) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"42", 42},
      {" \t\n\v\f\r7", 7},
      {"+8", 8},
      {" -17x", -17},
      {"3.9", 3},
      {"1e3", 1},
      {"", 0},
      {"abc", 0},
      {"0x1A", 0},
      {"+-1", 0},
      {"- 1", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"99999999999999999999999", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"-99999999999999999999999", kMin},
      {"007", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseAtoi(c.text), c.expected) << '"' << c.text << '"';
}

TEST_P(NumberTextTest, RoundToFloatRoundsToNearestAndOverflowsToInfinity) {
  constexpr float kFInf = std::numeric_limits<float>::infinity();
  constexpr double kHalfwayToOverflow = 0x1.ffffffp127;  // FLT_MAX + half an ulp
  const struct {
    double value;
    float expected;
  } cases[] = {
      {0.1, 0.1f},
      {45.0, 45.0f},
      {1 + 0x1p-24, 1.0f},              // tie, to even
      {1 + 3 * 0x1p-24, 1 + 0x1p-22f},  // tie, to even
      {1 + 0x1p-24 + 0x1p-40, 1 + 0x1p-23f},
      {FLT_MAX, FLT_MAX},
      {std::nextafter(kHalfwayToOverflow, 0.0), FLT_MAX},
      {kHalfwayToOverflow, kFInf},
      {1e39, kFInf},
      {DBL_MAX, kFInf},
      {kInf, kFInf},
      {-FLT_MAX, -FLT_MAX},
      {-std::nextafter(kHalfwayToOverflow, 0.0), -FLT_MAX},
      {-kHalfwayToOverflow, -kFInf},
      {-1e39, -kFInf},
      {1e-50, 0.0f},
      {1e-40, 1e-40f},  // subnormal float
  };
  for (const auto& c : cases) EXPECT_EQ(RoundToFloat(c.value), c.expected) << c.value;
  EXPECT_TRUE(std::signbit(RoundToFloat(-1e-50)));
}

struct FormatCase {
  double value;
  int decimals;
  const char* expected;
};

TEST_P(NumberTextTest, FormatFixedRoundsExactHalvesAwayFromZero) {
  const FormatCase cases[] = {
      {4.125, 2, "4.13"},
      {0.125, 2, "0.13"},
      {-4.125, 2, "-4.13"},
      {-0.125, 2, "-0.13"},
      {2.5, 0, "3"},
      {0.5, 0, "1"},
      {1.5, 0, "2"},
      {-2.5, 0, "-3"},
      {0.0625, 3, "0.063"},
      {1.0625, 3, "1.063"},
      {0.375, 2, "0.38"},
      {123456789.125, 2, "123456789.13"},
      {9.995, 2, "9.99"},  // 9.99499999999999957367435854394 in binary
      {0.005, 2, "0.01"},  // 0.00500000000000000010408340855861
      {0.015, 2, "0.01"},  // 0.01499999999999999944488848768742
      {1.005, 2, "1.00"},
      {2.675, 2, "2.67"},
      {0.0005, 3, "0.001"},
      {4.755f, 2, "4.76"},  // 4.75500011444091796875
      {4.745f, 2, "4.74"},  // 4.74499988555908203125
      {1.005f, 2, "1.00"},  // 1.00499999523162841796875
      {45.5f, 3, "45.500"},
      {1.1111112f, 3, "1.111"},
      {4.4444447f, 3, "4.444"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, c.decimals), c.expected) << c.value << " %." << c.decimals;
  }
}

TEST_P(NumberTextTest, FormatFixedCarriesSignsAndWidth) {
  const FormatCase cases[] = {
      {0, 2, "0.00"},
      {-0.0, 2, "-0.00"},
      {-0.001, 2, "-0.00"},
      {0.001, 2, "0.00"},
      {9.999, 2, "10.00"},
      {-9.999, 2, "-10.00"},
      {99.9996, 3, "100.000"},
      {0.96, 0, "1"},
      {470, 2, "470.00"},
      {-3, 2, "-3.00"},
      {1234567, 3, "1234567.000"},
      {1e21, 0, "1000000000000000000000"},
      {1e-300, 3, "0.000"},
      {5e-324, 20, "0.00000000000000000000"},
      {0.1, 20, "0.10000000000000000555"},
      {FLT_MAX, 2, "340282346638528859811704183484516925440.00"},
      {-FLT_MAX, 3, "-340282346638528859811704183484516925440.000"},
      {kInf, 2, "inf"},
      {-kInf, 3, "-inf"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, c.decimals), c.expected) << c.value << " %." << c.decimals;
  }
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 2), "nan");
}

// glibc's printf is exact but rounds a tie to even; it runs here in a "C" locale of its own.
std::string Printf(double value, int decimals) {
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const locale_t previous = uselocale(classic);
  char buffer[1500];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  uselocale(previous);
  return buffer;
}

// True when the exact decimal expansion of value continues with 5 and then only zeros
// after the given number of decimals.
bool IsTie(double value, int decimals) {
  const std::string exact = Printf(value, 1100);
  const std::size_t cut = exact.find('.') + 1 + static_cast<std::size_t>(decimals);
  return exact[cut] == '5' && exact.find_first_not_of('0', cut + 1) == std::string::npos;
}

// What printf gives when ties round away from zero: an exact tie is nudged outward by one
// ulp, which is far below the last printed digit wherever a tie can occur.
std::string ExpectedFixed(double value, int decimals) {
  if (!IsTie(value, decimals)) return Printf(value, decimals);
  return Printf(std::nextafter(value, std::copysign(kInf, value)), decimals);
}

TEST_P(NumberTextTest, FormatFixedAgreesWithPrintfExceptOnTies) {
  std::mt19937_64 random(20240607);
  std::uniform_int_distribution<int> decimalsPick(0, 4);
  std::uniform_int_distribution<int> exponentPick(-30, 40);
  std::uniform_int_distribution<std::uint32_t> floatBits(0, 0x7f7fffffu);
  std::uniform_int_distribution<std::int64_t> numerator(-1000000, 1000000);
  int ties = 0;
  for (int i = 0; i < 20000; ++i) {
    double value = 0;
    switch (i % 4) {
      case 0: {  // any finite float, as the library and the results hold them
        const std::uint32_t bits = floatBits(random);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        value = (i & 8) ? -f : f;
        break;
      }
      case 1:  // short binary fractions, which give many exact ties
        value = std::ldexp(static_cast<double>(numerator(random)), -(i % 7));
        break;
      case 2:  // decimal-looking values of every magnitude
        value = static_cast<double>(numerator(random)) * std::pow(10.0, exponentPick(random) / 4);
        break;
      default:
        value = std::ldexp(std::generate_canonical<double, 53>(random), exponentPick(random));
        break;
    }
    const int decimals = decimalsPick(random);
    if (IsTie(value, decimals)) ++ties;
    ASSERT_EQ(FormatFixed(value, decimals), ExpectedFixed(value, decimals))
        << std::hexfloat << value << " %." << decimals;
  }
  EXPECT_GT(ties, 500);  // the generator must really reach the tie rule
}

// The conversion's yardstick is the C library's strtod: digits and exponents on both sides of
// the shortcut's bounds (15 digits, 10^22) must give the very same double.
TEST(DecimalTextTest, ValueAgreesWithStrtod) {
  std::mt19937_64 random(20261208);
  std::uniform_int_distribution<int> digitCount(0, 18);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> exponentPick(-40, 40);
  std::uniform_int_distribution<int> powerPick(-9, 9);
  for (int i = 0; i < 40000; ++i) {
    std::string mantissa = i % 3 == 0 ? "-" : "";
    const int wholeDigits = digitCount(random);
    for (int k = 0; k < wholeDigits; ++k) mantissa += static_cast<char>('0' + digit(random));
    mantissa += '.';
    for (int k = wholeDigits == 0 ? 1 : digitCount(random); k > 0; --k) {
      mantissa += static_cast<char>('0' + digit(random));
    }
    const int exponent = exponentPick(random);
    const int power = powerPick(random);
    const std::string text = mantissa + 'e' + std::to_string(exponent);
    const DecimalText number = ScanDecimal(text, 0, "eE");
    ASSERT_EQ(number.end, text.size()) << text;
    const double expected =
        std::strtod((mantissa + 'e' + std::to_string(exponent + power)).c_str(), nullptr);
    const double value = number.Value(power);
    ASSERT_EQ(value, expected) << text << " power " << power;
    ASSERT_EQ(std::signbit(value), std::signbit(expected)) << text;
  }
}

// One of a thing is singular, any other count plural.
TEST(CountTextTest, OneIsSingular) {
  EXPECT_EQ(CountText(1, "value"), "1 value");
  EXPECT_EQ(CountText(0, "line"), "0 lines");
  EXPECT_EQ(CountText(73, "duplicate value"), "73 duplicate values");
}

}  // namespace
}  // namespace vantrel
