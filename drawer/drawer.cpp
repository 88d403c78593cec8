#include "drawer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantrel::drawer {

Drawer MakeDrawer(std::span<const InventoryRow* const> rows, std::span<const double> values) {
  Drawer drawer;
  drawer.classes.resize(values.size());
  drawer.held.resize(values.size());
  for (const InventoryRow* row : rows) {
    const auto at = std::lower_bound(values.begin(), values.end(), row->value);
    if (at == values.end() || *at != row->value) continue;  // excluded
    const auto i = static_cast<std::size_t>(at - values.begin());
    drawer.classes[i].push_back(*row);
    drawer.held[i] = AddHeld(drawer.held[i], row->quantity);
  }
  for (auto& classes : drawer.classes) {
    std::stable_sort(classes.begin(), classes.end(), [](const PartClass& a, const PartClass& b) {
      if (a.tolerance.has_value() != b.tolerance.has_value()) {
        return a.tolerance.has_value();
      }
      return a.tolerance && *a.tolerance < *b.tolerance;
    });
  }
  return drawer;
}

std::uint32_t AddHeld(std::uint32_t held, std::uint64_t more) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(
      std::uint64_t{held} + more, std::numeric_limits<std::uint32_t>::max()));
}

double LeastTolerance(const Drawer& drawer, std::optional<double> fallback) {
  double least = std::numeric_limits<double>::infinity();
  for (const auto& classes : drawer.classes) {
    for (const PartClass& drawerClass : classes) {
      if (!drawerClass.tolerance && !fallback) return 0;
      least = std::min(least, drawerClass.tolerance.value_or(fallback.value_or(0)));
    }
  }
  return std::isinf(least) ? 0 : least;
}

std::string NoneInStockMessage(const StockKind& kind, std::string_view what) {
  return std::string(kInventoryFileName) + " holds no " + std::string(kind.name) +
         " in stock to build " + std::string(what) + " from";
}

}  // namespace vantrel::drawer
