#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

// A text table: columns separated by two spaces and padded to a common width, numbers
// right-aligned, the last column left-aligned and never padded. Widths are measured first,
// so rows can be streamed twice: once to measure, once to print.
class TextColumns {
 public:
  explicit TextColumns(std::vector<std::string> header);

  void Measure(const std::vector<std::string>& cells);
  std::string Line(const std::vector<std::string>& cells) const;
  std::string HeaderLine() const { return Line(m_header); }

 private:
  std::vector<std::string> m_header;
  std::vector<std::size_t> m_widths;
};

// Value in engineering notation with an SI prefix and significant digits (at least 3):
// 4700 with 3 gives "4.70k", 0.0022 gives "2.20m". Micro is written "u". Beyond the
// prefixes (below 1f, from 1000E) the exponent is written out: "1.00e-18".
std::string FormatEngineering(double value, int digits);

// The fewest significant digits, at least 3, at which a and b look different.
int DigitsToTellApart(double a, double b);

// A signed percentage with 3 significant digits: "+0.122", "-1.5e-07", "0".
std::string FormatPercent(double percent);

// A stock value as the library holds it: the shortest plain decimal that reads back as the
// same float, "4700" or "2.2".
std::string StockValueText(float value);

}  // namespace vantrel
