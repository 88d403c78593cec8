#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Resistor notation: a multiplier letter after a number ("4.7k", "1 M", "470R") or standing
// for its decimal point ("4k7", "2R2", "0R5"). The letters are R (1), m (1e-3), k and K (1e3),
// M (1e6) and G (1e9); "Ω" or "ohm" may follow. Values are built from the decimal text with
// the letter's power of ten folded into the exponent, so "4.7k" is exactly the double 4700.

// Reads a resistance typed by a person: a plain number ([sign] digits [. digits] [e [sign]
// digits]) or one in resistor notation, with white space allowed around it and before the
// letter or the unit. "inf", "infinity" and "nan" (any case, optionally signed) give infinity
// and NaN so that callers can refuse them by value. Anything else gives nullopt.
std::optional<double> ParseResistance(std::string_view text);

// For one piece of a library file: the value resistor notation gives it when that differs
// from what the number rules read ("4k7" is read as 4, means 4700; "2.2 k"; "100m";
// "4.7kohm"). nullopt when the text after the number is not resistor notation or does not
// change the value ("470R", "4.7 ohm", "4.7Ω", "100 metal film"), or when there is no number.
std::optional<double> NotationValue(std::string_view piece);

}  // namespace vantrel
