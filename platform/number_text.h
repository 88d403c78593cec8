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

// text in double quotes for a message, cut to its first 40 bytes (on a character boundary)
// with the full length said when longer, so that a pasted novel is not echoed whole.
std::string Quoted(std::string_view text);

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

// The shortest text that reads back as the same value: "4700", "0.1", "1e+20".
std::string ShortestText(double value);
std::string ShortestText(float value);

// The value in plain decimal digits, the shortest text that reads back as the same double:
// 4700 gives "4700", 0.1 gives "0.1". For messages that tell the user what to write.
std::string PlainDigits(double value);

// Value in engineering notation with an SI prefix and significant digits (at least 3):
// 4700 with 3 gives "4.70k", 0.0022 gives "2.20m". Micro is written "u". Beyond the
// prefixes (below 1f, from 1000E) the exponent is written out: "1.00e-18".
std::string FormatEngineering(double value, int digits);

// The fewest significant digits, at least 3, at which a and b look different.
int DigitsToTellApart(double a, double b);

// The significant digits of the shortest text that reads back as value: 4700 has 2, 1234.5 has 5.
int ShortestDigits(double value);

// A signed percentage with 3 significant digits: "+0.122", "-1.5e-07", "0".
std::string FormatPercent(double percent);

// count and noun, the noun in the plural unless count is 1: "1 value", "0 lines", "2 blank
// lines" (the last word takes the "s").
std::string CountText(std::size_t count, std::string_view noun);

// A stock value as written: the shortest plain decimal that reads back as the same double,
// "4700", "11.3" or "0.001".
std::string StockValueText(double value);

}  // namespace vantrel
