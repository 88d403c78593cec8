#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "rows.h"

namespace vantrel {

// A text table: columns separated by two spaces and padded to a common width, numbers
// right-aligned, text columns and the last column left-aligned, the last never padded.
// Widths are measured first, so rows can be streamed twice: once to measure, once to print.
class TextColumns {
 public:
  explicit TextColumns(const std::vector<finder::Column>& columns);

  void Measure(const std::vector<std::string>& cells);
  std::string Line(const std::vector<std::string>& cells) const;
  std::string HeaderLine() const { return Line(m_header); }

 private:
  std::vector<std::string> m_header;
  std::vector<std::size_t> m_widths;
  std::vector<bool> m_left;
};

// Writes a table whose rows forEach delivers three times in the same order: to find the
// digits of the key column (finder::KeyDigits), to measure, to print. cells(row, digits) gives
// a row's cells, key(row) its key value.
template <class ForEach, class Key, class Cells>
void WriteTable(const ForEach& forEach, const Key& key, double target, const Cells& cells,
                TextColumns columns, std::ostream& out) {
  finder::KeyDigits keyDigits(target);
  forEach([&](const auto& row) { keyDigits.See(key(row)); });
  const int digits = keyDigits.Digits();
  forEach([&](const auto& row) { columns.Measure(cells(row, digits)); });
  std::string text = columns.HeaderLine();
  forEach([&](const auto& row) {
    text += columns.Line(cells(row, digits));
    if (text.size() >= 65536) {
      out << text;
      text.clear();
    }
  });
  out << text;
}

}  // namespace vantrel
