#include "field_reading.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <utility>

#include "inventory_file.h"
#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel::finder::fields {
namespace {

// "a voltage", "an inductance".
std::string WithArticle(std::string_view noun) {
  const bool vowel = std::string_view("aeiou").find(noun.front()) != std::string_view::npos;
  return (vowel ? "an " : "a ") + std::string(noun);
}

// Refuses text written in another unit than unit's ("5V" for a current), naming both.
// wanted is what the field takes, "a current".
void RefuseWrongUnit(const Speaker& say, std::string_view field, const std::string& text,
                     const QuantityUnit& unit, std::string_view wanted) {
  if (const QuantityUnit* other = WrongUnit(unit, text)) {
    say.Refuse(field, say.Named(field, text) + " is " + WithArticle(other->noun) + ", not " +
                          std::string(wanted));
  }
}

// Refuses a capacitor or inductor value given for a resistance ("100n"), saying how to choose
// the stock it belongs to.
void RefuseOtherKind(const Speaker& say, std::string_view field, const std::string& text) {
  std::string hints;
  for (const StockKind* kind : {&kCapacitors, &kInductors}) {
    if (!ParseKindValue(*kind, text).held) continue;
    hints += hints.empty() ? " (" : ", ";
    std::string stock(kind->plural);
    stock.front() = static_cast<char>(stock.front() - 'a' + 'A');
    hints += say.Window() ? "choose " + stock + " under Stock" : "add " + std::string(kind->option);
    hints += " for " + AValue(*kind);
  }
  if (!hints.empty())
    say.Refuse(field, say.Named(field, text) + " is not a resistance" + hints + ")");
}

// A finite number of unit from 0 to most; needs says what the field takes ("a percentage of
// 0 or more") when the text is not one.
double NonNegative(const Speaker& say, std::string_view field, const std::string& text,
                   const QuantityUnit& unit, std::string_view needs,
                   double most = std::numeric_limits<double>::max()) {
  const std::optional<double> value = ReadQuantity(unit, text).value;
  if (!value) RefuseWrongUnit(say, field, text, unit, WithArticle(unit.noun));
  if (!value || !std::isfinite(*value) || *value < 0 || *value > most) {
    // An empty field of the window has nothing to quote.
    const bool empty = say.Window() && TrimCSpace(text).empty();
    say.Refuse(field, say.Name(field) + " needs " + std::string(needs) +
                          (empty ? std::string() : ", not " + say.Shown(text)));
  }
  return *value;
}

// Degrees Celsius, "-40", "85C" or "85°C".
constexpr QuantityUnit kCelsius{"temperature",
                                {"\xC2\xB0"
                                 "C",
                                 "C"},
                                false,
                                "",
                                '\0'};

// A TCR in parts per million per kelvin, "100", "100ppm" or "100 ppm/°C".
constexpr QuantityUnit kPpm{"TCR",
                            {"ppm/\xC2\xB0"
                             "C",
                             "ppm/K", "ppm"},
                            false,
                            "",
                            '\0'};

// The reference temperature of part tolerances.
constexpr double kReferenceCelsius = 25;

// What an empty field needs: "a voltage", or for a field named as its quantity ("TCR",
// "Temperature") a value in its unit, "a value in ppm/°C".
std::string NeededValue(std::string_view name, const QuantityUnit& unit) {
  const auto lower = [](std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
  };
  if (lower(name) != lower(unit.noun)) return WithArticle(unit.noun);
  return "a value in " + std::string(unit.symbols.front());
}

}  // namespace

// A number of unit between low and high; range names them.
double Quantity(const Speaker& say, std::string_view field, const std::string& text,
                const QuantityUnit& unit, double low, double high, std::string_view range) {
  const std::optional<double> value = ReadQuantity(unit, text).value;
  if (!value && say.Window() && TrimCSpace(text).empty()) {
    say.Refuse(field, say.Name(field) + " needs " + NeededValue(say.Name(field), unit));
  }
  const std::string named = say.Named(field, text);
  if (!value) {
    RefuseWrongUnit(say, field, text, unit, WithArticle(unit.noun));
    say.Refuse(field, named + " is not " + WithArticle(unit.noun));
  }
  if (std::isnan(*value)) say.Refuse(field, named + " is not a number");
  if (!(*value >= low && *value <= high)) {
    say.Refuse(field, named + " is out of range: " + std::string(range) + " are accepted");
  }
  return *value;
}

double Resistance(const Speaker& say, std::string_view field, const std::string& text) {
  return Quantity(say, field, text, kOhms, kMinResistance, kMaxResistance,
                  "resistances from 1 µΩ to 1 PΩ");
}

// A value of kind: a resistance, or a capacitor or inductor value in its notation, held in
// pF or nH within the bounds of resistances.
double KindQuantity(const Speaker& say, std::string_view field, const std::string& text,
                    const StockKind& kind) {
  if (kind.part == PartKind::kResistor) {
    if (!ParseResistance(text)) RefuseOtherKind(say, field, text);
    return Resistance(say, field, text);
  }
  const KindValue read = ParseKindValue(kind, text);
  const std::string named = say.Named(field, text);
  if (!read.held) {
    if (say.Window() && TrimCSpace(text).empty()) {
      say.Refuse(field, say.Name(field) + " needs " + AValue(kind));
    }
    RefuseWrongUnit(say, field, text, *kind.quantity, AValue(kind));
    say.Refuse(field,
               named + " is " + (read.refusal.empty() ? "not " + AValue(kind) : read.refusal));
  }
  if (!(*read.held >= kMinResistance && *read.held <= kMaxResistance)) {
    say.Refuse(field, named + " is out of range: " + std::string(kind.name) + " values from " +
                          KindValueText(kind, kMinResistance) + " to " +
                          KindValueText(kind, kMaxResistance) + " are accepted");
  }
  return *read.held;
}

// "3.3", "500m", "12V", "3V3".
double Voltage(const Speaker& say, std::string_view field, const std::string& text) {
  return Quantity(say, field, text, kVolts, kMinVoltage, kMaxVoltage, "voltages from 1 µV to 1 MV");
}

// text without the one "+" a number may carry in front, as resistances may.
std::string_view Unsigned(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return text;
}

// A percentage of 0 or more, "1", "+1" or "1%".
double Percent(const Speaker& say, std::string_view field, const std::string& text) {
  return NonNegative(say, field, text, kPercent, "a percentage of 0 or more");
}

std::uint64_t Count(const Speaker& say, std::string_view field, const std::string& text,
                    std::uint64_t most) {
  const Checked<std::uint64_t> count = CheckCount(field, text, 1, most, say.Words());
  if (const auto* error = std::get_if<RequestError>(&count)) throw Refusal{*error};
  return std::get<std::uint64_t>(count);
}

std::uint64_t Limit(const Speaker& say, const std::optional<std::string>& top, bool all) {
  if (top && all) say.Refuse("--top", "--top and --all cannot be combined");
  if (all) return std::numeric_limits<std::uint64_t>::max();
  return top ? Count(say, "--top", *top, std::numeric_limits<std::uint64_t>::max()) : 20;
}

std::vector<double> Excluded(const Speaker& say, const std::vector<std::string>& texts,
                             const StockKind& kind) {
  std::vector<double> values;
  for (const std::string& text : texts)
    values.push_back(KindQuantity(say, "--exclude", text, kind));
  return values;
}

// Amperes: "50u" is 50e-6, "2mA" 2e-3.
double Current(const Speaker& say, std::string_view field, const std::string& text) {
  return NonNegative(say, field, text, kAmperes, "a current from 0 A to 1 MA, such as 50u",
                     kMaxVoltage);
}

void Range(const Speaker& say, Reader read, std::string_view minField, std::string_view maxField,
           const std::optional<std::string>& minText, const std::optional<std::string>& maxText,
           double& low, double& high) {
  if (minText) low = read(say, minField, *minText);
  if (maxText) high = read(say, maxField, *maxText);
  if (minText && maxText && low > high) {
    say.Refuse(minField,
               say.Named(minField, *minText) + " is above " + say.Named(maxField, *maxText));
  }
}

// A percentage below 100 for field (--part-tolerance), as a part's tolerance.
std::optional<double> PartTolerance(const Speaker& say, std::string_view field,
                                    const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const double percent = Percent(say, field, *text);
  if (percent >= 100) {
    say.Refuse(field, say.Name(field) + " must be below 100, not " + say.Shown(*text));
  }
  return percent;
}

// A time constant or a corner between kMinRcTarget and kMaxRcTarget.
double RcTarget(const Speaker& say, std::string_view field, const std::string& text,
                const QuantityUnit& unit, std::string_view noun, std::string_view example) {
  const std::optional<double> value = ReadQuantity(unit, text).value;
  if (!value) RefuseWrongUnit(say, field, text, unit, noun);
  if (!value || !std::isfinite(*value) || !(*value > 0)) {
    say.Refuse(field, say.Name(field) + " needs " + std::string(noun) +
                          ", a finite number above 0 such as " + std::string(example) + ", not " +
                          say.Shown(text));
  }
  if (!(*value >= kMinRcTarget && *value <= kMaxRcTarget)) {
    say.Refuse(field, say.Named(field, text) + " is out of range: 1 y" +
                          std::string(unit.symbols.front()) + " to 1 Y" +
                          std::string(unit.symbols.front()) + " are accepted");
  }
  return *value;
}

// The band and the search's tolerance: with --within B the tolerance is B unless one was
// given, and at most B, since the nominal output lies within its own band.
void Band(const Speaker& say, const std::optional<std::string>& within, bool toleranceGiven,
          double& tolerance, std::optional<double>& band) {
  if (!within) return;
  band = Percent(say, "--within", *within);
  tolerance = toleranceGiven ? std::min(tolerance, *band) : *band;
}

std::string InventoryName(const Speaker& say) {
  return say.Window() ? "the Inventory source" : "--inventory";
}

void NeedTolerance(const Speaker& say, bool within, bool given, bool inventory,
                   const std::string& tolerances) {
  if (!within || given || inventory) return;
  say.Refuse("--within", say.Name("--within") + " needs " + tolerances + " or " +
                             InventoryName(say) +
                             ": with no tolerance every part is taken as exact, and the band is "
                             "the nominal alone");
}

// The temperature range and the TCR, and what each part then drifts beside its tolerance, which
// must stay below 100 percent with it.
Statistics ReadStatistics(const Speaker& say, const StatisticsInput& input, double partTolerance,
                          bool inventory) {
  Statistics statistics;
  statistics.byRss = input.byRss;
  statistics.rss = input.rss || input.byRss;
  if (input.temperature) {
    const std::string& text = *input.temperature;
    const std::size_t colon = text.find(':');
    std::optional<double> low;
    std::optional<double> high;
    if (colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
      low = ReadQuantity(kCelsius, text.substr(0, colon)).value;
      high = ReadQuantity(kCelsius, text.substr(colon + 1)).value;
    }
    if (!low || !high || std::isnan(*low) || std::isnan(*high)) {
      say.Refuse("--temperature", say.Name("--temperature") +
                                      " needs LOW:HIGH in °C, such as -40:85, not " +
                                      say.Shown(text));
    }
    if (!(*low >= -273 && *high <= 1000)) {
      say.Refuse("--temperature", say.Named("--temperature", text) +
                                      " is out of range: -273 to 1000 °C are accepted");
    }
    if (*low > *high) {
      say.Refuse("--temperature",
                 say.Named("--temperature", text) + " needs LOW <= HIGH, in that order");
    }
    statistics.temperature = true;
    statistics.low = *low;
    statistics.high = *high;
    statistics.deltaT =
        std::max(std::fabs(*low - kReferenceCelsius), std::fabs(*high - kReferenceCelsius));
    if (!input.tcr && !inventory) {
      say.Refuse("--temperature", say.Name("--temperature") + " needs " + say.Name("--tcr") +
                                      " or " + InventoryName(say) +
                                      ": with no TCR the parts drift nothing over the range");
    }
  }
  if (input.tcr) {
    statistics.tcr =
        NonNegative(say, "--tcr", *input.tcr, kPpm, "a value in ppm/°C of 0 or more, such as 100");
  }
  if (!(partTolerance + statistics.DriftPercent() < 100)) {
    // Only a typed TCR drifts, so the text is there.
    say.Refuse("--tcr", say.Named("--tcr", *input.tcr) + " over " + say.Name("--temperature") +
                            " moves the parts by 100 % or more with their tolerance");
  }
  return statistics;
}

// The bounds on the divider's current and on any part's power.
void Load(const Speaker& say, const LoadedInput& input, DesignBounds& bounds) {
  Range(say, Current, "--min-current", "--max-current", input.minCurrent, input.maxCurrent,
        bounds.minCurrent, bounds.maxCurrent);
  if (input.maxPower) {
    bounds.maxPower = NonNegative(say, "--max-power", *input.maxPower, kWatts,
                                  "a power in watts of 0 or more, a finite number");
  }
  if (input.derate) {
    const double derate = NonNegative(say, "--derate", *input.derate, kRatio,
                                      "a factor above 0 and at most 1, such as 0.5", 1);
    if (!(derate > 0)) {
      say.Refuse("--derate", say.Name("--derate") +
                                 " needs a factor above 0 and at most 1, such as 0.5, not " +
                                 say.Shown(*input.derate));
    }
    if (!input.inventory) {
      say.Refuse("--derate", say.Name("--derate") + " scales the ratings of " +
                                 drawer::kInventoryFileName + "'s parts; it needs " +
                                 InventoryName(say));
    }
    bounds.derate = derate;
  }
}

// The board's file, which the search reads; only an empty name is refused here.
std::optional<std::string> Prefer(const Speaker& say, const std::optional<std::string>& text) {
  if (text && TrimCSpace(*text).empty()) {
    say.Refuse("--prefer",
               say.Name("--prefer") +
                   " needs a file: a schematic or assembly BOM, an Inventory.csv or a plain "
                   "list of values");
  }
  return text;
}

}  // namespace vantrel::finder::fields
