#include "pair_table_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantrel::bench {
namespace {

double Par(double x, double y) {
  return x * y / (x + y);
}

// Keeps value as best when it is closer to target.
void Keep(double value, double target, double& best) {
  if (std::fabs(value - target) < std::fabs(best - target)) best = value;
}

// The table entries next to where need would fall, combined with x by combine.
template <class Combine>
void TryNear(const std::vector<double>& table, double need, double x, double target,
             Combine combine, double& best) {
  const auto at = std::lower_bound(table.begin(), table.end(), need);
  if (at != table.end()) Keep(combine(x, *at), target, best);
  if (at != table.begin()) Keep(combine(x, *(at - 1)), target, best);
}

}  // namespace

std::array<double, 4> PairTableBest(const std::vector<double>& stock, double target) {
  constexpr double kNone = std::numeric_limits<double>::infinity();
  std::array<double, 4> best{kNone, kNone, kNone, kNone};
  std::vector<double> pairs;
  pairs.reserve(stock.size() * (stock.size() + 1));
  for (std::size_t i = 0; i < stock.size(); ++i) {
    Keep(stock[i], target, best[0]);
    for (std::size_t j = i; j < stock.size(); ++j) {
      pairs.push_back(stock[i] + stock[j]);
      pairs.push_back(Par(stock[i], stock[j]));
    }
  }
  std::sort(pairs.begin(), pairs.end());
  const auto series = [](double x, double y) { return x + y; };
  TryNear(pairs, target, 0, target, series, best[1]);
  // What a value x needs from its partner to reach the target, in series and in parallel.
  const auto partners = [&](double x, double& out, const std::vector<double>& table) {
    TryNear(table, target - x, x, target, series, out);
    if (x > target) TryNear(table, x * target / (x - target), x, target, Par, out);
  };
  for (double x : stock) partners(x, best[2], pairs);
  for (double x : pairs) partners(x, best[3], pairs);
  return best;
}

}  // namespace vantrel::bench
