#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace vantrel {

// How the values of one quantity are written: a number, then an SI prefix and the unit's
// symbol, each optional and white space allowed before either ("4.7 k Ohms", "1.25V",
// "160µs"). A prefix may also stand for the decimal point of a whole number ("4k7"), as may
// the point letter ("2R2", "3V3"), a prefix of power 0. Every field that takes a quantity reads
// it through one of these descriptions, so a unit is accepted alike everywhere.
struct QuantityUnit {
  std::string_view noun;                    // "voltage", for messages
  std::array<std::string_view, 4> symbols;  // "V"; longer spellings before their prefixes
  bool anyCase;                             // the symbols in any letter case: "v", "OHM"
  std::string_view prefixes;                // letters out of "fpnumkKMG"; u brings µ and μ
  char pointLetter;                         // '\0' when none; read in the symbols' case rule
};

// The SI prefixes every physical quantity but resistances and stock values takes.
inline constexpr std::string_view kSiPrefixes = "fpnumkKMG";

inline constexpr QuantityUnit kOhms{
    "resistance", {"\xCE\xA9", "\xE2\x84\xA6", "ohms", "ohm"}, true, "mkKMG", 'R'};
inline constexpr QuantityUnit kVolts{"voltage", {"V"}, true, kSiPrefixes, 'V'};
inline constexpr QuantityUnit kAmperes{"current", {"A"}, true, kSiPrefixes, '\0'};
inline constexpr QuantityUnit kWatts{"power", {"W"}, true, kSiPrefixes, '\0'};
inline constexpr QuantityUnit kSeconds{"time", {"s"}, false, kSiPrefixes, '\0'};
inline constexpr QuantityUnit kHertz{"frequency", {"Hz"}, true, kSiPrefixes, '\0'};
// Farads and henries: "f" alone is femto, and "uf" a microfarad, since a prefix is tried
// before a symbol in another case.
inline constexpr QuantityUnit kFarads{"capacitance", {"F"}, true, "fpnum", '\0'};
inline constexpr QuantityUnit kHenries{"inductance", {"H"}, true, "fpnum", '\0'};
inline constexpr QuantityUnit kPercent{"percentage", {"%"}, false, "", '\0'};
// A gain is a ratio: a number with the multipliers of resistances, no unit.
inline constexpr QuantityUnit kRatio{"gain", {}, false, "mkKMG", '\0'};

// The units a wrong-unit refusal recognises, each by its symbol.
inline constexpr std::array<const QuantityUnit*, 9> kQuantityUnits = {
    &kOhms, &kVolts, &kAmperes, &kWatts, &kSeconds, &kHertz, &kFarads, &kHenries, &kPercent};

// What reading a quantity found.
struct QuantityRead {
  std::optional<double> value;     // set when the whole text is read
  bool number = false;             // the text starts with a number
  bool prefixed = false;           // a prefix or the point letter is written
  bool unitWritten = false;        // the symbol is written
  bool exponent = false;           // the number has an exponent
  bool digitsAfterPrefix = false;  // "4.7n7": only a whole number runs on after its prefix
  std::string_view rest;           // the text that could not be read; empty when value is set
};

// Reads text, white space around it allowed, as unit describes. The number is [sign] digits
// [. digits] [e [sign] digits], its value the double nearest the decimal with the prefix's power
// folded into the exponent, so "4.7k" is exactly 4700, in units of 10^heldPower ("4.7n" with
// -12 is exactly 4700). "inf", "infinity" and "nan" (any case, optionally signed) read as
// infinity and NaN, for callers to refuse by value.
QuantityRead ReadQuantity(const QuantityUnit& unit, std::string_view text, int heldPower = 0);

// The power of ten of the prefix or point letter unit takes at the start of text, and the
// length it takes; nullopt when there is none.
struct PrefixFound {
  int power;
  std::size_t length;
};
std::optional<PrefixFound> PrefixAt(const QuantityUnit& unit, std::string_view text);

// The length of unit's symbol at the start of text, 0 when there is none. exactCase reads only
// the symbols as written; otherwise the unit's case rule applies.
std::size_t SymbolLength(const QuantityUnit& unit, std::string_view text, bool exactCase = false);

// The unit other than unit whose symbol text is written in and reads as, if any: "5V" for a
// current is a voltage.
const QuantityUnit* WrongUnit(const QuantityUnit& unit, std::string_view text);

}  // namespace vantrel
