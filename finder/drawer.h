#pragma once

// Searches that draw on the inventory rather than a library: how many of each value the drawer
// holds, and the tolerance, rating and place of each part a row takes from it.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "inventory_file.h"
#include "network.h"
#include "services.h"
#include "stock_kind.h"

namespace vantrel::finder {

struct LoadedStock;

// One class of part of a stock value: how many there are, how close and how strong they are,
// and where they lie.
struct DrawerClass {
  std::uint64_t quantity = 0;
  std::optional<double> tolerance;  // percent
  std::optional<double> power;      // watts
  std::optional<double> tcr;        // ppm/°C
  std::string location;
  std::string partNumber;
};

// The classes of each stock value, by stock index, in the order a row takes them: the tightest
// tolerance first, those without one last, then in file order.
struct Drawer {
  std::vector<std::vector<DrawerClass>> classes;
  std::vector<std::uint32_t> held;  // each value's count in all, at most UINT32_MAX
};

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

// held plus more, at most UINT32_MAX.
std::uint32_t AddHeld(std::uint32_t held, std::uint64_t more);

// The least tolerance any part of the drawer may bring (fallback for those without one; 0 when
// some part has neither): a bound below every row's band.
double LeastTolerance(const Drawer& drawer, std::optional<double> fallback);

// What a row takes from one class: the stock value, how many, and the class.
struct DrawerUse {
  std::uint16_t value = 0;
  std::uint32_t count = 0;
  const DrawerClass* drawn = nullptr;
};

// The uses of a row's legs, one per class, in the order the parts appear.
std::vector<DrawerUse> DrawerUses(const Drawer& drawer,
                                  std::span<const networks::Network* const> legs);

// Why a search of kind for what ("dividers") has nothing to draw on: the inventory holds none.
std::string NoneInStockMessage(const StockKind& kind, std::string_view what);

// The stock of kind in ./Inventory.csv: the values of its rows of that kind with a count above 0,
// less excluded, each value's classes in the drawer; the lines that cannot be read as read notes.
// opened is false when the file cannot be read (the message told through services).
LoadedStock LoadInventoryStock(Services& services, const std::vector<double>& excluded,
                               const StockKind& kind);

}  // namespace vantrel::finder
