#include "plain_designs.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "exact_decimal.h"

namespace vantrel::testing {
namespace {

struct Leg {
  std::vector<int> parts;  // stock indices, ascending
  char kind = 'x';         // 'x' one part, '+' series, '|' parallel
  double value = 0;
  std::string spelling;
};

std::vector<Leg> AllLegs(std::span<const double> stock, std::span<const std::string> names,
                         int legParts, bool distinct) {
  std::vector<Leg> legs;
  const int n = static_cast<int>(stock.size());
  for (int i = 0; i < n; ++i) {
    const auto si = static_cast<std::size_t>(i);
    legs.push_back({{i}, 'x', stock[si], names[si]});
    if (legParts < 2) continue;
    for (int j = distinct ? i + 1 : i; j < n; ++j) {
      const auto sj = static_cast<std::size_t>(j);
      const double x = stock[si];
      const double y = stock[sj];
      legs.push_back({{i, j}, '+', x + y, names[si] + " + " + names[sj]});
      legs.push_back({{i, j}, '|', x * y / (x + y), names[si] + " || " + names[sj]});
    }
  }
  return legs;
}

// The leg as a fraction of integers at exponent; false in fits when one passes 2^60.
networks::Fraction Exact(const Leg& leg, std::span<const double> stock, int exponent, bool& fits) {
  std::vector<networks::Fraction> parts;
  for (int i : leg.parts) {
    const auto scaled = networks::ScaledInteger(
        networks::ShortestDecimal(stock[static_cast<std::size_t>(i)]), exponent);
    fits = fits && scaled;
    parts.push_back({scaled.value_or(networks::Wide{})});
  }
  if (leg.kind == 'x') return parts[0];
  return leg.kind == '+' ? networks::Fraction::Series(parts[0], parts[1])
                         : networks::Fraction::Parallel(parts[0], parts[1]);
}

// The error of k0 * N / D from target in exact arithmetic, N and D sums of the legs.
std::optional<double> ExactError(const networks::TwoLegFormula::Exact& form, const Leg& a,
                                 const Leg& b, std::span<const double> stock, double k0,
                                 double target) {
  int exponent =
      std::min(networks::ShortestDecimal(k0).exponent, networks::ShortestDecimal(target).exponent);
  for (const Leg* leg : {&a, &b}) {
    for (int i : leg->parts) {
      exponent = std::min(exponent,
                          networks::ShortestDecimal(stock[static_cast<std::size_t>(i)]).exponent);
    }
  }
  bool fits = true;
  const networks::Fraction fa = Exact(a, stock, exponent, fits);
  const networks::Fraction fb = Exact(b, stock, exponent, fits);
  const auto k = networks::ScaledInteger(networks::ShortestDecimal(k0), exponent);
  const auto t = networks::ScaledInteger(networks::ShortestDecimal(target), exponent);
  if (!fits || !k || !t) return std::nullopt;
  // Both legs over the denominator da * db.
  const networks::Wide na = fa.numerator * fb.denominator;
  const networks::Wide nb = fb.numerator * fa.denominator;
  const auto sum = [&](networks::LegSum which) {
    return which == networks::LegSum::kA ? na : which == networks::LegSum::kB ? nb : na + nb;
  };
  return networks::ExactPercent({*k * sum(form.numerator), sum(form.denominator)}, *t);
}

}  // namespace

std::vector<PlainTwoLegRow> PlainFindTwoLegs(std::span<const double> stock,
                                             std::span<const std::string> names,
                                             const networks::TwoLegFormula& formula,
                                             const networks::TwoLegOptions& options) {
  const std::vector<Leg> legs = AllLegs(stock, names, options.legParts, options.distinct);
  const auto legKey = [](const Leg& leg) {
    return std::make_tuple(leg.parts.size(), leg.parts, leg.kind);
  };
  using Key = std::tuple<double, double, decltype(legKey(legs[0])), decltype(legKey(legs[0]))>;
  std::vector<std::pair<Key, PlainTwoLegRow>> found;
  for (const Leg& a : legs) {
    if (a.value < options.minA || a.value > options.maxA) continue;
    for (const Leg& b : legs) {
      if (options.distinct && std::find_first_of(a.parts.begin(), a.parts.end(), b.parts.begin(),
                                                 b.parts.end()) != a.parts.end()) {
        continue;
      }
      PlainTwoLegRow row{a.spelling, b.spelling};
      row.total = a.value + b.value;
      row.output = formula.output(formula.k, a.value, b.value);
      row.error = (row.output - options.target) / options.target * 100;
      if (formula.exact && std::fabs(row.error) < networks::kExactBand) {
        if (const auto exact =
                ExactError(*formula.exact, a, b, stock, formula.k[0], options.target)) {
          row.error = *exact;
          if (row.error == 0) row.output = options.target;
        }
      }
      if (!(std::fabs(row.error) <= options.tolerance)) continue;
      if (row.total < options.minTotal || row.total > options.maxTotal) continue;
      found.emplace_back(Key{std::fabs(row.error), row.total, legKey(a), legKey(b)}, row);
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  std::vector<PlainTwoLegRow> rows;
  for (auto& entry : found) rows.push_back(std::move(entry.second));
  return rows;
}

}  // namespace vantrel::testing
