#include "text_columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace vantrel {
namespace {

// The columns text takes on a terminal: its characters, a UTF-8 continuation byte adding none,
// so that a title such as "Rtop (OUT–FB)" lines up.
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

TextColumns::TextColumns(const std::vector<table::Column>& columns) {
  for (const table::Column& column : columns) {
    m_header.emplace_back(column.title);
    m_left.push_back(column.leftAligned);
  }
  m_widths.assign(m_header.size(), 0);
  Measure(m_header);
}

void TextColumns::Measure(const std::vector<std::string>& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i)
    m_widths[i] = std::max(m_widths[i], Width(cells[i]));
}

std::string TextColumns::Line(const std::vector<std::string>& cells) const {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i + 1 == cells.size()) {
      line += cells[i];
    } else if (m_left[i]) {
      line += cells[i];
      line.append(m_widths[i] - Width(cells[i]) + 2, ' ');
    } else {
      line.append(m_widths[i] - Width(cells[i]), ' ');
      line += cells[i];
      line += "  ";
    }
  }
  line += '\n';
  return line;
}

}  // namespace vantrel
