#pragma once

// The drawer as a stock: each value's classes of part, how many of each the drawer holds, and
// the order in which a row takes them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "inventory_file.h"
#include "stock_kind.h"

namespace vantrel::drawer {

// The classes of each stock value, by stock index, in the order a row takes them: the tightest
// tolerance first, those without one last, then in file order.
struct Drawer {
  std::vector<std::vector<PartClass>> classes;
  std::vector<std::uint32_t> held;  // each value's count in all, at most UINT32_MAX
};

// The drawer of rows for a stock of ascending values: each row joins the classes of its value;
// rows whose value the stock lacks (excluded) are left out.
Drawer MakeDrawer(std::span<const InventoryRow* const> rows, std::span<const double> values);

// held plus more, at most UINT32_MAX.
std::uint32_t AddHeld(std::uint32_t held, std::uint64_t more);

// The least tolerance any part of the drawer may bring (fallback for those without one; 0 when
// some part has neither): a bound below every row's band.
double LeastTolerance(const Drawer& drawer, std::optional<double> fallback);

// Why a search of kind for what ("dividers") has nothing to draw on: the inventory holds none.
std::string NoneInStockMessage(const StockKind& kind, std::string_view what);

}  // namespace vantrel::drawer
