#include "divider_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "exact_decimal.h"
#include "line_walk.h"
#include "radix_sort.h"

namespace vantrel::networks {
namespace {

struct Leg {
  Network network;
  double value;
};

// The legs by ascending value, held as two arrays so the walk reads only the values.
struct Legs {
  std::vector<double> values;
  std::vector<Network> networks;
};

// Fewer legs take less time than a second thread takes to start.
constexpr std::size_t kLegsForThreads = 1 << 14;

// Every network of one to legParts parts, by ascending value. The single parts come sorted;
// the series and the parallel pairs are sorted as codes a << 16 | b, on two threads when there
// are many, and the three lists merged, so the legs are held once.
Legs MakeLegs(std::span<const double> stock, const DividerOptions& options) {
  const std::size_t n = stock.size();
  std::vector<std::uint32_t> pairs[2];  // series, parallel
  if (options.legParts >= 2) {
    for (std::size_t a = 0; a < n; ++a) {
      for (std::size_t b = options.distinct ? a + 1 : a; b < n; ++b) {
        pairs[0].push_back(static_cast<std::uint32_t>(a << 16 | b));
      }
    }
    pairs[1] = pairs[0];
  }
  // NetworkValue of the three shapes, written out: a single part, a series, a parallel pair.
  const auto value = [&](int shape, std::uint32_t code) {
    const double x = stock[code >> 16];
    const double y = stock[code & 0xffff];
    return shape == 0 ? x : shape == 1 ? x + y : x * y / (x + y);
  };
  const Shape shapes[3] = {Shape::kOne, Shape::kSeries2, Shape::kParallel2};
  const auto leg = [&](int shape, std::uint32_t code) {
    const Network network{
        shapes[shape],
        {static_cast<std::uint16_t>(code >> 16), static_cast<std::uint16_t>(code & 0xffff)}};
    return Leg{network, value(shape, code)};
  };
  const auto sort = [&](int i) {
    detail::SortByValue(pairs[i], [&](std::uint32_t code) { return value(i + 1, code); });
  };
  if (options.threads < 2 || pairs[0].size() < kLegsForThreads) {
    sort(0);
    sort(1);
  } else {
    detail::RunBoth([&] { sort(1); }, [&] { sort(0); });
  }
  Legs legs;
  legs.networks.reserve(n + pairs[0].size() + pairs[1].size());
  legs.values.reserve(legs.networks.capacity());
  // The heads of the three lists, in tie order: single parts, series pairs, parallel pairs.
  std::size_t at[3] = {0, 0, 0};
  const std::size_t size[3] = {n, pairs[0].size(), pairs[1].size()};
  std::optional<Leg> head[3];
  const auto load = [&](int i) {
    head[i].reset();
    if (at[i] == size[i]) return;
    head[i] = leg(i, i == 0 ? static_cast<std::uint32_t>(at[0] << 16) : pairs[i - 1][at[i]]);
  };
  for (int i = 0; i < 3; ++i) load(i);
  while (true) {
    int from = -1;
    for (int i = 0; i < 3; ++i) {
      if (head[i] && (from < 0 || head[i]->value < head[from]->value)) from = i;
    }
    if (from < 0) break;
    legs.networks.push_back(head[from]->network);
    legs.values.push_back(head[from]->value);
    ++at[from];
    load(from);
  }
  return legs;
}

bool SharesPart(const Network& a, const Network& b) {
  for (int i = 0; i < PartCount(a.shape); ++i) {
    for (int j = 0; j < PartCount(b.shape); ++j) {
      if (a.parts[static_cast<std::size_t>(i)] == b.parts[static_cast<std::size_t>(j)]) return true;
    }
  }
  return false;
}

}  // namespace

bool DividerRanksBefore(const DividerRow& a, const DividerRow& b) {
  const double ea = std::fabs(a.error);
  const double eb = std::fabs(b.error);
  if (ea != eb) return ea < eb;
  if (a.total != b.total) return a.total < b.total;
  if (NetworkBefore(a.top, b.top)) return true;
  if (NetworkBefore(b.top, a.top)) return false;
  return NetworkBefore(a.bottom, b.bottom);
}

void FindDividers(std::span<const double> stock, const DividerOptions& options, std::uint64_t limit,
                  const std::function<void(const DividerRow&)>& emit) {
  const Legs legs = MakeLegs(stock, options);
  const std::vector<double>& values = legs.values;
  const std::size_t count = values.size();

  const StockDecimals decimals(stock);
  const Decimal vin = ShortestDecimal(options.vin);
  const Decimal vout = ShortestDecimal(options.vout);

  // The lines of the top legs from to to, each entered from the last one's crossing: the
  // legs rise, so the crossing moves up by a few entries.
  const auto lines = [&](detail::BestRows<DividerRow>& best, std::size_t from, std::size_t to) {
    std::size_t hint = 0;
    for (std::size_t t = from; t < to && !detail::Stopped(options.stop); ++t) {
      const Network& top = legs.networks[t];
      const double r1 = values[t];
      // R1 + R2 rises with R2, so the bounds on the total bound the line.
      std::size_t begin = 0;
      std::size_t end = values.size();
      if (options.minTotal > 0) {
        begin = static_cast<std::size_t>(
            std::partition_point(values.begin(), values.end(),
                                 [&](double r2) { return !(r1 + r2 >= options.minTotal); }) -
            values.begin());
      }
      if (options.maxTotal < std::numeric_limits<double>::infinity()) {
        end = static_cast<std::size_t>(
            std::partition_point(values.begin() + static_cast<std::ptrdiff_t>(begin), values.end(),
                                 [&](double r2) { return r1 + r2 <= options.maxTotal; }) -
            values.begin());
      }
      hint = detail::WalkLineFrom(
          values.data(), begin, end, hint, best.window(),
          [r1](double r2) { return r2 / (r1 + r2); },
          [&](std::size_t r) {
            const Network& bottom = legs.networks[r];
            const double r2 = values[r];
            if (options.distinct && SharesPart(top, bottom)) return;
            DividerRow row{top, bottom, r1, r2};
            row.total = r1 + r2;
            row.vout = options.vin * r2 / row.total;
            row.error = (row.vout - options.vout) / options.vout * 100;
            if (std::fabs(row.error) < kExactBand) {
              if (const auto exact = ExactDividerPercent(top, bottom, decimals.Get(), vin, vout)) {
                row.error = *exact;
                if (*exact == 0) row.vout = options.vout;
              }
            }
            best.Offer(row);
          });
    }
  };
  // On two threads, each takes half the top legs and keeps its own best rows, merged in rank
  // order.
  const auto pass = [&](std::size_t capacity, const DividerRow* after) {
    // The walk follows R2 / (R1 + R2), whose relative error is that of VOUT.
    std::atomic<double> bound = options.tolerance;
    const auto best = [&] {
      return detail::BestRows<DividerRow>(options.vout / options.vin, options.tolerance, capacity,
                                          after, &bound);
    };
    detail::BestRows<DividerRow> low = best();
    if (options.threads < 2 || count < kLegsForThreads) {
      lines(low, 0, count);
      return low.TakeSorted();
    }
    detail::BestRows<DividerRow> high = best();
    const std::size_t half = count / 2;
    detail::RunBoth([&] { lines(high, half, count); }, [&] { lines(low, 0, half); });
    return detail::MergeRows(low.TakeSorted(), high.TakeSorted(), capacity);
  };
  detail::RunPasses<DividerRow>(limit, options.rowsPerPass, options.stop, pass, emit);
}

}  // namespace vantrel::networks
