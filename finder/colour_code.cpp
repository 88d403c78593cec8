#include "colour_code.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "e_series.h"

namespace vantrel::finder {
namespace {

constexpr std::array<std::string_view, 12> kColourNames = {"black",  "brown", "red",  "orange",
                                                           "yellow", "green", "blue", "violet",
                                                           "grey",   "white", "gold", "silver"};

// The multipliers a band can say, 10^-2 (silver) to 10^9 (white).
constexpr int kLeastPower = -2;
constexpr int kMostPower = 9;

// EIA-96's multiplier letters for 10^-3 to 10^5 (R, S and H are other names for Y, X and B).
constexpr std::string_view kEiaLetters = "ZYXABCDEF";
constexpr int kEiaLeastPower = -3;

// value as a whole number of digits significant digits times 10^power, when it is one (to a
// rounding of the double); the number and the power.
std::optional<std::pair<int, int>> Significant(double value, int digits, int least, int most) {
  if (!(value > 0) || !std::isfinite(value)) return std::nullopt;
  const int power = static_cast<int>(std::floor(std::log10(value))) - digits + 1;
  for (const int p : {power - 1, power, power + 1}) {
    if (p < least || p > most) continue;
    const double scaled = value / std::pow(10.0, p);
    const double whole = std::round(scaled);
    if (std::fabs(scaled - whole) <= 1e-9 * scaled && whole >= std::pow(10.0, digits - 1) &&
        whole < std::pow(10.0, digits)) {
      return std::pair{static_cast<int>(whole), p};
    }
  }
  return std::nullopt;
}

bool InSeries(std::string_view name, int mantissa) {
  const ESeries* series = FindSeries(name);
  return series != nullptr &&
         std::binary_search(series->mantissas.begin(), series->mantissas.end(), mantissa);
}

BandColour Multiplier(int power) {
  if (power == -2) return BandColour::kSilver;
  if (power == -1) return BandColour::kGold;
  return static_cast<BandColour>(power);
}

}  // namespace

std::string_view ColourName(BandColour colour) {
  return kColourNames[static_cast<std::size_t>(colour)];
}

std::vector<BandColour> ColourBands(double ohms) {
  if (const auto two = Significant(ohms, 2, kLeastPower, kMostPower);
      two && InSeries("E24", two->first)) {
    return {static_cast<BandColour>(two->first / 10), static_cast<BandColour>(two->first % 10),
            Multiplier(two->second), BandColour::kGold};
  }
  if (const auto three = Significant(ohms, 3, kLeastPower, kMostPower);
      three && InSeries("E192", three->first)) {
    const int digits = three->first;
    return {static_cast<BandColour>(digits / 100), static_cast<BandColour>(digits / 10 % 10),
            static_cast<BandColour>(digits % 10), Multiplier(three->second), BandColour::kBrown};
  }
  return {};
}

std::string ColourBandNames(double ohms) {
  std::string names;
  for (const BandColour colour : ColourBands(ohms)) {
    names.append(names.empty() ? "" : " ").append(ColourName(colour));
  }
  return names;
}

std::optional<std::string> Eia96Code(double ohms) {
  // The code's number names three digits, so a value is taken as those times the multiplier.
  const auto three = Significant(ohms, 3, kEiaLeastPower,
                                 kEiaLeastPower + static_cast<int>(kEiaLetters.size()) - 1);
  const ESeries* e96 = FindSeries("E96");
  if (!three || e96 == nullptr) return std::nullopt;
  const auto at = std::find(e96->mantissas.begin(), e96->mantissas.end(), three->first);
  if (at == e96->mantissas.end()) return std::nullopt;
  const auto place = at - e96->mantissas.begin() + 1;
  // The letter multiplies the three digits: 01A is 100 Ω, 01C 10 kΩ.
  const int letter = three->second - kEiaLeastPower;
  std::string code = place < 10 ? "0" : "";
  return code.append(std::to_string(place))
      .append(1, kEiaLetters[static_cast<std::size_t>(letter)]);
}

}  // namespace vantrel::finder
