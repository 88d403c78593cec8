#include "colour_code.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "e_series.h"

namespace vantrel::finder {
namespace {

// Values checked by hand against a colour-code chart and an EIA-96 table.
TEST(ColourCodeTest, HandCheckedValues) {
  EXPECT_EQ(ColourBandNames(4700), "yellow violet red gold");
  EXPECT_EQ(ColourBandNames(270000), "red violet yellow gold");
  EXPECT_EQ(ColourBandNames(1e6), "brown black green gold");
  EXPECT_EQ(ColourBandNames(10), "brown black black gold");
  EXPECT_EQ(ColourBandNames(0.47), "yellow violet silver gold");
  EXPECT_EQ(ColourBandNames(1.5), "brown green gold gold");
  EXPECT_EQ(ColourBandNames(4990), "yellow white white brown brown");
  EXPECT_EQ(ColourBandNames(10.2), "brown black red gold brown");
  EXPECT_EQ(ColourBandNames(3141.59), "");
  EXPECT_EQ(ColourBandNames(4701), "");
  EXPECT_EQ(ColourBandNames(1e12), "");  // past white (10^9)
  EXPECT_EQ(Eia96Code(4990), "68B");
  EXPECT_EQ(Eia96Code(10000), "01C");
  EXPECT_EQ(Eia96Code(100), "01A");
  EXPECT_EQ(Eia96Code(1), "01Y");
  EXPECT_EQ(Eia96Code(97600), "96C");
  EXPECT_EQ(Eia96Code(249000), "39D");
  EXPECT_EQ(Eia96Code(4700), std::nullopt);  // E24, not E96
  EXPECT_EQ(Eia96Code(1e8), std::nullopt);   // past F
}

// Every E3 to E192 value over the decades the bands can say reads back from its bands the plain
// way (digits, then the multiplier: black 10^0 to white 10^9, gold 10^-1, silver 10^-2), with
// four bands exactly when its two digits are an E24 value.
TEST(ColourCodeTest, BandsReadBackAsTheValue) {
  const std::map<std::string, int> digit = {
      {"black", 0}, {"brown", 1},  {"red", 2},  {"orange", 3}, {"yellow", 4}, {"green", 5},
      {"blue", 6},  {"violet", 7}, {"grey", 8}, {"white", 9},  {"gold", -1},  {"silver", -2}};
  const std::vector<int>& e24 = FindSeries("E24")->mantissas;
  int checked = 0;
  for (const ESeries& series : StandardSeries()) {
    for (const int mantissa : series.mantissas) {
      // 470 of E192 is E24's 47: two digits.
      const int shortest = mantissa >= 100 && mantissa % 10 == 0 ? mantissa / 10 : mantissa;
      const bool fourBands =
          shortest < 100 && std::find(e24.begin(), e24.end(), shortest) != e24.end();
      for (int power = -2; power <= 6; ++power) {
        const double ohms = mantissa * std::pow(10.0, power);
        std::istringstream names(ColourBandNames(ohms));
        std::vector<int> bands;
        for (std::string name; names >> name;) bands.push_back(digit.at(name));
        ASSERT_EQ(bands.size(), fourBands ? 4u : 5u) << ohms;
        double value = 0;
        for (std::size_t i = 0; i + 2 < bands.size(); ++i) value = value * 10 + bands[i];
        value *= std::pow(10.0, bands[bands.size() - 2]);
        EXPECT_NEAR(value / ohms, 1, 1e-12) << ohms;
        EXPECT_EQ(bands.back(), fourBands ? -1 : 1) << ohms;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 3000);
}

}  // namespace
}  // namespace vantrel::finder
