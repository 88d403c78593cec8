#include "drawn_parts.h"

#include <algorithm>

namespace vantrel::finder {

bool DrawParts(const Drawer& drawer, std::span<const networks::Network* const> legs,
               DrawnParts& drawn) {
  // The values taken so far and how often; a row has at most eight parts.
  std::array<std::uint16_t, 8> values{};
  std::array<std::uint32_t, 8> uses{};
  std::size_t seen = 0;
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    const networks::Network& network = *legs[leg];
    const int parts = networks::PartCount(network.shape);
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(parts); ++slot) {
      const std::uint16_t value = network.parts[slot];
      std::size_t at = 0;
      while (at < seen && values[at] != value) ++at;
      if (at == seen) {
        values[seen] = value;
        uses[seen++] = 0;
      }
      const std::uint32_t n = uses[at]++;
      if (n >= drawer.held[value]) return false;
      // The n-th part of the value: the class whose running count first passes n.
      std::uint64_t before = 0;
      for (const DrawerClass& drawerClass : drawer.classes[value]) {
        before += drawerClass.quantity;
        if (n < before) {
          drawn[leg][slot] = &drawerClass;
          break;
        }
      }
    }
  }
  return true;
}

bool DrawSpreads(const Drawer& drawer, std::span<const networks::Network* const> legs,
                 std::optional<double> fallback, double fallbackTcr, double deltaT,
                 networks::PartTolerances& tolerances) {
  DrawnParts drawn{};
  if (!DrawParts(drawer, legs, drawn)) return false;
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    auto& own = leg == 0 ? tolerances.first : tolerances.second;
    auto& drift = leg == 0 ? tolerances.firstDrift : tolerances.secondDrift;
    const int parts = networks::PartCount(legs[leg]->shape);
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(parts); ++slot) {
      const DrawerClass& drawerClass = *drawn[leg][slot];
      if (!drawerClass.tolerance && !fallback) return false;
      own[slot] = drawerClass.tolerance.value_or(fallback.value_or(0));
      drift[slot] = drawerClass.tcr.value_or(fallbackTcr) * 1e-4 * deltaT;
    }
  }
  return true;
}

std::vector<DrawerUse> DrawerUses(const Drawer& drawer,
                                  std::span<const networks::Network* const> legs) {
  DrawnParts drawn{};
  std::vector<DrawerUse> uses;
  if (!DrawParts(drawer, legs, drawn)) return uses;
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    const int parts = networks::PartCount(legs[leg]->shape);
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(parts); ++slot) {
      const DrawerClass* drawerClass = drawn[leg][slot];
      const auto same = std::find_if(
          uses.begin(), uses.end(), [&](const DrawerUse& use) { return use.drawn == drawerClass; });
      if (same != uses.end()) {
        ++same->count;
      } else {
        uses.push_back({legs[leg]->parts[slot], 1, drawerClass});
      }
    }
  }
  return uses;
}

}  // namespace vantrel::finder
