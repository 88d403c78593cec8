#include "part_description.h"

#include <algorithm>
#include <array>
#include <vector>

#include "number_text.h"
#include "part_text.h"
#include "resistor_notation.h"

namespace vantrel::drawer {
namespace {

constexpr std::string_view kOhmLetter = "\xce\xa9";
constexpr std::string_view kOhmSign = "\xe2\x84\xa6";
constexpr std::string_view kMicroSign = "\xc2\xb5";
constexpr std::string_view kMicroLetter = "\xce\xbc";
constexpr std::string_view kPlusMinus = "\xc2\xb1";

struct KindWords {
  const StockKind* kind;
  std::array<std::string_view, 5> words;  // upper case; empty ones unused
};
constexpr std::array<KindWords, 3> kKindWords = {{
    {&kResistors, {"RES", "RESISTOR", "RESISTORS", "", ""}},
    {&kCapacitors, {"CAP", "CAPACITOR", "CAPACITORS", "MLCC", ""}},
    {&kInductors, {"IND", "INDUCTOR", "INDUCTORS", "CHOKE", "CHOKES"}},
}};

// Parts with a value in ohms, farads or henries that are none of the three, and parts that hold
// several of them ("RES ARRAY 4 RES 10K OHM", "Resistor network 8x 10kΩ").
constexpr std::array<std::string_view, 56> kOtherParts = {
    "BEAD",        "BEADS",    "FERRITE",       "FERRITES",       "THERM",       "THERMISTOR",
    "THERMISTORS", "NTC",      "PTC",           "VARISTOR",       "VARISTORS",   "MOV",
    "POT",         "POTS",     "POTENTIOMETER", "POTENTIOMETERS", "TRIMMER",     "TRIMMERS",
    "TRIMPOT",     "TRIMPOTS", "RHEOSTAT",      "FUSE",           "FUSES",       "POLYFUSE",
    "PPTC",        "LED",      "LEDS",          "DIODE",          "DIODES",      "CRYSTAL",
    "CRYSTALS",    "XTAL",     "RESONATOR",     "RESONATORS",     "OSCILLATOR",  "OSCILLATORS",
    "OSC",         "CONN",     "CONNECTOR",     "CONNECTORS",     "RECEPTACLE",  "RECEPTACLES",
    "NETWORK",     "NETWORKS", "ARRAY",         "ARRAYS",         "TRANSFORMER", "TRANSFORMERS",
    "SPEAKER",     "SPEAKERS", "BUZZER",        "BUZZERS",        "SWITCH",      "SWITCHES",
    "RELAY",       "RELAYS"};

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

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsSeparator(char c) {
  return IsCSpace(c) || c == ',' || c == ';' || c == '(' || c == ')' || c == '[' || c == ']';
}

// A token of the text; ambiguous when it holds a comma that may be a decimal point or a
// thousands separator ("1,000pF"), read here as the point.
struct Token {
  std::string text;
  std::string written;  // as in the description, for messages
  bool ambiguous = false;
};

// The length of a sign before a number: "±", "+/-", "+", "-".
std::size_t SignLength(std::string_view text) {
  for (std::string_view sign :
       {kPlusMinus, std::string_view("+/-"), std::string_view("+"), std::string_view("-")}) {
    if (text.starts_with(sign)) return sign.size();
  }
  return 0;
}

// What the comma at comma in text, in the token that starts at start, is.
enum class Comma { kSeparator, kDecimal, kAmbiguous };
Comma CommaAt(std::string_view text, std::size_t start, std::size_t comma) {
  const std::string_view before = text.substr(start, comma - start);
  const std::string_view whole = before.substr(SignLength(before));
  if (whole.empty() || !std::all_of(whole.begin(), whole.end(), IsDigit)) return Comma::kSeparator;
  const std::size_t end = SkipDigits(text, comma + 1);
  const std::size_t after = end - comma - 1;
  // "0603,10k" and "1,2,3" are lists; "5,1k" a decimal.
  if (after == 0 || whole.size() > 3 || (whole.size() > 1 && whole.front() == '0') ||
      (end < text.size() && text[end] == ','))
    return Comma::kSeparator;
  // Three digits after it and no leading zero before it: a thousands separator as well.
  return after == 3 && whole.front() != '0' ? Comma::kAmbiguous : Comma::kDecimal;
}

std::vector<Token> Tokens(std::string_view text) {
  std::vector<Token> tokens;
  for (std::size_t pos = 0; pos < text.size();) {
    while (pos < text.size() && IsSeparator(text[pos])) ++pos;
    const std::size_t start = pos;
    Token token;
    while (pos < text.size()) {
      if (text[pos] == ',') {
        const Comma comma = CommaAt(text, start, pos);
        if (comma == Comma::kSeparator) break;
        token.ambiguous = token.ambiguous || comma == Comma::kAmbiguous;
        token.text += '.';
      } else if (IsSeparator(text[pos])) {
        break;
      } else {
        token.text += text[pos];
      }
      ++pos;
    }
    token.written = text.substr(start, pos - start);
    if (!token.text.empty()) tokens.push_back(std::move(token));
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

// Whether token is a unit, with or without a prefix, or a prefix alone, written apart from its
// number: "mW", "kOhms", "uF", "V", "%", "k".
bool IsUnitWord(std::string_view token) {
  std::string_view unit = token;
  bool prefixed = false;
  for (std::string_view micro : {kMicroSign, kMicroLetter}) {
    if (unit.starts_with(micro)) {
      unit.remove_prefix(micro.size());
      prefixed = true;
    }
  }
  if (!prefixed && unit.size() > 1 &&
      std::string_view("pnumkKMG").find(unit.front()) != std::string_view::npos) {
    unit.remove_prefix(1);
    prefixed = true;
  }
  // A prefix alone, as in "4.7 k"; not "m", which is as often metres.
  if (unit.empty()) return prefixed;
  if (!prefixed && unit.size() == 1 &&
      std::string_view("pnukKMGR").find(unit.front()) != std::string_view::npos)
    return true;
  const std::string upper = Upper(unit);
  return IsOhmWord(unit) || upper == "F" || upper == "H" || upper == "W" || upper == "V" ||
         upper == "A" || upper == "HZ" || upper == "%" || upper.starts_with("PPM");
}

// Whether token is a number that a unit written apart may follow: "100", "4.7", "10K", "4k7",
// "±1", "1/4".
bool TakesUnit(std::string_view token) {
  token.remove_prefix(SignLength(token));
  const DecimalText number = ScanDecimal(token, 0, "");
  if (!number.HasDigits() || number.negative) return false;
  std::string_view rest = token.substr(number.end);
  if (rest.starts_with('/')) {
    rest.remove_prefix(1);
    return !rest.empty() && std::all_of(rest.begin(), rest.end(), IsDigit);
  }
  if (rest.empty()) return true;
  if (std::string_view("pnumkKMGR").find(rest.front()) == std::string_view::npos) return false;
  rest.remove_prefix(1);
  return std::all_of(rest.begin(), rest.end(), IsDigit);
}

// The words of the text, in upper case: runs of ASCII letters and digits.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c);
    if (letter) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(Upper(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(Upper(word));
  return words;
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

// A resistance in token as written, unchecked: with the ohm when withUnit, else with a letter.
std::optional<double> ResistanceIn(std::string_view token, bool withUnit) {
  if (!ScanDecimal(token, 0, "").HasDigits()) return std::nullopt;
  // A bare number is a package or a count more often than a resistance.
  const bool lettered = token.find_first_of("kKMGRr") != std::string_view::npos;
  if (withUnit ? !HasOhm(token) : !lettered) return std::nullopt;
  return ParseResistance(token);
}

// A value of kind in token: with its unit when withUnit, else with a prefix or letter at least.
std::optional<double> ValueIn(const StockKind& kind, std::string_view token, bool withUnit) {
  if (!ScanDecimal(token, 0, "").HasDigits()) return std::nullopt;
  if (kind.part == PartKind::kResistor) {
    const std::optional<double> value = ResistanceIn(token, withUnit);
    if (!value) return std::nullopt;
    return ReadPartValue(kind, PlainDigits(*value)).value;
  }
  const std::string spelled = ReactiveSpelling(token);
  const bool hasUnit = spelled.back() == kind.unit.front();
  if (withUnit != hasUnit) return std::nullopt;
  const KindValue read = ParseKindValue(kind, spelled);
  if (!read.held || !read.marked) return std::nullopt;
  return ReadPartValue(kind, spelled).value;
}

// The kinds whose unit a value in the tokens carries; a 0 Ω jumper's ohms count.
std::vector<const StockKind*> KindsByUnit(const std::vector<Token>& tokens) {
  std::vector<const StockKind*> kinds;
  for (const StockKind* kind : {&kCapacitors, &kInductors, &kResistors}) {
    // An inductor's or capacitor's resistance is written in ohms too: a reactive unit wins.
    if (kind == &kResistors && !kinds.empty()) break;
    if (std::any_of(tokens.begin(), tokens.end(), [&](const Token& token) {
          return ValueIn(*kind, token.text, true) ||
                 (kind == &kResistors && ResistanceIn(token.text, true) == 0.0);
        }))
      kinds.push_back(kind);
  }
  return kinds;
}

// Whether a token is a frequency that is no test condition ("40MHz", not "600Ω@100MHz").
bool IsFrequency(const Token& token) {
  const std::string upper = Upper(token.text);
  return upper.ends_with("HZ") && upper.find('@') == std::string::npos &&
         ScanDecimal(upper, 0, "").HasDigits();
}

PartDescription Skipped(PartDescription read, std::string_view code, std::string reason) {
  read.value.reset();
  read.skipCode = code;
  read.skipReason = std::move(reason);
  return read;
}

}  // namespace

PartDescription ReadDescription(std::string_view text) {
  PartDescription read;
  const std::vector<Token> split = Tokens(text);
  // "10K OHM", "4.7 uF", "100 mW": a number and the unit after it are one token.
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < split.size(); ++i) {
    Token token = split[i];
    if (i + 1 < split.size() && TakesUnit(token.text) && IsUnitWord(split[i + 1].text)) {
      token.text.append(split[i + 1].text);
      token.written.append(" ").append(split[i + 1].written);
      token.ambiguous = token.ambiguous || split[i + 1].ambiguous;
      ++i;
    }
    tokens.push_back(std::move(token));
  }

  std::vector<const StockKind*> named;
  bool other = false;
  bool jumper = false;
  for (const std::string& word : Words(text)) {
    other = other || std::find(kOtherParts.begin(), kOtherParts.end(), word) != kOtherParts.end();
    jumper = jumper || word == "JUMPER" || word == "JUMPERS";
    for (const KindWords& words : kKindWords) {
      if (std::find(words.words.begin(), words.words.end(), word) != words.words.end() &&
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
      // A frequency beside a capacitance with no word for the part: a crystal's load.
      if (!named.empty() || std::none_of(tokens.begin(), tokens.end(), IsFrequency))
        read.kind = byUnit.front();
    } else {
      read.severalKinds = named.size() > 1 || byUnit.size() > 1;
    }
  }
  if (!read.kind && jumper && named.empty()) read.kind = &kResistors;

  for (const Token& token : tokens) {
    if (token.ambiguous) continue;
    const std::string upper = Upper(token.text);
    if (!read.tolerance && token.text.find('%') != std::string::npos)
      read.tolerance = ReadTolerance(token.text).value;
    if (!read.tcr && upper.find("PPM") != std::string::npos) read.tcr = ReadTcr(token.text).value;
    if (!read.power && upper.back() == 'W') read.power = ReadPower(token.text).value;
    if (read.package.empty() &&
        std::find(kPackages.begin(), kPackages.end(), upper) != kPackages.end())
      read.package = upper;
  }
  if (!read.kind) {
    if (read.severalKinds)
      return Skipped(std::move(read), kSeveralKinds,
                     "the description names more than one kind of part");
    return Skipped(std::move(read), kNotAPart, kNotRlcReason);
  }
  for (bool withUnit : {true, false}) {
    for (const Token& token : tokens) {
      if (read.kind == &kResistors && ResistanceIn(token.text, withUnit) == 0.0)
        return Skipped(std::move(read), kJumper, "a 0 \xce\xa9 jumper, no value to build from");
      read.value = ValueIn(*read.kind, token.text, withUnit);
      if (read.value && token.ambiguous) {
        return Skipped(std::move(read), kAmbiguousDecimal,
                       "the comma in " + Quoted(token.written) +
                           " may be a decimal point or a thousands separator");
      }
      if (read.value) return read;
    }
  }
  if (jumper && read.kind == &kResistors)
    return Skipped(std::move(read), kJumper, "a 0 \xce\xa9 jumper, no value to build from");
  return Skipped(std::move(read), kNoValue, "no " + std::string(read.kind->name) + " value");
}

}  // namespace vantrel::drawer
