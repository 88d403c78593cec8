#pragma once

// The picture of each search kind's circuit, drawn from a row's legs with the request's choices
// of circuit, and how a stock's values read in the window.

#include <vector>

#include "row_table_model.h"
#include "search_kinds.h"

namespace vantrel {

// What a stock's values measure.
table::Quantity QuantityOf(const StockKind& kind);
// The values of a stock in its base unit; an RC request's capacitors are held in farads.
std::vector<double> BaseValues(const finder::LoadedStock& stock, const StockKind& kind);

// How a search's rows are drawn.
using Drawing = decltype(SearchOutcome::draw);

Drawing DrawingOf(const finder::FindRequest& request, const finder::LoadedStock& stock);
Drawing DrawingOf(const finder::LedRequest& request, const finder::LoadedStock& stock);
Drawing DrawingOf(const finder::DividerRequest& request, const finder::LoadedStock& stock);
Drawing DrawingOf(const finder::RegulatorRequest& request, const finder::LoadedStock& stock);
Drawing DrawingOf(const finder::GainRequest& request, const finder::LoadedStock& stock);
Drawing DrawingOf(const finder::RcRequest& request, const finder::RcStocks& stocks);

}  // namespace vantrel
