#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vantrel::networks {

// All pairs i <= j (i < j when distinct) of stock values combined one way, by ascending
// combined value, pairs of one value by i, then j.
struct PairTable {
  std::vector<double> values;
  std::vector<std::array<std::uint16_t, 2>> parts;
};

// x + y.
PairTable SeriesPairs(std::span<const double> stock, bool distinct);
// x * y / (x + y).
PairTable ParallelPairs(std::span<const double> stock, bool distinct);

}  // namespace vantrel::networks
