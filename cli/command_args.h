#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// An option value of the find and divider commands that is no good; the front end prints it
// with the command's usage and exits with the usage status.
struct ArgumentError {
  std::string what;
};

// Parsers that throw ArgumentError naming what argument is wrong.
double ParseResistanceArgument(const std::string& text, const std::string& what);
double ParsePercentArgument(const std::string& text, const std::string& what);
std::uint64_t ParseCountArgument(const std::string& text, const std::string& what);

}  // namespace vantrel
