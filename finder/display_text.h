#pragma once

// Rows as the window shows them to be read: a key column (a find's value, a divider's VOUT)
// with the digits that tell each row apart, percentages in fixed point, a current with its
// unit. Copies and the command line's tsv, csv and json keep every digit (rows.h Fields); the
// command line's text table keeps its own cells (rows.h TextCells).

#include <string>
#include <string_view>
#include <vector>

#include "request.h"
#include "rows.h"

namespace vantrel::finder {

// Significant digits past which a key is not told from its neighbours: the parts' own
// tolerances are far coarser, and the deviation column tells the rest.
inline constexpr int kMostShownDigits = 7;

// The digits of each key of a list in order: a key equal to the target (within kSameValue)
// shows the target's own digits (at least 3, at most kMostShownDigits), so an exact hit on
// 4700 reads 4.70k whatever is beside it; any other key as many as tell it from the target and
// from the keys before and after it, at least those and at most kMostShownDigits.
std::vector<int> ShownKeyDigits(const std::vector<double>& keys, double target);

// A signed percentage in fixed point with 3 decimals, "+0.085", "-6.383", "0" for none, and
// "< 0.001" for one too small to show.
std::string ShownPercent(double percent);

// value with an SI prefix, a space and its unit: "362 µA", "5.00 mA", "1.00e-18 A".
std::string ShownQuantity(double value, int digits, std::string_view unit);

// A row's cells for reading, with digits significant digits in its key column.
std::vector<std::string> ShownCells(const FindRow& row, int digits, const FindRequest& request);
std::vector<std::string> ShownCells(const DividerRow& row, int digits,
                                    const DividerRequest& request);
std::vector<std::string> ShownCells(const DesignRow& row, int digits,
                                    const RegulatorRequest& request);
std::vector<std::string> ShownCells(const DesignRow& row, int digits, const GainRequest& request);
// An RC pair's, with the time constant beside a corner in seconds with its prefix ("159 µs").
std::vector<std::string> ShownCells(const RcRow& row, int digits, const RcRequest& request);

}  // namespace vantrel::finder
