#pragma once

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "services.h"
#include "stock_load.h"

namespace vantrel {

// finder::LoadStock for the command line: its notes go to err, the stock's with the program's
// name in front. nullopt, after the missing-library message, when the library cannot be opened,
// and after saying so when it holds no value to build what (networks, dividers) from.
// With inventory, the stock of kind in Inventory.csv instead (finder::LoadInventoryStock).
std::optional<finder::LoadedStock> LoadStock(Services& services,
                                             const std::vector<double>& excluded,
                                             std::string_view what, std::ostream& err,
                                             const StockKind& kind = kResistors,
                                             bool inventory = false);

// With prefer (--prefer FILE): reads the board's values into each of stocks, those of its kind,
// so that rows rank by the values they add to it, naming on err each line that gives no value.
// False after saying on err why the file cannot be read.
bool AddBoard(Services& services, const std::optional<std::string>& prefer,
              const std::vector<finder::LoadedStock*>& stocks, std::ostream& err);

}  // namespace vantrel
