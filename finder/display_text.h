#pragma once

// Numbers spelled to be read. A row gives its cells as numbers tagged with what they measure
// (cells.h ShownCell); a ColumnSpeller sees every row of a list first, chooses each column's
// digits once, as many as tell apart any two of its values that differ, and then spells every
// row with them, so one value has one spelling in a column. The window reads quantities with an
// SI prefix and their unit ("270 kΩ", "362 µA"); the command line's text table without the
// unit ("270k"). Copies and the command line's tsv, csv and json keep every digit (rows.h
// Fields).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cells.h"
#include "rows.h"

namespace vantrel::finder {

// How a list is spelled: the command line's text table, or the window's.
enum class Spelling { kPlain, kUnits };

// The unit a quantity is written with: "Ω", "F", "Hz"; empty for the rest.
std::string_view UnitOf(table::Quantity quantity);

// value with an SI prefix, a space and its unit: "362 µA", "5.00 mA", "1.00e-18 A".
std::string ShownQuantity(double value, int digits, std::string_view unit);

// The shortest engineering text that reads back as value: 4700 gives "4.7k", 1e6 "1M",
// 3141.59 "3.14159k", 0.01 "10m".
std::string ShortEngineering(double value);

// value in its shortest engineering text with its unit, for a label or a sentence:
// "75 Ω", "4.7 kΩ", "10 nF", "1.25 V".
std::string ShownValue(table::Quantity quantity, double value);

// Chooses each column's digits from the rows it sees and spells rows with them. A column of
// a quantity starts at 3 significant digits (a percentage at 3 decimals in the window, a band
// at 2), the key column at the target's own digits (3 to 7), so an exact hit on 4700 reads
// 4.70k, and each takes more until no two of its values spell alike unless they differ by no
// more than kSameValue of their size: those are one decimal value summed in another order, and
// are spelled as the least of them. The key column's values are told from the target too. In
// the window a column of a quantity with a unit has one prefix and one count of decimals
// ("0.996 kHz", "1.001 kHz"), unless its values span too many decades for one.
class ColumnSpeller {
 public:
  ColumnSpeller(Spelling spelling, double target);

  // Takes a row's numbers into the columns' choice; every row has the same columns.
  void See(const std::vector<table::ShownCell>& row);
  // The row's cells with the digits chosen from the rows seen so far.
  std::vector<std::string> Spell(const std::vector<table::ShownCell>& row);
  // For rows past those seen, in a listing too long to hold: forgets the values seen, and from
  // now on the key column takes the digits that tell each row from the row before, if more;
  // the other columns keep theirs, so that a column sorted by size stays so as read.
  void Follow(const std::vector<table::ShownCell>& row);

 private:
  struct ColumnChoice {
    table::Quantity quantity = table::Quantity::kText;  // of its numbers
    bool key = false;
    std::vector<double> values;  // seen, with the target first in the key column
    std::vector<double> highs;   // a band's upper ends
    bool settled = false;
    std::vector<double> firsts;  // ascending: each run of values within kSameValue, as its least
    std::vector<double> highFirsts;  // the same of the highs
    int precision = 0;
    // The window's numbers with a unit share one prefix, 10^exponent, and one count of
    // decimals: enough for least, the smallest of them in that prefix, to show precision digits.
    bool shared = false;
    int exponent = 0;
    double least = 0;
  };
  void Settle(ColumnChoice& column) const;
  std::string SpellCell(const ColumnChoice& column, const table::ShownCell& cell) const;
  std::string SpellNumber(const ColumnChoice& column, const table::ShownCell& cell) const;

  Spelling m_spelling;
  double m_target;
  std::vector<ColumnChoice> m_columns;
  std::optional<std::vector<table::ShownCell>> m_previous;  // while following
};

// The window's columns for a list of columns: the band's Low and High as one column of
// percentages of the target, "Band (%)", the statistical band's likewise, "RSS band", and In
// spec only when a band (--within) was given.
std::vector<table::Column> WindowColumns(const std::vector<table::Column>& columns, bool within);
// A row's cells for WindowColumns(columns, within), from its cells for columns.
std::vector<table::ShownCell> WindowCells(const std::vector<table::Column>& columns,
                                          const std::vector<table::ShownCell>& cells, double target,
                                          bool within);

}  // namespace vantrel::finder
