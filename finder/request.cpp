#include "request.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel::finder {
namespace {

// Thrown by the field readers and turned into the check's result.
struct Refusal {
  RequestError error;
};

[[noreturn]] void Refuse(std::string_view field, std::string message) {
  throw Refusal{{std::string(field), std::move(message)}};
}

// A number in resistor notation between low and high; noun and range name them.
double Quantity(std::string_view field, const std::string& text, std::string_view noun, double low,
                double high, std::string_view range) {
  const std::optional<double> value = ParseResistance(text);
  const std::string named = std::string(field) + " " + Quoted(text);
  if (!value) Refuse(field, named + " is not a " + std::string(noun));
  if (!(*value >= low && *value <= high)) {
    Refuse(field, named + " is out of range: " + std::string(range) + " are accepted");
  }
  return *value;
}

double Resistance(std::string_view field, const std::string& text) {
  return Quantity(field, text, "resistance", kMinResistance, kMaxResistance,
                  "resistances from 1e-6 to 1e15");
}

// Volts take the same number forms as ohms: "3.3", "500m", "12".
double Voltage(std::string_view field, const std::string& text) {
  return Quantity(field, text, "voltage", kMinVoltage, kMaxVoltage, "voltages from 1e-6 to 1e6");
}

// text without the one "+" a number may carry in front, as resistances may.
std::string_view Unsigned(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return text;
}

// A percentage of 0 or more, "1", "+1" or "1%".
double Percent(std::string_view field, const std::string& text) {
  std::string_view digits = Unsigned(text);
  if (digits.ends_with('%')) digits.remove_suffix(1);
  double value = 0;
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || ec != std::errc() || ptr != end || !std::isfinite(value) || value < 0) {
    Refuse(field, std::string(field) + " needs a percentage of 0 or more, not " + Quoted(text));
  }
  return value;
}

std::uint64_t Count(std::string_view field, const std::string& text, std::uint64_t most) {
  const Checked<std::uint64_t> count = CheckCount(field, text, 1, most);
  if (const auto* error = std::get_if<RequestError>(&count)) throw Refusal{*error};
  return std::get<std::uint64_t>(count);
}

std::uint64_t Limit(const std::optional<std::string>& top, bool all) {
  if (top && all) Refuse("--top", "--top and --all cannot be combined");
  if (all) return std::numeric_limits<std::uint64_t>::max();
  return top ? Count("--top", *top, std::numeric_limits<std::uint64_t>::max()) : 20;
}

std::vector<double> Excluded(const std::vector<std::string>& texts) {
  std::vector<double> values;
  for (const std::string& text : texts) values.push_back(Resistance("--exclude", text));
  return values;
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

Checked<std::uint64_t> CheckCount(std::string_view field, std::string_view text,
                                  std::uint64_t least, std::uint64_t most) {
  const std::string_view digits = Unsigned(text);
  std::uint64_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  const std::string named = std::string(field) + " " + Quoted(text);
  // Digits past the most, even past what 64 bits hold, are a number too large, not no number.
  if (!digits.empty() && ptr == end && (ec == std::errc::result_out_of_range || value > most)) {
    return RequestError{std::string(field),
                        named + " is too large: at most " + std::to_string(most)};
  }
  if (digits.empty() || ec != std::errc() || ptr != end || value < least) {
    const std::string range = least == 1 && most == std::numeric_limits<std::uint64_t>::max()
                                  ? "above 0"
                                  : "from " + std::to_string(least) + " to " + std::to_string(most);
    return RequestError{std::string(field), std::string(field) + " needs a whole number " + range +
                                                ", not " + Quoted(text)};
  }
  return value;
}

Checked<FindRequest> CheckFind(const FindInput& input) {
  return Check<FindRequest>([&] {
    FindRequest request;
    request.search.target = Resistance("TARGET", input.target);
    if (input.parts) {
      request.search.maxParts =
          static_cast<int>(Count("--parts", *input.parts, networks::kMaxParts));
    }
    if (input.tolerance) request.search.tolerance = Percent("--tolerance", *input.tolerance);
    request.limit = Limit(input.top, input.all);
    request.excluded = Excluded(input.exclude);
    request.search.distinct = input.distinct;
    if (input.partTolerance) {
      const double percent = Percent("--part-tolerance", *input.partTolerance);
      if (percent >= 100) {
        Refuse("--part-tolerance",
               "--part-tolerance must be below 100, not " + Quoted(*input.partTolerance));
      }
      request.partTolerance = percent;
    }
    return request;
  });
}

Checked<DividerRequest> CheckDivider(const DividerInput& input) {
  return Check<DividerRequest>([&] {
    DividerRequest request;
    networks::DividerOptions& search = request.search;
    search.vin = Voltage("VIN", input.vin);
    search.vout = Voltage("VOUT", input.vout);
    if (!(search.vout < search.vin)) {
      Refuse("VOUT", "VOUT " + Quoted(input.vout) + " must be below VIN " + Quoted(input.vin) +
                         ": a divider only lowers the voltage");
    }
    if (input.parts) search.legParts = static_cast<int>(Count("--parts", *input.parts, 2));
    if (input.tolerance) search.tolerance = Percent("--tolerance", *input.tolerance);
    request.limit = Limit(input.top, input.all);
    if (input.minTotal) search.minTotal = Resistance("--min-total", *input.minTotal);
    if (input.maxTotal) search.maxTotal = Resistance("--max-total", *input.maxTotal);
    if (input.minTotal && input.maxTotal && search.minTotal > search.maxTotal) {
      Refuse("--min-total", "--min-total " + Quoted(*input.minTotal) + " is above --max-total " +
                                Quoted(*input.maxTotal));
    }
    request.excluded = Excluded(input.exclude);
    search.distinct = input.distinct;
    return request;
  });
}

Checked<SeriesRequest> CheckSeries(const SeriesInput& input) {
  return Check<SeriesRequest>([&] {
    SeriesRequest request;
    request.series = FindSeries(input.name);
    if (!request.series) {
      Refuse("NAME",
             "unknown series " + Quoted(input.name) + "; E3, E6, E12, E24, E48, E96 or E192");
    }
    if (input.from) request.low = Resistance("--from", *input.from);
    if (input.to) request.high = Resistance("--to", *input.to);
    if (request.low > request.high) {
      const std::string from = input.from ? Quoted(*input.from) : "10 (the default)";
      const std::string to = input.to ? Quoted(*input.to) : "1M (the default)";
      Refuse(input.from ? "--from" : "--to", "--from " + from + " is above --to " + to);
    }
    return request;
  });
}

}  // namespace vantrel::finder
