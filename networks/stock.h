#pragma once

#include <span>
#include <vector>

namespace vantrel::networks {

// The values a search may use, from a library's values.
struct Stock {
  std::vector<double> values;  // distinct, above 0, ascending
  int nonPositive = 0;         // library values <= 0, which cannot be resistors
};

// The library's values above 0, without repeats and without the excluded ones, ascending.
Stock MakeStock(std::span<const double> library, std::span<const double> excluded);

}  // namespace vantrel::networks
