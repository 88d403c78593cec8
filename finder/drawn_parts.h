#pragma once

// What a row of a search takes from the drawer: the classes, and so the tolerance, drift,
// rating and place, of each of its parts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "drawer.h"
#include "network.h"

namespace vantrel::finder {

// How a row draws every part of one value. Whoever builds it may put any drawn part in any slot
// of that value, so each part is taken as the loosest of the classes drawn: the band then
// holds wherever each part goes.
struct ValueDraw {
  std::uint16_t value = 0;
  std::uint32_t count = 0;  // parts of the value in the row
  // The classes drawn and how many parts each gives; a row has at most eight parts.
  std::array<const drawer::PartClass*, 8> classes{};
  std::array<std::uint32_t, 8> taken{};
  std::size_t classCount = 0;

  // The loosest tolerance drawn in percent, a class without one taking fallback; nullopt where
  // some class has neither.
  std::optional<double> Tolerance(std::optional<double> fallback) const;
  // The largest TCR drawn in ppm/°C, a class without one taking fallback.
  double Tcr(double fallback) const;
  // The least power rating drawn in watts; nullopt where no class drawn has one.
  std::optional<double> Rating() const;
};

// The draws of a row's legs (at most two, of one stock), in the order their values first
// appear, and the draw of the part in each slot of each leg.
struct DrawnParts {
  std::array<ValueDraw, 8> values{};
  std::size_t valueCount = 0;
  std::array<std::array<std::uint8_t, 4>, 2> bySlot{};

  const ValueDraw& At(std::size_t leg, std::size_t slot) const { return values[bySlot[leg][slot]]; }
};

// Which classes the parts of legs are drawn from: each value takes all its parts from the
// tightest class that holds enough of them (classes without a tolerance counting as loosest);
// where none does, from its classes tightest first. False when the legs use some value more
// times than the drawer holds.
bool DrawParts(const drawer::Drawer& drawer, std::span<const networks::Network* const> legs,
               DrawnParts& drawn);

// Each part's tolerance and drift in percent, the parts drawn as DrawParts draws them: the
// loosest tolerance drawn for its value (fallback for a class without one), and the largest TCR
// drawn (fallbackTcr for a class without one, in ppm/°C) times deltaT (°C). False where the legs
// use a value more times than the drawer holds, or where a part's tolerance is not known.
bool DrawSpreads(const drawer::Drawer& drawer, std::span<const networks::Network* const> legs,
                 std::optional<double> fallback, double fallbackTcr, double deltaT,
                 networks::PartTolerances& tolerances);

// What a row takes from one class: the stock value, how many, and the class.
struct DrawerUse {
  std::uint16_t value = 0;
  std::uint32_t count = 0;
  const drawer::PartClass* drawn = nullptr;
};

// The uses of a row's legs, one per class, in the order the values first appear.
std::vector<DrawerUse> DrawerUses(const drawer::Drawer& drawer,
                                  std::span<const networks::Network* const> legs);

}  // namespace vantrel::finder
