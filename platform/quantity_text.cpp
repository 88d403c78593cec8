#include "quantity_text.h"

#include <algorithm>
#include <limits>

#include "number_text.h"

namespace vantrel {
namespace {

constexpr std::string_view kMicroSign = "\xC2\xB5";  // U+00B5
constexpr std::string_view kGreekMu = "\xCE\xBC";    // U+03BC

int PrefixPower(char letter) {
  switch (letter) {
    case 'f':
      return -15;
    case 'p':
      return -12;
    case 'n':
      return -9;
    case 'u':
      return -6;
    case 'm':
      return -3;
    case 'k':
    case 'K':
      return 3;
    case 'M':
      return 6;
    default:  // G
      return 9;
  }
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWith(std::string_view text, std::string_view word, bool anyCase) {
  if (text.size() < word.size()) return false;
  if (!anyCase) return text.starts_with(word);
  return std::equal(word.begin(), word.end(), text.begin(),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

bool IsDigitAt(std::string_view text, std::size_t pos) {
  return pos < text.size() && text[pos] >= '0' && text[pos] <= '9';
}

std::optional<double> SpecialValue(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto sameWord = [&](std::string_view word) {
    return text.size() == word.size() && StartsWith(text, word, true);
  };
  if (sameWord("inf") || sameWord("infinity")) {
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  }
  if (sameWord("nan")) return std::numeric_limits<double>::quiet_NaN();
  return std::nullopt;
}

}  // namespace

std::optional<PrefixFound> PrefixAt(const QuantityUnit& unit, std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (unit.pointLetter != '\0' && StartsWith(text, {&unit.pointLetter, 1}, unit.anyCase)) {
    return PrefixFound{0, 1};
  }
  if (unit.prefixes.find('u') != std::string_view::npos) {
    for (std::string_view micro : {kMicroSign, kGreekMu}) {
      if (text.starts_with(micro)) return PrefixFound{-6, micro.size()};
    }
  }
  if (unit.prefixes.find(text.front()) == std::string_view::npos) return std::nullopt;
  return PrefixFound{PrefixPower(text.front()), 1};
}

std::size_t SymbolLength(const QuantityUnit& unit, std::string_view text, bool exactCase) {
  for (std::string_view symbol : unit.symbols) {
    if (!symbol.empty() && StartsWith(text, symbol, unit.anyCase && !exactCase)) {
      return symbol.size();
    }
  }
  return 0;
}

QuantityRead ReadQuantity(const QuantityUnit& unit, std::string_view text, int heldPower) {
  text = TrimCSpace(text);
  QuantityRead read;
  if (const std::optional<double> special = SpecialValue(text)) {
    read.value = special;
    return read;
  }
  const DecimalText number = ScanDecimal(text, 0, "eE");
  read.number = number.HasDigits();
  read.exponent = number.hasExponent;
  if (!read.number) {
    read.rest = text;
    return read;
  }
  std::size_t pos = number.end;
  int power = 0;
  DecimalText joined = number;
  const auto takePrefix = [&](const PrefixFound& prefix) {
    power = prefix.power;
    (prefix.power == 0 ? read.unitWritten : read.prefixed) = true;
  };
  bool symbolRead = false;
  const std::optional<PrefixFound> infix = PrefixAt(unit, text.substr(pos));
  if (infix && IsDigitAt(text, pos + infix->length)) {
    // "4k7": the prefix is the point of a whole number, whose digits continue after it.
    const std::size_t digits = pos + infix->length;
    if (number.hasPoint || number.hasExponent || number.whole.empty()) {
      read.prefixed = read.digitsAfterPrefix = true;
      read.rest = text.substr(digits);
      return read;
    }
    pos = SkipDigits(text, digits);
    joined.fraction = text.substr(digits, pos - digits);
    takePrefix(*infix);
    pos = SkipBlanks(text, pos);
  } else {
    pos = SkipBlanks(text, pos);
    // A symbol in its own case first ("1F" is a farad), then a prefix ("1f" is femto, "1mohm"
    // a milliohm), then, below, a symbol in any case the unit allows ("1uf").
    if (const std::size_t exact = SymbolLength(unit, text.substr(pos), true); exact > 0) {
      read.unitWritten = symbolRead = true;
      pos = SkipBlanks(text, pos + exact);
    } else if (const std::optional<PrefixFound> prefix = PrefixAt(unit, text.substr(pos))) {
      takePrefix(*prefix);
      pos = SkipBlanks(text, pos + prefix->length);
    }
  }
  // After the point letter the symbol may still follow: "470R ohm" as "2R2Ω".
  if (!symbolRead) {
    if (const std::size_t symbol = SymbolLength(unit, text.substr(pos)); symbol > 0) {
      read.unitWritten = true;
      pos = SkipBlanks(text, pos + symbol);
    }
  }
  if (pos != text.size()) {
    read.rest = text.substr(pos);
    return read;
  }
  read.value = joined.Value(power - heldPower);
  return read;
}

const QuantityUnit* WrongUnit(const QuantityUnit& unit, std::string_view text) {
  for (const QuantityUnit* other : kQuantityUnits) {
    if (other->noun == unit.noun) continue;
    const QuantityRead read = ReadQuantity(*other, text);
    if (read.value && read.unitWritten) return other;
  }
  return nullptr;
}

}  // namespace vantrel
