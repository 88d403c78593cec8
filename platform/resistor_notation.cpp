#include "resistor_notation.h"

#include "number_text.h"
#include "quantity_text.h"

namespace vantrel {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The power of ten a multiplier letter stands for.
std::optional<int> LetterPower(std::string_view text) {
  const std::optional<PrefixFound> prefix = PrefixAt(kOhms, text);
  if (!prefix) return std::nullopt;
  return prefix->power;
}

// An RKM code continues the number's digits after the letter: "4k7" is 4.7e3.
std::optional<double> RkmValue(const DecimalText& number, std::string_view text, std::size_t& pos) {
  if (number.hasPoint || number.hasExponent || number.whole.empty()) return std::nullopt;
  if (pos + 1 >= text.size() || SkipDigits(text, pos + 1) == pos + 1) return std::nullopt;
  const std::optional<int> power = LetterPower(text.substr(pos));
  if (!power) return std::nullopt;
  DecimalText joined = number;
  const std::size_t fractionEnd = SkipDigits(text, pos + 1);
  joined.fraction = text.substr(pos + 1, fractionEnd - pos - 1);
  pos = fractionEnd;
  return joined.Value(*power);
}

}  // namespace

std::optional<double> ParseResistance(std::string_view text) {
  return ReadQuantity(kOhms, text).value;
}

std::optional<double> NotationValue(std::string_view piece) {
  // Notation needs a multiplier letter; most library lines are plain numbers without one.
  bool lettered = false;
  for (std::size_t i = 0; i < piece.size() && !lettered; ++i) {
    lettered = LetterPower(piece.substr(i)).has_value();
  }
  if (!lettered) return std::nullopt;
  std::size_t start = 0;
  while (start < piece.size() && IsCSpace(piece[start])) ++start;
  const DecimalText number = ScanDecimal(piece, start, "eEdD");
  if (!number.HasDigits()) return std::nullopt;

  std::size_t pos = number.end;
  std::optional<double> meant = RkmValue(number, piece, pos);
  if (!meant) {
    while (pos < piece.size() && IsBlank(piece[pos])) ++pos;
    if (pos >= piece.size()) return std::nullopt;
    const std::optional<int> power = LetterPower(piece.substr(pos));
    if (!power) return std::nullopt;
    // The letter must stand alone: "100 metal film" starts a word, "4.7kohm" is a unit.
    const std::string_view after = piece.substr(pos + 1);
    if (!after.empty() && !IsCSpace(after.front()) && SymbolLength(kOhms, after) == 0) {
      return std::nullopt;
    }
    meant = number.Value(*power);
  }
  // What the number rules read (ParseAtof), converted only for the few pieces with a letter.
  if (*meant == number.Value()) return std::nullopt;
  return meant;
}

}  // namespace vantrel
