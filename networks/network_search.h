#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

#include "network.h"

namespace vantrel::networks {

inline constexpr int kMaxParts = 4;

struct FindOptions {
  double target = 0;  // above 0, finite
  int maxParts = 3;   // networks of minParts to maxParts parts, at most kMaxParts
  int minParts = 1;
  double tolerance = 1;   // percent; a network is kept when |deviation| <= tolerance
  bool distinct = false;  // no stock value used twice in one network
  // When not empty, the most times each stock value may be used in one network, by index.
  std::span<const std::uint32_t> held;
  // The rows held in memory at once: more rows are found in passes of this many, each pass
  // starting after the last row of the one before.
  std::size_t rowsPerPass = kRowsPerPass;
  // Four-part searches use a second thread when this is 2 or more; the rows are the same.
  int threads = 2;
  // When set, checked in the outer loops: a search that sees it true stops and emits nothing
  // more, so a front end can abandon it from another thread.
  const std::atomic<bool>* stop = nullptr;
  // When set, the search adds the work it did.
  SearchWork* work = nullptr;
};

// Calls emit for every series-parallel network of stock values within the tolerance, each
// circuit once in its canonical form, in rank order (RanksBefore), stopping after limit rows.
// stock: distinct values above 0, ascending, at most 65536 of them.
//
// Each network shape is searched as lines: all choices of some of its parts, and for the
// rest a sorted table (the stock, or the sums or parallel values of all pairs) along which
// the network's value rises. A line is entered where its value crosses the target and walked
// outward while it stays within the tolerance or, once enough rows are held, the worst held
// row's deviation. Candidate values found this way only steer the walk; every kept row's value
// is evaluated from its canonical spelling (NetworkValue) and settled as exact_decimal.h says.
// Why nothing is missed: every canonical network has one choice of the chosen parts whose line
// holds it; along a line the steering value rises, so the walk from the crossing reaches every
// entry whose value lies within the window, which is widened beyond the few roundings by which
// a steering value can differ from the kept one and a deviation from its exact value
// (line_walk.h's margins). A line or a choice is skipped only where a bound shows every value
// on it outside the window (a parallel group lies below each member, a series group above),
// and a line that takes only pairs of parts up to (or from) one part walks only the part of
// its table where such pairs lie; the window only narrows as rows are kept, so a skip stays
// sound. The pieces of work (the parts below four, the pair groups, the lines of
// each leaf) may run on two threads, each keeping its own best rows; the best of both is the
// best of all, so the rows do not depend on the threads (FindOptions::threads).
void FindNetworks(std::span<const double> stock, const FindOptions& options, std::uint64_t limit,
                  const std::function<void(const NetworkRow&)>& emit);

}  // namespace vantrel::networks
