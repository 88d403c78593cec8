#include "divider_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
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

// Fewer legs take less time than a second thread takes to start.
constexpr std::size_t kLegsForThreads = 1 << 14;

// legs sorted by value.
std::vector<Leg> SortedLegs(const std::vector<Leg>& legs) {
  std::vector<std::uint32_t> order(legs.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  detail::SortByValue(order, [&](std::uint32_t i) { return legs[i].value; });
  std::vector<Leg> sorted;
  sorted.reserve(legs.size());
  for (std::uint32_t i : order) sorted.push_back(legs[i]);
  return sorted;
}

// Every network of one to legParts parts, by ascending value: the single parts and series
// pairs sorted on one thread, the parallel pairs on another, then merged.
std::vector<Leg> MakeLegs(std::span<const double> stock, const DividerOptions& options) {
  std::vector<Leg> legs[2];
  const std::size_t n = stock.size();
  const auto add = [&](std::vector<Leg>& to, Shape shape, std::size_t a, std::size_t b) {
    const Network network{shape, {static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b)}};
    to.push_back({network, NetworkValue(network, stock)});
  };
  for (std::size_t a = 0; a < n; ++a) add(legs[0], Shape::kOne, a, 0);
  if (options.legParts >= 2) {
    for (std::size_t a = 0; a < n; ++a) {
      for (std::size_t b = options.distinct ? a + 1 : a; b < n; ++b) {
        add(legs[0], Shape::kSeries2, a, b);
        add(legs[1], Shape::kParallel2, a, b);
      }
    }
  }
  const auto sort = [&](int i) { legs[i] = SortedLegs(legs[i]); };
  if (options.threads < 2 || legs[1].size() < kLegsForThreads) {
    sort(0);
    sort(1);
  } else {
    detail::RunBoth([&] { sort(1); }, [&] { sort(0); });
  }
  if (legs[1].empty()) return std::move(legs[0]);
  std::vector<Leg> all(legs[0].size() + legs[1].size());
  std::merge(legs[0].begin(), legs[0].end(), legs[1].begin(), legs[1].end(), all.begin(),
             [](const Leg& x, const Leg& y) { return x.value < y.value; });
  return all;
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
  const std::vector<Leg> legs = MakeLegs(stock, options);
  std::vector<double> values;
  values.reserve(legs.size());
  for (const Leg& leg : legs) values.push_back(leg.value);

  const StockDecimals decimals(stock);
  const Decimal vin = ShortestDecimal(options.vin);
  const Decimal vout = ShortestDecimal(options.vout);

  // The lines of the top legs from to to, each entered from the last one's crossing: the
  // legs rise, so the crossing moves up by a few entries.
  const auto lines = [&](detail::BestRows<DividerRow>& best, std::size_t from, std::size_t to) {
    std::size_t hint = 0;
    for (std::size_t t = from; t < to && !detail::Stopped(options.stop); ++t) {
      const Leg& top = legs[t];
      const double r1 = top.value;
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
            const Leg& bottom = legs[r];
            if (options.distinct && SharesPart(top.network, bottom.network)) return;
            DividerRow row{top.network, bottom.network, r1, bottom.value};
            row.total = r1 + bottom.value;
            row.vout = options.vin * bottom.value / row.total;
            row.error = (row.vout - options.vout) / options.vout * 100;
            if (std::fabs(row.error) < kExactBand) {
              if (const auto exact =
                      ExactDividerPercent(top.network, bottom.network, decimals.Get(), vin, vout)) {
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
    const auto best = [&] {
      return detail::BestRows<DividerRow>(options.vout / options.vin, options.tolerance, capacity,
                                          after);
    };
    detail::BestRows<DividerRow> low = best();
    if (options.threads < 2 || legs.size() < kLegsForThreads) {
      lines(low, 0, legs.size());
      return low.TakeSorted();
    }
    detail::BestRows<DividerRow> high = best();
    const std::size_t half = legs.size() / 2;
    detail::RunBoth([&] { lines(high, half, legs.size()); }, [&] { lines(low, 0, half); });
    return detail::MergeRows(low.TakeSorted(), high.TakeSorted(), capacity);
  };
  detail::RunPasses<DividerRow>(limit, options.rowsPerPass, options.stop, pass, emit);
}

}  // namespace vantrel::networks
