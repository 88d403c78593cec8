#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "network.h"

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

// The legs of one kind by ascending value: the single parts, or the pairs of a table spelled
// as shape says.
struct LegList {
  Shape shape = Shape::kOne;
  std::span<const double> values;
  const std::array<std::uint16_t, 2>* parts = nullptr;  // of the pairs

  Network At(std::size_t i) const {
    if (shape == Shape::kOne) return {shape, {static_cast<std::uint16_t>(i)}};
    return {shape, {parts[i][0], parts[i][1]}};
  }
};

}  // namespace vantrel::networks
