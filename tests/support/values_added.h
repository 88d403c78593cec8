#pragma once

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "stock_load.h"

namespace vantrel::testing {

// The values a spelling in names v0, v1, ... adds to stock's board: each distinct name whose
// value the board lacks.
inline int ValuesAdded(const std::string& spelling, const finder::LoadedStock& stock) {
  std::istringstream words(spelling);
  std::set<std::string> names;
  for (std::string word; words >> word;) {
    std::erase(word, '(');
    std::erase(word, ')');
    if (word.starts_with('v')) names.insert(word);
  }
  int added = 0;
  for (const std::string& name : names) {
    const double value = stock.stock.values[std::stoul(name.substr(1))];
    if (!std::binary_search(stock.board->begin(), stock.board->end(), value)) ++added;
  }
  return added;
}

}  // namespace vantrel::testing
