#include "display_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <random>
#include <string>
#include <vector>

#include "number_text.h"

namespace vantrel::finder {
namespace {

// The value a shown number stands for, read the plain way: mantissa, SI prefix, unit left off.
double ReadShown(std::string text) {
  const std::string micro = "\u00b5";
  // Erased and inserted, not replaced: GCC 12 at -O3 takes the replace for an overlapping copy.
  if (const auto at = text.find(micro); at != std::string::npos) {
    text.erase(at, micro.size());
    text.insert(at, 1, 'u');
  }
  std::size_t end = 0;
  const double mantissa = std::stod(text, &end);
  const std::string rest = text.substr(end);
  const std::string prefixes = "fpnum kMGTPE";
  const auto letter = rest.find_first_not_of(' ');
  if (letter == std::string::npos) return mantissa;
  const auto slot = prefixes.find(rest[letter]);
  if (slot == std::string::npos) return mantissa;  // a unit without a prefix
  return mantissa * std::pow(10.0, 3.0 * (static_cast<double>(slot) - 5));
}

int SignificantDigits(const std::string& shown) {
  int digits = 0;
  bool leading = true;
  for (const char c : shown) {
    if (c < '0' || c > '9') continue;
    if (c != '0') leading = false;
    if (!leading) ++digits;
  }
  return digits;
}

// Lists as a search gives them, closest first: exact hits, near ties a rounding apart, values
// a part's step apart. Each key shows the target's digits when it is the target, otherwise at
// least those and at most kMostShownDigits; reads back within half its last digit; and tells
// itself from its neighbours whenever that many digits can.
TEST(DisplayTextTest, KeysShowTheDigitsThatTellRowsApart) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(0, 1);
  const std::vector<double> targets = {4700, 1234.5, 3141.59, 0.0022, 1e6, 3.3};
  int exact = 0;
  int told = 0;
  for (const double target : targets) {
    for (int round = 0; round < 200; ++round) {
      std::vector<double> keys;
      for (int i = 0; i < 12; ++i) {
        const double pick = unit(random);
        const double step = pick < 0.3 ? 0 : pick < 0.6 ? 1e-9 : pick < 0.8 ? 1e-4 : 0.02;
        keys.push_back(target * (1 + step * (unit(random) - 0.5) * (i + 1)));
      }
      std::sort(keys.begin(), keys.end(), [target](double a, double b) {
        return std::fabs(a - target) < std::fabs(b - target);
      });
      const std::vector<int> digits = ShownKeyDigits(keys, target);
      ASSERT_EQ(digits.size(), keys.size());
      const int targetDigits = std::max(3, ShortestDigits(target));
      for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string shown = FormatEngineering(keys[i], digits[i]);
        if (keys[i] == target) {
          ++exact;
          EXPECT_EQ(shown, FormatEngineering(target, targetDigits)) << target;
        }
        EXPECT_GE(digits[i], 3);
        EXPECT_LE(digits[i], kMostShownDigits);
        EXPECT_EQ(SignificantDigits(shown), digits[i]) << shown;
        const double half = 0.5 * std::pow(10.0, std::floor(std::log10(keys[i])) - digits[i] + 1);
        EXPECT_LE(std::fabs(ReadShown(shown) - keys[i]), half * 1.0001) << shown;
        if (i > 0 && std::fabs(keys[i] - keys[i - 1]) > kSameValue * keys[i] && keys[i] != target &&
            FormatEngineering(keys[i], kMostShownDigits) !=
                FormatEngineering(keys[i - 1], kMostShownDigits)) {
          ++told;
          EXPECT_NE(shown, FormatEngineering(keys[i - 1], digits[i]))
              << std::setprecision(17) << keys[i - 1] << " " << keys[i] << " " << target;
        }
      }
    }
  }
  EXPECT_GT(exact, 100);
  EXPECT_GT(told, 1000);
}

// Percentages read back within half their last decimal, keep their sign, and say "< 0.001"
// exactly where the fixed point would show nothing.
TEST(DisplayTextTest, PercentsAreFixedPointWithAFloor) {
  EXPECT_EQ(ShownPercent(0), "0");
  EXPECT_EQ(ShownPercent(-1.33e-6), "< 0.001");
  EXPECT_EQ(ShownPercent(-0.0878), "-0.088");
  EXPECT_EQ(ShownPercent(6.38297872), "+6.383");
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> exponent(-9, 3);
  for (int i = 0; i < 5000; ++i) {
    const double percent = (i % 2 == 0 ? 1 : -1) * std::pow(10.0, exponent(random));
    const std::string shown = ShownPercent(percent);
    if (std::fabs(percent) < 0.0005) {
      EXPECT_EQ(shown, "< 0.001") << percent;
      continue;
    }
    ASSERT_NE(shown, "< 0.001") << percent;
    EXPECT_EQ(shown[0], percent > 0 ? '+' : '-') << shown;
    EXPECT_EQ(shown.size() - shown.find('.'), 4u) << shown;
    EXPECT_LE(std::fabs(std::stod(shown) - percent), 0.0005 * 1.0001) << shown;
  }
}

TEST(DisplayTextTest, QuantitiesCarryPrefixAndUnit) {
  EXPECT_EQ(ShownQuantity(362e-6, 3, "A"), "362 \u00b5A");
  EXPECT_EQ(ShownQuantity(5e-3, 3, "A"), "5.00 mA");
  EXPECT_EQ(ShownQuantity(2.5, 3, "A"), "2.50 A");
  EXPECT_EQ(ShownQuantity(1e-18, 3, "A"), "1.00e-18 A");
  for (double value = 1.7e-14; value < 1e17; value *= 7.3) {
    const std::string shown = ShownQuantity(value, 3, "A");
    EXPECT_NEAR(ReadShown(shown) / value, 1, 0.005) << shown;
  }
}

}  // namespace
}  // namespace vantrel::finder
