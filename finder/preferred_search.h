#pragma once

// Rows ranked by the values they add to a board (--prefer): those made of the board's values
// alone first, then those that add one value, and so on; within each group those of fewest
// parts first, then the search's own order.

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
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

// The parts a row is made of, and the fewest a row of its kind can have: one network's one
// part, or one part in each of two legs.
int PartTotal(const networks::NetworkRow& row);
int PartTotal(const networks::TwoLegRow& row);
int PartTotal(const networks::RcRow& row);
template <class Found>
inline constexpr int kFewestParts = std::is_same_v<Found, networks::NetworkRow> ? 1 : 2;

// The rows of one count of new values by their parts: each part total's first rows in the
// search's order, at most wanted of each.
template <class Found>
struct RowsByParts {
  std::vector<std::vector<Found>> byParts;
  void Add(const Found& found, std::uint64_t wanted) {
    const auto parts = static_cast<std::size_t>(PartTotal(found));
    if (byParts.size() <= parts) byParts.resize(parts + 1);
    if (byParts[parts].size() < wanted) byParts[parts].push_back(found);
  }
  // No later row ranks before the first wanted: they have the fewest parts there are.
  bool Full(std::uint64_t wanted) const {
    const auto fewest = static_cast<std::size_t>(kFewestParts<Found>);
    return byParts.size() > fewest && byParts[fewest].size() >= wanted;
  }
};

// Gives take at most limit rows by (NewValues, parts, the search's order). search(stock, stop,
// limit, take) gives a stock's rows in the search's order. The rows that add none are the
// search's rows on the board's values alone, so they come from that search, walked to its end
// or until the fewest parts make up limit; the whole search is walked next, and the rows that add
// values are kept by their count and parts, limit less those at most of each. A walk stops once the
// rows of its first count with the fewest parts make up the rest, as no later row ranks before
// them, else at the end of the rows within the tolerance or after scan->scanLimit rows
// (PreferScan). With every row wanted each count and part total is one walk of its own, unbounded
// as every row is, so memory stays flat.
template <class Found, class Stock>
void SearchPreferring(
    const std::function<void(const Stock&, const std::atomic<bool>*, std::uint64_t,
                             const std::function<void(const Found&)>&)>& search,
    const Stock& stock, const std::atomic<bool>* stop, std::uint64_t limit,
    const std::function<void(const Found&)>& take, PreferScan* scan = nullptr) {
  const auto stopped = [&] { return stop && stop->load(std::memory_order_relaxed); };
  constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
  constexpr int kFewest = kFewestParts<Found>;
  const Stock board = BoardStock(stock);
  const auto fromBoard = [&](const Found& found) {
    Found row = found;
    Renumber(row, board, stock);
    take(row);
  };
  if (limit == kAll) {
    // present[n] bit p: some row adds n values with p parts, as each stock's first walk finds.
    std::uint64_t present[kMostNewValues + 1] = {};
    bool boardWalked = false;
    bool stockWalked = false;
    for (int group = 0; group <= kMostNewValues && !stopped(); ++group) {
      if (group == 0 && !HasValues(board)) continue;
      bool& known = group == 0 ? boardWalked : stockWalked;
      for (int parts = kFewest; parts < 64 && !stopped(); ++parts) {
        if (known && !(present[group] >> parts & 1)) continue;
        known = true;
        search(group == 0 ? board : stock, stop, kAll, [&](const Found& found) {
          const int own = PartTotal(found);
          const int added = group == 0 ? 0 : NewValues(found, stock);
          present[added] |= std::uint64_t{1} << own;
          if (added != group || own != parts) return;
          if (group == 0) {
            fromBoard(found);
          } else {
            take(found);
          }
        });
      }
    }
    return;
  }
  const std::uint64_t scanLimit = scan ? scan->scanLimit : PreferScan{}.scanLimit;
  // One row past the limit tells that it was reached; the search need find no more.
  const std::uint64_t walked = scanLimit < kAll ? scanLimit + 1 : kAll;
  // Walks searched, keeping rows by count and parts, till firstCount's fewest parts are full;
  // the whole stock's walk, whose rows may be billions, no further than scanLimit.
  const auto walk = [&](const Stock& searched, std::uint64_t wanted, int firstCount,
                        std::vector<RowsByParts<Found>>& groups) {
    const bool bounded = firstCount > 0;
    std::uint64_t seen = 0;
    std::atomic<bool> enough = false;
    search(searched, &enough, bounded ? walked : kAll, [&](const Found& found) {
      if (enough.load(std::memory_order_relaxed)) return;
      if (stopped()) {
        enough = true;
        return;
      }
      if (bounded && ++seen > scanLimit) {
        if (scan) scan->cut = true;
        enough = true;
        return;
      }
      const int added = firstCount == 0 ? 0 : NewValues(found, stock);
      if (added < firstCount) return;
      RowsByParts<Found>& group = groups[static_cast<std::size_t>(added)];
      group.Add(found, wanted);
      if (groups[static_cast<std::size_t>(firstCount)].Full(wanted)) enough = true;
    });
  };
  std::uint64_t given = 0;
  if (HasValues(board)) {
    std::vector<RowsByParts<Found>> zero(1);
    walk(board, limit, 0, zero);
    for (const std::vector<Found>& rows : zero[0].byParts) {
      for (const Found& found : rows) {
        if (given >= limit || stopped()) return;
        ++given;
        fromBoard(found);
      }
    }
  }
  if (given >= limit || stopped()) return;
  std::vector<RowsByParts<Found>> groups(kMostNewValues + 1);
  walk(stock, limit - given, 1, groups);
  for (const RowsByParts<Found>& group : groups) {
    for (const std::vector<Found>& rows : group.byParts) {
      for (const Found& found : rows) {
        if (given++ >= limit || stopped()) return;
        take(found);
      }
    }
  }
}

}  // namespace vantrel::finder
