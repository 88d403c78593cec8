#include "drawn_parts.h"

#include <algorithm>
#include <cmath>

namespace vantrel::finder {

namespace {

// Whether class a is tighter than b: a tolerance before none, the smaller first.
bool Tighter(const drawer::PartClass& a, const drawer::PartClass& b) {
  if (a.tolerance.has_value() != b.tolerance.has_value()) return a.tolerance.has_value();
  return a.tolerance && *a.tolerance < *b.tolerance;
}

// Draws count parts of a value from its classes into draw.
void DrawValue(const std::vector<drawer::PartClass>& classes, std::uint32_t count,
               ValueDraw& draw) {
  draw.count = count;
  draw.classCount = 0;
  // The tightest class that holds them all, the first of equals.
  const drawer::PartClass* whole = nullptr;
  for (const drawer::PartClass& drawerClass : classes) {
    if (drawerClass.quantity >= count && (!whole || Tighter(drawerClass, *whole))) {
      whole = &drawerClass;
    }
  }
  if (whole) {
    draw.classes[0] = whole;
    draw.taken[0] = count;
    draw.classCount = 1;
    return;
  }
  // No class holds them all: the tightest first, each giving what it holds.
  std::uint32_t left = count;
  while (left > 0 && draw.classCount < draw.classes.size()) {
    const drawer::PartClass* next = nullptr;
    for (const drawer::PartClass& drawerClass : classes) {
      const auto end = draw.classes.begin() + static_cast<std::ptrdiff_t>(draw.classCount);
      if (drawerClass.quantity == 0 || std::find(draw.classes.begin(), end, &drawerClass) != end) {
        continue;
      }
      if (!next || Tighter(drawerClass, *next)) next = &drawerClass;
    }
    if (!next) return;
    const auto take = static_cast<std::uint32_t>(std::min<std::uint64_t>(next->quantity, left));
    draw.classes[draw.classCount] = next;
    draw.taken[draw.classCount++] = take;
    left -= take;
  }
}

}  // namespace

std::optional<double> ValueDraw::Tolerance(std::optional<double> fallback) const {
  double loosest = 0;
  for (std::size_t i = 0; i < classCount; ++i) {
    const std::optional<double> own = classes[i]->tolerance ? classes[i]->tolerance : fallback;
    if (!own) return std::nullopt;
    loosest = std::max(loosest, *own);
  }
  return loosest;
}

double ValueDraw::Tcr(double fallback) const {
  double largest = 0;
  for (std::size_t i = 0; i < classCount; ++i) {
    largest = std::max(largest, classes[i]->tcr.value_or(fallback));
  }
  return largest;
}

std::optional<double> ValueDraw::Rating() const {
  std::optional<double> least;
  for (std::size_t i = 0; i < classCount; ++i) {
    if (classes[i]->power && (!least || *classes[i]->power < *least)) least = classes[i]->power;
  }
  return least;
}

bool DrawParts(const drawer::Drawer& drawer, std::span<const networks::Network* const> legs,
               DrawnParts& drawn) {
  drawn.valueCount = 0;
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    const networks::Network& network = *legs[leg];
    const auto parts = static_cast<std::size_t>(networks::PartCount(network.shape));
    for (std::size_t slot = 0; slot < parts; ++slot) {
      const std::uint16_t value = network.parts[slot];
      std::size_t at = 0;
      while (at < drawn.valueCount && drawn.values[at].value != value) ++at;
      if (at == drawn.valueCount) drawn.values[drawn.valueCount++] = {value, 0};
      ++drawn.values[at].count;
      drawn.bySlot[leg][slot] = static_cast<std::uint8_t>(at);
    }
  }
  for (std::size_t i = 0; i < drawn.valueCount; ++i) {
    ValueDraw& draw = drawn.values[i];
    if (draw.count > drawer.held[draw.value]) return false;
    DrawValue(drawer.classes[draw.value], draw.count, draw);
  }
  return true;
}

bool DrawSpreads(const drawer::Drawer& drawer, std::span<const networks::Network* const> legs,
                 std::optional<double> fallback, double fallbackTcr, double deltaT,
                 networks::PartTolerances& tolerances) {
  DrawnParts drawn;
  if (!DrawParts(drawer, legs, drawn)) return false;
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    auto& own = leg == 0 ? tolerances.first : tolerances.second;
    auto& drift = leg == 0 ? tolerances.firstDrift : tolerances.secondDrift;
    const auto parts = static_cast<std::size_t>(networks::PartCount(legs[leg]->shape));
    for (std::size_t slot = 0; slot < parts; ++slot) {
      const ValueDraw& draw = drawn.At(leg, slot);
      const std::optional<double> tolerance = draw.Tolerance(fallback);
      if (!tolerance) return false;
      own[slot] = *tolerance;
      drift[slot] = draw.Tcr(fallbackTcr) * 1e-4 * deltaT;
    }
  }
  return true;
}

std::vector<DrawerUse> DrawerUses(const drawer::Drawer& drawer,
                                  std::span<const networks::Network* const> legs) {
  DrawnParts drawn;
  std::vector<DrawerUse> uses;
  if (!DrawParts(drawer, legs, drawn)) return uses;
  for (std::size_t i = 0; i < drawn.valueCount; ++i) {
    const ValueDraw& draw = drawn.values[i];
    for (std::size_t c = 0; c < draw.classCount; ++c) {
      uses.push_back({draw.value, draw.taken[c], draw.classes[c]});
    }
  }
  return uses;
}

}  // namespace vantrel::finder
