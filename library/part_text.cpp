#include "part_text.h"

#include <charconv>
#include <cmath>

#include "number_text.h"
#include "quantity_text.h"
#include "resistor_notation.h"

namespace vantrel {
namespace {

// The bounds a request and a stock accept, in held units.
constexpr double kLeastHeld = 1e-6;
constexpr double kMostHeld = 1e15;

constexpr std::string_view kPlusMinus = "\xc2\xb1";

bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t';
}

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  return text;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// text starts with word, in any case; if so, it is taken off.
bool TakeWord(std::string_view& text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[i]) != Lower(word[i])) return false;
  }
  text.remove_prefix(word.size());
  return true;
}

// A "±", "+/-" or "+-" in front is taken off.
std::string_view WithoutPlusMinus(std::string_view text) {
  text = SkipBlanks(text);
  for (std::string_view sign : {kPlusMinus, std::string_view("+/-"), std::string_view("+-")}) {
    if (text.starts_with(sign)) return SkipBlanks(text.substr(sign.size()));
  }
  return text;
}

// A decimal number, or a fraction of two ("1/4"), at the start of text; taken off.
std::optional<double> TakeNumber(std::string_view& text) {
  const DecimalText number = ScanDecimal(text, 0, "eE");
  if (!number.HasDigits()) return std::nullopt;
  double value = number.Value();
  text.remove_prefix(number.end);
  if (text.starts_with('/') && !number.hasPoint && !number.hasExponent) {
    const DecimalText below = ScanDecimal(text, 1, "");
    if (!below.HasDigits() || below.negative || below.hasPoint) return std::nullopt;
    value /= below.Value();
    text.remove_prefix(below.end);
  }
  return value;
}

template <class T>
PartField<T> Refused(std::string why) {
  return {std::nullopt, std::move(why)};
}

}  // namespace

const StockKind* KindOfLetter(std::string_view letter) {
  const std::string_view trimmed = TrimCSpace(letter);
  if (trimmed.size() != 1) return nullptr;
  switch (Lower(trimmed.front())) {
    case 'r':
      return &kResistors;
    case 'c':
      return &kCapacitors;
    case 'l':
      return &kInductors;
    default:
      return nullptr;
  }
}

const StockKind* KindOfReference(std::string_view references) {
  references = TrimCSpace(references);
  std::size_t letters = 0;
  while (letters < references.size() &&
         ((references[letters] >= 'A' && references[letters] <= 'Z') ||
          (references[letters] >= 'a' && references[letters] <= 'z')))
    ++letters;
  if (letters != 1 || letters == references.size()) return nullptr;
  const char next = references[letters];
  if (next < '0' || next > '9') return nullptr;
  return KindOfLetter(references.substr(0, 1));
}

std::string_view KindLetter(const StockKind& kind) {
  switch (kind.part) {
    case PartKind::kResistor:
      return "R";
    case PartKind::kCapacitor:
      return "C";
    case PartKind::kInductor:
      return "L";
  }
  return "R";
}

PartField<double> ReadPartValue(const StockKind& kind, std::string_view text) {
  std::optional<double> held;
  if (kind.part == PartKind::kResistor) {
    held = ParseResistance(text);
    if (!held) return Refused<double>("not a resistor value");
  } else {
    const KindValue read = ParseKindValue(kind, text);
    if (!read.held) {
      return Refused<double>(read.refusal.empty() ? "not " + AValue(kind) : read.refusal);
    }
    held = read.held;
  }
  if (!(*held >= kLeastHeld && *held <= kMostHeld)) {
    return Refused<double>("outside the values a search takes (" + PartValueText(kind, kLeastHeld) +
                           " to " + PartValueText(kind, kMostHeld) + ")");
  }
  return {held, {}};
}

std::string PartValueText(const StockKind& kind, double held) {
  if (kind.part != PartKind::kResistor) return KindValueText(kind, held);
  if (!(held >= 1000) || !std::isfinite(held)) return ShortestText(held);
  // The shortest digits and their power of ten, written with k, M or G.
  char buffer[64];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, held, std::chars_format::scientific);
  const std::string_view sci(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const std::size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int base = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), base);
  const int power = std::min(base / 3 * 3, 9);
  const auto whole = static_cast<std::size_t>(base - power + 1);
  std::string text;
  if (digits.size() <= whole) {
    text.append(digits).append(whole - digits.size(), '0');
  } else {
    text.append(digits, 0, whole).append(".").append(digits, whole);
  }
  return text + (power == 3 ? "k" : power == 6 ? "M" : "G");
}

double BaseUnitValue(const StockKind& kind, double held) {
  if (kind.heldPower == 0 || !std::isfinite(held)) return held;
  char buffer[64];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, held, std::chars_format::scientific);
  const std::string_view sci(buffer, static_cast<std::size_t>(written.ptr - buffer));
  return ScanDecimal(sci, 0, "e").Value(kind.heldPower);
}

PartField<double> ReadTolerance(std::string_view text) {
  const std::optional<double> percent = ReadQuantity(kPercent, WithoutPlusMinus(text)).value;
  if (!percent) return Refused<double>("not a tolerance (1%)");
  if (!(*percent >= 0 && *percent < 100)) return Refused<double>("a tolerance from 0% to 100%");
  return {percent, {}};
}

PartField<double> ReadPower(std::string_view text) {
  std::optional<double> watts;
  std::string_view rest = SkipBlanks(text);
  // Resistors are rated in fractions of a watt ("1/4W"); the shared reader takes the rest.
  const DecimalText above = ScanDecimal(rest, 0, "");
  if (above.HasDigits() && !above.hasPoint && rest.substr(above.end).starts_with('/')) {
    watts = TakeNumber(rest);
    rest = SkipBlanks(rest);
    if (!rest.empty() && Lower(rest.front()) == 'w') rest.remove_prefix(1);
    if (!TrimCSpace(rest).empty()) watts.reset();
  } else {
    watts = ReadQuantity(kWatts, text).value;
  }
  if (!watts) return Refused<double>("not a power (0.25W)");
  if (!(*watts > 0 && std::isfinite(*watts))) return Refused<double>("a power above 0 W");
  return {watts, {}};
}

PartField<double> ReadTcr(std::string_view text) {
  std::string_view rest = WithoutPlusMinus(text);
  const std::optional<double> ppm = TakeNumber(rest);
  rest = SkipBlanks(rest);
  if (TakeWord(rest, "ppm")) {
    for (std::string_view per : {"/\xc2\xb0"
                                 "C",
                                 "/\xe2\x84\x83", "/K", "/C"}) {
      if (TakeWord(rest, per)) break;
    }
  }
  if (!ppm || !TrimCSpace(rest).empty()) return Refused<double>("not a TCR (100ppm)");
  if (!(*ppm >= 0 && std::isfinite(*ppm))) return Refused<double>("a TCR of 0 ppm or more");
  return {ppm, {}};
}

PartField<std::uint64_t> ReadCount(std::string_view text) {
  const std::string_view trimmed = TrimCSpace(text);
  const DecimalText number = ScanDecimal(trimmed, 0, "");
  if (!number.HasDigits() || number.end != trimmed.size()) {
    return Refused<std::uint64_t>("not a count");
  }
  if (number.negative && number.Value() != 0) return Refused<std::uint64_t>("a negative count");
  if (number.fraction.find_first_not_of('0') != std::string_view::npos) {
    return Refused<std::uint64_t>("not a whole count");
  }
  const std::string_view digits =
      number.whole.substr(std::min(number.whole.find_first_not_of('0'), number.whole.size()));
  std::uint64_t count = 0;
  if (digits.size() > 9 || (std::from_chars(digits.data(), digits.data() + digits.size(), count),
                            count > kMostPartQuantity)) {
    return Refused<std::uint64_t>("a count above " + std::to_string(kMostPartQuantity));
  }
  return {count, {}};
}

std::string ToleranceText(double percent) {
  return ShortestText(percent) + "%";
}

std::string PowerText(double watts) {
  return ShortestText(watts) + "W";
}

std::string TcrText(double ppm) {
  return ShortestText(ppm) + "ppm";
}

}  // namespace vantrel
