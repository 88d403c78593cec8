#pragma once

// The marks on a resistor's body: its colour bands (IEC 60062) and its EIA-96 code.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::finder {

// A band's colour; a digit's colour has the digit's value.
enum class BandColour {
  kBlack,
  kBrown,
  kRed,
  kOrange,
  kYellow,
  kGreen,
  kBlue,
  kViolet,
  kGrey,
  kWhite,
  kGold,
  kSilver
};

// "black", "brown", ... "silver".
std::string_view ColourName(BandColour colour);

// The bands of a resistor of ohms, first to last: for a value of two significant digits in
// E24 (so in E3 to E24), the two digits, the multiplier and gold (5 %); for one of three in
// E192 (so in E48 to E192), the three digits, the multiplier and brown (1 %); none for any other
// value or a multiplier beyond silver (0.01) to white (10^9).
std::vector<BandColour> ColourBands(double ohms);

// The bands by name, "yellow violet red gold"; empty for none.
std::string ColourBandNames(double ohms);

// The EIA-96 code of an E96 value: the value's place in E96 (01 to 96) and its multiplier's
// letter, Z (0.001) to F (10^5): 4.99 kΩ gives "68B"; none for another value.
std::optional<std::string> Eia96Code(double ohms);

}  // namespace vantrel::finder
