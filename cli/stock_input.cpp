#include "stock_input.h"

#include "drawer.h"
#include "preferred_search.h"

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
    err << "vantrel-cli: " << drawer::NoneInStockMessage(kind, what) << '\n';
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
  std::vector<std::string> skipped;
  const std::string refusal = finder::AddBoard(services.files, prefer, stocks, &skipped);
  for (const std::string& line : skipped) err << "vantrel-cli: --prefer " << line << '\n';
  if (!refusal.empty()) err << "vantrel-cli: --prefer " << refusal << '\n';
  return refusal.empty();
}

}  // namespace vantrel
