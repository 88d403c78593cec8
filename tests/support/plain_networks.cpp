#include "plain_networks.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <tuple>

#include "exact_decimal.h"

namespace vantrel::testing {
namespace {

struct Tree {
  char kind = 'x';  // 'x' a part, '+' series, '|' parallel
  int index = -1;   // the part's stock index
  std::vector<Tree> children;
};

// Every binary tree over the parts, each split taken once (the first part on the left).
std::vector<Tree> AllTrees(const std::vector<int>& parts) {
  if (parts.size() == 1) return {Tree{'x', parts[0], {}}};
  std::vector<Tree> trees;
  const unsigned all = (1u << parts.size()) - 1;
  for (unsigned mask = 1; mask < all; mask += 2) {
    std::vector<int> left;
    std::vector<int> right;
    for (std::size_t i = 0; i < parts.size(); ++i)
      (mask >> i & 1 ? left : right).push_back(parts[i]);
    for (const Tree& l : AllTrees(left)) {
      for (const Tree& r : AllTrees(right)) {
        for (char kind : {'+', '|'}) trees.push_back(Tree{kind, -1, {l, r}});
      }
    }
  }
  return trees;
}

// The tree's value folded left to right, leaf(index) a part's value.
template <class Leaf, class Series, class Parallel>
auto Fold(const Tree& t, const Leaf& leaf, const Series& series, const Parallel& parallel) {
  if (t.kind == 'x') return leaf(t.index);
  auto v = Fold(t.children[0], leaf, series, parallel);
  for (std::size_t i = 1; i < t.children.size(); ++i) {
    const auto y = Fold(t.children[i], leaf, series, parallel);
    v = t.kind == '+' ? series(v, y) : parallel(v, y);
  }
  return v;
}

double Value(const Tree& t, std::span<const double> stock, double factor) {
  return Fold(
      t, [&](int i) { return stock[static_cast<std::size_t>(i)] * factor; },
      [](double x, double y) { return x + y; }, [](double x, double y) { return x * y / (x + y); });
}

void Leaves(const Tree& t, std::vector<int>& out) {
  if (t.kind == 'x') out.push_back(t.index);
  for (const Tree& c : t.children) Leaves(c, out);
}

std::vector<int> Leaves(const Tree& t) {
  std::vector<int> out;
  Leaves(t, out);
  return out;
}

// The trees' values as fractions and the plain values' magnitudes as integers, all at the
// smallest exponent among the decimals of the trees' parts and the plain values; nullopt when
// an integer passes 2^60.
struct ExactInputs {
  std::vector<networks::Fraction> trees;
  std::vector<networks::Wide> values;
};

std::optional<ExactInputs> Exact(const std::vector<const Tree*>& trees,
                                 std::span<const double> stock, const std::vector<double>& values) {
  int exponent = std::numeric_limits<int>::max();
  const auto lower = [&](double v) {
    exponent = std::min(exponent, networks::ShortestDecimal(v).exponent);
  };
  for (const Tree* tree : trees) {
    for (int i : Leaves(*tree)) lower(stock[static_cast<std::size_t>(i)]);
  }
  for (double v : values) lower(v);
  bool fits = true;
  const auto integer = [&](double v) {
    const auto scaled = networks::ScaledInteger(networks::ShortestDecimal(v), exponent);
    fits = fits && scaled;
    return scaled.value_or(networks::Wide{});
  };
  ExactInputs exact;
  for (const Tree* tree : trees) {
    exact.trees.push_back(Fold(
        *tree,
        [&](int i) { return networks::Fraction{integer(stock[static_cast<std::size_t>(i)])}; },
        networks::Fraction::Series, networks::Fraction::Parallel));
  }
  for (double v : values) exact.values.push_back(integer(v));
  if (!fits) return std::nullopt;
  return exact;
}

std::string Spell(const Tree& t, std::span<const std::string> names) {
  if (t.kind == 'x') {
    return names.empty() ? std::string("x") : names[static_cast<std::size_t>(t.index)];
  }
  std::string text;
  for (const Tree& c : t.children) {
    if (!text.empty()) text += t.kind == '+' ? " + " : " || ";
    text += c.kind == 'x' ? Spell(c, names) : "(" + Spell(c, names) + ")";
  }
  return text;
}

// Flattens groups of the same kind and orders every group's members: parts first by value,
// then groups by value, then by their parts, then by pattern.
Tree Canonical(const Tree& t, std::span<const double> stock) {
  if (t.kind == 'x') return t;
  Tree out{t.kind, -1, {}};
  for (const Tree& c : t.children) {
    Tree cc = Canonical(c, stock);
    if (cc.kind == t.kind) {
      for (Tree& g : cc.children) out.children.push_back(std::move(g));
    } else {
      out.children.push_back(std::move(cc));
    }
  }
  using Key = std::tuple<bool, double, std::vector<int>, std::string>;
  std::vector<std::pair<Key, Tree>> keyed;
  for (Tree& c : out.children) {
    Key key{c.kind != 'x', Value(c, stock, 1), Leaves(c), Spell(c, {})};
    keyed.emplace_back(std::move(key), std::move(c));
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  out.children.clear();
  for (auto& entry : keyed) out.children.push_back(std::move(entry.second));
  return out;
}

// The rows of PlainFindNetworks, each with its canonical tree; the deviations only in double
// arithmetic unless exact.
std::vector<std::pair<PlainNetworkRow, Tree>> PlainNetworks(std::span<const double> stock,
                                                            std::span<const std::string> names,
                                                            const networks::FindOptions& options,
                                                            double lowFactor, double highFactor,
                                                            bool exact) {
  using Key = std::tuple<double, std::size_t, std::vector<int>, std::string>;
  std::vector<std::pair<Key, std::pair<PlainNetworkRow, Tree>>> found;
  std::vector<int> parts;
  const int n = static_cast<int>(stock.size());
  std::function<void(int)> choose = [&](int first) {
    if (!parts.empty()) {
      std::set<std::string> seen;
      for (const Tree& tree : AllTrees(parts)) {
        Tree canonical = Canonical(tree, stock);
        PlainNetworkRow row;
        row.spelling = Spell(canonical, names);
        if (!seen.insert(row.spelling).second) continue;
        row.value = Value(canonical, stock, 1);
        row.deviation = (row.value - options.target) / options.target * 100;
        if (exact && std::fabs(row.deviation) < networks::kExactBand) {
          if (const auto inputs = Exact({&canonical}, stock, {options.target})) {
            row.deviation = networks::ExactPercent(inputs->trees[0], inputs->values[0]);
            if (row.deviation == 0) row.value = options.target;
          }
        }
        if (!(std::fabs(row.deviation) <= options.tolerance)) continue;
        row.low = Value(canonical, stock, lowFactor);
        row.high = Value(canonical, stock, highFactor);
        row.parts = Leaves(canonical);
        row.pattern = Spell(canonical, {});
        found.emplace_back(Key{std::fabs(row.deviation), parts.size(), row.parts, row.pattern},
                           std::pair(row, std::move(canonical)));
      }
    }
    if (static_cast<int>(parts.size()) == options.maxParts) return;
    for (int i = first; i < n; ++i) {
      parts.push_back(i);
      choose(options.distinct ? i + 1 : i);
      parts.pop_back();
    }
  };
  choose(0);
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<PlainNetworkRow, Tree>> rows;
  for (auto& entry : found) rows.push_back(std::move(entry.second));
  return rows;
}

}  // namespace

std::vector<PlainNetworkRow> PlainFindNetworks(std::span<const double> stock,
                                               std::span<const std::string> names,
                                               const networks::FindOptions& options,
                                               double lowFactor, double highFactor) {
  std::vector<PlainNetworkRow> rows;
  for (auto& entry : PlainNetworks(stock, names, options, lowFactor, highFactor, true)) {
    rows.push_back(std::move(entry.first));
  }
  return rows;
}

std::vector<PlainDividerRow> PlainFindDividers(std::span<const double> stock,
                                               std::span<const std::string> names,
                                               const networks::DividerOptions& options) {
  networks::FindOptions all;
  all.target = 1;
  all.maxParts = options.legParts;
  all.tolerance = std::numeric_limits<double>::infinity();
  all.distinct = options.distinct;
  const auto legs = PlainNetworks(stock, names, all, 1, 1, false);
  const auto legKey = [](const PlainNetworkRow& leg) {
    return std::make_tuple(leg.parts.size(), leg.parts, leg.pattern);
  };
  using Key =
      std::tuple<double, double, decltype(legKey(legs[0].first)), decltype(legKey(legs[0].first))>;
  std::vector<std::pair<Key, PlainDividerRow>> found;
  for (const auto& [top, topTree] : legs) {
    for (const auto& [bottom, bottomTree] : legs) {
      if (options.distinct &&
          std::find_first_of(top.parts.begin(), top.parts.end(), bottom.parts.begin(),
                             bottom.parts.end()) != top.parts.end()) {
        continue;
      }
      PlainDividerRow row{top.spelling, bottom.spelling};
      row.total = top.value + bottom.value;
      row.vout = options.vin * bottom.value / row.total;
      row.error = (row.vout - options.vout) / options.vout * 100;
      if (std::fabs(row.error) < networks::kExactBand) {
        if (const auto inputs = Exact({&topTree, &bottomTree}, stock,
                                      {std::fabs(options.vin), std::fabs(options.vout)})) {
          // VOUT / VIN = R2 / (R1 + R2) in fractions of integers.
          const networks::Fraction& r1 = inputs->trees[0];
          const networks::Fraction& r2 = inputs->trees[1];
          const networks::Wide share = r2.numerator * r1.denominator;
          row.error = networks::ExactPercent(
              {inputs->values[0] * share, r1.numerator * r2.denominator + share},
              inputs->values[1]);
          if (row.error == 0) row.vout = options.vout;
        }
      }
      if (!(std::fabs(row.error) <= options.tolerance)) continue;
      if (row.total < options.minTotal || row.total > options.maxTotal) continue;
      found.emplace_back(Key{std::fabs(row.error), row.total, legKey(top), legKey(bottom)}, row);
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<PlainDividerRow> rows;
  for (auto& entry : found) rows.push_back(std::move(entry.second));
  return rows;
}

}  // namespace vantrel::testing
