#include "part_description.h"

#include <algorithm>
#include <array>
#include <vector>

#include "number_text.h"
#include "part_text.h"
#include "resistor_notation.h"

namespace vantrel::finder {
namespace {

constexpr std::string_view kOhmLetter = "\xce\xa9";
constexpr std::string_view kOhmSign = "\xe2\x84\xa6";

struct KindWords {
  const StockKind* kind;
  std::array<std::string_view, 5> words;  // upper case; empty ones unused
};
constexpr std::array<KindWords, 3> kKindWords = {{
    {&kResistors, {"RES", "RESISTOR", "RESISTORS", "", ""}},
    {&kCapacitors, {"CAP", "CAPACITOR", "CAPACITORS", "MLCC", ""}},
    {&kInductors, {"IND", "INDUCTOR", "INDUCTORS", "CHOKE", "CHOKES"}},
}};

// Parts with a value in ohms, farads or henries that are none of the three.
constexpr std::array<std::string_view, 14> kOtherParts = {
    "BEAD",          "BEADS",   "FERRITE", "THERMISTOR", "NTC",  "PTC",   "VARISTOR",
    "POTENTIOMETER", "TRIMMER", "FUSE",    "LED",        "LEDS", "DIODE", "CRYSTAL"};

constexpr std::array<std::string_view, 16> kPackages = {
    "01005", "0201", "0402", "0603", "0805", "1008",  "1206",   "1210",
    "1806",  "1812", "2010", "2220", "2512", "AXIAL", "RADIAL", "THT"};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool IsSeparator(char c) {
  return IsCSpace(c) || c == ',' || c == ';' || c == '(' || c == ')' || c == '[' || c == ']';
}

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  for (std::size_t pos = 0; pos < text.size();) {
    while (pos < text.size() && IsSeparator(text[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !IsSeparator(text[pos])) ++pos;
    if (pos > start) tokens.push_back(text.substr(start, pos - start));
  }
  return tokens;
}

bool IsOhmWord(std::string_view token) {
  const std::string upper = Upper(token);
  return token == kOhmLetter || token == kOhmSign || upper == "OHM" || upper == "OHMS";
}

bool HasOhm(std::string_view token) {
  return token.find(kOhmLetter) != std::string_view::npos ||
         token.find(kOhmSign) != std::string_view::npos ||
         Upper(token).find("OHM") != std::string_view::npos;
}

// A token in capacitor or inductor notation as distributors write it ("100NF", "4.7UH"):
// the prefixes in lower case, the unit in upper case.
std::string ReactiveSpelling(std::string_view token) {
  std::string text(token);
  const std::size_t end = ScanDecimal(text, 0, "eE").end;
  for (std::size_t i = end; i < text.size(); ++i) {
    const char c = text[i];
    if (c == 'N' || c == 'P' || c == 'U') text[i] = static_cast<char>(c - 'A' + 'a');
  }
  // Only the last letter is the unit: "150fF" is femtofarads.
  if (text.size() > end + 1 && (text.back() == 'f' || text.back() == 'h'))
    text.back() = static_cast<char>(text.back() - 'a' + 'A');
  return text;
}

// A value of kind in token: with its unit when withUnit, else with a prefix or letter at least.
std::optional<double> ValueIn(const StockKind& kind, std::string_view token, bool withUnit) {
  if (!ScanDecimal(token, 0, "").HasDigits()) return std::nullopt;
  if (kind.part == PartKind::kResistor) {
    // A bare number is a package or a count more often than a resistance.
    const bool lettered = token.find_first_of("kKMGRr") != std::string_view::npos;
    if (withUnit ? !HasOhm(token) : !lettered) return std::nullopt;
    const std::optional<double> value = ParseResistance(token);
    if (!value) return std::nullopt;
    const PartField<double> checked = ReadPartValue(kind, PlainDigits(*value));
    return checked.value;
  }
  const std::string spelled = ReactiveSpelling(token);
  const bool hasUnit = spelled.back() == kind.unit.front();
  if (withUnit != hasUnit) return std::nullopt;
  const KindValue read = ParseKindValue(kind, spelled);
  if (!read.held || !read.marked) return std::nullopt;
  return ReadPartValue(kind, spelled).value;
}

// The kinds whose unit a value in the tokens carries.
std::vector<const StockKind*> KindsByUnit(const std::vector<std::string>& tokens) {
  std::vector<const StockKind*> kinds;
  for (const StockKind* kind : {&kCapacitors, &kInductors, &kResistors}) {
    // An inductor's or capacitor's resistance is written in ohms too: a reactive unit wins.
    if (kind == &kResistors && !kinds.empty()) break;
    if (std::any_of(tokens.begin(), tokens.end(),
                    [&](const std::string& token) { return ValueIn(*kind, token, true); }))
      kinds.push_back(kind);
  }
  return kinds;
}

}  // namespace

PartDescription ReadDescription(std::string_view text) {
  PartDescription read;
  const std::vector<std::string_view> split = Tokens(text);
  // "10K OHM" and "4.7 uF": a number and the unit after it are one token.
  std::vector<std::string> tokens;
  for (std::size_t i = 0; i < split.size(); ++i) {
    std::string token(split[i]);
    if (i + 1 < split.size()) {
      const std::string_view next = split[i + 1];
      const DecimalText number = ScanDecimal(token, 0, "eE");
      const bool bareOrLettered = number.HasDigits() && token.size() - number.end <= 1;
      const std::string nextUpper = Upper(next);
      // "OHM", "kOhms", "MΩ", "uF", "nH".
      const bool prefixedOhm =
          std::string_view("kKMGm").find(next.front()) != std::string_view::npos &&
          IsOhmWord(next.substr(1));
      const bool unitNext =
          IsOhmWord(next) || prefixedOhm ||
          (next.size() <= 3 && (nextUpper.back() == 'F' || nextUpper.back() == 'H'));
      if (bareOrLettered && unitNext) {
        token.append(next);
        ++i;
      }
    }
    tokens.push_back(std::move(token));
  }

  std::vector<const StockKind*> named;
  bool other = false;
  for (const std::string& token : tokens) {
    const std::string upper = Upper(token);
    other = other || std::find(kOtherParts.begin(), kOtherParts.end(), upper) != kOtherParts.end();
    for (const KindWords& words : kKindWords) {
      if (std::find(words.words.begin(), words.words.end(), upper) != words.words.end() &&
          std::find(named.begin(), named.end(), words.kind) == named.end())
        named.push_back(words.kind);
    }
  }
  if (other) {
    // The ratings may still be of use, but the part is none of the stock's.
  } else if (named.size() == 1) {
    read.kind = named.front();
  } else {
    std::vector<const StockKind*> byUnit = KindsByUnit(tokens);
    if (!named.empty()) {
      std::erase_if(byUnit, [&](const StockKind* kind) {
        return std::find(named.begin(), named.end(), kind) == named.end();
      });
    }
    if (byUnit.size() == 1) {
      read.kind = byUnit.front();
    } else {
      read.severalKinds = named.size() > 1 || byUnit.size() > 1;
    }
  }

  for (const std::string& token : tokens) {
    if (!read.tolerance && token.find('%') != std::string::npos)
      read.tolerance = ReadTolerance(token).value;
    if (!read.tcr && Upper(token).find("PPM") != std::string::npos) read.tcr = ReadTcr(token).value;
    if (!read.power && (token.back() == 'W' || token.back() == 'w'))
      read.power = ReadPower(token).value;
    const std::string upper = Upper(token);
    if (read.package.empty() &&
        std::find(kPackages.begin(), kPackages.end(), upper) != kPackages.end())
      read.package = upper;
  }
  if (read.kind) {
    for (bool withUnit : {true, false}) {
      for (const std::string& token : tokens) {
        if (read.value) break;
        read.value = ValueIn(*read.kind, token, withUnit);
      }
    }
  }
  return read;
}

}  // namespace vantrel::finder
