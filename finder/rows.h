#pragma once

// What the rows of every search kind share: what a row takes from the inventory, a two-leg
// design's row, and the band, statistics and drawer columns with their cells and fields.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cells.h"
#include "designs.h"
#include "drawn_parts.h"
#include "stock_load.h"

namespace vantrel::finder {

// What a row takes from the inventory, one class of part at a time, as its Uses column spells
// it ("2 × 10k (1 %, 0603, A1), 1 × 4k7 (5 %)") and as json lists it.
struct RowUses {
  std::string text;
  std::vector<std::vector<table::JsonMember>> objects;
  // Where each class lies, for the one who fetches the parts: "1 × 4700: Box 2, RC0603...".
  std::string places;
};

// One row of a regulator's feedback divider or of an amplifier's gain: legs by place (Rtop
// and Rbottom; Rf and Rg or Rin), the output (VOUT, gain) and its worst case.
struct DesignRow {
  std::uint64_t rank = 0;
  std::string first;   // Rtop, Rf
  std::string second;  // Rbottom, Rg or Rin
  double output = 0;
  double error = 0;  // percent, signed
  double total = 0;
  double current = 0;  // through Rtop
  double power = 0;    // watts, the most any one part takes
  double low = 0;
  double high = 0;
  double worst = 0;
  double rssLow = 0;
  double rssHigh = 0;
  bool inSpec = false;
  std::optional<double> needs;
  // The share of VOUT in percent that the pin current supplies through Ra, for a regulator.
  double iadjShare = 0;
  // Whether that share passes kIadjShareMark with IADJ one figure: In spec "no (IADJ)".
  bool restsOnIadj = false;
  bool banded = true;
  RowUses uses;
  int newValues = 0;  // as FindRow's
};

// Values closer than this share a spelling: they are one decimal value summed in another
// order ((0.1 + 0.2) + 0.3 and 0.3 + 0.3), and telling them apart would only print the rounding
// of doubles.
inline constexpr double kSameValue = 1e-12;

// What legs of stock take from its drawer; values held in the kind's unit unless inBase.
RowUses UsesOf(const LoadedStock& stock, std::span<const networks::Network* const> legs,
               bool inBase = false);

// uses with more appended, as one list.
void Join(RowUses& uses, RowUses more);

// A part tolerance that would do, as a designer would read it: rounded down to 2 significant
// digits, so that the tolerance named does.
std::string Tolerance(double percent);

// The band's ends as the search settled them, and whether the row lies within band (percent).
template <class Row, class Found>
void CopyBand(Row& row, const Found& found, double band) {
  row.low = found.low;
  row.high = found.high;
  row.worst = found.worst;
  row.rssLow = found.rssLow;
  row.rssHigh = found.rssHigh;
  row.banded = found.banded;
  row.inSpec = found.banded && found.ranked <= band;
}

// The worst case of a found design as the search settled it, whether it lies within the band
// (--within, else the tolerance), and the part tolerance that would keep it there.
template <class Row>
void AddBand(Row& row, const Design& design, const networks::TwoLegRow& found,
             const LoadedStock& stock) {
  const std::array<const networks::Network*, 2> legs{&found.a, &found.b};
  row.uses = UsesOf(stock, legs);
  if (!Banded(design.bounds)) return;
  const double band = design.bounds.within.value_or(design.options.tolerance);
  CopyBand(row, found, band);
  row.needs = NeededPartTolerance(design, found, stock.stock.values, band);
}

// A held value's quantity.
table::Quantity KindQuantity(const StockKind& kind);

// A row's rank, as its first cell.
table::ShownCell RankCell(std::uint64_t rank);

// The band cells of a row with a part whose tolerance is not known.
inline constexpr char kUnknownBand[] = "unknown";

// The cells of the band columns, after the error: the output's worst case in its quantity. The
// tolerance a row needs stays text, floored to two digits: a tolerance parts are sold in.
template <class Row>
void AddBandCells(std::vector<table::ShownCell>& cells, table::Quantity quantity, const Row& row) {
  if (row.banded) {
    cells.push_back(table::ShownNumber(quantity, row.low));
    cells.push_back(table::ShownNumber(quantity, row.high));
    cells.push_back(table::ShownNumber(table::Quantity::kSize, row.worst));
  } else {
    cells.insert(cells.end(), 3, table::ShownText(kUnknownBand));
  }
  cells.push_back(table::ShownText(row.inSpec ? "yes" : "no"));
  cells.push_back(table::ShownText(row.needs ? Tolerance(*row.needs) : "none"));
}

// The Uses field: its text in tsv and csv, the list of classes in json.
table::Cell UsesField(const RowUses& uses);

template <class Row>
void AddBandFields(std::vector<table::Cell>& cells, const Row& row) {
  cells.push_back(row.banded ? table::NumberCell(row.low) : table::NullCell());
  cells.push_back(row.banded ? table::NumberCell(row.high) : table::NullCell());
  cells.push_back(row.banded ? table::NumberCell(row.worst) : table::NullCell());
  cells.push_back(table::BoolCell(row.inSpec));
  cells.push_back(row.needs ? table::NumberCell(*row.needs) : table::NullCell());
}

// The statistical band's ends, after the worst case's columns; text where the row's band is not
// known.
template <class Row>
void AddRssCells(std::vector<table::ShownCell>& cells, table::Quantity quantity, const Row& row) {
  cells.push_back(row.banded ? table::ShownNumber(quantity, row.rssLow)
                             : table::ShownText(kUnknownBand));
  cells.push_back(row.banded ? table::ShownNumber(quantity, row.rssHigh)
                             : table::ShownText(kUnknownBand));
}

template <class Row>
void AddRssFields(std::vector<table::Cell>& cells, const Row& row) {
  cells.push_back(row.banded ? table::NumberCell(row.rssLow) : table::NullCell());
  cells.push_back(row.banded ? table::NumberCell(row.rssHigh) : table::NullCell());
}

// A two-leg design's first cells: its rank, its legs, the output they give in quantity and its
// error; then the band's cells and the statistical band's, where the request asks for them.
template <class Row, class Request>
std::vector<table::ShownCell> DesignShownCells(const Row& row, const std::string& first,
                                               const std::string& second, table::Quantity quantity,
                                               double output, const Request& request) {
  std::vector<table::ShownCell> cells{RankCell(row.rank), table::ShownText(first),
                                      table::ShownText(second), table::ShownKey(quantity, output),
                                      table::ShownNumber(table::Quantity::kPercent, row.error)};
  if (Banded(request.bounds)) AddBandCells(cells, quantity, row);
  if (request.bounds.statistics.rss) AddRssCells(cells, quantity, row);
  return cells;
}

// The same cells as fields, for tsv, csv and json.
template <class Row, class Request>
std::vector<table::Cell> DesignFields(const Row& row, const std::string& first,
                                      const std::string& second, double output,
                                      const Request& request) {
  std::vector<table::Cell> cells{table::NumberCell(row.rank), table::TextCell(first),
                                 table::TextCell(second), table::NumberCell(output),
                                 table::NumberCell(row.error)};
  if (Banded(request.bounds)) AddBandFields(cells, row);
  if (request.bounds.statistics.rss) AddRssFields(cells, row);
  return cells;
}

inline constexpr table::Column kUsesColumn{"Uses", "uses", true};
// With --prefer: how many values a row adds to the board.
inline constexpr table::Column kNewColumn = {"New", "new_values"};

table::Cell NewCell(int newValues);

// Uses and New, last in the rows of designs and RC pairs: the parts a row takes from the
// inventory, and how many values it adds to the board.
template <class Request>
void AddDrawerColumns(std::vector<table::Column>& columns, const Request& request) {
  if (request.bounds.inventory) columns.push_back(kUsesColumn);
  if (request.prefer) columns.push_back(kNewColumn);
}

template <class Row, class Request>
void AddDrawerCells(std::vector<table::ShownCell>& cells, const Row& row, const Request& request) {
  if (request.bounds.inventory) cells.push_back(table::ShownText(row.uses.text));
  if (request.prefer) cells.push_back(table::ShownNumber(table::Quantity::kCount, row.newValues));
}

template <class Row, class Request>
void AddDrawerFields(std::vector<table::Cell>& cells, const Row& row, const Request& request) {
  if (request.bounds.inventory) cells.push_back(UsesField(row.uses));
  if (request.prefer) cells.push_back(NewCell(row.newValues));
}

inline constexpr table::Column kBandColumns[] = {{"Low", "low"},
                                                 {"High", "high"},
                                                 {"Worst (%)", "worst"},
                                                 {"In spec", "in_spec"},
                                                 {"Max tol. (%)", "needs_part_tolerance"}};

inline constexpr table::Column kRssColumns[] = {{"RSS Low", "rss_low"}, {"RSS High", "rss_high"}};

// The band columns with a band, the statistical ones with --statistics rss.
void AddBandColumns(std::vector<table::Column>& columns, bool banded, const Statistics& statistics);

// The tsv, csv and json names of columns.
std::vector<std::string> ColumnNames(const std::vector<table::Column>& columns);

}  // namespace vantrel::finder
