#include "row_notes.h"

#include <cmath>
#include <limits>
#include <vector>

#include "display_text.h"
#include "number_text.h"
#include "rows.h"

namespace vantrel::finder {

namespace {

// A bound or option that narrows a design's rows, as a note names it, and the design without it.
struct Narrowing {
  std::string name;
  std::function<void(Design&)> drop;
};

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : std::string(separator)) + part;
  return text;
}

// The bounds and options given beyond the tolerance and the band, in the order a note names them.
std::vector<Narrowing> Narrowings(const Design& design, Wording wording) {
  // The window reads a quantity with its unit ("Min current 3.5 mA"), the command line as typed.
  const auto named = [&](std::string_view option, double value) {
    const table::Quantity quantity = option == "--max-power"       ? table::Quantity::kWatt
                                     : option.ends_with("current") ? table::Quantity::kAmpere
                                                                   : table::Quantity::kOhm;
    const std::string text =
        wording == Wording::kWindow ? ShownValue(quantity, value) : PlainDigits(value);
    return std::string(FieldName(option, wording)).append(" ").append(text);
  };
  // Both ends of a range as one narrowing.
  const auto range = [&](std::string_view low, std::string_view high, double least, double most) {
    std::vector<std::string> ends;
    if (least > 0) ends.push_back(named(low, least));
    if (!std::isinf(most)) ends.push_back(named(high, most));
    return Joined(ends, " and ");
  };
  const DesignBounds& bounds = design.bounds;
  const networks::TwoLegOptions& options = design.options;
  std::vector<Narrowing> given;
  if (bounds.maxPower) {
    given.push_back(
        {named("--max-power", *bounds.maxPower), [](Design& d) { d.bounds.maxPower.reset(); }});
  }
  if (bounds.minCurrent > 0 || !std::isinf(bounds.maxCurrent)) {
    given.push_back({range("--min-current", "--max-current", bounds.minCurrent, bounds.maxCurrent),
                     [](Design& d) {
                       d.bounds.minCurrent = 0;
                       d.bounds.maxCurrent = std::numeric_limits<double>::infinity();
                     }});
  }
  if (options.minTotal > 0 || !std::isinf(options.maxTotal)) {
    given.push_back(
        {range("--min-total", "--max-total", options.minTotal, options.maxTotal), [](Design& d) {
           d.options.minTotal = 0;
           d.options.maxTotal = std::numeric_limits<double>::infinity();
         }});
  }
  if (!std::isinf(options.maxParallel)) {
    given.push_back({named("--max-source", options.maxParallel), [](Design& d) {
                       d.options.maxParallel = std::numeric_limits<double>::infinity();
                     }});
  }
  if (options.minA > 0 || !std::isinf(options.maxA)) {
    given.push_back({range("--rf-min", "--rf-max", options.minA, options.maxA), [](Design& d) {
                       d.options.minA = 0;
                       d.options.maxA = std::numeric_limits<double>::infinity();
                     }});
  }
  if (options.distinct) {
    given.push_back({std::string(FieldName("--distinct", wording)),
                     [](Design& d) { d.options.distinct = false; }});
  }
  return given;
}

std::optional<networks::TwoLegRow> First(const Design& design, const LoadedStock& stock) {
  std::optional<networks::TwoLegRow> first;
  SearchDesign(design, stock, nullptr, 1, [&](const networks::TwoLegRow& row) { first = row; });
  return first;
}

}  // namespace

std::string OverRatedNote(std::uint64_t overRated, double derate) {
  if (overRated == 0) return {};
  return "Left out " + CountText(overRated, "design") +
         " in which a part would take more than its rating" +
         (derate == 1 ? std::string() : " times " + PlainDigits(derate)) + ".";
}

std::string TotalsNote(double minTotal, double maxTotal) {
  return std::isinf(maxTotal) ? "of at least " + PlainDigits(minTotal)
         : minTotal == 0      ? "of at most " + PlainDigits(maxTotal)
                         : "between " + PlainDigits(minTotal) + " and " + PlainDigits(maxTotal);
}

// A band as percent of the target: "-2.98 % … +3.05 %".
std::string BandText(double low, double high, double target) {
  return FormatPercent((low - target) / target * 100) + " % … " +
         FormatPercent((high - target) / target * 100) + " %";
}

std::vector<std::string> LegNames(const LoadedStock& stock, Wording wording) {
  if (wording != Wording::kWindow) return stock.names;
  std::vector<std::string> names;
  for (const double value : stock.stock.values) names.push_back(ShortEngineering(value));
  return names;
}

namespace {

// A percentage without its sign: "1.5", "0.39".
std::string Magnitude(double percent) {
  std::string text = FormatPercent(std::fabs(percent));
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  return text;
}

}  // namespace

double WorstPercent(double low, double high, double target) {
  return std::max(std::fabs(low - target), std::fabs(high - target)) / target * 100;
}

std::string MissLimit(const MissFacts& facts) {
  const std::string band = facts.rss ? "its RSS band" : "its band";
  const std::string of = " % of the " + PlainDigits(facts.within) + " %";
  if (facts.needs) {
    return "with " + facts.parts + ", " + band + " reaches " + Magnitude(facts.givenWorst) + of +
           "; parts of " + Tolerance(*facts.needs) + " % would do";
  }
  std::vector<std::string> causes;
  if (!facts.constants.empty()) causes.push_back(facts.constants);
  if (facts.drift > 0) causes.push_back("the drift of ± " + Magnitude(facts.drift) + " %");
  // An error of the doubles' rounding is no cause.
  if (std::fabs(facts.error) > 1e-9) {
    causes.push_back("its error of " + FormatPercent(facts.error) + " %");
  }
  const std::string taken = Magnitude(facts.exactWorst) + of;
  if (causes.empty()) return "even exact parts take " + band + " to " + taken;
  if (causes.size() == 1) return causes.front() + " alone takes " + taken;
  const std::string last = causes.back();
  causes.pop_back();
  return Joined(causes, ", ") + " and " + last + " take " + taken + " even with exact parts";
}

std::optional<networks::TwoLegRow> NearestMiss(const Design& design, const LoadedStock& stock) {
  if (!design.bounds.within) return std::nullopt;
  Design open = design;
  open.bounds.within.reset();
  open.bounds.partTolerance = design.bounds.partTolerance.value_or(0);
  return First(open, stock);
}

std::string DesignMissLimit(const Design& design, const networks::TwoLegRow& row,
                            const LoadedStock& stock) {
  const DesignBounds& bounds = design.bounds;
  const double target = design.options.target;
  const bool rss = bounds.statistics.byRss;
  const auto worst = [&](const networks::TwoLegRow& banded) {
    return rss ? WorstPercent(banded.rssLow, banded.rssHigh, target)
               : WorstPercent(banded.low, banded.high, target);
  };
  networks::TwoLegRow exact = row;
  networks::TwoLegBand band = *DesignBand(design, 0);
  networks::AddBand(exact, stock.stock.values, design.formula, target, band, false);
  MissFacts facts;
  facts.target = target;
  facts.within = bounds.within.value_or(design.options.tolerance);
  facts.error = row.error;
  facts.givenWorst = worst(row);
  facts.exactWorst = worst(exact);
  facts.needs = NeededPartTolerance(design, row, stock.stock.values, facts.within);
  facts.parts = bounds.inventory
                    ? "the drawer's parts"
                    : "parts of " + PlainDigits(bounds.partTolerance.value_or(0)) + " %";
  facts.constants = design.constants;
  facts.drift = bounds.statistics.DriftPercent();
  facts.rss = rss;
  return MissLimit(facts);
}

std::string MeetsText(double within, Wording wording) {
  return " meets " + std::string(FieldName("--within", wording)) + " " + PlainDigits(within) +
         (wording == Wording::kWindow ? " %" : "");
}

// The note when a design leaves no row: with a band, the nearest design and what keeps it out;
// else the bounds that each, dropped alone, let rows through (all of them where none does);
// else the closest design of any error.
std::string NoDesignNote(const Design& design, Wording wording, const LoadedStock& stock,
                         std::string_view what, table::Quantity quantity,
                         const std::function<std::string(const networks::TwoLegRow&)>& spell) {
  const networks::TwoLegOptions& options = design.options;
  const bool window = wording == Wording::kWindow;
  const std::string head =
      "No " + std::string(what) + " within " + PlainDigits(options.tolerance) + " % of " +
      (window ? ShownValue(quantity, options.target) : PlainDigits(options.target));
  const DesignBounds& bounds = design.bounds;
  Design open = design;
  open.bounds.within.reset();
  if (const auto nearest = NearestMiss(design, stock)) {
    const std::string limit = DesignMissLimit(design, *nearest, stock);
    const std::string missed = head + MeetsText(*bounds.within, wording);
    if (window) return missed + ". Row 0 is the nearest: " + limit;
    const bool rss = bounds.statistics.byRss;
    return missed + ". Nearest: " + spell(*nearest) + ", " +
           (rss ? "RSS " + BandText(nearest->rssLow, nearest->rssHigh, options.target)
                : BandText(nearest->low, nearest->high, options.target)) +
           ": " + limit;
  }
  const std::vector<Narrowing> given = Narrowings(design, wording);
  Design bare = open;
  for (const Narrowing& narrowing : given) narrowing.drop(bare);
  if (!given.empty() && First(bare, stock)) {
    std::vector<std::string> causes;
    for (const Narrowing& narrowing : given) {
      Design without = open;
      narrowing.drop(without);
      if (First(without, stock)) causes.push_back(narrowing.name);
    }
    if (causes.empty()) {
      for (const Narrowing& narrowing : given) causes.push_back(narrowing.name);
    }
    return head + " meets " + Joined(causes, ", ");
  }
  bare.options.tolerance = std::numeric_limits<double>::infinity();
  bare.bounds = {};
  const auto closest = First(bare, stock);
  if (!closest) return "No " + std::string(what) + " can be made from the library's values";
  const int digits = DigitsToTellApart(closest->output, options.target);
  return head + "; the closest is " + spell(*closest) + ": " +
         (window ? ShownQuantity(closest->output, digits, UnitOf(quantity))
                 : FormatEngineering(closest->output, digits)) +
         " (" + FormatPercent(closest->error) + " %)";
}

}  // namespace vantrel::finder
