#pragma once

// Rows ranked by the values they add to a board (--prefer): those made of the board's values
// alone first, then those that add one value, and so on; within each group the search's own
// order.

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "request.h"
#include "rows.h"
#include "stock_load.h"

namespace vantrel::finder {

// Whether rows rank by the values they add: the stock carries a board.
inline bool Preferring(const LoadedStock& stock) {
  return stock.board.has_value();
}
inline bool Preferring(const RcStocks& stocks) {
  return stocks.resistors.board.has_value();
}

// With prefer (--prefer FILE): reads the board's values into each of stocks, those of its
// kind, so that rows rank by the values they add to it. Why the file cannot be read, else empty;
// the lines of the file that give no value are named in skipped when it is given.
std::string AddBoard(IFileService& files, const std::optional<std::string>& prefer,
                     const std::vector<LoadedStock*>& stocks,
                     std::vector<std::string>* skipped = nullptr);

// The distinct values of a row not on its stock's board (all of them without a board).
int NewValues(const networks::NetworkRow& row, const LoadedStock& stock);
int NewValues(const networks::TwoLegRow& row, const LoadedStock& stock);
int NewValues(const networks::RcRow& row, const RcStocks& stocks);

// The stock cut down to its board's values, names and notes kept.
LoadedStock BoardStock(const LoadedStock& stock);
RcStocks BoardStock(const RcStocks& stocks);

// Whether a stock holds values to search.
bool HasValues(const LoadedStock& stock);
bool HasValues(const RcStocks& stocks);

// A row found on the board's stock renumbered to the whole stock's indices, of which the
// board's values are a part.
void Renumber(networks::NetworkRow& row, const LoadedStock& from, const LoadedStock& to);
void Renumber(networks::TwoLegRow& row, const LoadedStock& from, const LoadedStock& to);
void Renumber(networks::RcRow& row, const RcStocks& from, const RcStocks& to);

// The most values a row may add to a board: four parts.
inline constexpr int kMostNewValues = 4;

// How far the walk for the rows that add values may go, and whether it went that far. The rows
// within a wide tolerance may be billions (legs of two parts within 1 %), of which those made
// mostly of the board's values are few; past scanLimit rows in the search's order the rows that
// add values are ranked among those seen, and cut says so.
struct PreferScan {
  std::uint64_t scanLimit = 100000;
  bool cut = false;
};

// What to say below rows whose ranking scan cut short; empty when it was not.
std::string PreferCutNote(const PreferScan& scan, Wording wording);

// Gives take at most limit rows by (NewValues, the search's order). search(stock, stop, limit,
// take) gives a stock's rows in the search's order. The rows that add none are the search's rows
// on the board's values alone, so they come from that search. When they are fewer than limit the
// whole search is walked in its order, and the rows that add values are kept by their count,
// limit less those at most of each; it stops once the rows that add one make up the rest, as no
// later row ranks before them, else at the end of the rows within the tolerance or after
// scan->scanLimit rows (PreferScan). With every row wanted each count is one walk of its own,
// unbounded as every row is, so memory stays flat.
template <class Found, class Stock>
void SearchPreferring(
    const std::function<void(const Stock&, const std::atomic<bool>*, std::uint64_t,
                             const std::function<void(const Found&)>&)>& search,
    const Stock& stock, const std::atomic<bool>* stop, std::uint64_t limit,
    const std::function<void(const Found&)>& take, PreferScan* scan = nullptr) {
  const auto stopped = [&] { return stop && stop->load(std::memory_order_relaxed); };
  std::uint64_t given = 0;
  const Stock board = BoardStock(stock);
  if (HasValues(board)) {
    search(board, stop, limit, [&](const Found& found) {
      Found row = found;
      Renumber(row, board, stock);
      ++given;
      take(row);
    });
  }
  if (given >= limit || stopped()) return;
  constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
  if (limit == kAll) {
    unsigned present = 0;  // bit n: some row adds n values
    for (int group = 1; group <= kMostNewValues && !stopped(); ++group) {
      if (group > 1 && !(present & (1u << group))) continue;
      search(stock, stop, kAll, [&](const Found& found) {
        const int added = NewValues(found, stock);
        present |= 1u << added;
        if (added == group) take(found);
      });
    }
    return;
  }
  const std::uint64_t wanted = limit - given;
  const std::uint64_t scanLimit = scan ? scan->scanLimit : PreferScan{}.scanLimit;
  std::uint64_t seen = 0;
  std::vector<std::vector<Found>> groups(kMostNewValues + 1);
  std::atomic<bool> enough = false;
  // One row past the limit tells that it was reached; the search need find no more.
  const std::uint64_t walked = scanLimit < kAll ? scanLimit + 1 : kAll;
  search(stock, &enough, walked, [&](const Found& found) {
    if (enough.load(std::memory_order_relaxed)) return;
    if (stopped()) {
      enough = true;
      return;
    }
    if (++seen > scanLimit) {
      if (scan) scan->cut = true;
      enough = true;
      return;
    }
    const int added = NewValues(found, stock);
    if (added == 0) return;
    std::vector<Found>& group = groups[static_cast<std::size_t>(added)];
    if (group.size() < wanted) group.push_back(found);
    if (groups[1].size() >= wanted) enough = true;
  });
  for (const std::vector<Found>& group : groups) {
    for (const Found& found : group) {
      if (given++ >= limit || stopped()) return;
      take(found);
    }
  }
}

}  // namespace vantrel::finder
