#pragma once

// The notes below a kind's rows that more than one kind words alike: the designs left out
// for their ratings, and what to say when a design leaves no row.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

// What the nearest miss of a band would need: parts of a tolerance that would do, or none.
std::string NeedsText(const std::optional<double>& needs);

// The note when a design leaves no row: with a band, the nearest design and what it would
// need; else the bounds that each, dropped alone, let rows through (all of them where none
// does); else the closest design of any error.
std::string NoDesignNote(const Design& design, Wording wording, const LoadedStock& stock,
                         std::string_view what,
                         const std::function<std::string(const networks::TwoLegRow&)>& spell);

}  // namespace vantrel::finder
