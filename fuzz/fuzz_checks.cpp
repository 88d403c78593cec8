#include "fuzz_checks.h"

#include <locale.h>
#include <algorithm>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "number_text.h"

namespace vantrel::fuzz {
namespace {

static_assert(LDBL_MANT_DIG >= 64, "ReferenceFixed needs the x87 extended format");

locale_t ClassicLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// The text up to the first byte that is not in allowed (or is NUL). Every number form the
// program reads is made of allowed bytes, so this keeps the number and cuts hex, inf and nan
// forms at their first letter.
std::string CutAt(std::string_view text, const char* allowed, bool exponentLetters) {
  std::string kept;
  for (char c : text) {
    if (exponentLetters && (c == 'd' || c == 'D')) c = 'e';
    if (c == '\0' || std::strchr(allowed, c) == nullptr) break;
    kept += c;
  }
  return kept;
}

// atoi with the saturation the program promises.
int ReferenceAtoi(std::string_view text) {
  const long long wide =
      std::strtoll(CutAt(text, "0123456789+- \t\n\v\f\r", false).c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long long>(wide, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

double ReferenceAtof(std::string_view text) {
  return strtod_l(CutAt(text, "0123456789.eE+- \t\n\v\f\r", true).c_str(), nullptr,
                  ClassicLocale());
}

// value * 100 or * 1000 is exact in the 64-bit significand of long double, and roundl rounds
// halves away from zero, so the last digit is decided on the exact value; glibc prints the
// resulting integer exactly.
std::string ReferenceFixed(double value, int decimals) {
  const long double scale = decimals == 2 ? 100.0L : 1000.0L;
  const long double units = roundl(fabsl(static_cast<long double>(value)) * scale);
  char digits[400];
  std::snprintf(digits, sizeof digits, "%.0Lf", units);
  std::string text(digits);
  const auto width = static_cast<std::size_t>(decimals);
  if (text.size() <= width) text.insert(0, width + 1 - text.size(), '0');
  text.insert(text.size() - width, ".");
  return (std::signbit(value) ? "-" : "") + text;
}

void CheckNumberText(std::string_view text) {
  const double value = ParseAtof(text);
  Check(!std::isnan(value), "ParseAtof gave NaN");
  Check(SameBits(value, ReferenceAtof(text)), "ParseAtof differs from strtod");
  Check(ParseAtoi(text) == ReferenceAtoi(text), "ParseAtoi differs from strtoll");

  const float stored = RoundToFloat(value);
  constexpr double kOverflow = 0x1.ffffffp127;  // halfway from FLT_MAX to 2^128
  if (std::fabs(value) >= kOverflow) {
    Check(std::isinf(stored) && std::signbit(stored) == std::signbit(value),
          "RoundToFloat kept a value beyond the float range");
  } else if (std::fabs(value) > FLT_MAX) {
    Check(std::fabs(stored) == FLT_MAX, "RoundToFloat did not round to FLT_MAX");
  } else {
    Check(stored == static_cast<float>(value), "RoundToFloat differs from the cast");
  }

  if (!std::isfinite(value)) {
    Check(FormatFixed(value, 2) == (value < 0 ? "-inf" : "inf"), "FormatFixed of infinity");
    return;
  }
  Check(FormatFixed(value, 2) == ReferenceFixed(value, 2), "FormatFixed %.2f");
  Check(FormatFixed(value, 3) == ReferenceFixed(value, 3), "FormatFixed %.3f");
  if (std::isfinite(stored)) {
    Check(FormatFixed(stored, 2) == ReferenceFixed(stored, 2), "FormatFixed %.2f of the float");
  }

  // Any number of decimals: the text reads back within half a unit of its last decimal, give
  // or take the rounding of the read itself.
  const int decimals = static_cast<int>(text.size() % 21);
  const double back = ParseAtof(FormatFixed(value, decimals));
  const long double error = fabsl(static_cast<long double>(back) - value);
  const long double halfUnit = 0.5L * powl(10.0L, static_cast<long double>(-decimals));
  const long double readSlack =
      (std::nextafter(std::fabs(back), INFINITY) - std::fabs(back)) / 2.0L;
  Check(error <= halfUnit * (1.0L + 1e-15L) + readSlack, "FormatFixed text reads back too far");
}

void UseCommaLocale() {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace vantrel::fuzz
