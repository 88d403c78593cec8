#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "display_text.h"
#include "rows.h"

namespace vantrel {

// A text table: columns separated by two spaces and padded to a common width, numbers
// right-aligned, text columns and the last column left-aligned, the last never padded.
// Widths are measured first, so rows can be streamed twice: once to measure, once to print.
class TextColumns {
 public:
  explicit TextColumns(const std::vector<table::Column>& columns);

  void Measure(const std::vector<std::string>& cells);
  std::string Line(const std::vector<std::string>& cells) const;
  std::string HeaderLine() const { return Line(m_header); }

 private:
  std::vector<std::string> m_header;
  std::vector<std::size_t> m_widths;
  std::vector<bool> m_left;
};

// Writes a table whose rows forEach delivers three times in the same order: to choose each
// column's digits (finder::ColumnSpeller), to measure, to print. cells(row) gives a row's cells
// to read.
template <class ForEach, class Cells>
void WriteTable(const ForEach& forEach, double target, const Cells& cells, TextColumns columns,
                std::ostream& out) {
  finder::ColumnSpeller speller(finder::Spelling::kPlain, target);
  forEach([&](const auto& row) { speller.See(cells(row)); });
  forEach([&](const auto& row) { columns.Measure(speller.Spell(cells(row))); });
  std::string text = columns.HeaderLine();
  forEach([&](const auto& row) {
    if (!out) return;  // nobody gets the rest
    text += columns.Line(speller.Spell(cells(row)));
    if (text.size() >= 65536) {
      out << text;
      text.clear();
    }
  });
  out << text;
}

// A text table printed while its rows still come, for listings too long to go over twice:
// the first kBlockRows rows are held to set each column's digits and width as WriteTable
// would; each later row is printed as it comes, and one that needs more digits to tell a
// column from the row before, or a wider column, gets them from there on.
template <class Row>
class TableStream {
 public:
  static constexpr std::size_t kBlockRows = 1000;
  using Cells = std::function<std::vector<table::ShownCell>(const Row&)>;

  TableStream(TextColumns columns, double target, Cells cells, std::ostream& out)
      : m_columns(std::move(columns)),
        m_speller(finder::Spelling::kPlain, target),
        m_cells(std::move(cells)),
        m_out(out) {}

  void Add(Row row) {
    if (m_held) {
      m_held->push_back(std::move(row));
      if (m_held->size() == kBlockRows) PrintHeld();
      return;
    }
    const std::vector<table::ShownCell> shown = m_cells(row);
    m_speller.Follow(shown);
    const std::vector<std::string> cells = m_speller.Spell(shown);
    m_columns.Measure(cells);
    m_out << m_columns.Line(cells);
  }

  // Prints what is still held; nothing at all when no row came.
  void Finish() {
    if (m_held && !m_held->empty()) PrintHeld();
    m_out << std::flush;
  }

 private:
  void PrintHeld() {
    for (const Row& row : *m_held) m_speller.See(m_cells(row));
    for (const Row& row : *m_held) m_columns.Measure(m_speller.Spell(m_cells(row)));
    std::string text = m_columns.HeaderLine();
    for (const Row& row : *m_held) text += m_columns.Line(m_speller.Spell(m_cells(row)));
    m_out << text << std::flush;
    m_speller.Follow(m_cells(m_held->back()));
    m_held.reset();
  }

  TextColumns m_columns;
  finder::ColumnSpeller m_speller;
  Cells m_cells;
  std::ostream& m_out;
  std::optional<std::vector<Row>> m_held = std::vector<Row>{};
};

}  // namespace vantrel
