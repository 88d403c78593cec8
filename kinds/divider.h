#pragma once

// divider: two legs that divide VIN down to VOUT, with the current through them and, when
// asked, the power a part takes: the request, its design, its rows and how they are shown.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cells.h"
#include "designs.h"
#include "divider_search.h"
#include "request.h"
#include "row_notes.h"
#include "rows.h"
#include "stock_load.h"

namespace vantrel::finder {

struct DividerInput : LoadedInput {
  std::string vin;
  std::string vout;
  bool power = false;
  std::optional<std::string> load;       // across R2, ohms
  std::optional<std::string> maxSource;  // on R1 || R2
};

struct DividerRequest : TwoLegRequest<networks::DividerOptions> {
  bool power = false;  // list the power column
  // List R1 || R2, with --max-source; search.load and search.maxSource hold the load and the bound.
  bool source = false;
};

// Reads every field, as the other kinds' checks do, or names the first that is no good.
Checked<DividerRequest> CheckDivider(const DividerInput& input,
                                     Wording wording = Wording::kCommandLine);

// One row of a divider, as plain data for any output.
struct DividerRow {
  std::uint64_t rank = 0;
  std::string r1;  // top leg, spelled with the library's values
  std::string r2;  // bottom leg
  double vout = 0;
  double error = 0;    // percent, signed
  double total = 0;    // R1 + R2
  double current = 0;  // VIN / (R1 + R2), R2 || load with a load: through R1
  // R1 || R2, the source resistance an ADC input sees; with a band, at the parts' upper ends.
  double source = 0;
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

// The design the request searches: formula, options and bounds.
Design DividerDesign(const DividerRequest& request);

// The row of a found divider, ranked rank.
DividerRow MakeDividerRow(std::uint64_t rank, const networks::TwoLegRow& found,
                          const LoadedStock& stock, const DividerRequest& request);

// A divider's: low, high and in_spec with a part tolerance or a band, power when asked, the
// source resistance with --max-source.
std::vector<table::Column> DividerColumns(const DividerRequest& request = {});

// The row's cells to read, and its fields for tsv, csv and json.
std::vector<table::ShownCell> DividerShownCells(const DividerRow& row,
                                                const DividerRequest& request);

std::vector<table::Cell> DividerFields(const DividerRow& row, const DividerRequest& request);

// What to say when no divider is within the tolerance (NoDesignNote). Searches again.
std::string NoDividerRowNote(const LoadedStock& stock, const DividerRequest& request);

struct DividerKind {
  using Request = DividerRequest;
  using Found = networks::TwoLegRow;
  using Row = DividerRow;
  static constexpr char kWhat[] = "dividers";

  static std::vector<table::Column> Columns(const Request& request) {
    return DividerColumns(request);
  }
  static double Target(const Request& request) { return request.search.vout; }
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.a, found.b};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeDividerRow(rank, found, stock, request);
  }
  static std::vector<table::ShownCell> ShownCells(const Row& row, const Request& request) {
    return DividerShownCells(row, request);
  }
  static std::vector<table::Cell> Fields(const Row& row, const Request& request) {
    return DividerFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoDividerRowNote(stock, request);
  }
  // The design nearest a band that none meets, listed as row 0.
  static std::optional<Found> Nearest(const LoadedStock& stock, const Request& request) {
    return NearestMiss(DividerDesign(request), stock);
  }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take,
                     std::uint64_t* overRated = nullptr) {
    SearchDesign(DividerDesign(request), stock, stop, limit, take, overRated);
  }
};

}  // namespace vantrel::finder
