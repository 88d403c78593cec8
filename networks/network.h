#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::networks {

// The rows a search holds at once by default; more are found in passes of this many, each a walk
// of its own. Each thread's best rows, their merge and the pass given out hold a copy, so a few
// MB each whatever --all lists, while a pass still costs far less than printing its rows.
inline constexpr std::size_t kRowsPerPass = std::size_t{1} << 15;

// A stock is a span of distinct values above 0 in ascending order; networks refer to its
// values by index, so index order is value order.

// The series-parallel networks of one to four parts, each in its canonical form: an
// alternating tree (a group never holds a group of its own kind) whose members are ordered
// leaves first, by ascending value, then groups, by ascending value, then by the values of
// their parts in spelling order. The pattern shows the spelling with every part written x;
// within a part count the shapes are listed in the byte order of their patterns, which is
// the last tie-break of the ranking.
enum class Shape : std::uint8_t {
  kOne,                             // x
  kSeries2,                         // x + x
  kParallel2,                       // x || x
  kSeriesLeafParallel,              // x + (x || x)
  kSeries3,                         // x + x + x
  kParallelLeafSeries,              // x || (x + x)
  kParallel3,                       // x || x || x
  kParallelOfSeriesPairs,           // (x + x) || (x + x)
  kSeriesOfParallelPairs,           // (x || x) + (x || x)
  kSeriesLeafParallelLeafSeries,    // x + (x || (x + x))
  kSeriesLeafParallel3,             // x + (x || x || x)
  kSeries2Parallel2,                // x + x + (x || x)
  kSeries4,                         // x + x + x + x
  kParallelLeafSeriesLeafParallel,  // x || (x + (x || x))
  kParallelLeafSeries3,             // x || (x + x + x)
  kParallel2Series2,                // x || x || (x + x)
  kParallel4,                       // x || x || x || x
};
inline constexpr int kShapeCount = 17;

int PartCount(Shape shape);
std::string_view Pattern(Shape shape);

// One network: its shape and the stock indices of its parts in spelling order. The parts
// must satisfy the canonical order; CanonicalNetwork establishes it.
struct Network {
  Shape shape = Shape::kOne;
  std::array<std::uint16_t, 4> parts{};
};

// The canonical form of shape with parts taken in the shape's slot order, where the order
// within each group may be any: sorts each group's members as the canonical form wants.
Network CanonicalNetwork(Shape shape, std::array<std::uint16_t, 4> parts,
                         std::span<const double> stock);

// The network's value from its canonical spelling, left to right: a series group sums its
// members in order ((a + b) + c) + d, a parallel group folds them with x * y / (x + y)
// in order, a group member being evaluated first. Every part is scaled by factor
// (1 for the nominal value), so the scaled value is what the network gives with every part
// off by the same relative amount.
double NetworkValue(const Network& network, std::span<const double> stock, double factor = 1);

// A part's spread for the statistical band, each a fraction of its value: its tolerance, taken
// as 3 sigma, and its drift over the temperature range (its TCR times the range's largest
// distance from 25 °C).
struct PartSpread {
  double tolerance = 0;
  double drift = 0;
};
// The spread of the part in slot (spelling order) of leg (0 for leg A, an RC pair's resistor or a
// find's network, 1 for leg B or the capacitor), stock index part.
using PartSpreads = std::function<PartSpread(int leg, int slot, std::uint16_t part)>;
// Every part with the same spread.
PartSpreads UniformSpreads(PartSpread spread);

// A factor for each slot of a network, in spelling order.
using SlotFactors = std::array<double, 4>;

// NetworkValue with the part in each slot scaled by its own factor: each part off by its own
// tolerance. With one factor in every slot it gives NetworkValue's bits.
double NetworkValue(const Network& network, std::span<const double> stock,
                    const SlotFactors& factors);

// Each part's own tolerance in percent, slot by slot, for the legs of a row: its first and
// second leg (A and B, or R and C). Slots a leg does not have are not read.
struct PartTolerances {
  std::array<double, 4> first{};
  std::array<double, 4> second{};
  // Each part's drift over a temperature range in percent, slot by slot: a widening of its
  // tolerance in the worst case, a term of its own in the statistical band.
  std::array<double, 4> firstDrift{};
  std::array<double, 4> secondDrift{};

  // The worst case's tolerances: each widened by its drift, no drift left.
  PartTolerances Widened() const;
  // The spread of the part in slot of leg (0 first, 1 second) as fractions.
  PartSpread Spread(int leg, int slot) const;
  // Spread as the statistical band asks for it; valid while these tolerances are.
  PartSpreads Spreads() const;
};

// The factors 1 - t and 1 + t of each slot's tolerance t in percent, t / 100 taken first as a
// band of one tolerance takes it.
SlotFactors DownFactors(const std::array<double, 4>& percent);
SlotFactors UpFactors(const std::array<double, 4>& percent);

// Whether each part of a leg of at most two parts moves its value by at least percent: the
// smaller of two in series, or the larger of two in parallel, moves it by smaller / sum and
// smaller / larger of it. With swapped, a capacitor's leg, whose parallel parts add. A part that
// moves its leg by less than the leg's own tolerance earns no place. Settled exactly near the
// edge, each value taken as the shortest decimal of its double, so that a part moving its leg by
// exactly the tolerance earns its place on every machine.
bool EarnsItsPlace(const Network& leg, std::span<const double> stock, double percent,
                   bool swapped = false);

// How a leg's value moves with each part: dR/dx * x for the part in slot, 0 beyond its parts.
// Worked out along EvaluateNetwork's order: a series group adds its members' terms, a parallel
// group p of x and y weights x's by (p / x)^2 and y's by (p / y)^2, each in double with no
// fused operations, so every machine gets the same bits. With swapped, a capacitor's leg.
std::array<double, 4> LegSensitivities(const Network& leg, std::span<const double> stock,
                                       bool swapped = false);

// The sum of squares of a leg's statistical terms: for each part in slot order, its tolerance
// term (scale * s / value * tolerance)^2 and then its drift term likewise, s its sensitivity and
// scale how far the output moves per relative move of the whole leg.
double LegSquares(const Network& leg, int index, std::span<const double> stock, bool swapped,
                  double value, double scale, const PartSpreads& spreads);

// The same evaluation order in any arithmetic: leaf(slot) is the value of the part in slot,
// series(x, y) and parallel(x, y) combine two values.
template <class Leaf, class Series, class Parallel>
auto EvaluateNetwork(const Network& network, Leaf leaf, Series series, Parallel parallel) {
  const auto& v = leaf;
  const auto& s = series;
  const auto& p = parallel;
  switch (network.shape) {
    case Shape::kOne:
      break;
    case Shape::kSeries2:
      return s(v(0), v(1));
    case Shape::kParallel2:
      return p(v(0), v(1));
    case Shape::kSeriesLeafParallel:
      return s(v(0), p(v(1), v(2)));
    case Shape::kSeries3:
      return s(s(v(0), v(1)), v(2));
    case Shape::kParallelLeafSeries:
      return p(v(0), s(v(1), v(2)));
    case Shape::kParallel3:
      return p(p(v(0), v(1)), v(2));
    case Shape::kParallelOfSeriesPairs:
      return p(s(v(0), v(1)), s(v(2), v(3)));
    case Shape::kSeriesOfParallelPairs:
      return s(p(v(0), v(1)), p(v(2), v(3)));
    case Shape::kSeriesLeafParallelLeafSeries:
      return s(v(0), p(v(1), s(v(2), v(3))));
    case Shape::kSeriesLeafParallel3:
      return s(v(0), p(p(v(1), v(2)), v(3)));
    case Shape::kSeries2Parallel2:
      return s(s(v(0), v(1)), p(v(2), v(3)));
    case Shape::kSeries4:
      return s(s(s(v(0), v(1)), v(2)), v(3));
    case Shape::kParallelLeafSeriesLeafParallel:
      return p(v(0), s(v(1), p(v(2), v(3))));
    case Shape::kParallelLeafSeries3:
      return p(v(0), s(s(v(1), v(2)), v(3)));
    case Shape::kParallel2Series2:
      return p(p(v(0), v(1)), s(v(2), v(3)));
    case Shape::kParallel4:
      return p(p(p(v(0), v(1)), v(2)), v(3));
  }
  return v(0);
}

// The network spelled with names[i] for stock value i, e.g. "4700 || (1000 + 2200)". With
// swapped, "+" and "||" trade places: the network of capacitors, where parallel ones add and
// series ones fold, whose value is the one found with the resistor arithmetic.
std::string Spell(const Network& network, std::span<const std::string> names, bool swapped = false);

// The network Spell(network, names, true) spells, as a network of its own: the same parts in
// the same slots, in the shape with series and parallel traded. For drawing a capacitor row.
Network Swapped(const Network& network);

// The work a search did: the lines it entered and the steps it took along them (the entries
// it visited), the same for every run of one search with one thread; tests hold it to a bound
// instead of timing the search.
struct SearchWork {
  std::uint64_t lines = 0;
  std::uint64_t steps = 0;
};

// A network with its value and signed deviation (value - target) / target * 100.
struct NetworkRow;
// The ranking: smaller absolute deviation first, then fewer parts, then the parts' values in
// spelling order compared left to right, then the shape's pattern. Distinct networks never
// compare equal.
bool RanksBefore(const NetworkRow& a, const NetworkRow& b);

struct NetworkRow {
  Network network;
  double value = 0;
  double deviation = 0;

  double Percent() const { return deviation; }
  int Parts() const { return PartCount(network.shape); }
  static bool Before(const NetworkRow& a, const NetworkRow& b) { return RanksBefore(a, b); }
  // Equal in the key settled exactly, the deviation's magnitude.
  static bool SameKey(const NetworkRow& a, const NetworkRow& b);
};

// The order of networks alone, without value: parts, part values, pattern.
bool NetworkBefore(const Network& a, const Network& b);

}  // namespace vantrel::networks
