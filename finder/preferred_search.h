#pragma once

// Rows ranked by the values they add to a board (--prefer): those made of the board's values
// alone first, then those that add one value, and so on; within each group those of fewest parts
// first, then the search's own order.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
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

// A value not on its stock's board: which stock (0, or 1 for an RC pair's capacitors) and its
// index there.
struct OffBoard {
  int stock = 0;
  std::size_t index = 0;
};
// Every value not on the board, in the order of the stocks and their values.
std::vector<OffBoard> OffBoardValues(const LoadedStock& stock);
std::vector<OffBoard> OffBoardValues(const RcStocks& stocks);

// The stock cut down to its board's values and those of with (of stock `which`), names and notes
// kept.
LoadedStock BoardStock(const LoadedStock& stock, std::span<const OffBoard> with = {},
                       int which = 0);
RcStocks BoardStock(const RcStocks& stocks, std::span<const OffBoard> with = {});

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
// mostly of the board's values are few; past scanLimit rows, fewest parts first and then in the
// search's order, the rows that add values are ranked among those seen, and cut says so.
struct PreferScan {
  std::uint64_t scanLimit = 100000;
  bool cut = false;
  // Whether the rows that add one value were ranked all, cut or not (SearchPreferring).
  bool onesRanked = false;
};

// What to say below rows whose ranking scan cut short; empty when it was not.
std::string PreferCutNote(const PreferScan& scan, Wording wording);

// The fewest and the most parts a row of any kind has: a network of one part, two legs of one,
// and four parts in all.
template <class Found>
inline constexpr int kFewestParts = std::is_same_v<Found, networks::NetworkRow> ? 1 : 2;
inline constexpr int kMostParts = 4;

// Gives take at most limit rows by (NewValues, parts, the search's order). search(stock, stop,
// limit, parts, take) gives a stock's rows of that many parts (0: any) in the search's order, so
// each count of parts is a walk of its own, and of each count of new values those of fewest parts
// come first without a walk held for more. The rows that add none are the search's rows on the
// board's values alone, so they come from that search. When they are fewer than limit:
//
// The rows that add one value are made of the board's values and one other. Each other value's
// search on the board's values and it alone tells whether it makes such a row, and the searches
// on the board's values and those that do give them all (a search's order is the same on a part
// of its stock). Then the whole search is walked, count of parts by count, only for the rows that
// add more, kept by their count, limit less those at most of each; it stops once the rows that
// add one and those that add two of the counts of parts walked make up the rest, as no later row
// ranks before them, else at the end of the rows within the tolerance or after scan->scanLimit
// rows (PreferScan). Where the searches for the rows that add one would meet more than scanLimit
// rows in all, they are left to that walk as well, and it stops once the rows that add one make
// up the rest.
//
// With every row wanted each count of values and parts is one walk of its own, unbounded as every
// row is, so memory stays flat.
template <class Found, class Stock>
void SearchPreferring(
    const std::function<void(const Stock&, const std::atomic<bool>*, std::uint64_t, int,
                             const std::function<void(const Found&)>&)>& search,
    const Stock& stock, const std::atomic<bool>* stop, std::uint64_t limit,
    const std::function<void(const Found&)>& take, PreferScan* scan = nullptr) {
  const auto stopped = [&] { return stop && stop->load(std::memory_order_relaxed); };
  constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
  constexpr int kFewest = kFewestParts<Found>;
  std::uint64_t given = 0;
  const Stock board = BoardStock(stock);
  if (HasValues(board)) {
    for (int parts = kFewest; parts <= kMostParts && given < limit && !stopped(); ++parts) {
      search(board, stop, limit == kAll ? kAll : limit - given, parts, [&](const Found& found) {
        Found row = found;
        Renumber(row, board, stock);
        ++given;
        take(row);
      });
    }
  }
  if (given >= limit || stopped()) return;
  if (limit == kAll) {
    // present[n] bit p: some row adds n values with p parts, as the walks for one find.
    unsigned present[kMostNewValues + 1] = {};
    for (int group = 1; group <= kMostNewValues && !stopped(); ++group) {
      for (int parts = kFewest; parts <= kMostParts && !stopped(); ++parts) {
        if (group > 1 && !(present[group] >> parts & 1)) continue;
        search(stock, stop, kAll, parts, [&](const Found& found) {
          const int added = NewValues(found, stock);
          present[added] |= 1u << parts;
          if (added == group) take(found);
        });
      }
    }
    return;
  }
  const std::uint64_t wanted = limit - given;
  const std::uint64_t scanLimit = scan ? scan->scanLimit : PreferScan{}.scanLimit;
  std::vector<std::vector<Found>> groups(kMostNewValues + 1);
  // One row past the limit tells that it was reached; the search need find no more.
  const std::uint64_t walked = scanLimit < kAll ? scanLimit + 1 : kAll;

  // The rows that add one value, all of them ranked where the searches stay within scanLimit.
  std::uint64_t budget = scanLimit;
  bool onesRanked = true;
  std::vector<OffBoard> ones;
  for (const OffBoard& value : OffBoardValues(stock)) {
    if (stopped()) return;
    const Stock one = BoardStock(stock, std::span(&value, 1));
    std::atomic<bool> found = false;
    search(one, &found, walked, 0, [&](const Found& row) {
      if (found.load(std::memory_order_relaxed)) return;
      if (budget == 0) {
        onesRanked = false;
        found = true;
        return;
      }
      --budget;
      if (NewValues(row, one) == 1) found = true;
    });
    if (!onesRanked) break;
    if (found) ones.push_back(value);
  }
  if (onesRanked && !ones.empty()) {
    const Stock some = BoardStock(stock, ones);
    for (int parts = kFewest; parts <= kMostParts && onesRanked; ++parts) {
      if (groups[1].size() >= wanted) break;
      std::atomic<bool> enough = false;
      search(some, &enough, walked, parts, [&](const Found& found) {
        if (enough.load(std::memory_order_relaxed)) return;
        if (stopped()) {
          enough = true;
          return;
        }
        if (budget == 0) {
          onesRanked = false;
          enough = true;
          return;
        }
        --budget;
        if (NewValues(found, some) != 1) return;
        Found row = found;
        Renumber(row, some, stock);
        groups[1].push_back(row);
        if (groups[1].size() >= wanted) enough = true;
      });
    }
    if (!onesRanked) groups[1].clear();
  }
  if (stopped()) return;
  if (scan) scan->onesRanked = onesRanked;

  // Whether the rows held make up what is wanted, no later row ranking before them.
  const auto full = [&] {
    if (onesRanked) return groups[1].size() + groups[2].size() >= wanted;
    return groups[1].size() >= wanted;
  };
  std::uint64_t seen = 0;
  std::atomic<bool> enough = full();
  for (int parts = kFewest; parts <= kMostParts && !enough; ++parts) {
    search(stock, &enough, walked, parts, [&](const Found& found) {
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
      if (added == 0 || (added == 1 && onesRanked)) return;
      std::vector<Found>& group = groups[static_cast<std::size_t>(added)];
      if (group.size() < wanted) group.push_back(found);
      if (full()) enough = true;
    });
  }
  // Each group holds its rows fewest parts first, as they were walked.
  for (const std::vector<Found>& group : groups) {
    for (const Found& found : group) {
      if (given++ >= limit || stopped()) return;
      take(found);
    }
  }
}

}  // namespace vantrel::finder
