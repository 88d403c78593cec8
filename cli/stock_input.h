#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "services.h"
#include "stock.h"

namespace vantrel {

// The stock the find and divider commands search, with each value's name: its shortest
// decimal, which is the text as written up to 15 significant digits.
struct StockInput {
  networks::Stock stock;
  std::vector<std::string> names;
};

// Reads the library as Calculate does, takes each value as written at double precision rather
// than the float Calculate keeps, and makes the stock without the excluded values. Says
// on err how many values were not above 0 and which excluded values the library lacks.
// nullopt, after the missing-library message, when the library cannot be opened.
std::optional<StockInput> LoadStock(Services& services, const std::vector<double>& excluded,
                                    std::ostream& err);

}  // namespace vantrel
