#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "designs.h"
#include "e_series.h"
#include "stock_kind.h"

namespace vantrel::finder {

// The ranges a request accepts. Inside them every result the searches compute (values,
// deviations, divider outputs and currents) stays a finite double.
inline constexpr double kMinResistance = 1e-6;  // ohm
inline constexpr double kMaxResistance = 1e15;
inline constexpr double kMinVoltage = 1e-6;  // volt
inline constexpr double kMaxVoltage = 1e6;
// A time constant in seconds or a corner in hertz.
inline constexpr double kMinRcTarget = 1e-24;
inline constexpr double kMaxRcTarget = 1e24;

// A field that is no good: the option or operand as the user knows it ("--tolerance",
// "TARGET") and a sentence that names it and the value as typed, quoted and cut to a
// readable length.
struct RequestError {
  std::string field;
  std::string message;
};

// Who reads a refusal: the command line names its options and operands ("--min-total") and
// quotes the text as typed; the window names the field by its label ("Min total") and shows
// the text bare.
enum class Wording { kCommandLine, kWindow };

// The window's label for each option and operand the checks read, beside the command line's
// name for it, so that the two sets of messages cannot drift apart.
struct FieldWording {
  std::string_view option;
  std::string_view label;
};
inline constexpr FieldWording kFieldWordings[] = {{"TARGET", "Target"},
                                                  {"--tolerance", "Tolerance"},
                                                  {"--parts", "Parts"},
                                                  {"--top", "Show"},
                                                  {"--exclude", "Exclude"},
                                                  {"--part-tolerance", "Part tolerance"},
                                                  {"VIN", "VIN"},
                                                  {"VOUT", "VOUT"},
                                                  {"--load", "Load"},
                                                  {"--max-source", "Max source"},
                                                  {"--min-total", "Min total"},
                                                  {"--max-total", "Max total"},
                                                  {"--within", "Within"},
                                                  {"--min-current", "Min current"},
                                                  {"--max-current", "Max current"},
                                                  {"--max-power", "Max power"},
                                                  {"--vref", "VREF"},
                                                  {"--iadj", "IADJ"},
                                                  {"G", "Gain"},
                                                  {"--rf-min", "Rf min"},
                                                  {"--rf-max", "Rf max"},
                                                  {"NAME", "Series"},
                                                  {"--from", "From"},
                                                  {"--to", "To"},
                                                  {"--tau", "Tau"},
                                                  {"--corner", "Corner"},
                                                  {"--r-parts", "R parts"},
                                                  {"--c-parts", "C parts"},
                                                  {"--r-tolerance", "R tolerance"},
                                                  {"--c-tolerance", "C tolerance"},
                                                  {"--min-r", "Min R"},
                                                  {"--max-r", "Max R"},
                                                  {"--distinct", "Use each value once"},
                                                  {"--scale", "Scale"},
                                                  {"--derate", "Derate"},
                                                  {"--prefer", "Prefer"},
                                                  {"--statistics", "Statistics"},
                                                  {"--temperature", "Temperature"},
                                                  {"--tcr", "TCR"},
                                                  {"VSUPPLY", "VSUPPLY"},
                                                  {"--vf", "Forward voltage"},
                                                  {"--leds", "LED count"},
                                                  {"--current", "Current"}};

// The field's name as wording has it; an option missing from kFieldWordings keeps its own.
std::string_view FieldName(std::string_view option, Wording wording);

// Either the checked request or why there is none.
template <class Request>
using Checked = std::variant<Request, RequestError>;

// The statistical band and the temperature range as typed.
struct StatisticsInput {
  bool rss = false;                        // --statistics rss
  bool byRss = false;                      // --by rss
  std::optional<std::string> temperature;  // LOW:HIGH in °C
  std::optional<std::string> tcr;          // ppm/°C
};

// The texts every two-leg design (divider, regulator, gain) takes as typed; an option not
// given is nullopt.
struct TwoLegInput {
  std::optional<std::string> parts;
  std::optional<std::string> tolerance;
  std::optional<std::string> top;
  bool all = false;
  std::optional<std::string> minTotal;
  std::optional<std::string> maxTotal;
  std::vector<std::string> exclude;
  bool distinct = false;
  std::optional<std::string> partTolerance;
  std::optional<std::string> within;
  std::optional<std::string> scale;
  bool inventory = false;
  StatisticsInput statistics;
  std::optional<std::string> prefer;
};

// With the bounds of the designs that carry a current.
struct LoadedInput : TwoLegInput {
  std::optional<std::string> derate;
  std::optional<std::string> maxPower;
  std::optional<std::string> minCurrent;
  std::optional<std::string> maxCurrent;
};

// What every checked two-leg request holds beside its search's options.
template <class Options>
struct TwoLegRequest {
  Options search;            // the target, legs, tolerance, totals, distinct
  std::uint64_t limit = 20;  // rows wanted; the maximum for --all
  std::vector<double> excluded;
  DesignBounds bounds;
  Wording wording = Wording::kCommandLine;  // of the note when no row is found
  std::optional<std::string> prefer;        // as FindRequest's
};

// The texts of a series as typed.
struct SeriesInput {
  std::string name;
  std::optional<std::string> from;
  std::optional<std::string> to;
  const StockKind* kind = &kResistors;  // --from and --to are read in its notation
};

struct SeriesRequest {
  const StockKind* kind = &kResistors;
  const ESeries* series = nullptr;
  double low = 10;  // low <= high, both in the resistance range; held unit (pF, nH)
  double high = 1e6;
};

// A count typed for field (an option such as "--top"): a whole number from least to most,
// "+" allowed in front.
Checked<std::uint64_t> CheckCount(std::string_view field, std::string_view text,
                                  std::uint64_t least, std::uint64_t most,
                                  Wording wording = Wording::kCommandLine);

Checked<SeriesRequest> CheckSeries(const SeriesInput& input,
                                   Wording wording = Wording::kCommandLine);

}  // namespace vantrel::finder
