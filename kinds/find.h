#pragma once

// find: networks of up to four values of one stock, in series and parallel, that reach a
// target: the request as typed and checked, its rows, and how the listing shows them.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cells.h"
#include "designs.h"
#include "network_search.h"
#include "request.h"
#include "rows.h"
#include "stock_kind.h"
#include "stock_load.h"

namespace vantrel::finder {

// The texts of a find as typed; an option not given is nullopt.
struct FindInput {
  const StockKind* kind = &kResistors;  // TARGET and --exclude are read in its notation
  std::string target;
  std::optional<std::string> parts;
  std::optional<std::string> tolerance;
  std::optional<std::string> top;
  bool all = false;
  std::vector<std::string> exclude;
  bool distinct = false;
  std::optional<std::string> partTolerance;
  bool inventory = false;  // the stock from Inventory.csv rather than the library
  std::optional<std::string> prefer;
  StatisticsInput statistics;  // byRss is not read: a find has no In spec
};

struct FindRequest {
  const StockKind* kind = &kResistors;
  networks::FindOptions search;  // target, parts, tolerance, distinct; held unit (pF, nH)
  std::uint64_t limit = 20;      // rows wanted; the maximum for --all
  std::vector<double> excluded;
  std::optional<double> partTolerance;  // percent, below 100
  bool inventory = false;  // drawn from Inventory.csv: counts, own tolerances, a band on each row
  Statistics statistics;
  std::optional<std::string> prefer;  // the board's file: rows that add fewest values first
};

// Reads every field, as the other kinds' checks do, or names the first that is no good.
// Each check reads every field, finite and in range and consistent with the others, or names
// the first field that is not.
Checked<FindRequest> CheckFind(const FindInput& input, Wording wording = Wording::kCommandLine);

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

// Gives take at most limit networks of a find in order: the network search's ranking, or with a
// part tolerance, the worst case first (to 9 significant digits), then that ranking. Stops
// early once *stop is set (may be null).
void SearchFind(const FindRequest& request, const LoadedStock& stock, const std::atomic<bool>* stop,
                std::uint64_t limit, const std::function<void(const networks::NetworkRow&)>& take);

// The row of a found network, ranked rank, for the request it answers.
FindRow MakeFindRow(std::uint64_t rank, const networks::NetworkRow& found, const LoadedStock& stock,
                    const FindRequest& request);

// The columns of a find's rows; low, high and covers only with a band, rss_low and rss_high
// with --statistics rss (as every kind's).
std::vector<table::Column> FindColumns(const FindRequest& request);

// The row's cells to read, each number with what it measures.
// A row's cells to read, each number with what it measures (display_text.h spells them).
std::vector<table::ShownCell> FindShownCells(const FindRow& row, const FindRequest& request);

// The row's fields for tsv, csv and json: numbers in full.
// A row's fields for tsv, csv and json: numbers in full.
std::vector<table::Cell> FindFields(const FindRow& row, const FindRequest& request);

// What to say when no network is within the tolerance: the closest there is. Searches again.
// What to say when no row is within the tolerance: the closest row there is, or the one bound
// or option that leaves none, and with --within the nearest design and the part tolerance that
// would bring it within. Searches the stock again.
std::string NoFindRowNote(const LoadedStock& stock, const FindRequest& request);

struct FindKind {
  using Request = FindRequest;
  using Found = networks::NetworkRow;
  using Row = FindRow;
  static constexpr char kWhat[] = "networks";

  static std::vector<table::Column> Columns(const Request& request) { return FindColumns(request); }
  // In the base unit the row's cells are read in (farads for capacitors).
  static double Target(const Request& request) {
    return BaseValue(*request.kind, request.search.target);
  }
  // The row's networks by their place in its circuit, for its picture.
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.network};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeFindRow(rank, found, stock, request);
  }
  static std::vector<table::ShownCell> ShownCells(const Row& row, const Request& request) {
    return FindShownCells(row, request);
  }
  static std::vector<table::Cell> Fields(const Row& row, const Request& request) {
    return FindFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoFindRowNote(stock, request);
  }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take) {
    SearchFind(request, stock, stop, limit, take);
  }
};

}  // namespace vantrel::finder
