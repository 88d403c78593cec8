#pragma once

// What the two-leg designs (divider, regulator feedback, amplifier gain) and RC pairs share
// beyond the search: the worst case with every part off, the power each part takes, the
// bounds on current and power, and the order of rows checked against a band.

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "drawn_parts.h"
#include "rc_search.h"
#include "stock_load.h"
#include "two_leg_search.h"

namespace vantrel::finder {

// A constant typed as one value or as MIN:TYP:MAX.
struct Spread {
  double min = 0;
  double typ = 0;
  double max = 0;
};

// The statistical band and the drift over temperature a request asks for.
struct Statistics {
  bool rss = false;          // rows carry the statistical band beside the worst case
  bool byRss = false;        // In spec, --within and the ranking judge by it (implies rss)
  bool temperature = false;  // a temperature range was given
  double low = 25;           // °C: the range as given
  double high = 25;
  double deltaT = 0;  // °C: the range's largest distance from 25 °C
  double tcr = 0;     // ppm/°C of parts without one of their own
  // Percent a part of tcr drifts over the range at the most.
  double DriftPercent() const { return tcr * 1e-4 * deltaT; }
  bool Any() const { return rss || temperature; }
};

// Every part's spread as the request gives it: partTolerance percent and the drift of
// Statistics::tcr. The one source wired today; a per-part one (an inventory's rows) fits the
// same signature.
networks::PartSpreads RequestSpreads(const Statistics& statistics, double partTolerance);

// The checks a request adds to the search's tolerance.
struct DesignBounds {
  std::optional<double> partTolerance;  // percent, below 100
  std::optional<double> within;         // percent: the whole worst-case band within it
  std::optional<double> maxPower;       // watts, for the part that takes the most
  double minCurrent = 0;  // amperes through the divider, its magnitude; both ends included
  double maxCurrent = std::numeric_limits<double>::infinity();
  // Drawn from the inventory: each part's own tolerance (partTolerance for those without one)
  // and rating, times derate, which no part may pass.
  bool inventory = false;
  double derate = 1;
  Statistics statistics;
};

// The voltages across legs A and B of a row, for the power its parts take.
using LegVolts = std::pair<double, double> (*)(const std::array<double, 2>& k,
                                               const networks::TwoLegRow& row);
// The current through the divider a row makes: through its top leg.
using DividerCurrent = double (*)(const std::array<double, 2>& k, const networks::TwoLegRow& row);

// A two-leg design as the search and the checks see it.
struct Design {
  networks::TwoLegFormula formula;  // at the constants' typical values
  networks::TwoLegFormula low;      // at their low ends, which give the lowest output
  networks::TwoLegFormula high;
  networks::TwoLegOptions options;  // target, legs, tolerance, totals, distinct
  DesignBounds bounds;
  LegVolts volts = nullptr;  // both nullptr for an amplifier, which has no current or power
  DividerCurrent current = nullptr;
  bool referenceTop = false;  // a regulator's leg B is Rtop, which the pin current bypasses
  // Rows that rest on one figure of a constant the part does not hold (a regulator's pin
  // current given as a single value): ranked after every other row; none when unset.
  std::function<bool(const networks::TwoLegRow&)> restsOnFigure;
  // The constants' spread as a note names it ("VREF ± 1.5 %"); empty where they are exact.
  std::string constants;
};

// Whether a design's rows carry a worst-case band: with a part tolerance or a band.
inline bool Banded(const DesignBounds& bounds) {
  return bounds.partTolerance || bounds.within || bounds.inventory || bounds.statistics.Any();
}

// The band the rows of a design carry, with parts of partTolerance percent, each widened by its
// drift over the temperature range in the worst case (every part drifting its worst way) and
// drifting as a term of its own in the statistical band; none when the design has no band.
std::optional<networks::TwoLegBand> DesignBand(const Design& design);
std::optional<networks::TwoLegBand> DesignBand(const Design& design, double partTolerance);

// The largest part tolerance in percent with which row's band (the statistical one where the
// design judges by it) lies within percent of the target, and its A || B within
// options.maxParallel, to about 1e-12 of it; nullopt where not even exact parts would do.
std::optional<double> NeededPartTolerance(const Design& design, const networks::TwoLegRow& row,
                                          std::span<const double> stock, double percent);

// Whether low..high lies within percent of target, both ends included.
bool WithinBand(double low, double high, double target, double percent);

// The largest power any one part takes: series parts share their leg's current, parallel
// parts its voltage.
double MaxPartPower(const Design& design, const networks::TwoLegRow& row,
                    std::span<const double> stock);

// The power each part of a leg takes, by slot: series parts share their leg's current,
// parallel parts its voltage.
std::array<double, 2> LegPartPowers(const networks::Network& leg, double value, double volts,
                                    std::span<const double> stock);

// Gives take at most limit rows of the design in order: the search's ranking (the worst case
// where rows carry one, then the error, the scale, the total and the legs), or with
// bounds.within the rows whose worst-case band lies within it, by fewest parts first. Rows
// outside the bounds on current and power are left out; both bounds also narrow the walk, as
// bounds on the legs or the total. Stops early once *stop is set (may be null).
//
// On a stock drawn from the inventory a row uses no value more often than the drawer holds,
// across both legs; each part has its own tolerance (drawer.h), and a row in which a part
// takes more than its rating times bounds.derate is left out. overRated, when given, is set to
// how many such rows ranked before the last row given (all of them when fewer than limit were):
// the rows a designer would otherwise have seen.
void SearchDesign(const Design& design, const LoadedStock& stock, const std::atomic<bool>* stop,
                  std::uint64_t limit, const std::function<void(const networks::TwoLegRow&)>& take,
                  std::uint64_t* overRated = nullptr);

// The checks an RC request adds to the search's tolerance.
struct RcBounds {
  std::optional<double> rTolerance;  // percent, below 100
  std::optional<double> cTolerance;
  std::optional<double> within;  // percent: the whole worst-case band within it
  bool inventory = false;        // each part's own tolerance, the options' for those without
  Statistics statistics;
};

// Whether a row of an RC request shows the worst-case band.
inline bool Banded(const RcBounds& bounds) {
  return bounds.rTolerance || bounds.cTolerance || bounds.within || bounds.inventory ||
         bounds.statistics.Any();
}

// The band an RC request's rows carry with parts of rTolerance and cTolerance percent, widened
// and drifting as DesignBand's.
networks::RcBand RcRequestBand(const RcBounds& bounds, double rTolerance, double cTolerance);

// The largest tolerance in percent of both parts with which row's band (the statistical one
// where the request judges by it) lies within percent of the target; nullopt where not even exact
// parts would do.
std::optional<double> NeededRcTolerance(const networks::RcRow& row,
                                        const networks::RcOptions& options, const RcBounds& bounds,
                                        std::span<const double> rStock,
                                        std::span<const double> cStock, double percent);

// Gives take at most limit RC pairs in order, as SearchDesign does: the search's ranking (the
// worst case where rows carry one), or with bounds.within the rows whose worst-case band lies
// within it, by fewest parts first. Stocks drawn from the inventory (rDrawer, cDrawer) hold
// their counts and bring each part's own tolerance, as SearchDesign's.
void SearchRc(const networks::RcOptions& options, const RcBounds& bounds,
              std::span<const double> rStock, std::span<const double> cStock,
              const std::atomic<bool>* stop, std::uint64_t limit,
              const std::function<void(const networks::RcRow&)>& take,
              const drawer::Drawer* rDrawer = nullptr, const drawer::Drawer* cDrawer = nullptr);

}  // namespace vantrel::finder
