#pragma once

#include <array>
#include <cstdint>

namespace vantrel {

// The user's resistor values. Slots at and beyond count hold stale values.
struct LibraryTable {
  static constexpr int kCapacity = 1000;
  std::array<float, kCapacity> values{};
  std::int32_t count = 0;
};

}  // namespace vantrel
