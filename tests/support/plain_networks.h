#pragma once

#include <span>
#include <string>
#include <vector>

#include "divider_search.h"
#include "network_search.h"
#include "rc_search.h"
#include "two_leg_search.h"

namespace vantrel::testing {

struct PlainNetworkRow {
  std::string spelling;  // stock value i spelled as names[i]
  double value = 0;
  double deviation = 0;
  double low = 0;          // every part scaled by lowFactor
  double high = 0;         // every part scaled by highFactor
  std::vector<int> parts;  // stock indices in spelling order
  std::string pattern;     // the spelling with every part written x
};

// The network search done plainly: every binary series-parallel tree over every choice of
// parts, flattened and sorted into its canonical form, repeats dropped by spelling, evaluated
// from the tree and sorted by the ranking. The yardstick for networks::FindNetworks. With
// swapped, in the arithmetic of capacitors: parallel ones add and series ones fold.
std::vector<PlainNetworkRow> PlainFindNetworks(std::span<const double> stock,
                                               std::span<const std::string> names,
                                               const networks::FindOptions& options,
                                               double lowFactor, double highFactor,
                                               bool swapped = false);

struct PlainDividerRow {
  std::string top;
  std::string bottom;
  double vout = 0;
  double error = 0;
  double total = 0;
};

// The divider search done plainly: every pair of legs from PlainFindNetworks, ranked.
std::vector<PlainDividerRow> PlainFindDividers(std::span<const double> stock,
                                               std::span<const std::string> names,
                                               const networks::DividerOptions& options);

struct PlainTwoLegRow {
  std::string a;  // each leg spelled with names[i] for stock value i
  std::string b;
  double output = 0;
  double error = 0;
  double total = 0;
  // A || B: with a band, of each leg with every part at the upper end of its worst case.
  double parallel = 0;
  double low = 0;  // the band's ends and worst case; the output and |error| without a band
  double high = 0;
  double worst = 0;
  double rssLow = 0;  // with PlainSpreads::rss, the statistical band's ends and worst case
  double rssHigh = 0;
  double rssWorst = 0;
};

// A stock value's own class, in percent: its tolerance and its drift over the temperature
// range; known false where nothing gives its tolerance.
struct PlainClass {
  double tolerance = 0;
  double drift = 0;
  bool known = true;
};

// Each part's own spread as the yardstick models it, for a drawer of mixed classes or one class
// with a drift.
struct PlainSpreads {
  std::vector<PlainClass> classes;  // by stock index
  bool rss = false;                 // rows carry the statistical band
  bool byRss = false;               // and rank and meet within by its worst case
};

// A two-leg formula as the yardstick knows it: which one, and its constants at their typical,
// low and high ends (VIN; VREF and IADJ; VIN and the load, kept one value).
struct PlainFormula {
  enum Kind { kDivider, kRegulator, kGain, kInvertingGain, kLoadedDivider } kind = kDivider;
  double k0 = 0, k1 = 0;
  double lowK0 = 0, lowK1 = 0;
  double highK0 = 0, highK1 = 0;
};

// The two-leg search done plainly: every leg of up to options.legParts parts (a part, two in
// series, two in parallel) paired with every other, each output worked out here from the
// formula's kind (in double as the search does, in GMP's rationals near the target and at the
// edges of the tolerance and the band), with the band of options.band's part tolerance and
// within (its formulas are not used: the constants come from formula), filtered and sorted by
// the ranking. The yardstick for networks::FindTwoLegs. A loaded divider's rows are decided in
// double alone, as the search has no exact form of it. Rows whose A || B (at the band's upper
// ends where there is a band) passes options.maxParallel are left out.
//
// With spreads (and options.band, whose partTolerance then only says what a part must move its
// leg by to earn its place), each part is off by its own tolerance plus its drift in the worst
// case; a row with a part of unknown class has no band (its ends the output, its worst cases
// infinite). With spreads.rss, the statistical band: each part's term is d(output)/dx * x from
// the formula's derivatives and the leg's (1 in series, (leg / x)^2 in parallel), times its
// tolerance and, apart, its drift, summed in squares and rooted; the constants' ranges added
// linearly.
std::vector<PlainTwoLegRow> PlainFindTwoLegs(std::span<const double> stock,
                                             std::span<const std::string> names,
                                             const PlainFormula& formula,
                                             const networks::TwoLegOptions& options,
                                             const PlainSpreads* spreads = nullptr);

struct PlainRcRow {
  std::string r;  // the resistor leg spelled with rNames, the capacitor leg with cNames
  std::string c;
  double tau = 0;
  double output = 0;
  double error = 0;
  double low = 0;
  double high = 0;
  double worst = 0;
  double rssLow = 0;  // with PlainRcSpreads::rss, as PlainTwoLegRow's
  double rssHigh = 0;
  double rssWorst = 0;
};

// Each resistor's and capacitor's own class, as PlainSpreads for two legs.
struct PlainRcSpreads {
  std::vector<PlainClass> r;  // by resistor stock index
  std::vector<PlainClass> c;  // by capacitor stock index
  bool rss = false;
  bool byRss = false;
};

// The RC search done plainly: every resistor leg of up to options.rParts parts within the
// bounds on R paired with every capacitor leg of up to options.cParts parts (in parallel they
// add), tau the exact product in GMP's rationals rounded once where the legs' decimals fit,
// filtered and sorted by the ranking. The yardstick for networks::FindRc.
//
// With spreads (and options.band, whose tolerances then only say what a part must move its leg by
// to earn its place), each part is off by its own tolerance plus its drift in the worst case, in
// double alone (callers keep within off the rows' edges); a row with a part of unknown class has
// no band. With spreads.rss, the statistical band: each part moves the output by the output times
// its share of its leg's move (x / leg where parts add, leg / x where they fold) times its
// tolerance and, apart, its drift, summed in squares and rooted.
std::vector<PlainRcRow> PlainFindRc(std::span<const double> rStock,
                                    std::span<const std::string> rNames,
                                    std::span<const double> cStock,
                                    std::span<const std::string> cNames,
                                    const networks::RcOptions& options,
                                    const PlainRcSpreads* spreads = nullptr);

}  // namespace vantrel::testing
