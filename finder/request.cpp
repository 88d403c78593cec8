#include "request.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

#include "inventory_file.h"
#include "number_text.h"
#include "quantity_text.h"
#include "resistor_notation.h"

namespace vantrel::finder {
namespace {

// Thrown by the field readers and turned into the check's result.
struct Refusal {
  RequestError error;
};

// Words a refusal the way its reader knows the fields.
class Speaker {
 public:
  explicit Speaker(Wording wording) : m_wording(wording) {}

  std::string Name(std::string_view field) const {
    return std::string(FieldName(field, m_wording));
  }
  // The field's name and its text: --min-total "100k", or Min total 100k.
  std::string Named(std::string_view field, std::string_view text) const {
    return Name(field) + " " + Shown(text);
  }
  std::string Shown(std::string_view text) const {
    if (m_wording == Wording::kCommandLine) return Quoted(text);
    // Cut the same way, then the quotes left out: the closing one is the last.
    std::string shown = Quoted(text);
    shown.erase(shown.rfind('"'), 1);
    return shown.erase(0, 1);
  }
  bool Window() const { return m_wording == Wording::kWindow; }
  finder::Wording Words() const { return m_wording; }

  [[noreturn]] void Refuse(std::string_view field, std::string message) const {
    throw Refusal{{std::string(field), std::move(message)}};
  }

 private:
  Wording m_wording;
};

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

// A number of unit between low and high; range names them.
double Quantity(const Speaker& say, std::string_view field, const std::string& text,
                const QuantityUnit& unit, double low, double high, std::string_view range) {
  const std::optional<double> value = ReadQuantity(unit, text).value;
  if (!value && say.Window() && TrimCSpace(text).empty()) {
    say.Refuse(field, say.Name(field) + " needs " + WithArticle(unit.noun));
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
                  "resistances from 1e-6 to 1e15");
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
  return Quantity(say, field, text, kVolts, kMinVoltage, kMaxVoltage, "voltages from 1e-6 to 1e6");
}

// text without the one "+" a number may carry in front, as resistances may.
std::string_view Unsigned(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return text;
}

// A finite number of unit from 0 to most; needs says what the field takes ("a percentage of
// 0 or more") when the text is not one.
double NonNegative(const Speaker& say, std::string_view field, const std::string& text,
                   const QuantityUnit& unit, std::string_view needs,
                   double most = std::numeric_limits<double>::max()) {
  const std::optional<double> value = ReadQuantity(unit, text).value;
  if (!value) RefuseWrongUnit(say, field, text, unit, WithArticle(unit.noun));
  if (!value || !std::isfinite(*value) || *value < 0 || *value > most) {
    say.Refuse(field,
               say.Name(field) + " needs " + std::string(needs) + ", not " + say.Shown(text));
  }
  return *value;
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
                             const StockKind& kind = kResistors) {
  std::vector<double> values;
  for (const std::string& text : texts)
    values.push_back(KindQuantity(say, "--exclude", text, kind));
  return values;
}

// Amperes: "50u" is 50e-6, "2mA" 2e-3.
double Current(const Speaker& say, std::string_view field, const std::string& text) {
  return NonNegative(say, field, text, kAmperes, "a current from 0 to 1e6 A, such as 50u",
                     kMaxVoltage);
}

// One value, or MIN:TYP:MAX with MIN <= TYP <= MAX, each read by read.
template <class Read>
Spread SpreadOf(const Speaker& say, std::string_view field, const std::string& text,
                const Read& read) {
  const std::size_t first = text.find(':');
  if (first == std::string::npos) {
    const double value = read(say, field, text);
    return {value, value, value};
  }
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string::npos || text.find(':', second + 1) != std::string::npos) {
    say.Refuse(field, say.Name(field) + " needs one value or MIN:TYP:MAX, not " + say.Shown(text));
  }
  const Spread spread{read(say, field, text.substr(0, first)),
                      read(say, field, text.substr(first + 1, second - first - 1)),
                      read(say, field, text.substr(second + 1))};
  if (!(spread.min <= spread.typ && spread.typ <= spread.max)) {
    say.Refuse(field, say.Named(field, text) + " needs MIN <= TYP <= MAX, in that order");
  }
  return spread;
}

// The totals' bounds, the lower not above the upper.
// Two bounds read by read, each when given, the lower not above the upper.
using Reader = double (*)(const Speaker&, std::string_view, const std::string&);
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
    say.Refuse(field, say.Named(field, text) + " is out of range: 1e-24 to 1e24 " +
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

// The inventory as the window or the command line names it.
std::string InventoryName(const Speaker& say) {
  return say.Window() ? "the Inventory source" : "--inventory";
}

// A band of parts taken as exact is the nominal alone, and would pass every row: --within needs
// the parts' tolerances, given (tolerance, one of them) or the drawer's.
void NeedTolerance(const Speaker& say, bool within, bool given, bool inventory,
                   const std::string& tolerances) {
  if (!within || given || inventory) return;
  say.Refuse("--within", say.Name("--within") + " needs " + tolerances + " or " +
                             InventoryName(say) +
                             ": with no tolerance every part is taken as exact, and the band is "
                             "the nominal alone");
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

// The temperature range and the TCR, and what each part then drifts beside its tolerance, which
// must stay below 100 percent with it.
// Without --tcr nor the drawer's TCRs the range would drift nothing, so it is refused.
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
    statistics.tcr = NonNegative(say, "--tcr", *input.tcr, kPpm,
                                 "a TCR in ppm/°C of 0 or more, a finite number");
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
      say.Refuse("--derate", say.Name("--derate") + " scales the ratings of " + kInventoryFileName +
                                 "'s parts; it needs " + InventoryName(say));
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

// The fields every two-leg design shares, in the order their refusals are named; own reads
// the design's bounds that come between the totals and the exclusions.
template <class Options>
void ReadLegs(const Speaker& say, const TwoLegInput& input, TwoLegRequest<Options>& request,
              const std::function<void()>& own = {}) {
  Options& search = request.search;
  request.wording = say.Words();
  if (input.parts) search.legParts = static_cast<int>(Count(say, "--parts", *input.parts, 2));
  if (input.tolerance) search.tolerance = Percent(say, "--tolerance", *input.tolerance);
  request.limit = Limit(say, input.top, input.all);
  Range(say, Resistance, "--min-total", "--max-total", input.minTotal, input.maxTotal,
        search.minTotal, search.maxTotal);
  if (own) own();
  request.excluded = Excluded(say, input.exclude);
  search.distinct = input.distinct;
  request.bounds.partTolerance = PartTolerance(say, "--part-tolerance", input.partTolerance);
  request.bounds.inventory = input.inventory;
  Band(say, input.within, input.tolerance.has_value(), search.tolerance, request.bounds.within);
  NeedTolerance(say, input.within.has_value(), input.partTolerance.has_value(), input.inventory,
                say.Name("--part-tolerance"));
  if (input.scale) search.scale = Resistance(say, "--scale", *input.scale);
  request.bounds.statistics = ReadStatistics(
      say, input.statistics, request.bounds.partTolerance.value_or(0), input.inventory);
  request.prefer = Prefer(say, input.prefer);
}

template <class Request, class Read>
Checked<Request> Check(const Read& read) {
  try {
    return read();
  } catch (const Refusal& refusal) {
    return refusal.error;
  }
}

}  // namespace

std::string_view FieldName(std::string_view option, Wording wording) {
  if (wording == Wording::kWindow) {
    for (const FieldWording& field : kFieldWordings) {
      if (field.option == option) return field.label;
    }
  }
  return option;
}

Checked<std::uint64_t> CheckCount(std::string_view field, std::string_view text,
                                  std::uint64_t least, std::uint64_t most, Wording wording) {
  const Speaker say(wording);
  const std::string_view digits = Unsigned(text);
  std::uint64_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  // Digits past the most, even past what 64 bits hold, are a number too large, not no number.
  if (!digits.empty() && ptr == end && (ec == std::errc::result_out_of_range || value > most)) {
    return RequestError{std::string(field),
                        say.Named(field, text) + " is too large: at most " + std::to_string(most)};
  }
  if (digits.empty() || ec != std::errc() || ptr != end || value < least) {
    const std::string range = least == 1 && most == std::numeric_limits<std::uint64_t>::max()
                                  ? "above 0"
                                  : "from " + std::to_string(least) + " to " + std::to_string(most);
    return RequestError{std::string(field), say.Name(field) + " needs a whole number " + range +
                                                ", not " + say.Shown(text)};
  }
  return value;
}

Checked<FindRequest> CheckFind(const FindInput& input, Wording wording) {
  const Speaker say(wording);
  return Check<FindRequest>([&] {
    FindRequest request;
    request.kind = input.kind;
    request.search.target = KindQuantity(say, "TARGET", input.target, *input.kind);
    if (input.parts) {
      request.search.maxParts =
          static_cast<int>(Count(say, "--parts", *input.parts, networks::kMaxParts));
    }
    if (input.tolerance) request.search.tolerance = Percent(say, "--tolerance", *input.tolerance);
    request.limit = Limit(say, input.top, input.all);
    request.excluded = Excluded(say, input.exclude, *input.kind);
    request.search.distinct = input.distinct;
    request.partTolerance = PartTolerance(say, "--part-tolerance", input.partTolerance);
    request.inventory = input.inventory;
    StatisticsInput statistics = input.statistics;
    statistics.byRss = false;
    request.statistics =
        ReadStatistics(say, statistics, request.partTolerance.value_or(0), input.inventory);
    request.prefer = Prefer(say, input.prefer);
    return request;
  });
}

Checked<DividerRequest> CheckDivider(const DividerInput& input, Wording wording) {
  const Speaker say(wording);
  return Check<DividerRequest>([&] {
    DividerRequest request;
    networks::DividerOptions& search = request.search;
    search.vin = Voltage(say, "VIN", input.vin);
    search.vout = Voltage(say, "VOUT", input.vout);
    if (!(search.vout < search.vin)) {
      say.Refuse("VOUT", say.Named("VOUT", input.vout) + " must be below " +
                             say.Named("VIN", input.vin) + ": a divider only lowers the voltage");
    }
    ReadLegs(say, input, request);
    Load(say, input, request.bounds);
    request.power = input.power || input.maxPower;
    return request;
  });
}

Checked<RegulatorRequest> CheckRegulator(const RegulatorInput& input, Wording wording) {
  const Speaker say(wording);
  return Check<RegulatorRequest>([&] {
    RegulatorRequest request;
    networks::TwoLegOptions& search = request.search;
    search.target = Voltage(say, "VOUT", input.vout);
    if (!input.vref) {
      say.Refuse("--vref",
                 say.Name("--vref") + " is needed: the reference voltage, or MIN:TYP:MAX");
    }
    request.vref = SpreadOf(say, "--vref", *input.vref, Voltage);
    if (input.iadj) request.iadj = SpreadOf(say, "--iadj", *input.iadj, Current);
    if (!(request.vref.typ < search.target)) {
      say.Refuse("VOUT", say.Named("VOUT", input.vout) + " must be above " +
                             say.Named("--vref", *input.vref) +
                             ": the divider only raises the reference");
    }
    request.referenceTop = input.referenceTop;
    ReadLegs(say, input, request);
    Load(say, input, request.bounds);
    return request;
  });
}

Checked<GainRequest> CheckGain(const GainInput& input, Wording wording) {
  const Speaker say(wording);
  return Check<GainRequest>([&] {
    GainRequest request;
    networks::TwoLegOptions& search = request.search;
    search.target =
        Quantity(say, "G", input.gain, kRatio, kMinVoltage, kMaxVoltage, "gains from 1e-6 to 1e6");
    request.inverting = input.inverting;
    if (!input.inverting && search.target < 1) {
      say.Refuse("G", say.Named("G", input.gain) +
                          " is below 1: a non-inverting amplifier gains at least 1 (" +
                          (say.Window() ? "Inverting" : "--inverting") + " for an inverting one)");
    }
    ReadLegs(say, input, request, [&] {
      Range(say, Resistance, "--rf-min", "--rf-max", input.rfMin, input.rfMax, search.minA,
            search.maxA);
    });
    return request;
  });
}

Checked<RcRequest> CheckRc(const RcInput& input, Wording wording) {
  const Speaker say(wording);
  return Check<RcRequest>([&] {
    RcRequest request;
    request.wording = wording;
    networks::RcOptions& search = request.search;
    // Each value is read before the two are refused together, so a bad one is named first.
    if (input.tau) {
      search.target =
          RcTarget(say, "--tau", *input.tau, kSeconds, "a time constant in seconds", "1m");
    }
    if (input.corner) {
      search.quantity = networks::RcQuantity::kCorner;
      search.target =
          RcTarget(say, "--corner", *input.corner, kHertz, "a corner frequency in hertz", "1k");
    }
    if (input.tau && input.corner) {
      say.Refuse("--tau",
                 say.Name("--tau") + " and " + say.Name("--corner") + " cannot be combined");
    }
    if (!input.tau && !input.corner) {
      say.Refuse("--tau", say.Name("--tau") + " or " + say.Name("--corner") +
                              " is needed: the time constant or the corner frequency");
    }
    if (input.rParts) search.rParts = static_cast<int>(Count(say, "--r-parts", *input.rParts, 2));
    if (input.cParts) search.cParts = static_cast<int>(Count(say, "--c-parts", *input.cParts, 2));
    if (input.tolerance) search.tolerance = Percent(say, "--tolerance", *input.tolerance);
    request.limit = Limit(say, input.top, input.all);
    Range(say, Resistance, "--min-r", "--max-r", input.minR, input.maxR, search.minR, search.maxR);
    if (input.scale) search.scale = Resistance(say, "--scale", *input.scale);
    request.bounds.rTolerance = PartTolerance(say, "--r-tolerance", input.rTolerance);
    request.bounds.cTolerance = PartTolerance(say, "--c-tolerance", input.cTolerance);
    request.bounds.inventory = input.inventory;
    Band(say, input.within, input.tolerance.has_value(), search.tolerance, request.bounds.within);
    NeedTolerance(say, input.within.has_value(),
                  input.rTolerance.has_value() || input.cTolerance.has_value(), input.inventory,
                  say.Name("--r-tolerance") + ", " + say.Name("--c-tolerance"));
    request.bounds.statistics = ReadStatistics(
        say, input.statistics,
        std::max(request.bounds.rTolerance.value_or(0), request.bounds.cTolerance.value_or(0)),
        input.inventory);
    request.prefer = Prefer(say, input.prefer);
    return request;
  });
}

Checked<SeriesRequest> CheckSeries(const SeriesInput& input, Wording wording) {
  const Speaker say(wording);
  return Check<SeriesRequest>([&] {
    SeriesRequest request;
    const StockKind& kind = *input.kind;
    request.kind = &kind;
    request.series = FindSeries(input.name);
    if (!request.series) {
      say.Refuse("NAME", "unknown series " + say.Shown(input.name) +
                             "; E3, E6, E12, E24, E48, E96 or E192");
    }
    const std::string defaultFrom(kind.defaultFrom);
    const std::string defaultTo(kind.defaultTo);
    request.low = KindQuantity(say, "--from", input.from.value_or(defaultFrom), kind);
    request.high = KindQuantity(say, "--to", input.to.value_or(defaultTo), kind);
    if (request.low > request.high) {
      const std::string from = input.from ? say.Shown(*input.from) : defaultFrom + " (the default)";
      const std::string to = input.to ? say.Shown(*input.to) : defaultTo + " (the default)";
      say.Refuse(input.from ? "--from" : "--to",
                 say.Name("--from") + " " + from + " is above " + say.Name("--to") + " " + to);
    }
    return request;
  });
}

}  // namespace vantrel::finder
