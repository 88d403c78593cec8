#pragma once

// rc: a resistor from the resistor stock with a capacitor from the capacitor stock, R in
// series and C to ground, for a time constant or a corner frequency.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cells.h"
#include "designs.h"
#include "rc_search.h"
#include "request.h"
#include "rows.h"
#include "stock_load.h"

namespace vantrel::finder {

// The texts of an RC pair's request as typed.
struct RcInput {
  std::optional<std::string> tau;
  std::optional<std::string> corner;
  std::optional<std::string> rParts;
  std::optional<std::string> cParts;
  std::optional<std::string> tolerance;
  std::optional<std::string> top;
  bool all = false;
  std::optional<std::string> minR;
  std::optional<std::string> maxR;
  std::optional<std::string> rTolerance;
  std::optional<std::string> cTolerance;
  std::optional<std::string> within;
  std::optional<std::string> scale;
  bool inventory = false;
  StatisticsInput statistics;
  std::optional<std::string> prefer;
};

struct RcRequest {
  networks::RcOptions search;  // quantity, target, legs, tolerance, bounds on R
  std::uint64_t limit = 20;
  RcBounds bounds;
  Wording wording = Wording::kCommandLine;  // of the note when no row is found
  std::optional<std::string> prefer;        // as FindRequest's
};

// Reads every field, as the other kinds' checks do, or names the first that is no good.
Checked<RcRequest> CheckRc(const RcInput& input, Wording wording = Wording::kCommandLine);

// The stocks of an RC request from the loaded ones: the capacitors, held in a small unit of
// 10^heldPower farads, in farads, each value the double nearest its decimal as written, so that
// the exact product sees that decimal.
RcStocks MakeRcStocks(LoadedStock resistors, LoadedStock capacitors, int heldPower);

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

// The row of a found pair, ranked rank.
RcRow MakeRcRow(std::uint64_t rank, const networks::RcRow& found, const RcStocks& stocks,
                const RcRequest& request);

// An RC pair's: tau or corner, the band with a part tolerance or a band, tau beside a corner.
std::vector<table::Column> RcColumns(const RcRequest& request);

// A row's cells to read, and its fields for tsv, csv and json.
std::vector<table::ShownCell> RcShownCells(const RcRow& row, const RcRequest& request);

std::vector<table::Cell> RcFields(const RcRow& row, const RcRequest& request);

// What to say when no pair is within the tolerance: the nearest miss of the band, or the
// closest pair there is. Searches again.
std::string NoRcRowNote(const RcStocks& stocks, const RcRequest& request);

// The pair nearest a band no pair meets (NearestMiss), and what keeps it out (MissLimit).
std::optional<networks::RcRow> NearestRcMiss(const RcStocks& stocks, const RcRequest& request);
std::string RcMissLimit(const networks::RcRow& row, const RcStocks& stocks,
                        const RcRequest& request);

struct RcKind {
  using Request = RcRequest;
  using Found = networks::RcRow;
  using Row = RcRow;
  static constexpr char kWhat[] = "RC pairs";

  static std::vector<table::Column> Columns(const Request& request) { return RcColumns(request); }
  static double Target(const Request& request) { return request.search.target; }
  // R on the resistor stock, then C on the capacitor stock.
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.r, found.c};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const RcStocks& stocks,
                     const Request& request) {
    return MakeRcRow(rank, found, stocks, request);
  }
  static std::vector<table::ShownCell> ShownCells(const Row& row, const Request& request) {
    return RcShownCells(row, request);
  }
  static std::vector<table::Cell> Fields(const Row& row, const Request& request) {
    return RcFields(row, request);
  }
  static std::string NoRowNote(const RcStocks& stocks, const Request& request) {
    return NoRcRowNote(stocks, request);
  }
  static std::optional<Found> Nearest(const RcStocks& stocks, const Request& request) {
    return NearestRcMiss(stocks, request);
  }
  static void Search(const Request& request, const RcStocks& stocks, const std::atomic<bool>* stop,
                     std::uint64_t limit, const std::function<void(const Found&)>& take) {
    SearchRc(request.search, request.bounds, stocks.resistors.stock.values,
             stocks.capacitors.stock.values, stop, limit, take, stocks.resistors.drawer.get(),
             stocks.capacitors.drawer.get());
  }
};

}  // namespace vantrel::finder
