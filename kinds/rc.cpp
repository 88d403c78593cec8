#include "rc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <span>

#include "display_text.h"
#include "drawer.h"
#include "exact_decimal.h"
#include "field_reading.h"
#include "number_text.h"
#include "preferred_search.h"
#include "row_notes.h"

namespace vantrel::finder {

namespace {

bool Corner(const RcRequest& request) {
  return request.search.quantity == networks::RcQuantity::kCorner;
}

}  // namespace

Checked<RcRequest> CheckRc(const RcInput& input, Wording wording) {
  using namespace fields;
  const Speaker say(wording);
  return Check<RcRequest>([&] {
    RcRequest request;
    request.wording = wording;
    networks::RcOptions& search = request.search;
    // Each value is read before the two are refused together, so a bad one is named first.
    if (input.tau) {
      search.target =
          RcTarget(say, "--tau", *input.tau, kSeconds, "a time constant in seconds", "1m");
    }
    if (input.corner) {
      search.quantity = networks::RcQuantity::kCorner;
      search.target =
          RcTarget(say, "--corner", *input.corner, kHertz, "a corner frequency in hertz", "1k");
    }
    if (input.tau && input.corner) {
      say.Refuse("--tau",
                 say.Name("--tau") + " and " + say.Name("--corner") + " cannot be combined");
    }
    if (!input.tau && !input.corner) {
      say.Refuse("--tau", say.Name("--tau") + " or " + say.Name("--corner") +
                              " is needed: the time constant or the corner frequency");
    }
    if (input.rParts) search.rParts = static_cast<int>(Count(say, "--r-parts", *input.rParts, 2));
    if (input.cParts) search.cParts = static_cast<int>(Count(say, "--c-parts", *input.cParts, 2));
    if (input.tolerance) search.tolerance = Percent(say, "--tolerance", *input.tolerance);
    request.limit = Limit(say, input.top, input.all);
    Range(say, Resistance, "--min-r", "--max-r", input.minR, input.maxR, search.minR, search.maxR);
    if (input.scale) search.scale = Resistance(say, "--scale", *input.scale);
    request.bounds.rTolerance = PartTolerance(say, "--r-tolerance", input.rTolerance);
    request.bounds.cTolerance = PartTolerance(say, "--c-tolerance", input.cTolerance);
    request.bounds.inventory = input.inventory;
    Band(say, input.within, input.tolerance.has_value(), search.tolerance, request.bounds.within);
    NeedTolerance(say, input.within.has_value(),
                  input.rTolerance.has_value() || input.cTolerance.has_value(), input.inventory,
                  say.Name("--r-tolerance") + ", " + say.Name("--c-tolerance"));
    request.bounds.statistics = ReadStatistics(
        say, input.statistics,
        std::max(request.bounds.rTolerance.value_or(0), request.bounds.cTolerance.value_or(0)),
        input.inventory);
    request.prefer = Prefer(say, input.prefer);
    return request;
  });
}

RcStocks MakeRcStocks(LoadedStock resistors, LoadedStock capacitors, int heldPower) {
  RcStocks stocks{std::move(resistors), std::move(capacitors)};
  LoadedStock& c = stocks.capacitors;
  std::vector<double> farads;
  std::vector<std::string> names;
  std::shared_ptr<drawer::Drawer> drawer;
  if (c.drawer) drawer = std::make_shared<drawer::Drawer>();
  for (std::size_t i = 0; i < c.stock.values.size(); ++i) {
    const double value = networks::ShiftedDecimal(c.stock.values[i], heldPower);
    // Values of 16 or 17 digits may meet in one double; the first one's name stays, and the
    // drawer holds the parts of both.
    const bool met = !farads.empty() && farads.back() == value;
    if (drawer && met) {
      for (const drawer::PartClass& drawerClass : c.drawer->classes[i]) {
        drawer->classes.back().push_back(drawerClass);
      }
      drawer->held.back() = drawer::AddHeld(drawer->held.back(), c.drawer->held[i]);
    } else if (drawer) {
      drawer->classes.push_back(c.drawer->classes[i]);
      drawer->held.push_back(c.drawer->held[i]);
    }
    if (met) continue;
    farads.push_back(value);
    names.push_back(c.names[i]);
  }
  c.stock.values = std::move(farads);
  c.names = std::move(names);
  if (drawer) c.drawer = std::move(drawer);
  // The board's values as the stock's, so that equal decimals meet.
  if (c.board) {
    for (double& value : *c.board) value = networks::ShiftedDecimal(value, heldPower);
  }
  return stocks;
}

RcRow MakeRcRow(std::uint64_t rank, const networks::RcRow& found, const RcStocks& stocks,
                const RcRequest& request) {
  RcRow row;
  row.rank = rank;
  row.r = networks::Spell(found.r, stocks.resistors.names);
  row.c = networks::Spell(found.c, stocks.capacitors.names);
  row.output = found.output;
  row.error = found.error;
  row.parts = found.PartTotal();
  row.tau = found.tau;
  const std::array<const networks::Network*, 1> r{&found.r};
  const std::array<const networks::Network*, 1> c{&found.c};
  row.uses = UsesOf(stocks.resistors, r);
  Join(row.uses, UsesOf(stocks.capacitors, c, true));
  if (Banded(request.bounds)) {
    const double band = request.bounds.within.value_or(request.search.tolerance);
    CopyBand(row, found, band);
    row.needs =
        NeededRcTolerance(found, request.search, request.bounds, stocks.resistors.stock.values,
                          stocks.capacitors.stock.values, band);
  }
  if (Preferring(stocks)) row.newValues = NewValues(found, stocks);
  return row;
}

std::vector<table::Column> RcColumns(const RcRequest& request) {
  std::vector<table::Column> columns{
      {"Rank", "rank"},
      {"R", "r", true},
      {"C", "c", true},
      Corner(request) ? table::Column{"Corner (Hz)", "corner"} : table::Column{"Tau (s)", "tau"},
      {"Error (%)", "error"},
      {"Parts", "parts"}};
  AddBandColumns(columns, Banded(request.bounds), request.bounds.statistics);
  if (Corner(request)) columns.push_back({"Tau (s)", "tau"});
  AddDrawerColumns(columns, request);
  return columns;
}

std::vector<table::ShownCell> RcShownCells(const RcRow& row, const RcRequest& request) {
  const table::Quantity quantity =
      Corner(request) ? table::Quantity::kHertz : table::Quantity::kSecond;
  std::vector<table::ShownCell> cells{RankCell(row.rank),
                                      table::ShownText(row.r),
                                      table::ShownText(row.c),
                                      table::ShownKey(quantity, row.output),
                                      table::ShownNumber(table::Quantity::kPercent, row.error),
                                      table::ShownNumber(table::Quantity::kCount, row.parts)};
  if (Banded(request.bounds)) AddBandCells(cells, quantity, row);
  if (request.bounds.statistics.rss) AddRssCells(cells, quantity, row);
  if (Corner(request)) cells.push_back(table::ShownNumber(table::Quantity::kSecond, row.tau));
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<table::Cell> RcFields(const RcRow& row, const RcRequest& request) {
  std::vector<table::Cell> cells{
      table::NumberCell(row.rank),  table::TextCell(row.r),
      table::TextCell(row.c),       table::NumberCell(row.output),
      table::NumberCell(row.error), table::NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (Banded(request.bounds)) AddBandFields(cells, row);
  if (request.bounds.statistics.rss) AddRssFields(cells, row);
  if (Corner(request)) cells.push_back(table::NumberCell(row.tau));
  AddDrawerFields(cells, row, request);
  return cells;
}

std::optional<networks::RcRow> NearestRcMiss(const RcStocks& stocks, const RcRequest& request) {
  if (!request.bounds.within) return std::nullopt;
  RcBounds open = request.bounds;
  open.within.reset();
  // A band of the tolerances given, or of exact parts.
  if (!open.rTolerance && !open.cTolerance) open.rTolerance = 0;
  std::optional<networks::RcRow> found;
  SearchRc(request.search, open, stocks.resistors.stock.values, stocks.capacitors.stock.values,
           nullptr, 1, [&](const networks::RcRow& row) { found = row; });
  return found;
}

std::string RcMissLimit(const networks::RcRow& row, const RcStocks& stocks,
                        const RcRequest& request) {
  const RcBounds& bounds = request.bounds;
  const networks::RcOptions& search = request.search;
  const std::span<const double> r = stocks.resistors.stock.values;
  const std::span<const double> c = stocks.capacitors.stock.values;
  const bool rss = bounds.statistics.byRss;
  const auto worst = [&](const networks::RcRow& banded) {
    return rss ? WorstPercent(banded.rssLow, banded.rssHigh, search.target)
               : WorstPercent(banded.low, banded.high, search.target);
  };
  networks::RcRow exact = row;
  networks::AddRcBand(exact, r, c, search, RcRequestBand(bounds, 0, 0), false);
  MissFacts facts;
  facts.target = search.target;
  facts.within = bounds.within.value_or(search.tolerance);
  facts.error = row.error;
  facts.givenWorst = worst(row);
  facts.exactWorst = worst(exact);
  facts.needs = NeededRcTolerance(row, search, bounds, r, c, facts.within);
  const double rTolerance = bounds.rTolerance.value_or(0);
  const double cTolerance = bounds.cTolerance.value_or(0);
  // A part without a tolerance is taken as exact, and goes unnamed.
  const std::string rParts = "R of " + PlainDigits(rTolerance) + " %";
  const std::string cParts = "C of " + PlainDigits(cTolerance) + " %";
  facts.parts = bounds.inventory           ? "the drawer's parts"
                : rTolerance == cTolerance ? "parts of " + PlainDigits(rTolerance) + " %"
                : cTolerance == 0          ? rParts
                : rTolerance == 0          ? cParts
                                           : rParts + " and " + cParts;
  facts.drift = bounds.statistics.DriftPercent();
  facts.rss = rss;
  return MissLimit(facts);
}

std::string NoRcRowNote(const RcStocks& stocks, const RcRequest& request) {
  const networks::RcOptions& search = request.search;
  const bool window = request.wording == Wording::kWindow;
  const table::Quantity quantity =
      Corner(request) ? table::Quantity::kHertz : table::Quantity::kSecond;
  const std::string what = Corner(request) ? "corner" : "time constant";
  const std::string head =
      "No RC pair within " + PlainDigits(search.tolerance) + " % of the " + what + " " +
      (window ? ShownValue(quantity, search.target) : PlainDigits(search.target));
  const auto first = [&](const networks::RcOptions& options, const RcBounds& bounds) {
    std::optional<networks::RcRow> found;
    SearchRc(options, bounds, stocks.resistors.stock.values, stocks.capacitors.stock.values,
             nullptr, 1, [&](const networks::RcRow& row) { found = row; });
    return found;
  };
  const std::vector<std::string> rNames = LegNames(stocks.resistors, request.wording);
  const std::vector<std::string> cNames = LegNames(stocks.capacitors, request.wording);
  const auto spell = [&](const networks::RcRow& found) {
    return "R = " + networks::Spell(found.r, rNames) + ", C = " + networks::Spell(found.c, cNames);
  };
  if (const auto nearest = NearestRcMiss(stocks, request)) {
    const std::string missed = head + MeetsText(*request.bounds.within, request.wording);
    const std::string limit = RcMissLimit(*nearest, stocks, request);
    if (window) return missed + ". Row 0 is the nearest: " + limit;
    return missed + ". Nearest: " + spell(*nearest) + ", " +
           (request.bounds.statistics.byRss
                ? "RSS " + BandText(nearest->rssLow, nearest->rssHigh, search.target)
                : BandText(nearest->low, nearest->high, search.target)) +
           ": " + limit;
  }
  networks::RcOptions anyError = search;
  anyError.tolerance = std::numeric_limits<double>::infinity();
  // A target far beyond every pair's reach would take in every pair within the window's
  // margins; the pair closest to it is the one closest to the nearer end of that reach.
  const std::span<const double> r = stocks.resistors.stock.values;
  const std::span<const double> c = stocks.capacitors.stock.values;
  if (!r.empty() && !c.empty()) {
    const double rLeast = std::max(search.rParts > 1 ? r.front() / 2 : r.front(), search.minR);
    const double rMost = std::min(search.rParts > 1 ? r.back() * 2 : r.back(), search.maxR);
    const double least = rLeast * (search.cParts > 1 ? c.front() / 2 : c.front());
    const double most = rMost * (search.cParts > 1 ? c.back() * 2 : c.back());
    if (least <= most) {
      const double tau = std::clamp(networks::TargetTau(search), least, most);
      anyError.target = Corner(request) ? 1 / (networks::kTwoPi * tau) : tau;
    }
  }
  const auto closest = first(anyError, {});
  if (!closest) return "No RC pair has a resistor " + TotalsNote(search.minR, search.maxR);
  const double error = (closest->output - search.target) / search.target * 100;
  const int digits = DigitsToTellApart(closest->output, search.target);
  return head + "; the closest is " + spell(*closest) + ": " +
         (window ? ShownQuantity(closest->output, digits, UnitOf(quantity))
                 : FormatEngineering(closest->output, digits)) +
         " (" + FormatPercent(error) + " %)";
}

}  // namespace vantrel::finder
