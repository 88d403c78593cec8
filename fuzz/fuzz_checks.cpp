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
#include <optional>

#include "number_text.h"
#include "quantity_text.h"

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

// A recursive descent over one JSON value; any departure from the grammar or from UTF-8 ends it.
class StrictJson {
 public:
  explicit StrictJson(std::string_view text) : m_text(text) {}

  bool Document() {
    Space();
    if (!Value(0)) return false;
    Space();
    return m_pos == m_text.size();
  }

 private:
  static constexpr int kMaxDepth = 64;

  bool Value(int depth) {
    if (depth > kMaxDepth || m_pos == m_text.size()) return false;
    switch (m_text[m_pos]) {
      case '{':
        return Object(depth);
      case '[':
        return Array(depth);
      case '"':
        return String();
      case 't':
        return Word("true");
      case 'f':
        return Word("false");
      case 'n':
        return Word("null");
      default:
        return Number();
    }
  }

  bool Object(int depth) {
    ++m_pos;
    Space();
    if (Take('}')) return true;
    do {
      Space();
      if (Peek() != '"' || !String()) return false;
      Space();
      if (!Take(':')) return false;
      Space();
      if (!Value(depth + 1)) return false;
      Space();
    } while (Take(','));
    return Take('}');
  }

  bool Array(int depth) {
    ++m_pos;
    Space();
    if (Take(']')) return true;
    do {
      Space();
      if (!Value(depth + 1)) return false;
      Space();
    } while (Take(','));
    return Take(']');
  }

  bool String() {
    ++m_pos;
    while (m_pos < m_text.size()) {
      const auto byte = static_cast<unsigned char>(m_text[m_pos]);
      if (byte == '"') {
        ++m_pos;
        return true;
      }
      if (byte < 0x20) return false;
      if (byte == '\\') {
        if (!Escape()) return false;
      } else if (byte < 0x80) {
        ++m_pos;
      } else if (!Utf8()) {
        return false;
      }
    }
    return false;
  }

  bool Escape() {
    if (++m_pos == m_text.size()) return false;
    const char c = m_text[m_pos++];
    if (c != 'u') return c != '\0' && std::strchr("\"\\/bfnrt", c) != nullptr;
    const long unit = Hex4();
    if (unit < 0xd800 || unit > 0xdfff) return unit >= 0;
    // A high surrogate must be followed by an escaped low one.
    if (unit > 0xdbff || m_text.substr(m_pos, 2) != "\\u") return false;
    m_pos += 2;
    const long low = Hex4();
    return low >= 0xdc00 && low <= 0xdfff;
  }

  long Hex4() {
    if (m_text.size() - m_pos < 4) return -1;
    long unit = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = m_text[m_pos++];
      const char lower = static_cast<char>(c | 0x20);
      if (c >= '0' && c <= '9') {
        unit = unit * 16 + (c - '0');
      } else if (lower >= 'a' && lower <= 'f') {
        unit = unit * 16 + (lower - 'a' + 10);
      } else {
        return -1;
      }
    }
    return unit;
  }

  // One multi-byte UTF-8 sequence, as RFC 3629 allows it.
  bool Utf8() {
    const auto lead = static_cast<unsigned char>(m_text[m_pos]);
    int length = 0;
    unsigned long point = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
      length = 2;
      point = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
      length = 3;
      point = lead & 0x0fu;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
      length = 4;
      point = lead & 0x07u;
    } else {
      return false;
    }
    if (m_text.size() - m_pos < static_cast<std::size_t>(length)) return false;
    for (int i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(m_text[m_pos + static_cast<std::size_t>(i)]);
      if ((next & 0xc0u) != 0x80u) return false;
      point = point << 6 | (next & 0x3fu);
    }
    m_pos += static_cast<std::size_t>(length);
    constexpr unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    return point >= kLeast[length] && point <= 0x10ffff && (point < 0xd800 || point > 0xdfff);
  }

  bool Number() {
    Take('-');
    if (Take('0')) {
      // no leading zeros
    } else if (!Digits()) {
      return false;
    }
    if (Take('.') && !Digits()) return false;
    if (Peek() == 'e' || Peek() == 'E') {
      ++m_pos;
      if (!Take('+')) Take('-');
      if (!Digits()) return false;
    }
    return true;
  }

  bool Digits() {
    const std::size_t start = m_pos;
    while (Peek() >= '0' && Peek() <= '9') ++m_pos;
    return m_pos > start;
  }

  bool Word(std::string_view word) {
    if (m_text.substr(m_pos, word.size()) != word) return false;
    m_pos += word.size();
    return true;
  }

  void Space() {
    while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r') ++m_pos;
  }

  char Peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }

  bool Take(char c) {
    if (m_pos == m_text.size() || m_text[m_pos] != c) return false;
    ++m_pos;
    return true;
  }

  std::string_view m_text;
  std::size_t m_pos = 0;
};

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
  // A quantity read without its unit reads the same with it.
  for (const QuantityUnit* unit : kQuantityUnits) {
    const QuantityRead read = ReadQuantity(*unit, text);
    if (!read.value || !read.number || read.unitWritten || text.empty() || IsCSpace(text.back())) {
      continue;
    }
    const std::optional<double> withUnit =
        ReadQuantity(*unit, std::string(text) + " " + std::string(unit->symbols.front())).value;
    Check(withUnit && SameBits(*withUnit, *read.value), "a unit changes a quantity's value");
  }
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

bool IsStrictJson(std::string_view text) {
  return StrictJson(text).Document();
}

void UseCommaLocale() {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace vantrel::fuzz
