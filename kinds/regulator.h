#pragma once

// regulator: the feedback divider that sets an adjustable regulator's output from its
// reference (and the pin current), VREF across the bottom or the top resistor.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cells.h"
#include "designs.h"
#include "request.h"
#include "row_notes.h"
#include "rows.h"
#include "stock_load.h"
#include "two_leg_search.h"

namespace vantrel::finder {

// A regulator's feedback divider as typed.
struct RegulatorInput : LoadedInput {
  std::string vout;
  std::optional<std::string> vref;  // V or MIN:TYP:MAX; required
  std::optional<std::string> iadj;
  bool referenceTop = false;  // VREF across the top resistor (OUT to ADJ)
};

// Leg B of the search carries VREF.
struct RegulatorRequest : TwoLegRequest<networks::TwoLegOptions> {
  Spread vref;                // 0 < min <= typ <= max, typ below VOUT
  Spread iadj;                // amperes, 0 <= min <= typ <= max
  bool referenceTop = false;  // leg B is the top resistor, else the bottom one
};

// Reads every field, as the other kinds' checks do, or names the first that is no good.
Checked<RegulatorRequest> CheckRegulator(const RegulatorInput& input,
                                         Wording wording = Wording::kCommandLine);

// A regulator's row is marked where the pin current supplies more than this share of VOUT in
// percent: data sheets give IADJ a range several times wide, so its design rests on a figure
// the part does not hold.
inline constexpr double kIadjShareMark = 10;

// The design the request searches: VREF and IADJ at their typical values and their ends.
Design RegulatorDesign(const RegulatorRequest& request);

// The row of a found design, ranked rank: Rtop and Rbottom by place, whichever leg carries VREF.
DesignRow MakeRegulatorRow(std::uint64_t rank, const networks::TwoLegRow& found,
                           const LoadedStock& stock, const RegulatorRequest& request);

// The columns, IADJ (%) when a pin current is given; a row's cells and fields to match.
std::vector<table::Column> RegulatorColumns(const RegulatorRequest& request);

std::vector<table::ShownCell> RegulatorShownCells(const DesignRow& row,
                                                  const RegulatorRequest& request);

std::vector<table::Cell> RegulatorFields(const DesignRow& row, const RegulatorRequest& request);

// What to say when no design is within the tolerance (NoDesignNote). Searches again.
std::string NoRegulatorRowNote(const LoadedStock& stock, const RegulatorRequest& request);

// What to say below a regulator's rows when some rest on the pin current; empty otherwise.
std::string IadjNote(const RegulatorRequest& request, bool marked);

struct RegulatorKind {
  using Request = RegulatorRequest;
  using Found = networks::TwoLegRow;
  using Row = DesignRow;
  static constexpr char kWhat[] = "designs";

  static std::vector<table::Column> Columns(const Request& request) {
    return RegulatorColumns(request);
  }
  static double Target(const Request& request) { return request.search.target; }
  // Rtop, then Rbottom: leg B, which carries VREF, is the top one in the top form.
  static std::vector<networks::Network> Legs(const Found& found, const Request& request) {
    if (request.referenceTop) return {found.b, found.a};
    return {found.a, found.b};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeRegulatorRow(rank, found, stock, request);
  }
  static std::vector<table::ShownCell> ShownCells(const Row& row, const Request& request) {
    return RegulatorShownCells(row, request);
  }
  static std::vector<table::Cell> Fields(const Row& row, const Request& request) {
    return RegulatorFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoRegulatorRowNote(stock, request);
  }
  // The design nearest a band that none meets, listed as row 0.
  static std::optional<Found> Nearest(const LoadedStock& stock, const Request& request) {
    return NearestMiss(RegulatorDesign(request), stock);
  }
  // Rows that rest on the pin current, and what to say below them.
  static bool Marked(const Row& row) { return row.iadjShare > kIadjShareMark; }
  static std::string Footnote(const Request& request) { return IadjNote(request, true); }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take,
                     std::uint64_t* overRated = nullptr) {
    SearchDesign(RegulatorDesign(request), stock, stop, limit, take, overRated);
  }
};

}  // namespace vantrel::finder
