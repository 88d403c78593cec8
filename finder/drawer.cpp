#include "drawer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "files.h"
#include "number_text.h"
#include "request.h"
#include "stock_load.h"

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

std::uint32_t AddHeld(std::uint32_t held, std::uint64_t more) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(
      std::uint64_t{held} + more, std::numeric_limits<std::uint32_t>::max()));
}

double LeastTolerance(const Drawer& drawer, std::optional<double> fallback) {
  double least = std::numeric_limits<double>::infinity();
  for (const auto& classes : drawer.classes) {
    for (const DrawerClass& drawerClass : classes) {
      if (!drawerClass.tolerance && !fallback) return 0;
      least = std::min(least, drawerClass.tolerance.value_or(fallback.value_or(0)));
    }
  }
  return std::isinf(least) ? 0 : least;
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

std::string NoneInStockMessage(const StockKind& kind, std::string_view what) {
  return std::string(kInventoryFileName) + " holds no " + std::string(kind.name) +
         " in stock to build " + std::string(what) + " from";
}

LoadedStock LoadInventoryStock(Services& services, const std::vector<double>& excluded,
                               const StockKind& kind) {
  LoadedStock loaded;
  loaded.kind = &kind;
  IFileService& files = services.files;
  const std::optional<Inventory> inventory = ReadInventory(files);
  if (!inventory) {
    const std::string what = files.NotRegularFile(kInventoryPath);
    loaded.readNotes.push_back(
        !what.empty() ? std::string(kInventoryFileName) + " is " + what +
                            "; the inventory must be a regular file, or a symbolic link to one"
        : files.LastFailure() == MissingFileReason()
            ? std::string("no ") + kInventoryFileName +
                  " in the library folder; make one with \"vantrel-cli import FILE --write\""
            : std::string("cannot read ") + kInventoryFileName + ": " + files.LastFailure());
    return loaded;
  }
  if (!inventory->refusal.empty()) {
    loaded.readNotes.push_back(inventory->refusal);
    return loaded;
  }
  loaded.opened = true;
  for (const InventoryProblem& problem : inventory->problems) {
    loaded.readNotes.push_back(std::string(kInventoryFileName) + " line " +
                               std::to_string(problem.line) + ": " + problem.reason + "; left out");
  }
  std::vector<const InventoryRow*> rows = inventory->InStock(kind);
  std::vector<std::string> missing;
  for (double value : excluded) {
    if (std::none_of(rows.begin(), rows.end(),
                     [&](const InventoryRow* row) { return row->value == value; })) {
      missing.push_back("--exclude " + KindText(kind, value) + ": no such value in stock");
    }
  }
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  loaded.stockNotes = missing;
  const auto outOfRange = std::erase_if(rows, [](const InventoryRow* row) {
    return !(row->value >= kMinResistance && row->value <= kMaxResistance);
  });
  if (outOfRange > 0) {
    loaded.stockNotes.push_back("left out " + CountText(outOfRange, "inventory row") +
                                " outside the " + AcceptedRange(kind));
  }
  std::vector<double> values;
  for (const InventoryRow* row : rows) values.push_back(row->value);
  loaded.stock = networks::MakeStock(values, excluded);
  auto drawer = std::make_shared<Drawer>();
  drawer->classes.resize(loaded.stock.values.size());
  drawer->held.resize(loaded.stock.values.size());
  for (const InventoryRow* row : rows) {
    const auto at =
        std::lower_bound(loaded.stock.values.begin(), loaded.stock.values.end(), row->value);
    if (at == loaded.stock.values.end() || *at != row->value) continue;  // excluded
    const auto i = static_cast<std::size_t>(at - loaded.stock.values.begin());
    drawer->classes[i].push_back(
        {row->quantity, row->tolerance, row->power, row->tcr, row->location, row->partNumber});
    drawer->held[i] = AddHeld(drawer->held[i], row->quantity);
  }
  for (auto& classes : drawer->classes) {
    std::stable_sort(classes.begin(), classes.end(),
                     [](const DrawerClass& a, const DrawerClass& b) {
                       if (a.tolerance.has_value() != b.tolerance.has_value()) {
                         return a.tolerance.has_value();
                       }
                       return a.tolerance && *a.tolerance < *b.tolerance;
                     });
  }
  loaded.drawer = std::move(drawer);
  for (double value : loaded.stock.values) loaded.names.push_back(KindText(kind, value));
  return loaded;
}

}  // namespace vantrel::finder
