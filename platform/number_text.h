#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// The C locale's white space: space, tab, line feed, vertical tab, form feed, carriage return.
inline constexpr std::string_view kCSpace = " \t\n\v\f\r";

bool IsCSpace(char c);

// text without the C white space around it.
std::string_view TrimCSpace(std::string_view text);

// A number as written: [sign] digits [. digits] [exponent letter [sign] digits], with at least
// one digit in the mantissa for it to count.
struct DecimalText {
  bool negative = false;
  std::string_view whole;
  std::string_view fraction;
  bool hasPoint = false;
  bool hasExponent = false;
  long long exponent = 0;  // saturates far beyond the double range
  std::size_t end = 0;     // just past the number

  bool HasDigits() const { return !whole.empty() || !fraction.empty(); }

  // The value with power more powers of ten, correctly rounded from the decimal digits; the
  // magnitudes beyond the double range give infinity. Needs HasDigits().
  double Value(int power = 0) const;
};

// Scans a number at pos (no white space is skipped). exponentLetters are the letters that may
// start an exponent; a letter without digits after it is not part of the number.
DecimalText ScanDecimal(std::string_view text, std::size_t pos, std::string_view exponentLetters);

// The position of the first non-digit from pos on.
std::size_t SkipDigits(std::string_view text, std::size_t pos);

// Converts text the way the C runtime's atof does in the classic locale: leading white space
// is skipped and the longest prefix [sign] digits [. digits] [e|E|d|D [sign] digits] is read;
// hexadecimal, infinity and not-a-number forms are not recognised, and text without a number
// gives 0. The result is correctly rounded; magnitudes beyond the double range give infinity.
double ParseAtof(std::string_view text);

// Converts text the way atoi does: leading white space, [sign] digits. Saturates at the
// limits of int instead of overflowing.
int ParseAtoi(std::string_view text);

// Rounds a double to the nearest float, ties to even, with out-of-range values becoming
// infinities (a plain cast would be undefined behaviour there).
float RoundToFloat(double value);

// Formats value in fixed notation with the given number of decimals (0 to 20), rounded to
// nearest with exact halves rounded away from zero, "." as the decimal point, no grouping, and
// a minus sign for every negative value, as printf's "%.Nf" does. Independent of the locale.
std::string FormatFixed(double value, int decimals);

}  // namespace vantrel
