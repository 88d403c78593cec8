#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// A malformed command line of the find and divider commands; the front end prints it with
// the usage and exits with the usage status.
struct ArgumentError {
  std::string what;
};

// The arguments of one command: options (starting with "--") with their values, and the rest.
class CommandArgs {
 public:
  explicit CommandArgs(std::vector<std::string> args) : m_args(std::move(args)) {}

  // Walks the arguments in order. Returns false at the end; otherwise sets name to the option
  // ("--x") or to "" for a positional argument, which then is in value.
  bool Next(std::string& name, std::string& value);
  // The value of the option just returned by Next; throws when there is none.
  const std::string& Value(const std::string& option);

 private:
  std::vector<std::string> m_args;
  std::size_t m_next = 0;
};

// Parsers that throw ArgumentError naming what argument is wrong.
double ParseResistanceArgument(const std::string& text, const std::string& what);
double ParsePercentArgument(const std::string& text, const std::string& what);
std::uint64_t ParseCountArgument(const std::string& text, const std::string& what);

}  // namespace vantrel
