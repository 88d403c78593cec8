#include "plain_networks.h"

#include <gmpxx.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <string>
#include <tuple>

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

// With swapped, the capacitor arithmetic: parallel ('|') adds and series ('+') folds.
double Value(const Tree& t, std::span<const double> stock, double factor, bool swapped = false) {
  const auto sum = [](double x, double y) { return x + y; };
  const auto fold = [](double x, double y) { return x * y / (x + y); };
  const auto leaf = [&](int i) { return stock[static_cast<std::size_t>(i)] * factor; };
  return swapped ? Fold(t, leaf, fold, sum) : Fold(t, leaf, sum, fold);
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

// The exact side, in GMP's rationals and nothing of the search's own: each value is the
// shortest decimal that reads back as its double, a network's value the exact fold of its
// tree, a deviation the exact difference rounded to the nearest double once. As the search
// does, a row keeps its double deviation where a value scaled to the smallest power of ten
// among the row's values reaches 2^60.
constexpr double kSettleBand = 1e-9;  // percent

struct Decimal {
  mpz_class digits;
  int exponent = 0;
};

// The fewest significant digits that read back as value (> 0), by trying each count; the
// stock's few values are looked up again for every row, so each is worked out once.
Decimal Shortest(double value) {
  static std::map<double, Decimal> known;
  if (const auto found = known.find(value); found != known.end()) return found->second;
  for (int digits = 1; digits <= 17; ++digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    if (std::strtod(text, nullptr) != value) continue;
    std::string mantissa;
    const char* c = text;
    for (; *c != 'e'; ++c) {
      if (*c != '.') mantissa += *c;
    }
    return known[value] = {mpz_class(mantissa), std::atoi(c + 1) - (digits - 1)};
  }
  std::abort();
}

mpq_class Exactly(const Decimal& d) {
  mpz_class power;
  mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(std::abs(d.exponent)));
  return d.exponent >= 0 ? mpq_class(d.digits * power) : mpq_class(d.digits, power);
}

// Whether every value, scaled to the smallest exponent among them, stays below 2^60.
bool Fits(const std::vector<Decimal>& values) {
  int exponent = std::numeric_limits<int>::max();
  for (const Decimal& d : values) exponent = std::min(exponent, d.exponent);
  const mpz_class limit = mpz_class(1) << 60;
  for (const Decimal& d : values) {
    mpz_class power;
    mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(d.exponent - exponent));
    if (d.digits * power >= limit) return false;
  }
  return true;
}

// q rounded to the nearest double, ties to even.
double Nearest(const mpq_class& q) {
  if (q == 0) return 0;
  const mpz_class num = abs(q.get_num());
  const mpz_class& den = q.get_den();
  // num / den * 2^shift in [2^52, 2^53).
  long shift = 53 - static_cast<long>(mpz_sizeinbase(num.get_mpz_t(), 2)) +
               static_cast<long>(mpz_sizeinbase(den.get_mpz_t(), 2));
  mpz_class n;
  mpz_class d;
  mpz_class quotient;
  for (;;) {
    n = num;
    d = den;
    if (shift >= 0) {
      n <<= static_cast<mp_bitcnt_t>(shift);
    } else {
      d <<= static_cast<mp_bitcnt_t>(-shift);
    }
    quotient = n / d;
    if (quotient >= mpz_class(1) << 53) {
      --shift;
    } else if (quotient < mpz_class(1) << 52) {
      ++shift;
    } else {
      break;
    }
  }
  const mpz_class twice = 2 * (n - quotient * d);
  if (twice > d || (twice == d && mpz_odd_p(quotient.get_mpz_t()))) ++quotient;
  const double magnitude = std::ldexp(quotient.get_d(), static_cast<int>(-shift));
  return q < 0 ? -magnitude : magnitude;
}

// 100 * (value - target) / target.
double Percent(const mpq_class& value, const mpq_class& target) {
  return Nearest(mpq_class(100 * (value - target) / target));
}

mpq_class ExactValue(const Tree& tree, std::span<const double> stock, bool swapped = false) {
  const auto sum = [](const mpq_class& x, const mpq_class& y) { return mpq_class(x + y); };
  const auto fold = [](const mpq_class& x, const mpq_class& y) {
    return mpq_class(x * y / (x + y));
  };
  const auto leaf = [&](int i) { return Exactly(Shortest(stock[static_cast<std::size_t>(i)])); };
  return swapped ? Fold(tree, leaf, fold, sum) : Fold(tree, leaf, sum, fold);
}

// The decimals of the trees' parts and of the plain values, whether they fit.
bool Fits(const std::vector<const Tree*>& trees, std::span<const double> stock,
          const std::vector<double>& values) {
  std::vector<Decimal> decimals;
  for (const Tree* tree : trees) {
    for (int i : Leaves(*tree)) decimals.push_back(Shortest(stock[static_cast<std::size_t>(i)]));
  }
  for (double v : values) decimals.push_back(Shortest(v));
  return Fits(decimals);
}

// "x + (x || x)" read with + and || traded: "x || (x + x)".
std::string TradeOperators(std::string_view pattern) {
  std::string traded;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '+') {
      traded += "||";
    } else if (pattern[i] == '|') {
      traded += '+';
      ++i;
    } else {
      traded += pattern[i];
    }
  }
  return traded;
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
Tree Canonical(const Tree& t, std::span<const double> stock, bool swapped = false) {
  if (t.kind == 'x') return t;
  Tree out{t.kind, -1, {}};
  for (const Tree& c : t.children) {
    Tree cc = Canonical(c, stock, swapped);
    if (cc.kind == t.kind) {
      for (Tree& g : cc.children) out.children.push_back(std::move(g));
    } else {
      out.children.push_back(std::move(cc));
    }
  }
  using Key = std::tuple<bool, double, std::vector<int>, std::string>;
  std::vector<std::pair<Key, Tree>> keyed;
  for (Tree& c : out.children) {
    Key key{c.kind != 'x', Value(c, stock, 1, swapped), Leaves(c), Spell(c, {})};
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
                                                            bool exact, bool swapped = false) {
  using Key = std::tuple<double, std::size_t, std::vector<int>, std::string>;
  std::vector<std::pair<Key, std::pair<PlainNetworkRow, Tree>>> found;
  std::vector<int> parts;
  const int n = static_cast<int>(stock.size());
  std::function<void(int)> choose = [&](int first) {
    if (static_cast<int>(parts.size()) >= options.minParts && !parts.empty()) {
      std::set<std::string> seen;
      for (const Tree& tree : AllTrees(parts)) {
        Tree canonical = Canonical(tree, stock, swapped);
        PlainNetworkRow row;
        row.spelling = Spell(canonical, names);
        if (!seen.insert(row.spelling).second) continue;
        row.value = Value(canonical, stock, 1, swapped);
        row.deviation = (row.value - options.target) / options.target * 100;
        if (exact && std::fabs(row.deviation) < kSettleBand &&
            Fits({&canonical}, stock, {options.target})) {
          row.deviation =
              Percent(ExactValue(canonical, stock, swapped), Exactly(Shortest(options.target)));
          if (row.deviation == 0) row.value = options.target;
        }
        if (!(std::fabs(row.deviation) <= options.tolerance)) continue;
        row.low = Value(canonical, stock, lowFactor, swapped);
        row.high = Value(canonical, stock, highFactor, swapped);
        row.parts = Leaves(canonical);
        row.pattern = Spell(canonical, {});
        // Ties of shape break as for resistors: on the pattern with + and || traded back.
        if (swapped) row.pattern = TradeOperators(row.pattern);
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
                                               double lowFactor, double highFactor, bool swapped) {
  std::vector<PlainNetworkRow> rows;
  for (auto& entry : PlainNetworks(stock, names, options, lowFactor, highFactor, true, swapped)) {
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
  using Key = std::tuple<double, double, double, decltype(legKey(legs[0].first)),
                         decltype(legKey(legs[0].first))>;
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
      const double vin = std::fabs(options.vin);
      const double vout = std::fabs(options.vout);
      if (std::fabs(row.error) < kSettleBand && Fits({&topTree, &bottomTree}, stock, {vin, vout})) {
        const mpq_class r1 = ExactValue(topTree, stock);
        const mpq_class r2 = ExactValue(bottomTree, stock);
        row.error = Percent(Exactly(Shortest(vin)) * r2 / (r1 + r2), Exactly(Shortest(vout)));
        if (row.error == 0) row.vout = options.vout;
      }
      if (!(std::fabs(row.error) <= options.tolerance)) continue;
      if (row.total < options.minTotal || row.total > options.maxTotal) continue;
      const double scale = top.value / options.scale * (bottom.value / options.scale);
      found.emplace_back(Key{std::fabs(row.error), scale >= 1 ? scale : 1 / scale, row.total,
                             legKey(top), legKey(bottom)},
                         row);
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<PlainDividerRow> rows;
  for (auto& entry : found) rows.push_back(std::move(entry.second));
  return rows;
}

namespace {

constexpr double kEdge = 1e-9;  // relative: decisions this near an edge are made exactly

// The ranking's worst case: to 9 significant digits.
double Key9(double worst) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, worst, std::chars_format::scientific, 8);
  double key = worst;
  std::from_chars(text, end.ptr, key);
  return key;
}

double Far(double ratio) {
  return ratio >= 1 ? ratio : 1 / ratio;
}

// Whether each part of a leg moves it by at least percent, in rationals: the smaller of two
// adding parts by smaller / sum, the larger of two folding ones by smaller / larger.
bool Earns(const Tree& leg, std::span<const double> stock, double percent, bool capacitor) {
  if (leg.kind == 'x' || !(percent > 0)) return true;
  const double x = stock[static_cast<std::size_t>(leg.children[0].index)];
  const double y = stock[static_cast<std::size_t>(leg.children[1].index)];
  const mpq_class smaller = Exactly(Shortest(std::min(x, y)));
  const mpq_class larger = Exactly(Shortest(std::max(x, y)));
  const bool adds = (leg.kind == '+') != capacitor;
  return mpq_class(smaller * 100) >=
         Exactly(Shortest(percent)) * (adds ? mpq_class(smaller + larger) : larger);
}

bool NearEdge(double value, double edge) {
  return std::isfinite(edge) && edge > 0 && std::fabs(value - edge) <= kEdge * edge;
}

template <class Number>
Number Output(PlainFormula::Kind kind, const Number& k0, const Number& k1, const Number& a,
              const Number& b) {
  switch (kind) {
    case PlainFormula::kDivider:
      return Number(k0 * b / (a + b));
    case PlainFormula::kLoadedDivider: {
      const Number bottom = b * k1 / (b + k1);
      return Number(k0 * bottom / (a + bottom));
    }
    case PlainFormula::kRegulator:
      return Number(k0 * (1 + a / b) + k1 * a);
    case PlainFormula::kGain:
      return Number(1 + a / b);
    default:
      return Number(a / b);
  }
}

// d(output)/dA and d(output)/dB at legs a and b.
std::array<double, 2> Partials(PlainFormula::Kind kind, double k0, double k1, double a, double b) {
  switch (kind) {
    case PlainFormula::kDivider: {
      const double squared = (a + b) * (a + b);
      return {-k0 * b / squared, k0 * a / squared};
    }
    case PlainFormula::kLoadedDivider: {
      // Of k0 b L / D, D = a b + a L + b L: -k0 b L (b + L) / D^2 and k0 a L^2 / D^2.
      const double d = a * b + a * k1 + b * k1;
      return {-k0 * b * k1 * (b + k1) / (d * d), k0 * a * k1 * k1 / (d * d)};
    }
    case PlainFormula::kRegulator:
      return {k0 / b + k1, -k0 * a / (b * b)};
    default:
      return {1 / b, -a / (b * b)};
  }
}

// The tolerance a part takes in the worst case: its own widened by its drift.
double Wide(const PlainClass& c) {
  return c.tolerance + c.drift;
}

mpq_class Signed(double value) {
  const mpq_class magnitude = Exactly(Shortest(std::fabs(value)));
  return value < 0 ? mpq_class(-magnitude) : magnitude;
}

}  // namespace

std::vector<PlainTwoLegRow> PlainFindTwoLegs(std::span<const double> stock,
                                             std::span<const std::string> names,
                                             const PlainFormula& formula,
                                             const networks::TwoLegOptions& options,
                                             const PlainSpreads* spreads) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  // Without spreads every part takes the band's one tolerance.
  const auto classOf = [&](int i) {
    return spreads ? spreads->classes[static_cast<std::size_t>(i)]
                   : PlainClass{options.band->partTolerance, 0, true};
  };
  std::vector<Tree> legs;
  const int n = static_cast<int>(stock.size());
  for (int i = 0; i < n; ++i) {
    const Tree part{'x', i, {}};
    legs.push_back(part);
    if (options.legParts < 2) continue;
    for (int j = options.distinct ? i + 1 : i; j < n; ++j) {
      const Tree other{'x', j, {}};
      legs.push_back({'+', -1, {part, other}});
      legs.push_back({'|', -1, {part, other}});
    }
  }
  const auto legKey = [](const Tree& leg) {
    return std::make_tuple(Leaves(leg).size(), Leaves(leg), leg.kind);
  };
  using Key = std::tuple<double, double, double, double, decltype(legKey(legs[0])),
                         decltype(legKey(legs[0]))>;
  std::vector<std::pair<Key, PlainTwoLegRow>> found;
  const PlainFormula::Kind kind = formula.kind;
  const double target = options.target;
  const mpq_class exactTarget = Signed(target);
  // The leg that raises the output when it rises: B for a divider, A for the others.
  const bool risesInA = kind != PlainFormula::kDivider && kind != PlainFormula::kLoadedDivider;
  const bool settles = kind != PlainFormula::kLoadedDivider;
  for (const Tree& a : legs) {
    const double ra = Value(a, stock, 1);
    if (ra < options.minA || ra > options.maxA) continue;
    for (const Tree& b : legs) {
      const std::vector<int> aParts = Leaves(a);
      const std::vector<int> bParts = Leaves(b);
      if (options.distinct && std::find_first_of(aParts.begin(), aParts.end(), bParts.begin(),
                                                 bParts.end()) != aParts.end()) {
        continue;
      }
      if (options.parts != 0 && static_cast<int>(aParts.size() + bParts.size()) != options.parts) {
        continue;
      }
      const double rb = Value(b, stock, 1);
      if (rb < options.minB || rb > options.maxB) continue;
      if (options.band && (!Earns(a, stock, options.band->partTolerance, false) ||
                           !Earns(b, stock, options.band->partTolerance, false))) {
        continue;
      }
      PlainTwoLegRow row{Spell(a, names), Spell(b, names)};
      row.total = ra + rb;
      row.output = Output<double>(kind, formula.k0, formula.k1, ra, rb);
      row.error = (row.output - target) / target * 100;
      const mpq_class exactA = ExactValue(a, stock);
      const mpq_class exactB = ExactValue(b, stock);
      const mpq_class exactOutput =
          Output<mpq_class>(kind, Signed(formula.k0), Signed(formula.k1), exactA, exactB);
      const double k0 = std::fabs(formula.k0);
      if (formula.k1 == 0 && std::fabs(row.error) < kSettleBand &&
          Fits({&a, &b}, stock, {k0, std::fabs(target)})) {
        row.error = Percent(exactOutput, exactTarget);
        if (row.error == 0) row.output = target;
      }
      if (settles && NearEdge(std::fabs(row.error), options.tolerance)) {
        const mpq_class off = abs(exactOutput - exactTarget) * 100 / abs(exactTarget);
        if (off > Exactly(Shortest(options.tolerance))) continue;
        row.error = Percent(exactOutput, exactTarget);
      } else if (!(std::fabs(row.error) <= options.tolerance)) {
        continue;
      }
      if (row.total < options.minTotal || row.total > options.maxTotal) continue;
      row.low = row.output;
      row.high = row.output;
      row.worst = std::fabs(row.error);
      row.parallel = ra * rb / (ra + rb);
      double key = row.worst;
      if (options.band) {
        const double within = options.band->within;
        const auto known = [&](const Tree& leg) {
          for (int i : Leaves(leg)) {
            if (!classOf(i).known) return false;
          }
          return true;
        };
        if (!known(a) || !known(b)) {
          // No band: it ranks after every row that has one and meets no finite within.
          if (std::isfinite(within)) continue;
          row.rssLow = row.rssHigh = row.output;
          row.worst = row.rssWorst = kInf;
          key = kInf;
        } else {
          // Each part off by its tolerance widened by its drift, in the direction given.
          const auto off = [&](const Tree& leg, double sign) {
            return Fold(
                leg,
                [&](int i) {
                  return stock[static_cast<std::size_t>(i)] * (1 + sign * (Wide(classOf(i)) / 100));
                },
                [](double x, double y) { return x + y; },
                [](double x, double y) { return x * y / (x + y); });
          };
          const double aUp = off(a, 1);
          const double aDown = off(a, -1);
          const double bUp = off(b, 1);
          const double bDown = off(b, -1);
          row.parallel = aUp * bUp / (aUp + bUp);
          // The low constants with the legs that lower the output, the high ones with the others.
          const double x = risesInA
                               ? Output<double>(kind, formula.lowK0, formula.lowK1, aDown, bUp)
                               : Output<double>(kind, formula.lowK0, formula.lowK1, aUp, bDown);
          const double y = risesInA
                               ? Output<double>(kind, formula.highK0, formula.highK1, aUp, bDown)
                               : Output<double>(kind, formula.highK0, formula.highK1, aDown, bUp);
          row.low = std::min({x, y, row.output});
          row.high = std::max({x, y, row.output});
          row.worst = std::max(std::fabs((row.low - target) / target * 100),
                               std::fabs((row.high - target) / target * 100));
          bool inside = row.worst <= within;
          if (settles && (row.worst < kSettleBand || NearEdge(row.worst, within))) {
            const auto exactOff = [&](const Tree& leg, int sign) {
              return Fold(
                  leg,
                  [&](int i) {
                    const mpq_class t = Exactly(Shortest(Wide(classOf(i)))) / 100;
                    return mpq_class(Exactly(Shortest(stock[static_cast<std::size_t>(i)])) *
                                     (sign > 0 ? mpq_class(1 + t) : mpq_class(1 - t)));
                  },
                  [](const mpq_class& u, const mpq_class& v) { return mpq_class(u + v); },
                  [](const mpq_class& u, const mpq_class& v) {
                    return mpq_class(u * v / (u + v));
                  });
            };
            const mpq_class ex =
                risesInA ? Output<mpq_class>(kind, Signed(formula.lowK0), Signed(formula.lowK1),
                                             exactOff(a, -1), exactOff(b, 1))
                         : Output<mpq_class>(kind, Signed(formula.lowK0), Signed(formula.lowK1),
                                             exactOff(a, 1), exactOff(b, -1));
            const mpq_class ey =
                risesInA ? Output<mpq_class>(kind, Signed(formula.highK0), Signed(formula.highK1),
                                             exactOff(a, 1), exactOff(b, -1))
                         : Output<mpq_class>(kind, Signed(formula.highK0), Signed(formula.highK1),
                                             exactOff(a, -1), exactOff(b, 1));
            const mpq_class lo = std::min({ex, ey, exactOutput});
            const mpq_class hi = std::max({ex, ey, exactOutput});
            const mpq_class worst =
                std::max(abs(lo - exactTarget), abs(hi - exactTarget)) * 100 / abs(exactTarget);
            row.low = Nearest(lo);
            row.high = Nearest(hi);
            row.worst = Nearest(worst);
            inside = !std::isfinite(within) || worst <= Exactly(Shortest(within));
          }
          key = Key9(row.worst);
          if (spreads && spreads->rss) {
            const std::array<double, 2> partial = Partials(kind, formula.k0, formula.k1, ra, rb);
            double squares = 0;
            const auto add = [&](const Tree& leg, double legValue, double legPartial) {
              for (int i : Leaves(leg)) {
                const double part = stock[static_cast<std::size_t>(i)];
                // A part in parallel moves its leg by (leg / part)^2 of its own move.
                const double share = leg.kind == '|' ? (legValue / part) * (legValue / part) : 1;
                const double move = legPartial * share * part;
                const PlainClass c = classOf(i);
                squares += (move * (c.tolerance / 100)) * (move * (c.tolerance / 100)) +
                           (move * (c.drift / 100)) * (move * (c.drift / 100));
              }
            };
            add(a, ra, partial[0]);
            add(b, rb, partial[1]);
            const double root = std::sqrt(squares);
            const double lowOutput = Output<double>(kind, formula.lowK0, formula.lowK1, ra, rb);
            const double highOutput = Output<double>(kind, formula.highK0, formula.highK1, ra, rb);
            const double u = lowOutput - root;
            const double v = highOutput + root;
            row.rssLow = std::min({u, v, row.output});
            row.rssHigh = std::max({u, v, row.output});
            row.rssWorst = std::max(std::fabs((row.rssLow - target) / target * 100),
                                    std::fabs((row.rssHigh - target) / target * 100));
            if (spreads->byRss) {
              inside = row.rssWorst <= within;
              key = Key9(row.rssWorst);
            }
          }
          if (!inside) continue;
        }
      }
      if (row.parallel > options.maxParallel) continue;
      const double scale = Far(ra / options.scale * (rb / options.scale));
      found.emplace_back(Key{key, std::fabs(row.error), scale, row.total, legKey(a), legKey(b)},
                         row);
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  std::vector<PlainTwoLegRow> rows;
  for (auto& entry : found) rows.push_back(std::move(entry.second));
  return rows;
}

namespace {

// The legs of up to parts parts: each value, and with two, each pair in series and in parallel.
std::vector<Tree> PlainLegs(std::size_t size, int parts) {
  std::vector<Tree> legs;
  const int n = static_cast<int>(size);
  for (int i = 0; i < n; ++i) {
    const Tree part{'x', i, {}};
    legs.push_back(part);
    if (parts < 2) continue;
    for (int j = i; j < n; ++j) {
      const Tree other{'x', j, {}};
      legs.push_back({'+', -1, {part, other}});
      legs.push_back({'|', -1, {part, other}});
    }
  }
  return legs;
}

// A leg's exact value with its parts as integers at the smallest power of ten among them and
// 10^0, that power; nullopt when one reaches 2^60. Capacitors fold the other way round.
std::optional<std::pair<mpq_class, int>> ExactLeg(const Tree& leg, std::span<const double> stock,
                                                  bool capacitors) {
  std::vector<Decimal> decimals{{0, 0}};
  for (int i : Leaves(leg)) decimals.push_back(Shortest(stock[static_cast<std::size_t>(i)]));
  if (!Fits(decimals)) return std::nullopt;
  int exponent = 0;
  for (const Decimal& d : decimals) exponent = std::min(exponent, d.exponent);
  const auto leaf = [&](int i) { return Exactly(Shortest(stock[static_cast<std::size_t>(i)])); };
  const auto sum = [](const mpq_class& x, const mpq_class& y) { return mpq_class(x + y); };
  const auto fold = [](const mpq_class& x, const mpq_class& y) {
    return mpq_class(x * y / (x + y));
  };
  return std::pair(capacitors ? Fold(leg, leaf, fold, sum) : Fold(leg, leaf, sum, fold), exponent);
}

}  // namespace

namespace {

// The band of an RC row by each part's own class (PlainRcSpreads), its ranking key set; whether
// it meets within.
bool PlainRcBand(PlainRcRow& row, const Tree& r, std::span<const double> rStock, const Tree& c,
                 std::span<const double> cStock, const networks::RcOptions& options,
                 const PlainRcSpreads& spreads, double& key) {
  const double within = options.band->within;
  const auto known = [](const Tree& leg, const std::vector<PlainClass>& classes) {
    for (int i : Leaves(leg)) {
      if (!classes[static_cast<std::size_t>(i)].known) return false;
    }
    return true;
  };
  if (!known(r, spreads.r) || !known(c, spreads.c)) {
    row.rssLow = row.rssHigh = row.output;
    row.worst = row.rssWorst = key = std::numeric_limits<double>::infinity();
    return !std::isfinite(within);
  }
  // A leg with each part off by its tolerance widened by its drift; capacitors in parallel add.
  const auto off = [](const Tree& leg, std::span<const double> stock,
                      const std::vector<PlainClass>& classes, double sign, bool capacitor) {
    const auto leaf = [&](int i) {
      const auto k = static_cast<std::size_t>(i);
      return stock[k] * (1 + sign * (Wide(classes[k]) / 100));
    };
    const auto sum = [](double x, double y) { return x + y; };
    const auto fold = [](double x, double y) { return x * y / (x + y); };
    return capacitor ? Fold(leg, leaf, fold, sum) : Fold(leg, leaf, sum, fold);
  };
  const double tauLow = off(r, rStock, spreads.r, -1, false) * off(c, cStock, spreads.c, -1, true);
  const double tauHigh = off(r, rStock, spreads.r, 1, false) * off(c, cStock, spreads.c, 1, true);
  const bool corner = options.quantity == networks::RcQuantity::kCorner;
  const double x = corner ? 1 / (2 * std::numbers::pi * tauHigh) : tauLow;
  const double y = corner ? 1 / (2 * std::numbers::pi * tauLow) : tauHigh;
  const double target = options.target;
  row.low = std::min({x, y, row.output});
  row.high = std::max({x, y, row.output});
  row.worst = std::max(std::fabs((row.low - target) / target * 100),
                       std::fabs((row.high - target) / target * 100));
  bool inside = row.worst <= within;
  key = Key9(row.worst);
  if (!spreads.rss) return inside;
  // Each part's share of its leg's relative move: x / leg where parts add, leg / x where they
  // fold; resistors add in series, capacitors in parallel.
  double squares = 0;
  const auto add = [&](const Tree& leg, std::span<const double> stock,
                       const std::vector<PlainClass>& classes, bool capacitor) {
    const double value = Value(leg, stock, 1, capacitor);
    const bool adds = leg.kind == 'x' || (leg.kind == '+') != capacitor;
    for (int i : Leaves(leg)) {
      const auto k = static_cast<std::size_t>(i);
      const double share = adds ? stock[k] / value : value / stock[k];
      const double t = share * classes[k].tolerance / 100;
      const double d = share * classes[k].drift / 100;
      squares += t * t + d * d;
    }
  };
  add(r, rStock, spreads.r, false);
  add(c, cStock, spreads.c, true);
  const double root = std::fabs(row.output) * std::sqrt(squares);
  row.rssLow = std::min(row.output - root, row.output);
  row.rssHigh = std::max(row.output + root, row.output);
  row.rssWorst = std::max(std::fabs((row.rssLow - target) / target * 100),
                          std::fabs((row.rssHigh - target) / target * 100));
  if (spreads.byRss) {
    inside = row.rssWorst <= within;
    key = Key9(row.rssWorst);
  }
  return inside;
}

}  // namespace

std::vector<PlainRcRow> PlainFindRc(std::span<const double> rStock,
                                    std::span<const std::string> rNames,
                                    std::span<const double> cStock,
                                    std::span<const std::string> cNames,
                                    const networks::RcOptions& options,
                                    const PlainRcSpreads* spreads) {
  const auto legKey = [](const Tree& leg) {
    return std::make_tuple(Leaves(leg).size(), Leaves(leg), leg.kind);
  };
  const std::vector<Tree> rLegs = PlainLegs(rStock.size(), options.rParts);
  const std::vector<Tree> cLegs = PlainLegs(cStock.size(), options.cParts);
  using Key = std::tuple<double, double, std::size_t, double, double, decltype(legKey(rLegs[0])),
                         decltype(legKey(cLegs[0]))>;
  std::vector<std::pair<Key, PlainRcRow>> found;
  const bool corner = options.quantity == networks::RcQuantity::kCorner;
  for (const Tree& r : rLegs) {
    const double rv = Value(r, rStock, 1);
    if (rv < options.minR || rv > options.maxR) continue;
    const auto rExact = ExactLeg(r, rStock, false);
    for (const Tree& c : cLegs) {
      const double cv = Fold(
          c, [&](int i) { return cStock[static_cast<std::size_t>(i)]; },
          [](double x, double y) { return x * y / (x + y); },
          [](double x, double y) { return x + y; });
      PlainRcRow row{Spell(r, rNames), Spell(c, cNames)};
      row.tau = rv * cv;
      const auto cExact = ExactLeg(c, cStock, true);
      if (rExact && cExact && rExact->second + cExact->second >= -38) {
        row.tau = Nearest(rExact->first * cExact->first);
      }
      row.output = corner ? 1 / (2 * std::numbers::pi * row.tau) : row.tau;
      row.error = (row.output - options.target) / options.target * 100;
      if (!(std::fabs(row.error) <= options.tolerance)) continue;
      const std::size_t parts = Leaves(r).size() + Leaves(c).size();
      if (options.parts != 0 && static_cast<int>(parts) != options.parts) continue;
      if (options.band && (!Earns(r, rStock, options.band->rTolerance, false) ||
                           !Earns(c, cStock, options.band->cTolerance, true))) {
        continue;
      }
      row.low = row.output;
      row.high = row.output;
      row.worst = std::fabs(row.error);
      double key = row.worst;
      if (options.band && spreads) {
        if (!PlainRcBand(row, r, rStock, c, cStock, options, *spreads, key)) continue;
      } else if (options.band) {
        const networks::RcBand& band = *options.band;
        const double tr = band.rTolerance / 100;
        const double tc = band.cTolerance / 100;
        const double tauLow = row.tau * (1 - tr) * (1 - tc);
        const double tauHigh = row.tau * (1 + tr) * (1 + tc);
        const double x = corner ? 1 / (2 * std::numbers::pi * tauHigh) : tauLow;
        const double y = corner ? 1 / (2 * std::numbers::pi * tauLow) : tauHigh;
        row.low = std::min({x, y, row.output});
        row.high = std::max({x, y, row.output});
        const double target = options.target;
        row.worst = std::max(std::fabs((row.low - target) / target * 100),
                             std::fabs((row.high - target) / target * 100));
        bool inside = row.worst <= band.within;
        if (!corner && (row.worst < kSettleBand || NearEdge(row.worst, band.within))) {
          const auto leg = [](const Tree& t, std::span<const double> stock, bool capacitor) {
            const auto leaf = [&](int i) {
              return Exactly(Shortest(stock[static_cast<std::size_t>(i)]));
            };
            const auto sum = [](const mpq_class& u, const mpq_class& v) {
              return mpq_class(u + v);
            };
            const auto fold = [](const mpq_class& u, const mpq_class& v) {
              return mpq_class(u * v / (u + v));
            };
            return capacitor ? Fold(t, leaf, fold, sum) : Fold(t, leaf, sum, fold);
          };
          const mpq_class tau = leg(r, rStock, false) * leg(c, cStock, true);
          const mpq_class qr = Exactly(Shortest(band.rTolerance)) / 100;
          const mpq_class qc = Exactly(Shortest(band.cTolerance)) / 100;
          const mpq_class lo = tau * (1 - qr) * (1 - qc);
          const mpq_class hi = tau * (1 + qr) * (1 + qc);
          const mpq_class t = Exactly(Shortest(target));
          const mpq_class worst = std::max(abs(lo - t), abs(hi - t)) * 100 / t;
          row.low = Nearest(lo);
          row.high = Nearest(hi);
          row.worst = Nearest(worst);
          inside = !std::isfinite(band.within) || worst <= Exactly(Shortest(band.within));
        }
        if (!inside) continue;
        key = Key9(row.worst);
      }
      found.emplace_back(
          Key{key, std::fabs(row.error), parts, Far(rv / options.scale), rv, legKey(r), legKey(c)},
          row);
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  std::vector<PlainRcRow> rows;
  for (auto& entry : found) rows.push_back(std::move(entry.second));
  return rows;
}

}  // namespace vantrel::testing
