#pragma once

#include <array>
#include <cstdint>

namespace vantrel {

// One way to reach the target: a single value (both resistors 0) or two values in parallel.
struct ResultRow {
  float value = 0;
  float resistor1 = 0;
  float resistor2 = 0;
  float precision = 0;  // deviation from the target in percent, never negative

  bool operator==(const ResultRow&) const = default;
};

// The ranked results. Rows 0 to count - 1 are in use, in ascending order of precision.
struct ResultTable {
  static constexpr int kSlots = 100;
  std::array<ResultRow, kSlots> rows{};
  std::int32_t count = 0;
};

}  // namespace vantrel
