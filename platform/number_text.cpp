#include "number_text.h"

#include <locale.h>
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace vantrel {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipSpace(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsCSpace(text[pos])) ++pos;
  return pos;
}

// strtod follows the process locale (a Qt program sets it from the environment), so the
// conversion runs in a "C" locale object of its own.
locale_t ClassicLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// Number of fractional decimal digits that represent a finite, non-zero double exactly.
int ExactFractionDigits(double magnitude) {
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);
  auto significand =
      static_cast<std::uint64_t>(std::ldexp(fraction, std::numeric_limits<double>::digits));
  exponent -= std::numeric_limits<double>::digits;
  const int trailingZeros = std::countr_zero(significand);
  exponent += trailingZeros;
  return exponent < 0 ? -exponent : 0;
}

}  // namespace

bool IsCSpace(char c) {
  return kCSpace.find(c) != std::string_view::npos && c != '\0';
}

std::string_view TrimCSpace(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(kCSpace);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(kCSpace) - begin + 1);
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) return '"' + std::string(text) + '"';
  std::size_t cut = kShown;
  // Back up over UTF-8 continuation bytes so no character is split.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return '"' + std::string(text.substr(0, cut)) + "...\" (" + std::to_string(text.size()) +
         " characters)";
}

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

DecimalText ScanDecimal(std::string_view text, std::size_t pos, std::string_view exponentLetters) {
  DecimalText number;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    number.negative = text[pos++] == '-';
  }
  std::size_t digitsEnd = SkipDigits(text, pos);
  number.whole = text.substr(pos, digitsEnd - pos);
  pos = digitsEnd;
  if (pos < text.size() && text[pos] == '.') {
    digitsEnd = SkipDigits(text, pos + 1);
    number.fraction = text.substr(pos + 1, digitsEnd - pos - 1);
    number.hasPoint = true;
    pos = digitsEnd;
  }
  number.end = pos;
  if (!number.HasDigits() || pos >= text.size() ||
      exponentLetters.find(text[pos]) == std::string_view::npos) {
    return number;
  }
  std::size_t expPos = pos + 1;
  bool negativeExponent = false;
  if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) {
    negativeExponent = text[expPos++] == '-';
  }
  const std::size_t expEnd = SkipDigits(text, expPos);
  if (expEnd == expPos) return number;
  constexpr long long kSaturated = 1'000'000'000'000'000;
  long long exponent = 0;
  for (std::size_t i = expPos; i < expEnd; ++i) {
    exponent = std::min(exponent * 10 + (text[i] - '0'), kSaturated);
  }
  number.hasExponent = true;
  number.exponent = negativeExponent ? -exponent : exponent;
  number.end = expEnd;
  return number;
}

double DecimalText::Value(int power) const {
  // Up to 15 digits are an exact double, as is 10^k up to 10^22, and one multiplication or
  // division of exact operands rounds correctly: most library lines need no strtod.
  if (whole.size() + fraction.size() <= 15) {
    const long long shift = exponent + power - static_cast<long long>(fraction.size());
    if (shift >= -22 && shift <= 22) {
      constexpr std::array<double, 23> kPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
      std::int64_t digits = 0;
      for (char c : whole) digits = digits * 10 + (c - '0');
      for (char c : fraction) digits = digits * 10 + (c - '0');
      const auto mantissa = static_cast<double>(digits);
      const double magnitude = shift >= 0 ? mantissa * kPowers[static_cast<std::size_t>(shift)]
                                          : mantissa / kPowers[static_cast<std::size_t>(-shift)];
      return negative ? -magnitude : magnitude;
    }
  }
  // Past this many powers of ten, whatever the digits, the value is beyond the double range
  // (infinity) or below its smallest denormal (zero), so strtod gets the same answer.
  const auto limit = static_cast<long long>(whole.size() + fraction.size()) + 400;
  const long long shifted = std::clamp(exponent + power, -limit, limit);
  std::string clean = negative ? "-" : "";
  clean.append(whole.empty() ? "0" : whole);
  clean += '.';
  clean.append(fraction);
  clean += 'e';
  clean += std::to_string(shifted);
  // The cleaned text holds only the forms above, so strtod cannot take hex, inf or nan.
  return strtod_l(clean.c_str(), nullptr, ClassicLocale());
}

double ParseAtof(std::string_view text) {
  const DecimalText number = ScanDecimal(text, SkipSpace(text, 0), "eEdD");
  return number.HasDigits() ? number.Value() : 0.0;
}

int ParseAtoi(std::string_view text) {
  std::size_t pos = SkipSpace(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    magnitude = std::min(kLimit, magnitude * 10 + (text[pos] - '0'));
  }
  const std::int64_t value = negative ? -magnitude : std::min(magnitude, kLimit - 1);
  return static_cast<int>(value);
}

float RoundToFloat(double value) {
  // Halfway between FLT_MAX and 2^128: from here on, round-to-nearest gives infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  if (value >= kOverflow) return std::numeric_limits<float>::infinity();
  if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

std::string FormatFixed(double value, int decimals) {
  if (std::isnan(value)) return "nan";
  const bool negative = std::signbit(value);
  const std::string sign = negative ? "-" : "";
  const double magnitude = std::fabs(value);
  if (std::isinf(magnitude)) return sign + "inf";

  // Up to 309 integer digits and 1074 fractional ones for the exact expansion.
  std::array<char, 1500> buffer{};
  const int exactDigits = magnitude == 0.0 ? 0 : ExactFractionDigits(magnitude);
  if (exactDigits <= decimals) {
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                   std::chars_format::fixed, decimals);
    return sign + std::string(buffer.data(), end);
  }

  // The expansion is exact, so deciding on the first dropped digit rounds exactly once:
  // 5 followed by anything (zeros included) rounds the magnitude up.
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                 std::chars_format::fixed, exactDigits);
  std::string digits(buffer.data(), end);
  const std::size_t point = digits.find('.');
  const bool roundUp = digits[point + 1 + decimals] >= '5';
  digits.resize(decimals == 0 ? point : point + 1 + decimals);
  if (roundUp) {
    std::size_t i = digits.size();
    while (i > 0) {
      --i;
      if (digits[i] == '.') continue;
      if (digits[i] != '9') {
        ++digits[i];
        break;
      }
      digits[i] = '0';
      if (i == 0) digits.insert(digits.begin(), '1');
    }
  }
  return sign + digits;
}

namespace {

template <typename T>
std::string Shortest(T value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string ShortestText(double value) {
  return Shortest(value);
}

std::string ShortestText(float value) {
  return Shortest(value);
}

std::string PlainDigits(double value) {
  std::array<char, 400> buffer{};
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  if (ec != std::errc{}) return FormatFixed(value, 0);
  return std::string(buffer.data(), end);
}

std::string FormatEngineering(double value, int digits) {
  if (value == 0) return "0";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, digits - 1);
  const std::string text(buffer, result.ptr);
  const std::size_t e = text.find('e');
  // inf and nan have no exponent to group by.
  if (e == std::string::npos) return (value < 0 ? "-" : "") + text;
  const int exponent = std::atoi(text.c_str() + e + 1);
  const int engineering = exponent >= 0 ? exponent / 3 * 3 : -((-exponent + 2) / 3 * 3);
  static constexpr const char* kPrefixes[] = {"f", "p", "n", "u", "m", "",
                                              "k", "M", "G", "T", "P", "E"};
  const int slot = engineering / 3 + 5;
  std::string out = value < 0 ? "-" : "";
  if (slot < 0 || slot >= 12) return out.append(text);
  std::string mantissa = text.substr(0, e);
  mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
  const auto whole = static_cast<std::size_t>(exponent - engineering + 1);
  out.append(mantissa, 0, whole);
  if (mantissa.size() > whole) out.append(".").append(mantissa, whole);
  return out.append(kPrefixes[slot]);
}

int DigitsToTellApart(double a, double b) {
  int digits = 3;
  while (digits < 17 && FormatEngineering(a, digits) == FormatEngineering(b, digits)) ++digits;
  return digits;
}

int ShortestDigits(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::string_view mantissa = text.substr(0, text.find('e'));
  return static_cast<int>(mantissa.size() - (mantissa.find('.') == std::string_view::npos ? 0 : 1));
}

std::string FormatPercent(double percent) {
  if (percent == 0) return "0";
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, percent, std::chars_format::general, 3);
  std::string text = percent > 0 ? "+" : "";
  return text.append(buffer, result.ptr);
}

std::string CountText(std::size_t count, std::string_view noun) {
  std::string text = std::to_string(count) + " " + std::string(noun);
  return count == 1 ? text : text + "s";
}

std::string StockValueText(double value) {
  char buffer[400];  // 309 digits before the point at most
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

}  // namespace vantrel
