#include "pair_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <utility>

namespace vantrel::networks {
namespace {

std::uint64_t Bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

// The table in pair order sorted by value: below some thousands pairs, a comparison sort; above,
// a least significant digit first radix sort on the top 22 bits of the values' bit patterns
// above the smallest one's (the bits rise with the value), two passes of 11 bits, the first from
// the pairs as they are made, the second placing them in the table; then each run of one key
// that is out of order is sorted on the doubles. The passes keep the pairs' order within a key,
// so the many equal sums of a stock of even steps need no sorting. Pairs are made again for each
// pass rather than held, and the passes use no memory beside the table's: fresh pages cost more
// than the work.
template <class Combine>
PairTable MakePairTable(std::span<const double> stock, bool distinct, Combine combine) {
  const std::size_t n = stock.size();
  const auto forEach = [&](const auto& take) {
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = distinct ? i + 1 : i; j < n; ++j) {
        take(static_cast<std::uint32_t>(i << 16 | j), combine(stock[i], stock[j]));
      }
    }
  };
  const auto put = [](PairTable& table, std::size_t k, double value, std::uint32_t pair) {
    table.values[k] = value;
    table.parts[k] = {static_cast<std::uint16_t>(pair >> 16),
                      static_cast<std::uint16_t>(pair & 0xffff)};
  };
  std::size_t count = 0;
  std::uint64_t low = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t high = 0;
  forEach([&](std::uint32_t, double value) {
    ++count;
    low = std::min(low, Bits(value));
    high = std::max(high, Bits(value));
  });
  PairTable table;
  table.values.resize(count);
  table.parts.resize(count);
  using Entry = std::pair<double, std::uint32_t>;
  if (count < 4096) {
    std::vector<Entry> entries;
    entries.reserve(count);
    forEach([&](std::uint32_t pair, double value) { entries.emplace_back(value, pair); });
    std::sort(entries.begin(), entries.end());
    for (std::size_t k = 0; k < count; ++k) put(table, k, entries[k].first, entries[k].second);
    return table;
  }

  constexpr int kBits = 11;
  constexpr std::uint32_t kMask = (1u << kBits) - 1;
  const int drop = std::max(0, static_cast<int>(std::bit_width(high - low)) - 2 * kBits);
  const auto key = [&](double value) {
    return static_cast<std::uint32_t>((Bits(value) - low) >> drop);
  };
  std::array<std::array<std::uint32_t, kMask + 1>, 2> starts{};
  forEach([&](std::uint32_t, double value) {
    const std::uint32_t k = key(value);
    ++starts[0][k & kMask];
    ++starts[1][k >> kBits];
  });
  for (auto& start : starts) {
    std::uint32_t sum = 0;
    for (std::uint32_t& s : start) sum += std::exchange(s, sum);
  }
  // The first pass stages key and pair in the table's own values, as the bits of a double:
  // the key's 22 bits keep it a finite number, which a copy keeps bit for bit. The second
  // reads them in that order and places the pairs; the values follow from the pairs.
  forEach([&](std::uint32_t pair, double value) {
    const std::uint32_t k = key(value);
    table.values[starts[0][k & kMask]++] = std::bit_cast<double>(std::uint64_t{k} << 32 | pair);
  });
  for (const double staged : table.values) {
    const auto bits = std::bit_cast<std::uint64_t>(staged);
    const auto pair = static_cast<std::uint32_t>(bits);
    table.parts[starts[1][bits >> (32 + kBits)]++] = {static_cast<std::uint16_t>(pair >> 16),
                                                      static_cast<std::uint16_t>(pair & 0xffff)};
  }
  for (std::size_t k = 0; k < count; ++k) {
    table.values[k] = combine(stock[table.parts[k][0]], stock[table.parts[k][1]]);
  }

  std::vector<Entry> run;
  for (std::size_t i = 1; i < count; ++i) {
    if (!(table.values[i] < table.values[i - 1])) continue;
    const std::uint32_t k = key(table.values[i]);
    std::size_t first = i - 1;
    while (first > 0 && key(table.values[first - 1]) == k) --first;
    std::size_t last = i + 1;
    while (last < count && key(table.values[last]) == k) ++last;
    run.clear();
    for (std::size_t r = first; r < last; ++r) {
      const auto [i0, j0] = table.parts[r];
      run.emplace_back(table.values[r], std::uint32_t{i0} << 16 | j0);
    }
    std::sort(run.begin(), run.end());
    for (std::size_t r = first; r < last; ++r)
      put(table, r, run[r - first].first, run[r - first].second);
    i = last;
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
