#include "resistor_notation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "number_text.h"

namespace vantrel {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  return std::equal(word.begin(), word.end(), text.begin(),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

// The power of ten a multiplier letter stands for.
std::optional<int> LetterPower(char c) {
  switch (c) {
    case 'R':
    case 'r':
      return 0;
    case 'm':
      return -3;
    case 'k':
    case 'K':
      return 3;
    case 'M':
      return 6;
    case 'G':
      return 9;
    default:
      return std::nullopt;
  }
}

// Length of the unit at the start of text: "Ω" (the letter or the ohm sign), "ohm" or "ohms"
// in any case; 0 when there is none.
std::size_t UnitLength(std::string_view text) {
  for (std::string_view unit : {"\xCE\xA9", "\xE2\x84\xA6"}) {
    if (text.starts_with(unit)) return unit.size();
  }
  if (StartsWithNoCase(text, "ohms")) return 4;
  if (StartsWithNoCase(text, "ohm")) return 3;
  return 0;
}

// An RKM code continues the number's digits after the letter: "4k7" is 4.7e3.
std::optional<double> RkmValue(const DecimalText& number, std::string_view text, std::size_t& pos) {
  if (number.hasPoint || number.hasExponent || number.whole.empty()) return std::nullopt;
  if (pos + 1 >= text.size() || SkipDigits(text, pos + 1) == pos + 1) return std::nullopt;
  const std::optional<int> power = LetterPower(text[pos]);
  if (!power) return std::nullopt;
  DecimalText joined = number;
  const std::size_t fractionEnd = SkipDigits(text, pos + 1);
  joined.fraction = text.substr(pos + 1, fractionEnd - pos - 1);
  pos = fractionEnd;
  return joined.Value(*power);
}

std::optional<double> SpecialValue(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto sameWord = [&](std::string_view word) {
    return text.size() == word.size() && StartsWithNoCase(text, word);
  };
  if (sameWord("inf") || sameWord("infinity")) {
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  }
  if (sameWord("nan")) return std::numeric_limits<double>::quiet_NaN();
  return std::nullopt;
}

}  // namespace

std::optional<double> ParseResistance(std::string_view text) {
  text = TrimCSpace(text);
  if (const std::optional<double> special = SpecialValue(text)) return special;

  const DecimalText number = ScanDecimal(text, 0, "eE");
  if (!number.HasDigits()) return std::nullopt;
  std::size_t pos = number.end;
  std::optional<double> value = RkmValue(number, text, pos);
  if (!value) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    int power = 0;
    // A letter is a multiplier unless it starts the unit ("m" of "mohm" would be milli).
    if (pos < text.size() && UnitLength(text.substr(pos)) == 0) {
      if (const std::optional<int> letterPower = LetterPower(text[pos])) {
        power = *letterPower;
        ++pos;
      }
    }
    value = number.Value(power);
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  pos += UnitLength(text.substr(pos));
  return pos == text.size() ? value : std::nullopt;
}

std::optional<double> NotationValue(std::string_view piece) {
  // Notation needs a multiplier letter; most library lines are plain numbers without one.
  if (std::none_of(piece.begin(), piece.end(), [](char c) { return LetterPower(c).has_value(); })) {
    return std::nullopt;
  }
  std::size_t start = 0;
  while (start < piece.size() && IsCSpace(piece[start])) ++start;
  const DecimalText number = ScanDecimal(piece, start, "eEdD");
  if (!number.HasDigits()) return std::nullopt;

  std::size_t pos = number.end;
  std::optional<double> meant = RkmValue(number, piece, pos);
  if (!meant) {
    while (pos < piece.size() && IsBlank(piece[pos])) ++pos;
    if (pos >= piece.size()) return std::nullopt;
    const std::optional<int> power = LetterPower(piece[pos]);
    if (!power) return std::nullopt;
    // The letter must stand alone: "100 metal film" starts a word, "4.7kohm" is a unit.
    const std::string_view after = piece.substr(pos + 1);
    if (!after.empty() && !IsCSpace(after.front()) && UnitLength(after) == 0) {
      return std::nullopt;
    }
    meant = number.Value(*power);
  }
  // What the number rules read (ParseAtof), converted only for the few pieces with a letter.
  if (*meant == number.Value()) return std::nullopt;
  return meant;
}

}  // namespace vantrel
