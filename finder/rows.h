#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cells.h"
#include "drawn_parts.h"
#include "request.h"
#include "stock_load.h"

namespace vantrel::finder {

// What a row takes from the inventory, one class of part at a time, as its Uses column spells
// it ("2 × 10k (1 %, 0603, A1), 1 × 4k7 (5 %)") and as json lists it.
struct RowUses {
  std::string text;
  std::vector<std::vector<JsonMember>> objects;
  // Where each class lies, for the one who fetches the parts: "1 × 4700: Box 2, RC0603...".
  std::string places;
};

// One row of a find, as plain data for any output.
struct FindRow {
  std::uint64_t rank = 0;
  double value = 0;
  double deviation = 0;  // percent, signed
  int parts = 0;
  std::string network;  // spelled with the library's values
  // With a part tolerance T: the value with every part T percent low and high, and whether
  // the target lies between the two.
  double low = 0;
  double high = 0;
  double worst = 0;  // the larger of |low - target| and |high - target|, in percent of it
  bool coversTarget = false;
  // With --statistics rss: the statistical band's ends.
  double rssLow = 0;
  double rssHigh = 0;
  bool banded = true;  // false where a part drawn from the inventory has no tolerance
  RowUses uses;        // drawn from the inventory
  int newValues = 0;   // with --prefer: the distinct values it adds to the board
};

// One row of a divider, as plain data for any output.
struct DividerRow {
  std::uint64_t rank = 0;
  std::string r1;  // top leg, spelled with the library's values
  std::string r2;  // bottom leg
  double vout = 0;
  double error = 0;    // percent, signed
  double total = 0;    // R1 + R2
  double current = 0;  // VIN / (R1 + R2)
  // With a part tolerance or a band: the worst-case output, and whether it lies within the
  // band (--within, else the tolerance).
  double low = 0;
  double high = 0;
  double worst = 0;   // percent of VOUT: the larger of |low - VOUT| and |high - VOUT|
  double rssLow = 0;  // with --statistics rss, the statistical band's ends
  double rssHigh = 0;
  bool inSpec = false;  // judged by the statistical band with --by rss
  // The largest part tolerance in percent with which the band stays within it; none where not
  // even exact parts would do.
  std::optional<double> needs;
  double power = 0;  // watts, the most any one part takes
  bool banded = true;
  RowUses uses;
  int newValues = 0;  // as FindRow's
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

// A regulator's row is marked where the pin current supplies more than this share of VOUT in
// percent: data sheets give IADJ a range several times wide, so its design rests on a figure
// the part does not hold.
inline constexpr double kIadjShareMark = 10;

// One RC pair, as plain data for any output.
struct RcRow {
  std::uint64_t rank = 0;
  std::string r;      // the resistor leg, spelled with the resistor library's values
  std::string c;      // the capacitor leg, with the capacitor library's
  double output = 0;  // the time constant or the corner reached
  double error = 0;   // percent, signed
  int parts = 0;
  double tau = 0;  // seconds, shown beside a corner
  // With a part tolerance or a band: the worst-case output, and whether it lies within the
  // band (--within, else the tolerance).
  double low = 0;
  double high = 0;
  double worst = 0;
  double rssLow = 0;
  double rssHigh = 0;
  bool inSpec = false;
  std::optional<double> needs;  // the largest tolerance of both parts that keeps it in spec
  bool banded = true;
  RowUses uses;
  int newValues = 0;  // as FindRow's
};

// The stocks an RC request searches, in ohms and farads.
struct RcStocks {
  LoadedStock resistors;
  LoadedStock capacitors;
};

// The stocks of an RC request from the loaded ones: the capacitors, held in a small unit of
// 10^heldPower farads, in farads, each value the double nearest its decimal as written, so that
// the exact product sees that decimal.
RcStocks MakeRcStocks(LoadedStock resistors, LoadedStock capacitors, int heldPower);

// The design a request searches: formulas, options and bounds.
Design DividerDesign(const DividerRequest& request);
Design RegulatorDesign(const RegulatorRequest& request);
Design GainDesign(const GainRequest& request);

// Gives take at most limit networks of a find in order: the network search's ranking, or with a
// part tolerance, the worst case first (to 9 significant digits), then that ranking. Stops
// early once *stop is set (may be null).
void SearchFind(const FindRequest& request, const LoadedStock& stock, const std::atomic<bool>* stop,
                std::uint64_t limit, const std::function<void(const networks::NetworkRow&)>& take);

// The row of a found network, ranked rank, for the request it answers.
FindRow MakeFindRow(std::uint64_t rank, const networks::NetworkRow& found, const LoadedStock& stock,
                    const FindRequest& request);
// The row of a found divider, ranked rank.
DividerRow MakeDividerRow(std::uint64_t rank, const networks::TwoLegRow& found,
                          const LoadedStock& stock, const DividerRequest& request);
DesignRow MakeRegulatorRow(std::uint64_t rank, const networks::TwoLegRow& found,
                           const LoadedStock& stock, const RegulatorRequest& request);
DesignRow MakeGainRow(std::uint64_t rank, const networks::TwoLegRow& found,
                      const LoadedStock& stock, const GainRequest& request);
RcRow MakeRcRow(std::uint64_t rank, const networks::RcRow& found, const RcStocks& stocks,
                const RcRequest& request);

// What to say below the rows when the search left out overRated designs in which a part would
// take more than its rating times derate; empty when it left none.
std::string OverRatedNote(std::uint64_t overRated, double derate);

// What to say below a regulator's rows when some rest on the pin current; empty otherwise.
std::string IadjNote(const RegulatorRequest& request, bool marked);

// The columns of a find's rows; low, high and covers only with a band, rss_low and rss_high
// with --statistics rss (as every kind's).
std::vector<Column> FindColumns(const FindRequest& request);
// A divider's: low, high and in_spec with a part tolerance or a band, power when asked.
std::vector<Column> DividerColumns(const DividerRequest& request = {});
std::vector<Column> RegulatorColumns(const RegulatorRequest& request);
std::vector<Column> GainColumns(const GainRequest& request);
// An RC pair's: tau or corner, the band with a part tolerance or a band, tau beside a corner.
std::vector<Column> RcColumns(const RcRequest& request);
// The tsv, csv and json names of columns.
std::vector<std::string> ColumnNames(const std::vector<Column>& columns);

// A row's cells to read, each number with what it measures (display_text.h spells them).
std::vector<ShownCell> FindShownCells(const FindRow& row, const FindRequest& request);
std::vector<ShownCell> DividerShownCells(const DividerRow& row, const DividerRequest& request);
std::vector<ShownCell> RegulatorShownCells(const DesignRow& row, const RegulatorRequest& request);
std::vector<ShownCell> GainShownCells(const DesignRow& row, const GainRequest& request);
std::vector<ShownCell> RcShownCells(const RcRow& row, const RcRequest& request);

// A row's fields for tsv, csv and json: numbers in full.
std::vector<Cell> FindFields(const FindRow& row, const FindRequest& request);
std::vector<Cell> DividerFields(const DividerRow& row, const DividerRequest& request);
std::vector<Cell> RegulatorFields(const DesignRow& row, const RegulatorRequest& request);
std::vector<Cell> GainFields(const DesignRow& row, const GainRequest& request);
std::vector<Cell> RcFields(const RcRow& row, const RcRequest& request);

// Values closer than this share a spelling: they are one decimal value summed in another
// order ((0.1 + 0.2) + 0.3 and 0.3 + 0.3), and telling them apart would only print the rounding
// of doubles.
inline constexpr double kSameValue = 1e-12;

// What to say when no row is within the tolerance: the closest row there is, or the one bound
// or option that leaves none, and with --within the nearest design and the part tolerance that
// would bring it within. Searches the stock again.
std::string NoFindRowNote(const LoadedStock& stock, const FindRequest& request);
std::string NoDividerRowNote(const LoadedStock& stock, const DividerRequest& request);
std::string NoRegulatorRowNote(const LoadedStock& stock, const RegulatorRequest& request);
std::string NoGainRowNote(const LoadedStock& stock, const GainRequest& request);
std::string NoRcRowNote(const RcStocks& stocks, const RcRequest& request);

}  // namespace vantrel::finder
