#pragma once

// gain: the feedback pair that sets an amplifier's gain, Rf with Rg (non-inverting) or Rin
// (inverting).

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

// An amplifier's gain as typed.
struct GainInput : TwoLegInput {
  std::string gain;
  bool inverting = false;
  std::optional<std::string> rfMin;
  std::optional<std::string> rfMax;
};

// Rf is leg A of the search; the bounds hold the part tolerance and the band only.
struct GainRequest : TwoLegRequest<networks::TwoLegOptions> {
  bool inverting = false;  // |G| = Rf / Rin, else G = 1 + Rf / Rg
};

// Reads every field, as the other kinds' checks do, or names the first that is no good.
Checked<GainRequest> CheckGain(const GainInput& input, Wording wording = Wording::kCommandLine);

// The design the request searches: G = 1 + Rf / Rg, or |G| = Rf / Rin.
Design GainDesign(const GainRequest& request);

// The row of a found design, ranked rank: Rf, then Rg or Rin.
DesignRow MakeGainRow(std::uint64_t rank, const networks::TwoLegRow& found,
                      const LoadedStock& stock, const GainRequest& request);

// The columns, Rg or Rin by the amplifier; a row's cells and fields to match.
std::vector<table::Column> GainColumns(const GainRequest& request);

std::vector<table::ShownCell> GainShownCells(const DesignRow& row, const GainRequest& request);

std::vector<table::Cell> GainFields(const DesignRow& row, const GainRequest& request);

// What to say when no design is within the tolerance (NoDesignNote). Searches again.
std::string NoGainRowNote(const LoadedStock& stock, const GainRequest& request);

struct GainKind {
  using Request = GainRequest;
  using Found = networks::TwoLegRow;
  using Row = DesignRow;
  static constexpr char kWhat[] = "designs";

  static std::vector<table::Column> Columns(const Request& request) { return GainColumns(request); }
  static double Target(const Request& request) { return request.search.target; }
  // Rf, then Rg or Rin.
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.a, found.b};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeGainRow(rank, found, stock, request);
  }
  static std::vector<table::ShownCell> ShownCells(const Row& row, const Request& request) {
    return GainShownCells(row, request);
  }
  static std::vector<table::Cell> Fields(const Row& row, const Request& request) {
    return GainFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoGainRowNote(stock, request);
  }
  // The design nearest a band that none meets, listed as row 0.
  static std::optional<Found> Nearest(const LoadedStock& stock, const Request& request) {
    return NearestMiss(GainDesign(request), stock);
  }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take,
                     std::uint64_t* overRated = nullptr) {
    SearchDesign(GainDesign(request), stock, stop, limit, take, overRated);
  }
};

}  // namespace vantrel::finder
