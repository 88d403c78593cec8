#include "network.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace vantrel::networks {
namespace {

struct ShapeInfo {
  std::string_view pattern;
  int parts;
};

constexpr std::array<ShapeInfo, kShapeCount> kShapes{{
    {"x", 1},
    {"x + x", 2},
    {"x || x", 2},
    {"x + (x || x)", 3},
    {"x + x + x", 3},
    {"x || (x + x)", 3},
    {"x || x || x", 3},
    {"(x + x) || (x + x)", 4},
    {"(x || x) + (x || x)", 4},
    {"x + (x || (x + x))", 4},
    {"x + (x || x || x)", 4},
    {"x + x + (x || x)", 4},
    {"x + x + x + x", 4},
    {"x || (x + (x || x))", 4},
    {"x || (x + x + x)", 4},
    {"x || x || (x + x)", 4},
    {"x || x || x || x", 4},
}};

double Par(double x, double y) {
  return x * y / (x + y);
}

void Sort2(std::uint16_t& a, std::uint16_t& b) {
  if (b < a) std::swap(a, b);
}

void Sort3(std::uint16_t& a, std::uint16_t& b, std::uint16_t& c) {
  Sort2(a, b);
  Sort2(b, c);
  Sort2(a, b);
}

// Orders two sorted pair groups of one kind: by value, then by their parts.
void OrderPairGroups(std::array<std::uint16_t, 4>& p, double first, double second) {
  if (second < first || (second == first && std::pair(p[2], p[3]) < std::pair(p[0], p[1]))) {
    std::swap(p[0], p[2]);
    std::swap(p[1], p[3]);
  }
}

}  // namespace

int PartCount(Shape shape) {
  return kShapes[static_cast<std::size_t>(shape)].parts;
}

std::string_view Pattern(Shape shape) {
  return kShapes[static_cast<std::size_t>(shape)].pattern;
}

Network CanonicalNetwork(Shape shape, std::array<std::uint16_t, 4> p,
                         std::span<const double> stock) {
  switch (shape) {
    case Shape::kOne:
      break;
    case Shape::kSeries2:
    case Shape::kParallel2:
      Sort2(p[0], p[1]);
      break;
    case Shape::kSeriesLeafParallel:
    case Shape::kParallelLeafSeries:
    case Shape::kSeriesLeafParallelLeafSeries:
    case Shape::kParallelLeafSeriesLeafParallel:
      Sort2(p[PartCount(shape) - 2], p[PartCount(shape) - 1]);
      break;
    case Shape::kSeries3:
    case Shape::kParallel3:
      Sort3(p[0], p[1], p[2]);
      break;
    case Shape::kSeriesLeafParallel3:
    case Shape::kParallelLeafSeries3:
      Sort3(p[1], p[2], p[3]);
      break;
    case Shape::kSeries2Parallel2:
    case Shape::kParallel2Series2:
      Sort2(p[0], p[1]);
      Sort2(p[2], p[3]);
      break;
    case Shape::kSeries4:
    case Shape::kParallel4:
      std::sort(p.begin(), p.end());
      break;
    case Shape::kParallelOfSeriesPairs:
      Sort2(p[0], p[1]);
      Sort2(p[2], p[3]);
      OrderPairGroups(p, stock[p[0]] + stock[p[1]], stock[p[2]] + stock[p[3]]);
      break;
    case Shape::kSeriesOfParallelPairs:
      Sort2(p[0], p[1]);
      Sort2(p[2], p[3]);
      OrderPairGroups(p, Par(stock[p[0]], stock[p[1]]), Par(stock[p[2]], stock[p[3]]));
      break;
  }
  return {shape, p};
}

double NetworkValue(const Network& network, std::span<const double> stock, double factor) {
  SlotFactors factors;
  factors.fill(factor);
  return NetworkValue(network, stock, factors);
}

double NetworkValue(const Network& network, std::span<const double> stock,
                    const SlotFactors& factors) {
  return EvaluateNetwork(
      network,
      [&](int slot) {
        const auto i = static_cast<std::size_t>(slot);
        return stock[network.parts[i]] * factors[i];
      },
      [](double x, double y) { return x + y; }, Par);
}

PartTolerances PartTolerances::Widened() const {
  PartTolerances wide;
  for (std::size_t i = 0; i < 4; ++i) {
    wide.first[i] = first[i] + firstDrift[i];
    wide.second[i] = second[i] + secondDrift[i];
  }
  return wide;
}

PartSpread PartTolerances::Spread(int leg, int slot) const {
  const auto i = static_cast<std::size_t>(slot);
  return leg == 0 ? PartSpread{first[i] / 100, firstDrift[i] / 100}
                  : PartSpread{second[i] / 100, secondDrift[i] / 100};
}

PartSpreads PartTolerances::Spreads() const {
  return [this](int leg, int slot, std::uint16_t) { return Spread(leg, slot); };
}

SlotFactors DownFactors(const std::array<double, 4>& percent) {
  SlotFactors factors{};
  for (std::size_t i = 0; i < factors.size(); ++i) factors[i] = 1 - percent[i] / 100;
  return factors;
}

SlotFactors UpFactors(const std::array<double, 4>& percent) {
  SlotFactors factors{};
  for (std::size_t i = 0; i < factors.size(); ++i) factors[i] = 1 + percent[i] / 100;
  return factors;
}

std::string Spell(const Network& network, std::span<const std::string> names, bool swapped) {
  std::string text;
  int slot = 0;
  const std::string_view pattern = Pattern(network.shape);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == 'x') {
      text += names[network.parts[static_cast<std::size_t>(slot++)]];
    } else if (swapped && c == '+') {
      text += "||";
    } else if (swapped && c == '|') {
      text += '+';
      ++i;  // the second bar
    } else {
      text += c;
    }
  }
  return text;
}

Network Swapped(const Network& network) {
  const std::string_view original = Pattern(network.shape);
  std::string pattern;
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (original[i] == '+') {
      pattern += "||";
    } else if (original[i] == '|') {
      pattern += '+';
      ++i;  // the second bar
    } else {
      pattern += original[i];
    }
  }
  for (int shape = 0; shape < kShapeCount; ++shape) {
    if (Pattern(static_cast<Shape>(shape)) == pattern) {
      return {static_cast<Shape>(shape), network.parts};
    }
  }
  throw std::logic_error("no shape has the swapped pattern " + pattern);
}

PartSpreads UniformSpreads(PartSpread spread) {
  return [spread](int, int, std::uint16_t) { return spread; };
}

namespace {

// A value with its terms dv/dx * x for the parts of slots 0 to 3.
struct Sensed {
  double value = 0;
  std::array<double, 4> terms{};
};

Sensed SensedSum(const Sensed& x, const Sensed& y) {
  Sensed sum{x.value + y.value, {}};
  for (std::size_t i = 0; i < 4; ++i) sum.terms[i] = x.terms[i] + y.terms[i];
  return sum;
}

// p = xy / (x + y): dp/dx = (p / x)^2.
Sensed SensedFold(const Sensed& x, const Sensed& y) {
  const double p = Par(x.value, y.value);
  const double wx = (p / x.value) * (p / x.value);
  const double wy = (p / y.value) * (p / y.value);
  Sensed fold{p, {}};
  for (std::size_t i = 0; i < 4; ++i) fold.terms[i] = wx * x.terms[i] + wy * y.terms[i];
  return fold;
}

}  // namespace

std::array<double, 4> LegSensitivities(const Network& leg, std::span<const double> stock,
                                       bool swapped) {
  const auto leaf = [&](int slot) {
    const auto i = static_cast<std::size_t>(slot);
    Sensed part{stock[leg.parts[i]], {}};
    part.terms[i] = part.value;
    return part;
  };
  const Sensed sensed = swapped ? EvaluateNetwork(leg, leaf, SensedFold, SensedSum)
                                : EvaluateNetwork(leg, leaf, SensedSum, SensedFold);
  return sensed.terms;
}

double LegSquares(const Network& leg, int index, std::span<const double> stock, bool swapped,
                  double value, double scale, const PartSpreads& spreads) {
  const std::array<double, 4> s = LegSensitivities(leg, stock, swapped);
  double sum = 0;
  for (int slot = 0; slot < PartCount(leg.shape); ++slot) {
    const auto i = static_cast<std::size_t>(slot);
    const PartSpread spread = spreads(index, slot, leg.parts[i]);
    const double move = scale * (s[i] / value);
    const double tolerance = move * spread.tolerance;
    const double drift = move * spread.drift;
    sum += tolerance * tolerance;
    sum += drift * drift;
  }
  return sum;
}

bool NetworkBefore(const Network& a, const Network& b) {
  const int parts = PartCount(a.shape);
  if (parts != PartCount(b.shape)) return parts < PartCount(b.shape);
  const auto end = static_cast<std::ptrdiff_t>(parts);
  if (!std::equal(a.parts.begin(), a.parts.begin() + end, b.parts.begin())) {
    return std::lexicographical_compare(a.parts.begin(), a.parts.begin() + end, b.parts.begin(),
                                        b.parts.begin() + end);
  }
  return a.shape < b.shape;
}

bool NetworkRow::SameKey(const NetworkRow& a, const NetworkRow& b) {
  return std::fabs(a.deviation) == std::fabs(b.deviation);
}

bool RanksBefore(const NetworkRow& a, const NetworkRow& b) {
  const double da = std::fabs(a.deviation);
  const double db = std::fabs(b.deviation);
  if (da != db) return da < db;
  return NetworkBefore(a.network, b.network);
}

}  // namespace vantrel::networks
