#include "stock_kind.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "number_text.h"

namespace vantrel {

namespace {

// The longest number a refusal writes out in its hint.
constexpr std::size_t kLongestHintedNumber = 20;

// Letters and words that write a resistance after a number.
bool StartsResistorNotation(std::string_view rest) {
  return PrefixAt(kOhms, rest) || SymbolLength(kOhms, rest) > 0;
}

std::string PrefixLetter(int power) {
  switch (power) {
    case -15:
      return "f";
    case -12:
      return "p";
    case -9:
      return "n";
    case -6:
      return "u";
    case -3:
      return "m";
    default:
      return "";
  }
}

}  // namespace

KindValue ParseKindValue(const StockKind& kind, std::string_view text) {
  KindValue read;
  const QuantityRead quantity = ReadQuantity(*kind.quantity, text, kind.heldPower);
  // No number, nor "inf" or "nan" read as one: no value at all.
  if (!quantity.number) return read;
  read.marked = quantity.prefixed || quantity.unitWritten;
  if (!quantity.value) {
    if (quantity.digitsAfterPrefix) {
      read.refusal = "digits after the prefix of a number with a point or exponent";
    } else {
      read.refusal = StartsResistorNotation(quantity.rest)
                         ? "resistor notation, not " + AValue(kind)
                         : "not " + AValue(kind) + " (text after the number)";
    }
    return read;
  }
  if (!read.marked && !quantity.exponent) {
    // The number is written out in the hint only while short: a pasted run of digits is not
    // echoed, twice, in a message.
    const std::string_view bare = TrimCSpace(text);
    // The two prefixes suggested, smaller first.
    const std::string_view lower = kind.bareHint.substr(0, 1);
    const std::string_view upper = kind.bareHint.substr(1, 1);
    read.refusal = "a bare number without a unit; write ";
    if (bare.size() <= kLongestHintedNumber) {
      read.refusal.append(bare).append(lower).append(" or ").append(bare).append(upper);
    } else {
      read.refusal.append("it with ")
          .append(lower)
          .append(" or ")
          .append(upper)
          .append(" after it");
    }
    return read;
  }
  read.held = *quantity.value;
  return read;
}

std::string KindValueText(const StockKind& kind, double held) {
  if (held == 0 || !std::isfinite(held)) return ShortestText(held);
  // The shortest digits of the held value and its power of ten, moved to the base unit.
  char buffer[64];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, held, std::chars_format::scientific);
  std::string_view sci(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  const std::size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e)) {
    if (c != '.') digits += c;
  }
  const int base = std::atoi(std::string(sci.substr(e + 1)).c_str()) + kind.heldPower;
  // The engineering power: a multiple of 3 from femto to the unit itself.
  int power = base >= 0 ? 0 : -((-base + 2) / 3) * 3;
  if (power < -15) power = -15;
  // The mantissa's whole part has base - power + 1 digits.
  const int whole = base - power + 1;
  std::string text = negative ? "-" : "";
  if (whole <= 0) {
    text.append("0.").append(static_cast<std::size_t>(-whole), '0').append(digits);
  } else {
    const auto w = static_cast<std::size_t>(whole);
    if (digits.size() <= w) {
      text.append(digits).append(w - digits.size(), '0');
    } else {
      text.append(digits, 0, w).append(".").append(digits, w);
    }
  }
  text.append(power == 0 ? std::string(kind.unit) : PrefixLetter(power));
  return text;
}

bool IsReactiveNotation(std::string_view piece) {
  for (const StockKind* kind : {&kCapacitors, &kInductors}) {
    const KindValue read = ParseKindValue(*kind, piece);
    if (!read.held || !read.marked) continue;
    // "100m" without a unit is a milliohm in resistor notation, told as such elsewhere.
    const std::string_view trimmed = TrimCSpace(piece);
    if (std::string_view("FHfh").find(trimmed.back()) == std::string_view::npos &&
        trimmed.find('m', ScanDecimal(trimmed, 0, "eE").end) != std::string_view::npos) {
      continue;
    }
    return true;
  }
  return false;
}

namespace {

std::string Capitalised(std::string_view word) {
  std::string text(word);
  text.front() = static_cast<char>(text.front() - 'a' + 'A');
  return text;
}

}  // namespace

std::string AValue(const StockKind& kind) {
  const bool vowel = std::string_view("aeiou").find(kind.name.front()) != std::string_view::npos;
  return (vowel ? "an " : "a ") + std::string(kind.name) + " value";
}

std::string MissingLibraryMessage(const StockKind& kind) {
  return Capitalised(kind.name)
      .append(" library file:\"")
      .append(kind.fileName)
      .append("\" is not exist !");
}

std::string WriteErrorMessage(const StockKind& kind) {
  return std::string("Write To ").append(Capitalised(kind.name)).append(" Library Error !");
}

bool IsWriteErrorMessage(std::string_view text) {
  for (const StockKind* kind : kStockKinds) {
    if (text == WriteErrorMessage(*kind)) return true;
  }
  return false;
}

std::string KindMessage(const StockKind& kind, std::string_view resistorMessage) {
  std::string message(resistorMessage);
  if (kind.part == PartKind::kResistor) return message;
  const std::string noun = std::string(kind.name) + " value";
  const std::string aNoun = AValue(kind);
  for (const auto& [from, to] :
       {std::pair<std::string_view, std::string_view>{kResistors.fileName, kind.fileName},
        {"a resistor value", aNoun},
        {"resistor value", noun}}) {
    // Built by appending, which GCC 12's -O3 restrict warning does not misread.
    std::string replaced;
    std::size_t done = 0;
    for (std::size_t at = message.find(from); at != std::string::npos;
         at = message.find(from, done)) {
      replaced.append(message, done, at - done).append(to);
      done = at + from.size();
    }
    message = replaced.append(message, done);
  }
  return message;
}

const StockKind* KindOfMissingMessage(std::string_view text) {
  for (const StockKind* kind : kStockKinds) {
    if (text == MissingLibraryMessage(*kind)) return kind;
  }
  return nullptr;
}

}  // namespace vantrel
