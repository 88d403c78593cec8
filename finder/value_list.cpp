#include "value_list.h"

namespace vantrel::finder {

std::vector<std::string> SplitValueList(std::string_view text) {
  std::vector<std::string> values;
  std::string piece;
  for (const char c : text) {
    if (c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (!piece.empty()) values.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) values.push_back(std::move(piece));
  return values;
}

}  // namespace vantrel::finder
