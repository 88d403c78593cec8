#pragma once

// The readers every check shares: each reads one field as typed, in range, or throws the
// refusal that names it, worded for the command line or the window (Speaker). A kind's check
// (kinds/) reads its fields through them and returns Check's result.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "designs.h"
#include "number_text.h"
#include "quantity_text.h"
#include "request.h"
#include "stock_kind.h"

namespace vantrel::finder::fields {

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

// A number of unit between low and high; range names them.
double Quantity(const Speaker& say, std::string_view field, const std::string& text,
                const QuantityUnit& unit, double low, double high, std::string_view range);

double Resistance(const Speaker& say, std::string_view field, const std::string& text);

// A value of kind: a resistance, or a capacitor or inductor value in its notation, held in
// pF or nH within the bounds of resistances.
double KindQuantity(const Speaker& say, std::string_view field, const std::string& text,
                    const StockKind& kind);

// "3.3", "500m", "12V", "3V3".
double Voltage(const Speaker& say, std::string_view field, const std::string& text);

// text without the one "+" a number may carry in front, as resistances may.
std::string_view Unsigned(std::string_view text);

// A percentage of 0 or more, "1", "+1" or "1%".
double Percent(const Speaker& say, std::string_view field, const std::string& text);

std::uint64_t Count(const Speaker& say, std::string_view field, const std::string& text,
                    std::uint64_t most);

std::uint64_t Limit(const Speaker& say, const std::optional<std::string>& top, bool all);

std::vector<double> Excluded(const Speaker& say, const std::vector<std::string>& texts,
                             const StockKind& kind = kResistors);

// Amperes: "50u" is 50e-6, "2mA" 2e-3.
double Current(const Speaker& say, std::string_view field, const std::string& text);

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

using Reader = double (*)(const Speaker&, std::string_view, const std::string&);
void Range(const Speaker& say, Reader read, std::string_view minField, std::string_view maxField,
           const std::optional<std::string>& minText, const std::optional<std::string>& maxText,
           double& low, double& high);

// A percentage below 100 for field (--part-tolerance), as a part's tolerance.
std::optional<double> PartTolerance(const Speaker& say, std::string_view field,
                                    const std::optional<std::string>& text);

// A time constant or a corner between kMinRcTarget and kMaxRcTarget.
double RcTarget(const Speaker& say, std::string_view field, const std::string& text,
                const QuantityUnit& unit, std::string_view noun, std::string_view example);

// The band and the search's tolerance: with --within B the tolerance is B unless one was
// given, and at most B, since the nominal output lies within its own band.
void Band(const Speaker& say, const std::optional<std::string>& within, bool toleranceGiven,
          double& tolerance, std::optional<double>& band);

// The inventory as the window or the command line names it.
std::string InventoryName(const Speaker& say);

// A band of parts taken as exact is the nominal alone, and would pass every row: --within needs
// the parts' tolerances, given (tolerance, one of them) or the drawer's.
void NeedTolerance(const Speaker& say, bool within, bool given, bool inventory,
                   const std::string& tolerances);

// The temperature range and the TCR, and what each part then drifts beside its tolerance, which
// must stay below 100 percent with it. Without --tcr nor the drawer's TCRs the range would drift
// nothing, so it is refused.
Statistics ReadStatistics(const Speaker& say, const StatisticsInput& input, double partTolerance,
                          bool inventory);

// The bounds on the divider's current and on any part's power.
void Load(const Speaker& say, const LoadedInput& input, DesignBounds& bounds);

// The board's file, which the search reads; only an empty name is refused here.
std::optional<std::string> Prefer(const Speaker& say, const std::optional<std::string>& text);

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

}  // namespace vantrel::finder::fields
