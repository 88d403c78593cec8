#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vantrel {

// A text table: columns separated by two spaces and padded to a common width, numbers
// right-aligned, text columns and the last column left-aligned, the last never padded.
// Widths are measured first, so rows can be streamed twice: once to measure, once to print.
class TextColumns {
 public:
  // leftAligned: the indices of the text columns besides the last.
  explicit TextColumns(std::vector<std::string> header, std::vector<std::size_t> leftAligned = {});

  void Measure(const std::vector<std::string>& cells);
  std::string Line(const std::vector<std::string>& cells) const;
  std::string HeaderLine() const { return Line(m_header); }

 private:
  std::vector<std::string> m_header;
  std::vector<std::size_t> m_widths;
  std::vector<bool> m_left;
};

// Value in engineering notation with an SI prefix and significant digits (at least 3):
// 4700 with 3 gives "4.70k", 0.0022 gives "2.20m". Micro is written "u". Beyond the
// prefixes (below 1f, from 1000E) the exponent is written out: "1.00e-18".
std::string FormatEngineering(double value, int digits);

// The fewest significant digits, at least 3, at which a and b look different.
int DigitsToTellApart(double a, double b);

// The significant digits of the shortest text that reads back as value: 4700 has 2, 1234.5 has 5.
int ShortestDigits(double value);

// A signed percentage with 3 significant digits: "+0.122", "-1.5e-07", "0".
std::string FormatPercent(double percent);

// Writes a table whose rows forEach delivers three times in the same order: to find the
// digits that tell the values of the key column apart from their neighbours' and from the
// target, to measure, to print. cells(row, digits) gives a row's cells, key(row) its key value.
// A target typed with more digits gets them in the key column too (up to 7), so an exact hit
// on 1234.5 reads 1.2345k, not 1.23k.
template <class ForEach, class Key, class Cells>
void WriteTable(const ForEach& forEach, const Key& key, double target, const Cells& cells,
                TextColumns columns, std::ostream& out) {
  int digits = std::clamp(ShortestDigits(target), 3, 7);
  std::optional<double> previous;
  forEach([&](const auto& row) {
    const double value = key(row);
    for (double other : {previous.value_or(value), target}) {
      if (other != value) digits = std::max(digits, DigitsToTellApart(other, value));
    }
    previous = value;
  });
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
