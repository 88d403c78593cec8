#pragma once

// What a row of a search takes from the drawer: the class, and so the tolerance, rating and
// place, of each of its parts.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drawer.h"
#include "network.h"

namespace vantrel::finder {

// The class each part of a row's legs comes from, by leg and slot.
using DrawnParts = std::array<std::array<const DrawerClass*, 4>, 2>;

// Which class each part of legs (at most two, of one stock) is drawn from: the n-th use of a
// value in leg then slot order takes the n-th part of its classes in their order, so the
// tightest parts go first. False when the legs use some value more times than the drawer holds.
bool DrawParts(const Drawer& drawer, std::span<const networks::Network* const> legs,
               DrawnParts& drawn);

// Each part's tolerance and drift in percent, the parts drawn as DrawParts draws them: its
// class's tolerance, else fallback, and its class's TCR (ppm/°C), else fallbackTcr, times deltaT
// (°C). False where the legs use a value more times than the drawer holds, or where a part's
// tolerance is not known.
bool DrawSpreads(const Drawer& drawer, std::span<const networks::Network* const> legs,
                 std::optional<double> fallback, double fallbackTcr, double deltaT,
                 networks::PartTolerances& tolerances);

// What a row takes from one class: the stock value, how many, and the class.
struct DrawerUse {
  std::uint16_t value = 0;
  std::uint32_t count = 0;
  const DrawerClass* drawn = nullptr;
};

// The uses of a row's legs, one per class, in the order the parts appear.
std::vector<DrawerUse> DrawerUses(const Drawer& drawer,
                                  std::span<const networks::Network* const> legs);

}  // namespace vantrel::finder
