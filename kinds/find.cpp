#include "find.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "display_text.h"
#include "drawn_parts.h"
#include "field_reading.h"
#include "number_text.h"
#include "preferred_search.h"

namespace vantrel::finder {

namespace {

// Whether a find's rows carry a band: with a part tolerance, each part's own, or statistics.
bool FindBanded(const FindRequest& request) {
  return request.partTolerance || request.inventory || request.statistics.Any();
}

}  // namespace

Checked<FindRequest> CheckFind(const FindInput& input, Wording wording) {
  using namespace fields;
  const Speaker say(wording);
  return Check<FindRequest>([&] {
    FindRequest request;
    request.kind = input.kind;
    request.search.target = KindQuantity(say, "TARGET", input.target, *input.kind);
    if (input.parts) {
      request.search.maxParts =
          static_cast<int>(Count(say, "--parts", *input.parts, networks::kMaxParts));
    }
    if (input.tolerance) request.search.tolerance = Percent(say, "--tolerance", *input.tolerance);
    request.limit = Limit(say, input.top, input.all);
    request.excluded = Excluded(say, input.exclude, *input.kind);
    request.search.distinct = input.distinct;
    request.partTolerance = PartTolerance(say, "--part-tolerance", input.partTolerance);
    request.inventory = input.inventory;
    StatisticsInput statistics = input.statistics;
    statistics.byRss = false;
    request.statistics =
        ReadStatistics(say, statistics, request.partTolerance.value_or(0), input.inventory);
    request.prefer = Prefer(say, input.prefer);
    return request;
  });
}

FindRow MakeFindRow(std::uint64_t rank, const networks::NetworkRow& found, const LoadedStock& stock,
                    const FindRequest& request) {
  FindRow row;
  row.rank = rank;
  row.value = found.value;
  row.deviation = found.deviation;
  row.parts = networks::PartCount(found.network.shape);
  row.network = networks::Spell(found.network, stock.names, stock.kind->swapFold);
  const std::array<const networks::Network*, 1> legs{&found.network};
  row.uses = UsesOf(stock, legs);
  if (stock.board) row.newValues = NewValues(found, stock);
  if (!FindBanded(request)) return row;
  const double target = request.search.target;
  // Each part's tolerance in percent: its own from the drawer, else the one given.
  networks::PartTolerances own;
  if (stock.drawer) {
    if (!DrawSpreads(*stock.drawer, legs, request.partTolerance, request.statistics.tcr,
                     request.statistics.deltaT, own)) {
      // Ranked after every row whose band is known.
      row.low = row.high = row.value;
      row.worst = std::numeric_limits<double>::infinity();
      row.banded = false;
      return row;
    }
  } else {
    own.first.fill(request.partTolerance.value_or(0));
    own.firstDrift.fill(request.statistics.DriftPercent());
  }
  // In the worst case every part drifts its own worst way as well.
  const networks::PartTolerances wide = own.Widened();
  const double down =
      networks::NetworkValue(found.network, stock.stock.values, networks::DownFactors(wide.first));
  const double up =
      networks::NetworkValue(found.network, stock.stock.values, networks::UpFactors(wide.first));
  row.low = std::min(down, row.value);
  row.high = std::max(up, row.value);
  row.worst = std::max(std::fabs((row.low - target) / target * 100),
                       std::fabs((row.high - target) / target * 100));
  row.coversTarget = row.low <= target && target <= row.high;
  if (request.statistics.rss) {
    // The network is its own output: each part moves it by its sensitivity.
    const double root = std::sqrt(networks::LegSquares(found.network, 0, stock.stock.values, false,
                                                       row.value, row.value, own.Spreads()));
    row.rssLow = row.value - root;
    row.rssHigh = row.value + root;
  }
  return row;
}

void SearchFind(const FindRequest& request, const LoadedStock& stock, const std::atomic<bool>* stop,
                std::uint64_t limit, const std::function<void(const networks::NetworkRow&)>& take) {
  networks::FindOptions options = request.search;
  options.stop = stop;
  if (stock.drawer) options.held = stock.drawer->held;
  if (!FindBanded(request)) {
    networks::FindNetworks(stock.stock.values, options, limit, take);
    return;
  }
  // Every part off alike scales the network, so for a deviation e (a fraction) the worst case
  // is |e| + t (1 + e), at least |e| (1 - t) + t, which rises with |e|: once limit rows are
  // held, a row whose bound reaches the worst held one's key, and every row after it in the
  // search's order, ranks after them: a tie goes to the row found first, and a worst case
  // within 4e-10 of it below a key of 9 significant digits rounds to that key or above. Parts
  // off by their own tolerances move the network at least as far as parts all off by the least
  // of them. Stopping at a tie matters where thousands of networks hit the target exactly.
  struct Held {
    double key = 0;
    std::uint64_t order = 0;
    networks::NetworkRow row;
    bool operator<(const Held& other) const {
      return key != other.key ? key < other.key : order < other.order;
    }
  };
  const double t = ((stock.drawer ? drawer::LeastTolerance(*stock.drawer, request.partTolerance)
                                  : request.partTolerance.value_or(0)) +
                    request.statistics.DriftPercent()) /
                   100;
  std::atomic<bool> enough = false;
  options.stop = &enough;
  std::uint64_t order = 0;
  // No later row can rank before a held one once its bound reaches that row's key (as below), so
  // with every row wanted each is given then, and only the rows between wait in memory.
  const auto reaches = [](double least, double key) {
    return least * (1 - 1e-11) >= key * (1 - 4e-10);
  };
  if (limit == std::numeric_limits<std::uint64_t>::max()) {
    std::vector<Held> waiting;  // a heap whose front is the first in rank
    const auto later = [](const Held& x, const Held& y) { return y < x; };
    const auto give = [&] {
      std::pop_heap(waiting.begin(), waiting.end(), later);
      take(waiting.back().row);
      waiting.pop_back();
    };
    networks::FindNetworks(stock.stock.values, options, limit,
                           [&](const networks::NetworkRow& found) {
                             if (stop && stop->load(std::memory_order_relaxed)) {
                               enough = true;
                               return;
                             }
                             const double least = std::fabs(found.deviation) * (1 - t) + 100 * t;
                             while (!waiting.empty() && reaches(least, waiting.front().key)) give();
                             const FindRow row = MakeFindRow(0, found, stock, request);
                             waiting.push_back({networks::WorstKey(row.worst), order++, found});
                             std::push_heap(waiting.begin(), waiting.end(), later);
                           });
    while (!waiting.empty() && !(stop && stop->load(std::memory_order_relaxed))) give();
    return;
  }
  std::vector<Held> held;
  networks::FindNetworks(stock.stock.values, options, std::numeric_limits<std::uint64_t>::max(),
                         [&](const networks::NetworkRow& found) {
                           if (stop && stop->load(std::memory_order_relaxed)) enough = true;
                           const double least = std::fabs(found.deviation) * (1 - t) + 100 * t;
                           if (held.size() == limit && reaches(least, held.front().key)) {
                             enough = true;
                             return;
                           }
                           const FindRow row = MakeFindRow(0, found, stock, request);
                           held.push_back({networks::WorstKey(row.worst), order++, found});
                           std::push_heap(held.begin(), held.end());
                           if (held.size() > limit) {
                             std::pop_heap(held.begin(), held.end());
                             held.pop_back();
                           }
                         });
  std::sort_heap(held.begin(), held.end());
  for (const Held& entry : held) {
    if (stop && stop->load(std::memory_order_relaxed)) return;
    take(entry.row);
  }
}

std::vector<table::Column> FindColumns(const FindRequest& request) {
  std::vector<table::Column> columns{
      {"Rank", "rank"}, {"Value", "value"}, {"Deviation (%)", "deviation"}, {"Parts", "parts"}};
  if (FindBanded(request)) {
    columns.insert(columns.end(), {{"Low", "low"},
                                   {"High", "high"},
                                   {"Worst (%)", "worst"},
                                   {"Covers target", "covers_target"}});
  }
  if (request.statistics.rss) columns.insert(columns.end(), kRssColumns, std::end(kRssColumns));
  if (request.prefer) columns.push_back(kNewColumn);
  columns.push_back({"Network", "network", true});
  if (request.inventory) columns.push_back(kUsesColumn);
  return columns;
}

std::vector<table::ShownCell> FindShownCells(const FindRow& row, const FindRequest& request) {
  const StockKind& kind = *request.kind;
  const table::Quantity quantity = KindQuantity(kind);
  std::vector<table::ShownCell> cells{RankCell(row.rank),
                                      table::ShownKey(quantity, BaseValue(kind, row.value)),
                                      table::ShownNumber(table::Quantity::kPercent, row.deviation),
                                      table::ShownNumber(table::Quantity::kCount, row.parts)};
  if (FindBanded(request) && row.banded) {
    cells.push_back(table::ShownNumber(quantity, BaseValue(kind, row.low)));
    cells.push_back(table::ShownNumber(quantity, BaseValue(kind, row.high)));
    cells.push_back(table::ShownNumber(table::Quantity::kSize, row.worst));
    cells.push_back(table::ShownText(row.coversTarget ? "yes" : "no"));
  } else if (FindBanded(request)) {
    cells.insert(cells.end(), 4, table::ShownText(kUnknownBand));
  }
  if (request.statistics.rss) {
    for (const double end : {row.rssLow, row.rssHigh}) {
      cells.push_back(row.banded ? table::ShownNumber(quantity, BaseValue(kind, end))
                                 : table::ShownText(kUnknownBand));
    }
  }
  if (request.prefer) cells.push_back(table::ShownNumber(table::Quantity::kCount, row.newValues));
  cells.push_back(table::ShownText(row.network));
  if (request.inventory) cells.push_back(table::ShownText(row.uses.text));
  return cells;
}

std::vector<table::Cell> FindFields(const FindRow& row, const FindRequest& request) {
  std::vector<table::Cell> cells{table::NumberCell(row.rank), table::NumberCell(row.value),
                                 table::NumberCell(row.deviation),
                                 table::NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (FindBanded(request)) {
    cells.push_back(row.banded ? table::NumberCell(row.low) : table::NullCell());
    cells.push_back(row.banded ? table::NumberCell(row.high) : table::NullCell());
    cells.push_back(row.banded ? table::NumberCell(row.worst) : table::NullCell());
    cells.push_back(row.banded ? table::BoolCell(row.coversTarget) : table::NullCell());
  }
  if (request.statistics.rss) AddRssFields(cells, row);
  if (request.prefer) cells.push_back(NewCell(row.newValues));
  cells.push_back(table::TextCell(row.network));
  if (request.inventory) cells.push_back(UsesField(row.uses));
  return cells;
}

std::string NoFindRowNote(const LoadedStock& stock, const FindRequest& request) {
  networks::FindOptions anyDeviation = request.search;
  anyDeviation.tolerance = std::numeric_limits<double>::infinity();
  std::optional<FindRow> closest;
  networks::FindNetworks(stock.stock.values, anyDeviation, 1, [&](const networks::NetworkRow& row) {
    closest = MakeFindRow(1, row, stock, request);
  });
  if (!closest) return "No network can be made from the library's values";
  const double target = request.search.target;
  return "No network within " + PlainDigits(request.search.tolerance) + " % of " +
         KindText(*request.kind, target) + "; the closest is " +
         KindEngineering(*request.kind, closest->value, DigitsToTellApart(closest->value, target)) +
         " (" + FormatPercent(closest->deviation) + " %): " + closest->network;
}

}  // namespace vantrel::finder
