#include "pair_table.h"

#include "radix_sort.h"

namespace vantrel::networks {
namespace {

template <class Combine>
PairTable MakePairTable(std::span<const double> stock, bool distinct, Combine combine) {
  std::vector<std::uint32_t> pairs;
  const std::size_t n = stock.size();
  pairs.reserve(n * (n + 1) / 2);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = distinct ? i + 1 : i; j < n; ++j) {
      pairs.push_back(static_cast<std::uint32_t>(i << 16 | j));
    }
  }
  const auto value = [&](std::uint32_t pair) {
    return combine(stock[pair >> 16], stock[pair & 0xffff]);
  };
  detail::SortByValue(pairs, value);
  PairTable table;
  table.values.resize(pairs.size());
  table.parts.resize(pairs.size());
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    table.values[k] = value(pairs[k]);
    table.parts[k] = {static_cast<std::uint16_t>(pairs[k] >> 16),
                      static_cast<std::uint16_t>(pairs[k] & 0xffff)};
  }
  return table;
}

}  // namespace

PairTable SeriesPairs(std::span<const double> stock, bool distinct) {
  return MakePairTable(stock, distinct, [](double x, double y) { return x + y; });
}

PairTable ParallelPairs(std::span<const double> stock, bool distinct) {
  return MakePairTable(stock, distinct, [](double x, double y) { return x * y / (x + y); });
}

}  // namespace vantrel::networks
