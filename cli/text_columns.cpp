#include "text_columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace vantrel {

TextColumns::TextColumns(std::vector<std::string> header, std::vector<std::size_t> leftAligned)
    : m_header(std::move(header)) {
  m_widths.assign(m_header.size(), 0);
  m_left.assign(m_header.size(), false);
  for (std::size_t column : leftAligned) m_left[column] = true;
  Measure(m_header);
}

void TextColumns::Measure(const std::vector<std::string>& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i)
    m_widths[i] = std::max(m_widths[i], cells[i].size());
}

std::string TextColumns::Line(const std::vector<std::string>& cells) const {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i + 1 == cells.size()) {
      line += cells[i];
    } else if (m_left[i]) {
      line += cells[i];
      line.append(m_widths[i] - cells[i].size() + 2, ' ');
    } else {
      line.append(m_widths[i] - cells[i].size(), ' ');
      line += cells[i];
      line += "  ";
    }
  }
  line += '\n';
  return line;
}

std::string FormatEngineering(double value, int digits) {
  if (value == 0) return "0";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, digits - 1);
  const std::string text(buffer, result.ptr);
  const std::size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  const int engineering = exponent >= 0 ? exponent / 3 * 3 : -((-exponent + 2) / 3 * 3);
  static constexpr const char* kPrefixes[] = {"f", "p", "n", "u", "m", "",
                                              "k", "M", "G", "T", "P", "E"};
  const int slot = engineering / 3 + 5;
  std::string out = value < 0 ? "-" : "";
  if (slot < 0 || slot >= 12) return out.append(text);
  std::string mantissa = text.substr(0, e);
  mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
  const auto whole = static_cast<std::size_t>(exponent - engineering + 1);
  out.append(mantissa, 0, whole);
  if (mantissa.size() > whole) out.append(".").append(mantissa, whole);
  return out.append(kPrefixes[slot]);
}

int DigitsToTellApart(double a, double b) {
  int digits = 3;
  while (digits < 17 && FormatEngineering(a, digits) == FormatEngineering(b, digits)) ++digits;
  return digits;
}

int ShortestDigits(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::string_view mantissa = text.substr(0, text.find('e'));
  return static_cast<int>(mantissa.size() - (mantissa.find('.') == std::string_view::npos ? 0 : 1));
}

std::string FormatPercent(double percent) {
  if (percent == 0) return "0";
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, percent, std::chars_format::general, 3);
  std::string text = percent > 0 ? "+" : "";
  return text.append(buffer, result.ptr);
}

}  // namespace vantrel
