#include "command_args.h"

namespace vantrel {

std::optional<std::string> Given(const ParsedArgs& args, std::string_view option) {
  const std::string* value = args.Value(option);
  return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::vector<std::string> AllGiven(const ParsedArgs& args, std::string_view option) {
  std::vector<std::string> values;
  for (const auto& [name, value] : args.options) {
    if (name == option) values.push_back(value);
  }
  return values;
}

}  // namespace vantrel
