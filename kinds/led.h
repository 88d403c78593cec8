#pragma once

// led: the series resistor of a string of LEDs, a network of up to four resistors like find's,
// ranked by how far the LED current strays from the one wanted in the worst case.
//
// With a supply VS, N LEDs of forward voltage Vf and a network R, the current is
// I = (VS - N Vf) / R = D / R. The target resistance is R0 = D_typ / I_wanted, worked out from the
// decimals typed and rounded once. The band takes VS and Vf at the ends of their MIN:TYP:MAX and
// every part off by its own tolerance: Imax = D_high / R_low with D_high = VS_max - N Vf_min,
// Imin = D_low / R_high with D_low = VS_min - N Vf_max, each widened to take in the nominal
// current, and the worst case is max(|Imax - I|, |Imin - I|) / I. Each is worked out as a ratio to
// the wanted current: R0 / R, and Imax / I = (D_high / D_typ) (R0 / R_low), so that a network
// on the target shows no error and no band beyond the supply's and the parts'. A
// part's power is taken at Imax through the network's nominal values: I^2 r in series, the
// group's current shared by conductance in parallel.

#include <array>
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
#include "stock_load.h"

namespace vantrel::finder {

// The texts of an led request as typed. Of LoadedInput it reads parts, tolerance, top, all,
// exclude, distinct, partTolerance, within, inventory, prefer, maxPower and derate.
struct LedInput : LoadedInput {
  std::string vsupply;                 // V or MIN:TYP:MAX
  std::optional<std::string> vf;       // V or MIN:TYP:MAX; required
  std::optional<std::string> leds;     // a count, default 1
  std::optional<std::string> current;  // required
};

struct LedRequest {
  Spread vsupply;
  Spread vf;
  int leds = 1;
  double current = 0;            // amperes wanted, above 0
  networks::FindOptions search;  // target R0, parts, distinct; tolerance on the nominal current
  std::uint64_t limit = 20;
  std::vector<double> excluded;
  DesignBounds bounds;  // partTolerance, within, maxPower, inventory, derate
  Wording wording = Wording::kCommandLine;
  std::optional<std::string> prefer;

  // The voltage across the resistor: typical, and at the band's low and high ends.
  double DriveTyp() const { return vsupply.typ - leds * vf.typ; }
  double DriveLow() const { return vsupply.min - leds * vf.max; }
  double DriveHigh() const { return vsupply.max - leds * vf.min; }
};

// Reads every field, as the other kinds' checks do, or names the first that is no good. Refuses
// a supply that does not reach the LEDs' typical voltage, or at its low end their highest.
Checked<LedRequest> CheckLed(const LedInput& input, Wording wording = Wording::kCommandLine);

// One row of an led search, as plain data for any output.
struct LedRow {
  std::uint64_t rank = 0;
  double resistance = 0;  // the network's nominal value
  double current = 0;     // the nominal current
  double error = 0;       // percent of the wanted current, signed
  double low = 0;         // the band: Imin and Imax
  double high = 0;
  double worst = 0;                    // percent: the larger of |low - I| and |high - I| over I
  double power = 0;                    // watts: the most any one part takes at Imax
  std::array<double, 4> partPowers{};  // by slot in spelling order
  int parts = 0;
  std::string network;
  bool banded = true;  // false where a part drawn from the inventory has no tolerance
  RowUses uses;
  int newValues = 0;
};

// The power each part of network takes with current through it, by slot in spelling order:
// a series group's members carry its current, a parallel group's share it by conductance (each
// member y / (x + y) of it against the rest x), and a part of value r with current i takes
// i^2 r. Slots past the network's parts are 0.
std::array<double, 4> NetworkPartPowers(const networks::Network& network,
                                        std::span<const double> stock, double current);

// Gives take at most limit networks in rank order: the worst case (to 9 significant digits),
// then |error|, then fewer parts, the parts' values and the pattern. Rows outside the tolerance,
// --within, --max-power or, from the inventory, a part's rating times --derate are left out.
// Stops early once *stop is set (may be null).
void SearchLed(const LedRequest& request, const LoadedStock& stock, const std::atomic<bool>* stop,
               std::uint64_t limit, const std::function<void(const networks::NetworkRow&)>& take);

LedRow MakeLedRow(std::uint64_t rank, const networks::NetworkRow& found, const LoadedStock& stock,
                  const LedRequest& request);

std::vector<table::Column> LedColumns(const LedRequest& request);
std::vector<table::ShownCell> LedShownCells(const LedRow& row, const LedRequest& request);
std::vector<table::Cell> LedFields(const LedRow& row, const LedRequest& request);

// What to say when no network qualifies: the best there is without the bounds. Searches again.
std::string NoLedRowNote(const LoadedStock& stock, const LedRequest& request);

struct LedKind {
  using Request = LedRequest;
  using Found = networks::NetworkRow;
  using Row = LedRow;
  static constexpr char kWhat[] = "networks";

  static std::vector<table::Column> Columns(const Request& request) { return LedColumns(request); }
  // The key column is the nominal current.
  static double Target(const Request& request) { return request.current; }
  static std::vector<networks::Network> Legs(const Found& found, const Request&) {
    return {found.network};
  }
  static Row MakeRow(std::uint64_t rank, const Found& found, const LoadedStock& stock,
                     const Request& request) {
    return MakeLedRow(rank, found, stock, request);
  }
  static std::vector<table::ShownCell> ShownCells(const Row& row, const Request& request) {
    return LedShownCells(row, request);
  }
  static std::vector<table::Cell> Fields(const Row& row, const Request& request) {
    return LedFields(row, request);
  }
  static std::string NoRowNote(const LoadedStock& stock, const Request& request) {
    return NoLedRowNote(stock, request);
  }
  static void Search(const Request& request, const LoadedStock& stock,
                     const std::atomic<bool>* stop, std::uint64_t limit,
                     const std::function<void(const Found&)>& take) {
    SearchLed(request, stock, stop, limit, take);
  }
};

}  // namespace vantrel::finder
