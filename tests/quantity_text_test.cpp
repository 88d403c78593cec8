#include "quantity_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// The prefix letters as people write them, with their powers, kept apart from the reader.
struct Written {
  std::string text;
  int power;
  char letter;  // the letter a unit's prefixes name it by
};
const std::vector<Written> kWrittenPrefixes = {
    {"f", -15, 'f'},     {"p", -12, 'p'},     {"n", -9, 'n'}, {"u", -6, 'u'},
    {"\u00b5", -6, 'u'}, {"\u03bc", -6, 'u'}, {"m", -3, 'm'}, {"k", 3, 'k'},
    {"K", 3, 'K'},       {"M", 6, 'M'},       {"G", 9, 'G'}};

std::string Flipped(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// Every spelling of a number with a prefix (behind it or as its point) and a symbol, blanks
// between them or not, reads as strtod reads the decimal it means, and the same with the
// symbol as without it.
TEST(QuantityTextTest, EverySpellingReadsAsTheDecimalItWrites) {
  std::mt19937_64 random(30);
  int checked = 0;
  for (const QuantityUnit* unit : {&kOhms, &kVolts, &kAmperes, &kWatts, &kSeconds, &kHertz,
                                   &kFarads, &kHenries, &kPercent, &kRatio}) {
    std::vector<Written> prefixes = {{"", 0, '\0'}};
    for (const Written& prefix : kWrittenPrefixes) {
      if (unit->prefixes.find(prefix.letter) != std::string_view::npos) prefixes.push_back(prefix);
    }
    if (unit->pointLetter != '\0') prefixes.push_back({{unit->pointLetter}, 0, 'R'});
    for (int i = 0; i < 300; ++i) {
      const std::string whole = std::to_string(random() % 100000);
      const std::string fraction = std::to_string(random() % 1000);
      const int exponent = static_cast<int>(random() % 41) - 20;
      const bool plus = random() % 4 == 0;
      for (const Written& prefix : prefixes) {
        SCOPED_TRACE(std::string(unit->noun) + " " + whole + "." + fraction + " " + prefix.text);
        const std::string sign = plus ? "+" : "";
        const double meant = std::strtod(
            (whole + "." + fraction + "e" + std::to_string(exponent + prefix.power)).c_str(),
            nullptr);
        const double meantInfix = std::strtod(
            (whole + "." + fraction + "e" + std::to_string(prefix.power)).c_str(), nullptr);
        std::vector<std::pair<std::string, double>> bare = {
            {sign + whole + "." + fraction + "e" + std::to_string(exponent) + prefix.text, meant},
            {sign + whole + "." + fraction + "E" + std::to_string(exponent) + " " + prefix.text,
             meant}};
        if (!prefix.text.empty()) bare.emplace_back(whole + prefix.text + fraction, meantInfix);
        std::vector<std::string> symbols;
        for (std::string_view symbol : unit->symbols) {
          if (symbol.empty()) continue;
          symbols.emplace_back(symbol);
          // In another case a symbol must not be a prefix letter itself: "f" alone is femto.
          const std::string other = Flipped(std::string(symbol));
          if (unit->anyCase && unit->prefixes.find(other) == std::string_view::npos) {
            symbols.push_back(other);
          }
        }
        for (const auto& [text, value] : bare) {
          ASSERT_EQ(ReadQuantity(*unit, text).value, value) << text;
          for (const std::string& symbol : symbols) {
            // The point letter written as the unit ("3V") takes no second symbol.
            if (prefix.letter == 'R' && (symbol == prefix.text || Flipped(symbol) == prefix.text)) {
              continue;
            }
            for (const char* blank : {"", " "}) {
              const std::string withUnit = " " + text + blank + symbol + "\t";
              ASSERT_EQ(ReadQuantity(*unit, withUnit).value, value) << withUnit;
              ++checked;
            }
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 50000);
}

// Text that is no quantity of the unit, and a unit that is not the one asked for.
TEST(QuantityTextTest, RefusesOtherTextAndNamesAWrongUnit) {
  for (const auto& [unit, text] :
       std::vector<std::pair<const QuantityUnit*, std::string>>{{&kVolts, "1VV"},
                                                                {&kVolts, "1.5V3"},
                                                                {&kAmperes, "1 m m"},
                                                                {&kSeconds, "1S"},
                                                                {&kHertz, "1k5k"},
                                                                {&kOhms, "4.7k2"},
                                                                {&kFarads, "4k7"},
                                                                {&kPercent, "1k%"},
                                                                {&kRatio, "11x"},
                                                                {&kWatts, "W"}}) {
    EXPECT_FALSE(ReadQuantity(*unit, text).value) << text;
  }
  EXPECT_EQ(WrongUnit(kAmperes, "5V"), &kVolts);
  EXPECT_EQ(WrongUnit(kVolts, "4k7\u03a9"), &kOhms);
  EXPECT_EQ(WrongUnit(kSeconds, "1kHz"), &kHertz);
  EXPECT_EQ(WrongUnit(kPercent, "1mA"), &kAmperes);
  EXPECT_EQ(WrongUnit(kAmperes, "5m"), nullptr);
}

}  // namespace
}  // namespace vantrel
