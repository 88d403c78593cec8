#pragma once

// The notes below a kind's rows that more than one kind words alike: the designs left out
// for their ratings, and what to say when a design leaves no row.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cells.h"

#include "designs.h"
#include "request.h"
#include "stock_load.h"
#include "two_leg_search.h"

namespace vantrel::finder {

// What to say below the rows when the search left out overRated designs in which a part would
// take more than its rating times derate; empty when it left none.
std::string OverRatedNote(std::uint64_t overRated, double derate);

// "of at least 1000", "of at most 1e+06", "between 10 and 100".
std::string TotalsNote(double minTotal, double maxTotal);

// A band as percent of the target: "-2.98 % … +3.05 %".
std::string BandText(double low, double high, double target);

// The names a note spells a stock's values with: the window's list's ("7.5k", "100n"), or the
// command line's, the library's own.
std::vector<std::string> LegNames(const LoadedStock& stock, Wording wording);

// What keeps the nearest miss of a band out of it, told alike for every kind.
struct MissFacts {
  double target = 0;
  double within = 0;            // percent
  double error = 0;             // percent, signed
  double givenWorst = 0;        // percent: the band's farther end with the parts given
  double exactWorst = 0;        // and with exact parts
  std::optional<double> needs;  // a part tolerance that would do
  std::string parts;            // the parts given: "parts of 1 %", "R of 1 %", "the drawer's parts"
  std::string constants;        // the constants' spread ("VREF ± 1.5 %"), empty where exact
  double drift = 0;             // percent a part drifts over the temperature range
  bool rss = false;             // the band judged is the statistical one
};

// "VREF ± 1.5 % alone takes 1.5 % of the 1 %", "with parts of 1 %, its band reaches 3.05 % of
// the 3 %; parts of 0.96 % would do".
std::string MissLimit(const MissFacts& facts);

// How far the farther end of low..high lies from target, in percent of it.
double WorstPercent(double low, double high, double target);

// The design nearest a band no design meets: the first row without the band, its parts of the
// tolerance given (exact where none is); none without a band or where no design is near enough.
std::optional<networks::TwoLegRow> NearestMiss(const Design& design, const LoadedStock& stock);

// What keeps NearestMiss's row out of the band.
std::string DesignMissLimit(const Design& design, const networks::TwoLegRow& row,
                            const LoadedStock& stock);

// What a note says the band is that nothing meets: " meets --within 3", " meets Within 3 %".
std::string MeetsText(double within, Wording wording);

// The note when a design leaves no row: with a band, the nearest design and what keeps it out
// (the window lists that design as a row of its own, so its note names only what keeps it
// out); else the bounds that each, dropped alone, let rows through (all of them where none
// does); else the closest design of any error. spell names a row's legs as LegNames does.
std::string NoDesignNote(const Design& design, Wording wording, const LoadedStock& stock,
                         std::string_view what, table::Quantity quantity,
                         const std::function<std::string(const networks::TwoLegRow&)>& spell);

}  // namespace vantrel::finder
