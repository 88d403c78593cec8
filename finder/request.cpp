#include "request.h"

#include <charconv>
#include <limits>

#include "field_reading.h"

namespace vantrel::finder {

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
  using namespace fields;
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

Checked<SeriesRequest> CheckSeries(const SeriesInput& input, Wording wording) {
  using namespace fields;
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
