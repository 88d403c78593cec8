#include "command_args.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "ranked_rows.h"
#include "resistor_notation.h"

namespace vantrel {

double ParseResistanceArgument(const std::string& text, const std::string& what) {
  const std::optional<double> value = ParseResistance(text);
  if (!value) throw ArgumentError{what + " \"" + text + "\" is not a resistance"};
  return *value;
}

double ParsePercentArgument(const std::string& text, const std::string& what) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value) || value < 0) {
    throw ArgumentError{what + " needs a percentage of 0 or more, not \"" + text + "\""};
  }
  return value;
}

std::uint64_t ParseCountArgument(const std::string& text, const std::string& what) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value == 0) {
    throw ArgumentError{what + " needs a whole number above 0, not \"" + text + "\""};
  }
  return value;
}

std::uint64_t ListLimit(const ParsedArgs& args) {
  const std::string* top = args.Value("--top");
  const std::uint64_t limit = top ? ParseCountArgument(*top, "--top") : 20;
  if (!args.Has("--all")) return limit;
  if (top) throw ArgumentError{"--top and --all cannot be combined"};
  return std::numeric_limits<std::uint64_t>::max();
}

}  // namespace vantrel
