#include "stock.h"

#include <algorithm>

namespace vantrel::networks {

Stock MakeStock(std::span<const double> library, std::span<const double> excluded) {
  Stock stock;
  for (double value : library) {
    if (!(value > 0)) {
      ++stock.nonPositive;
    } else if (std::find(excluded.begin(), excluded.end(), value) == excluded.end()) {
      stock.values.push_back(value);
    }
  }
  std::sort(stock.values.begin(), stock.values.end());
  stock.values.erase(std::unique(stock.values.begin(), stock.values.end()), stock.values.end());
  return stock;
}

}  // namespace vantrel::networks
