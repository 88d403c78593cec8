#include "stock_input.h"

#include "board_values.h"
#include "drawer.h"
#include "inventory_file.h"

namespace vantrel {

std::optional<finder::LoadedStock> LoadStock(Services& services,
                                             const std::vector<double>& excluded,
                                             std::string_view what, std::ostream& err,
                                             const StockKind& kind, bool inventory) {
  finder::LoadedStock loaded = inventory ? finder::LoadInventoryStock(services, excluded, kind)
                                         : finder::LoadStock(services, excluded, kind);
  for (const std::string& note : loaded.readNotes) {
    err << (inventory ? "vantrel-cli: " : "") << note << '\n';
  }
  if (!loaded.opened) return std::nullopt;
  for (const std::string& note : loaded.stockNotes) err << "vantrel-cli: " << note << '\n';
  if (loaded.stock.values.empty() && inventory) {
    err << "vantrel-cli: " << kInventoryFileName << " holds no " << kind.name
        << " in stock to build " << what << " from\n";
    return std::nullopt;
  }
  if (loaded.stock.values.empty()) {
    err << "vantrel-cli: the " << (kind.part == PartKind::kResistor ? "" : kind.name)
        << (kind.part == PartKind::kResistor ? "" : " ") << "library holds no value to build "
        << what << " from\n";
    return std::nullopt;
  }
  return loaded;
}

bool AddBoard(Services& services, const std::optional<std::string>& prefer,
              const std::vector<finder::LoadedStock*>& stocks, std::ostream& err) {
  if (!prefer) return true;
  std::vector<const StockKind*> kinds;
  for (const finder::LoadedStock* stock : stocks) kinds.push_back(stock->kind);
  const finder::BoardValues board = finder::ReadBoardFile(services.files, *prefer, kinds);
  if (!board.refusal.empty()) {
    err << "vantrel-cli: --prefer " << board.refusal << '\n';
    return false;
  }
  for (finder::LoadedStock* stock : stocks) stock->board = board.Of(*stock->kind);
  return true;
}

}  // namespace vantrel
