#include "rows.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <string_view>
#include <tuple>

#include "display_text.h"
#include "exact_decimal.h"
#include "number_text.h"
#include "preferred_search.h"

namespace vantrel::finder {

namespace {

// Whether a find's rows carry a band: with a part tolerance, each part's own, or statistics.
bool FindBanded(const FindRequest& request) {
  return request.partTolerance || request.inventory || request.statistics.Any();
}

// What legs of stock take from its drawer; values held in the kind's unit unless inBase.
RowUses UsesOf(const LoadedStock& stock, std::span<const networks::Network* const> legs,
               bool inBase = false) {
  RowUses uses;
  if (!stock.drawer) return uses;
  const std::vector<DrawerUse> drawn = DrawerUses(*stock.drawer, legs);
  // Each class by what tells it from the others, so that the one who fetches the parts takes
  // those the band was worked out for: "2 × 1k (1 %, 0603, A1)".
  for (const DrawerUse& use : drawn) {
    const DrawerClass& taken = *use.drawn;
    std::string marks;
    const auto mark = [&marks](const std::string& text) {
      if (!text.empty()) marks += (marks.empty() ? "" : ", ") + text;
    };
    if (taken.tolerance) mark(ShortestText(*taken.tolerance) + " %");
    mark(taken.package);
    mark(taken.location);
    uses.text += (uses.text.empty() ? "" : ", ") + std::to_string(use.count) + " × " +
                 stock.names[use.value] + (marks.empty() ? "" : " (" + marks + ")");
  }
  for (const DrawerUse& use : drawn) {
    const DrawerClass& taken = *use.drawn;
    std::string place = taken.location;
    if (!taken.partNumber.empty()) place += (place.empty() ? "" : ", ") + taken.partNumber;
    uses.places += (uses.places.empty() ? "" : "; ") + std::to_string(use.count) + " × " +
                   stock.names[use.value] + ": " + (place.empty() ? "no place given" : place);
    const double value = stock.stock.values[use.value];
    const auto number = [](std::string name, const std::optional<double>& x) {
      return JsonMember{std::move(name), x ? ShortestText(*x) : "null", true};
    };
    uses.objects.push_back(
        {{"value", ShortestText(inBase ? value : BaseValue(*stock.kind, value)), true},
         {"count", std::to_string(use.count), true},
         {"held", std::to_string(taken.quantity), true},
         number("tolerance", taken.tolerance),
         number("power", taken.power),
         {"package", taken.package, false},
         {"location", taken.location, false},
         {"part_number", taken.partNumber, false}});
  }
  return uses;
}

void Join(RowUses& uses, RowUses more) {
  if (!uses.text.empty() && !more.text.empty()) uses.text += ", ";
  uses.text += more.text;
  if (!uses.places.empty() && !more.places.empty()) uses.places += "; ";
  uses.places += more.places;
  for (auto& object : more.objects) uses.objects.push_back(std::move(object));
}

}  // namespace

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
  const double t = ((stock.drawer ? LeastTolerance(*stock.drawer, request.partTolerance)
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

namespace {

// The worst case of a found design as the search settled it, whether it lies within the band
// (--within, else the tolerance), and the part tolerance that would keep it there.
template <class Row>
void AddBand(Row& row, const Design& design, const networks::TwoLegRow& found,
             const LoadedStock& stock) {
  const std::array<const networks::Network*, 2> legs{&found.a, &found.b};
  row.uses = UsesOf(stock, legs);
  if (!Banded(design.bounds)) return;
  row.low = found.low;
  row.high = found.high;
  row.worst = found.worst;
  row.rssLow = found.rssLow;
  row.rssHigh = found.rssHigh;
  row.banded = found.banded;
  const double band = design.bounds.within.value_or(design.options.tolerance);
  row.inSpec = found.banded && found.ranked <= band;
  row.needs = NeededPartTolerance(design, found, stock.stock.values, band);
}

// A part tolerance that would do, as a designer would read it: rounded down to 2 significant
// digits, so that the tolerance named does.
std::string Tolerance(double percent) {
  if (!(percent > 0)) return "0";
  int decimals = 0;
  double unit = 1;
  for (; percent >= 100 * unit; unit *= 10) --decimals;
  for (; percent < 10 * unit; unit /= 10) ++decimals;
  return FormatFixed(std::floor(percent / unit) * unit, std::max(decimals, 0));
}

std::pair<double, double> DividerVolts(const std::array<double, 2>& k,
                                       const networks::TwoLegRow& row) {
  return {k[0] * row.ra / row.total, k[0] * row.rb / row.total};
}

// Leg B carries VREF, leg A the rest of VOUT, in either form.
std::pair<double, double> RegulatorVolts(const std::array<double, 2>& k,
                                         const networks::TwoLegRow& row) {
  return {row.output - k[0], k[0]};
}

// The band cells of a row with a part whose tolerance is not known.
constexpr char kUnknownBand[] = "unknown";

// The cells of the band columns, after the error: the output's worst case in its quantity. The
// tolerance a row needs stays text, floored to two digits: a tolerance parts are sold in.
template <class Row>
void AddBandCells(std::vector<ShownCell>& cells, Quantity quantity, const Row& row) {
  if (row.banded) {
    cells.push_back(ShownNumber(quantity, row.low));
    cells.push_back(ShownNumber(quantity, row.high));
    cells.push_back(ShownNumber(Quantity::kSize, row.worst));
  } else {
    cells.insert(cells.end(), 3, ShownText(kUnknownBand));
  }
  cells.push_back(ShownText(row.inSpec ? "yes" : "no"));
  cells.push_back(ShownText(row.needs ? Tolerance(*row.needs) : "none"));
}

// The Uses field: its text in tsv and csv, the list of classes in json.
Cell UsesField(const RowUses& uses) {
  Cell cell = TextCell(uses.text);
  cell.objects = uses.objects;
  cell.list = true;
  return cell;
}

template <class Row>
void AddBandFields(std::vector<Cell>& cells, const Row& row) {
  cells.push_back(row.banded ? NumberCell(row.low) : NullCell());
  cells.push_back(row.banded ? NumberCell(row.high) : NullCell());
  cells.push_back(row.banded ? NumberCell(row.worst) : NullCell());
  cells.push_back(BoolCell(row.inSpec));
  cells.push_back(row.needs ? NumberCell(*row.needs) : NullCell());
}

// The statistical band's ends, after the worst case's columns; text where the row's band is not
// known.
template <class Row>
void AddRssCells(std::vector<ShownCell>& cells, Quantity quantity, const Row& row) {
  cells.push_back(row.banded ? ShownNumber(quantity, row.rssLow) : ShownText(kUnknownBand));
  cells.push_back(row.banded ? ShownNumber(quantity, row.rssHigh) : ShownText(kUnknownBand));
}

template <class Row>
void AddRssFields(std::vector<Cell>& cells, const Row& row) {
  cells.push_back(row.banded ? NumberCell(row.rssLow) : NullCell());
  cells.push_back(row.banded ? NumberCell(row.rssHigh) : NullCell());
}

constexpr Column kUsesColumn{"Uses", "uses", true};
// With --prefer: how many values a row adds to the board.
constexpr Column kNewColumn = {"New", "new_values"};

Cell NewCell(int newValues) {
  return NumberCell(static_cast<std::uint64_t>(newValues));
}

// Uses and New, last in the rows of designs and RC pairs: the parts a row takes from the
// inventory, and how many values it adds to the board.
template <class Request>
void AddDrawerColumns(std::vector<Column>& columns, const Request& request) {
  if (request.bounds.inventory) columns.push_back(kUsesColumn);
  if (request.prefer) columns.push_back(kNewColumn);
}

template <class Row, class Request>
void AddDrawerCells(std::vector<ShownCell>& cells, const Row& row, const Request& request) {
  if (request.bounds.inventory) cells.push_back(ShownText(row.uses.text));
  if (request.prefer) cells.push_back(ShownNumber(Quantity::kCount, row.newValues));
}

template <class Row, class Request>
void AddDrawerFields(std::vector<Cell>& cells, const Row& row, const Request& request) {
  if (request.bounds.inventory) cells.push_back(UsesField(row.uses));
  if (request.prefer) cells.push_back(NewCell(row.newValues));
}

constexpr Column kBandColumns[] = {{"Low", "low"},
                                   {"High", "high"},
                                   {"Worst (%)", "worst"},
                                   {"In spec", "in_spec"},
                                   {"Max tol. (%)", "needs_part_tolerance"}};

constexpr Column kRssColumns[] = {{"RSS Low", "rss_low"}, {"RSS High", "rss_high"}};

void AddBandColumns(std::vector<Column>& columns, bool banded, const Statistics& statistics) {
  if (banded) columns.insert(columns.end(), kBandColumns, std::end(kBandColumns));
  if (statistics.rss) columns.insert(columns.end(), kRssColumns, std::end(kRssColumns));
}

std::string TotalsNote(double minTotal, double maxTotal) {
  return std::isinf(maxTotal) ? "of at least " + PlainDigits(minTotal)
         : minTotal == 0      ? "of at most " + PlainDigits(maxTotal)
                         : "between " + PlainDigits(minTotal) + " and " + PlainDigits(maxTotal);
}

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
    const Quantity quantity = option == "--max-power"       ? Quantity::kWatt
                              : option.ends_with("current") ? Quantity::kAmpere
                                                            : Quantity::kOhm;
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

// A band as percent of the target: "-2.98 % … +3.05 %".
std::string BandText(double low, double high, double target) {
  return FormatPercent((low - target) / target * 100) + " % … " +
         FormatPercent((high - target) / target * 100) + " %";
}

// What the nearest miss of a band would need: parts of a tolerance that would do, or none.
std::string NeedsText(const std::optional<double>& needs) {
  return needs ? "; with parts of " + Tolerance(*needs) + " % it would"
               : "; not even exact parts would";
}

// The note when a design leaves no row: with a band, the nearest design and what it would
// need; else the bounds that each, dropped alone, let rows through (all of them where none
// does); else the closest design of any error.
std::string NoDesignNote(const Design& design, Wording wording, const LoadedStock& stock,
                         std::string_view what,
                         const std::function<std::string(const networks::TwoLegRow&)>& spell) {
  const networks::TwoLegOptions& options = design.options;
  const std::string head = "No " + std::string(what) + " within " + PlainDigits(options.tolerance) +
                           " % of " + PlainDigits(options.target);
  const DesignBounds& bounds = design.bounds;
  Design open = design;
  open.bounds.within.reset();
  if (bounds.within) {
    open.bounds.partTolerance = bounds.partTolerance.value_or(0);
    if (const auto nearest = First(open, stock)) {
      const bool rss = bounds.statistics.byRss;
      return head + " meets " + std::string(FieldName("--within", wording)) + " " +
             PlainDigits(*bounds.within) + ". Nearest: " + spell(*nearest) + ", " +
             (rss ? "RSS " + BandText(nearest->rssLow, nearest->rssHigh, options.target)
                  : BandText(nearest->low, nearest->high, options.target)) +
             NeedsText(NeededPartTolerance(open, *nearest, stock.stock.values, *bounds.within));
    }
    open.bounds.partTolerance = bounds.partTolerance;
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
  return head + "; the closest is " + spell(*closest) + ": " +
         FormatEngineering(closest->output, DigitsToTellApart(closest->output, options.target)) +
         " (" + FormatPercent(closest->error) + " %)";
}

}  // namespace

Design DividerDesign(const DividerRequest& request) {
  Design design;
  design.formula = networks::DividerFormula(request.search.vin);
  design.low = design.formula;
  design.high = design.formula;
  design.options = networks::DividerLegOptions(request.search);
  design.bounds = request.bounds;
  design.volts = DividerVolts;
  design.current = [](const std::array<double, 2>& k, const networks::TwoLegRow& row) {
    return k[0] / row.total;
  };
  return design;
}

namespace {

// The share of VOUT in percent that the pin current supplies through Ra.
double IadjShare(double iadj, const networks::TwoLegRow& row) {
  return iadj * row.ra / row.output * 100;
}

// Whether the pin current is one figure, which a part does not hold.
bool RestsOnOneIadj(const RegulatorRequest& request) {
  return request.iadj.typ > 0 && request.iadj.min == request.iadj.max;
}

}  // namespace

Design RegulatorDesign(const RegulatorRequest& request) {
  Design design;
  design.formula = networks::RegulatorFormula(request.vref.typ, request.iadj.typ);
  design.low = networks::RegulatorFormula(request.vref.min, request.iadj.min);
  design.high = networks::RegulatorFormula(request.vref.max, request.iadj.max);
  design.options = request.search;
  design.bounds = request.bounds;
  design.volts = RegulatorVolts;
  design.referenceTop = request.referenceTop;
  if (RestsOnOneIadj(request)) {
    design.restsOnFigure = [iadj = request.iadj.typ](const networks::TwoLegRow& row) {
      return IadjShare(iadj, row) > kIadjShareMark;
    };
  }
  if (request.referenceTop) {
    design.current = [](const std::array<double, 2>& k, const networks::TwoLegRow& row) {
      return k[0] / row.rb;
    };
  } else {
    design.current = [](const std::array<double, 2>& k, const networks::TwoLegRow& row) {
      return (row.output - k[0]) / row.ra;
    };
  }
  return design;
}

Design GainDesign(const GainRequest& request) {
  Design design;
  design.formula = request.inverting ? networks::InvertingGainFormula() : networks::GainFormula();
  design.low = design.formula;
  design.high = design.formula;
  design.options = request.search;
  design.bounds = request.bounds;
  return design;
}

DividerRow MakeDividerRow(std::uint64_t rank, const networks::TwoLegRow& found,
                          const LoadedStock& stock, const DividerRequest& request) {
  DividerRow row;
  row.rank = rank;
  row.r1 = networks::Spell(found.a, stock.names);
  row.r2 = networks::Spell(found.b, stock.names);
  row.vout = found.output;
  row.error = found.error;
  row.total = found.total;
  row.current = request.search.vin / found.total;
  const Design design = DividerDesign(request);
  AddBand(row, design, found, stock);
  if (request.power) row.power = MaxPartPower(design, found, stock.stock.values);
  if (stock.board) row.newValues = NewValues(found, stock);
  return row;
}

DesignRow MakeRegulatorRow(std::uint64_t rank, const networks::TwoLegRow& found,
                           const LoadedStock& stock, const RegulatorRequest& request) {
  const Design design = RegulatorDesign(request);
  DesignRow row;
  row.rank = rank;
  const std::string a = networks::Spell(found.a, stock.names);
  const std::string b = networks::Spell(found.b, stock.names);
  row.first = request.referenceTop ? b : a;
  row.second = request.referenceTop ? a : b;
  row.output = found.output;
  row.error = found.error;
  row.total = found.total;
  row.current = design.current(design.formula.k, found);
  row.power = MaxPartPower(design, found, stock.stock.values);
  AddBand(row, design, found, stock);
  row.iadjShare = IadjShare(request.iadj.typ, found);
  row.restsOnIadj = RestsOnOneIadj(request) && row.iadjShare > kIadjShareMark;
  if (row.restsOnIadj) row.inSpec = false;
  if (stock.board) row.newValues = NewValues(found, stock);
  return row;
}

DesignRow MakeGainRow(std::uint64_t rank, const networks::TwoLegRow& found,
                      const LoadedStock& stock, const GainRequest& request) {
  DesignRow row;
  row.rank = rank;
  row.first = networks::Spell(found.a, stock.names);
  row.second = networks::Spell(found.b, stock.names);
  row.output = found.output;
  row.error = found.error;
  row.total = found.total;
  AddBand(row, GainDesign(request), found, stock);
  if (stock.board) row.newValues = NewValues(found, stock);
  return row;
}

std::vector<Column> FindColumns(const FindRequest& request) {
  std::vector<Column> columns{
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

std::vector<Column> DividerColumns(const DividerRequest& request) {
  std::vector<Column> columns{{"Rank", "rank"},
                              {"R1", "r1", true},
                              {"R2", "r2", true},
                              {"VOUT", "vout"},
                              {"Error (%)", "error"}};
  AddBandColumns(columns, Banded(request.bounds), request.bounds.statistics);
  columns.insert(columns.end(), {{"R1 + R2", "total"}, {"Current", "current"}});
  if (request.power) columns.push_back({"Power (W)", "power"});
  AddDrawerColumns(columns, request);
  return columns;
}

std::vector<Column> RegulatorColumns(const RegulatorRequest& request) {
  std::vector<Column> columns{{"Rank", "rank"}};
  if (request.referenceTop) {
    columns.insert(columns.end(),
                   {{"Rtop (OUT–ADJ)", "top", true}, {"Rbottom (ADJ–GND)", "bottom", true}});
  } else {
    columns.insert(columns.end(),
                   {{"Rtop (OUT–FB)", "top", true}, {"Rbottom (FB–GND)", "bottom", true}});
  }
  columns.insert(columns.end(), {{"VOUT", "vout"}, {"Error (%)", "error"}});
  AddBandColumns(columns, Banded(request.bounds), request.bounds.statistics);
  columns.insert(columns.end(),
                 {{"Rtop + Rbottom", "total"}, {"Current", "current"}, {"Power (W)", "power"}});
  if (request.iadj.max > 0) columns.push_back({"IADJ (%)", "iadj_share"});
  AddDrawerColumns(columns, request);
  return columns;
}

std::vector<Column> GainColumns(const GainRequest& request) {
  std::vector<Column> columns{
      {"Rank", "rank"},
      {"Rf", "rf", true},
      request.inverting ? Column{"Rin", "rin", true} : Column{"Rg", "rg", true},
      {"Gain", "gain"},
      {"Error (%)", "error"}};
  AddBandColumns(columns, Banded(request.bounds), request.bounds.statistics);
  columns.push_back(request.inverting ? Column{"Rf + Rin", "total"} : Column{"Rf + Rg", "total"});
  AddDrawerColumns(columns, request);
  return columns;
}

std::vector<std::string> ColumnNames(const std::vector<Column>& columns) {
  std::vector<std::string> names;
  for (const Column& column : columns) names.emplace_back(column.name);
  return names;
}

namespace {

// A held value's quantity.
Quantity KindQuantity(const StockKind& kind) {
  return kind.part == PartKind::kCapacitor  ? Quantity::kFarad
         : kind.part == PartKind::kInductor ? Quantity::kHenry
                                            : Quantity::kOhm;
}

ShownCell RankCell(std::uint64_t rank) {
  return ShownNumber(Quantity::kCount, static_cast<double>(rank));
}

}  // namespace

std::vector<ShownCell> FindShownCells(const FindRow& row, const FindRequest& request) {
  const StockKind& kind = *request.kind;
  const Quantity quantity = KindQuantity(kind);
  std::vector<ShownCell> cells{RankCell(row.rank), ShownKey(quantity, BaseValue(kind, row.value)),
                               ShownNumber(Quantity::kPercent, row.deviation),
                               ShownNumber(Quantity::kCount, row.parts)};
  if (FindBanded(request) && row.banded) {
    cells.push_back(ShownNumber(quantity, BaseValue(kind, row.low)));
    cells.push_back(ShownNumber(quantity, BaseValue(kind, row.high)));
    cells.push_back(ShownNumber(Quantity::kSize, row.worst));
    cells.push_back(ShownText(row.coversTarget ? "yes" : "no"));
  } else if (FindBanded(request)) {
    cells.insert(cells.end(), 4, ShownText(kUnknownBand));
  }
  if (request.statistics.rss) {
    for (const double end : {row.rssLow, row.rssHigh}) {
      cells.push_back(row.banded ? ShownNumber(quantity, BaseValue(kind, end))
                                 : ShownText(kUnknownBand));
    }
  }
  if (request.prefer) cells.push_back(ShownNumber(Quantity::kCount, row.newValues));
  cells.push_back(ShownText(row.network));
  if (request.inventory) cells.push_back(ShownText(row.uses.text));
  return cells;
}

std::vector<ShownCell> DividerShownCells(const DividerRow& row, const DividerRequest& request) {
  std::vector<ShownCell> cells{RankCell(row.rank), ShownText(row.r1), ShownText(row.r2),
                               ShownKey(Quantity::kVolt, row.vout),
                               ShownNumber(Quantity::kPercent, row.error)};
  if (Banded(request.bounds)) AddBandCells(cells, Quantity::kVolt, row);
  if (request.bounds.statistics.rss) AddRssCells(cells, Quantity::kVolt, row);
  cells.push_back(ShownNumber(Quantity::kOhm, row.total));
  cells.push_back(ShownNumber(Quantity::kAmpere, row.current));
  if (request.power) cells.push_back(ShownNumber(Quantity::kWatt, row.power));
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<ShownCell> RegulatorShownCells(const DesignRow& row, const RegulatorRequest& request) {
  std::vector<ShownCell> cells{RankCell(row.rank), ShownText(row.first), ShownText(row.second),
                               ShownKey(Quantity::kVolt, row.output),
                               ShownNumber(Quantity::kPercent, row.error)};
  if (Banded(request.bounds)) {
    AddBandCells(cells, Quantity::kVolt, row);
    // In spec, before the tolerance the row needs.
    if (row.restsOnIadj) cells[cells.size() - 2] = ShownText("no (IADJ)");
  }
  if (request.bounds.statistics.rss) AddRssCells(cells, Quantity::kVolt, row);
  cells.push_back(ShownNumber(Quantity::kOhm, row.total));
  cells.push_back(ShownNumber(Quantity::kAmpere, row.current));
  cells.push_back(ShownNumber(Quantity::kWatt, row.power));
  if (request.iadj.max > 0) {
    // A share, so without a sign.
    ShownCell share = ShownNumber(Quantity::kSize, row.iadjShare);
    if (row.iadjShare > kIadjShareMark) share.text = " !";
    cells.push_back(share);
  }
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<ShownCell> GainShownCells(const DesignRow& row, const GainRequest& request) {
  std::vector<ShownCell> cells{RankCell(row.rank), ShownText(row.first), ShownText(row.second),
                               ShownKey(Quantity::kPlain, row.output),
                               ShownNumber(Quantity::kPercent, row.error)};
  if (Banded(request.bounds)) AddBandCells(cells, Quantity::kPlain, row);
  if (request.bounds.statistics.rss) AddRssCells(cells, Quantity::kPlain, row);
  cells.push_back(ShownNumber(Quantity::kOhm, row.total));
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<Cell> FindFields(const FindRow& row, const FindRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), NumberCell(row.value), NumberCell(row.deviation),
                          NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (FindBanded(request)) {
    cells.push_back(row.banded ? NumberCell(row.low) : NullCell());
    cells.push_back(row.banded ? NumberCell(row.high) : NullCell());
    cells.push_back(row.banded ? NumberCell(row.worst) : NullCell());
    cells.push_back(row.banded ? BoolCell(row.coversTarget) : NullCell());
  }
  if (request.statistics.rss) AddRssFields(cells, row);
  if (request.prefer) cells.push_back(NewCell(row.newValues));
  cells.push_back(TextCell(row.network));
  if (request.inventory) cells.push_back(UsesField(row.uses));
  return cells;
}

std::vector<Cell> DividerFields(const DividerRow& row, const DividerRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), TextCell(row.r1), TextCell(row.r2),
                          NumberCell(row.vout), NumberCell(row.error)};
  if (Banded(request.bounds)) AddBandFields(cells, row);
  if (request.bounds.statistics.rss) AddRssFields(cells, row);
  cells.push_back(NumberCell(row.total));
  cells.push_back(NumberCell(row.current));
  if (request.power) cells.push_back(NumberCell(row.power));
  AddDrawerFields(cells, row, request);
  return cells;
}

std::vector<Cell> RegulatorFields(const DesignRow& row, const RegulatorRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), TextCell(row.first), TextCell(row.second),
                          NumberCell(row.output), NumberCell(row.error)};
  if (Banded(request.bounds)) AddBandFields(cells, row);
  if (request.bounds.statistics.rss) AddRssFields(cells, row);
  cells.push_back(NumberCell(row.total));
  cells.push_back(NumberCell(row.current));
  cells.push_back(NumberCell(row.power));
  if (request.iadj.max > 0) cells.push_back(NumberCell(row.iadjShare));
  AddDrawerFields(cells, row, request);
  return cells;
}

std::vector<Cell> GainFields(const DesignRow& row, const GainRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), TextCell(row.first), TextCell(row.second),
                          NumberCell(row.output), NumberCell(row.error)};
  if (Banded(request.bounds)) AddBandFields(cells, row);
  if (request.bounds.statistics.rss) AddRssFields(cells, row);
  cells.push_back(NumberCell(row.total));
  AddDrawerFields(cells, row, request);
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

std::string NoDividerRowNote(const LoadedStock& stock, const DividerRequest& request) {
  return NoDesignNote(DividerDesign(request), request.wording, stock, "divider",
                      [&](const networks::TwoLegRow& found) {
                        const DividerRow row = MakeDividerRow(1, found, stock, request);
                        return "R1 = " + row.r1 + ", R2 = " + row.r2;
                      });
}

std::string NoRegulatorRowNote(const LoadedStock& stock, const RegulatorRequest& request) {
  return NoDesignNote(RegulatorDesign(request), request.wording, stock, "design",
                      [&](const networks::TwoLegRow& found) {
                        const DesignRow row = MakeRegulatorRow(1, found, stock, request);
                        return "Rtop = " + row.first + ", Rbottom = " + row.second;
                      });
}

std::string NoGainRowNote(const LoadedStock& stock, const GainRequest& request) {
  return NoDesignNote(
      GainDesign(request), request.wording, stock, "design", [&](const networks::TwoLegRow& found) {
        const DesignRow row = MakeGainRow(1, found, stock, request);
        return "Rf = " + row.first + (request.inverting ? ", Rin = " : ", Rg = ") + row.second;
      });
}

std::string OverRatedNote(std::uint64_t overRated, double derate) {
  if (overRated == 0) return {};
  return "Left out " + CountText(overRated, "design") +
         " in which a part would take more than its rating" +
         (derate == 1 ? std::string() : " times " + PlainDigits(derate)) + ".";
}

std::string IadjNote(const RegulatorRequest& request, bool marked) {
  if (!marked) return {};
  const std::string iadj(FieldName("--iadj", request.wording));
  if (!RestsOnOneIadj(request)) {
    return "! The pin current supplies more than " + PlainDigits(kIadjShareMark) +
           " % of VOUT there: IADJ varies several-fold between parts, so the band covers " + iadj +
           "'s range.";
  }
  return "! The pin current supplies more than " + PlainDigits(kIadjShareMark) +
         " % of VOUT there: IADJ varies several-fold between parts, so such a row is in spec by "
         "no single figure and ranks after the others; give " +
         iadj + " as MIN:TYP:MAX to see the band it makes.";
}

RcStocks MakeRcStocks(LoadedStock resistors, LoadedStock capacitors, int heldPower) {
  RcStocks stocks{std::move(resistors), std::move(capacitors)};
  LoadedStock& c = stocks.capacitors;
  const auto inFarads = [heldPower](double held) {
    const networks::Decimal decimal = networks::ShortestDecimal(held);
    const std::string text =
        std::to_string(decimal.digits) + "e" + std::to_string(decimal.exponent + heldPower);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  };
  std::vector<double> farads;
  std::vector<std::string> names;
  std::shared_ptr<Drawer> drawer;
  if (c.drawer) drawer = std::make_shared<Drawer>();
  for (std::size_t i = 0; i < c.stock.values.size(); ++i) {
    const double value = inFarads(c.stock.values[i]);
    // Values of 16 or 17 digits may meet in one double; the first one's name stays, and the
    // drawer holds the parts of both.
    const bool met = !farads.empty() && farads.back() == value;
    if (drawer && met) {
      for (const DrawerClass& drawerClass : c.drawer->classes[i]) {
        drawer->classes.back().push_back(drawerClass);
      }
      drawer->held.back() = AddHeld(drawer->held.back(), c.drawer->held[i]);
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
    for (double& value : *c.board) value = inFarads(value);
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
    row.low = found.low;
    row.high = found.high;
    row.worst = found.worst;
    row.rssLow = found.rssLow;
    row.rssHigh = found.rssHigh;
    row.banded = found.banded;
    const double band = request.bounds.within.value_or(request.search.tolerance);
    row.inSpec = found.banded && found.ranked <= band;
    row.needs =
        NeededRcTolerance(found, request.search, request.bounds, stocks.resistors.stock.values,
                          stocks.capacitors.stock.values, band);
  }
  if (Preferring(stocks)) row.newValues = NewValues(found, stocks);
  return row;
}

namespace {

bool Corner(const RcRequest& request) {
  return request.search.quantity == networks::RcQuantity::kCorner;
}

}  // namespace

std::vector<Column> RcColumns(const RcRequest& request) {
  std::vector<Column> columns{
      {"Rank", "rank"},
      {"R", "r", true},
      {"C", "c", true},
      Corner(request) ? Column{"Corner (Hz)", "corner"} : Column{"Tau (s)", "tau"},
      {"Error (%)", "error"},
      {"Parts", "parts"}};
  AddBandColumns(columns, Banded(request.bounds), request.bounds.statistics);
  if (Corner(request)) columns.push_back({"Tau (s)", "tau"});
  AddDrawerColumns(columns, request);
  return columns;
}

std::vector<ShownCell> RcShownCells(const RcRow& row, const RcRequest& request) {
  const Quantity quantity = Corner(request) ? Quantity::kHertz : Quantity::kSecond;
  std::vector<ShownCell> cells{RankCell(row.rank),
                               ShownText(row.r),
                               ShownText(row.c),
                               ShownKey(quantity, row.output),
                               ShownNumber(Quantity::kPercent, row.error),
                               ShownNumber(Quantity::kCount, row.parts)};
  if (Banded(request.bounds)) AddBandCells(cells, quantity, row);
  if (request.bounds.statistics.rss) AddRssCells(cells, quantity, row);
  if (Corner(request)) cells.push_back(ShownNumber(Quantity::kSecond, row.tau));
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<Cell> RcFields(const RcRow& row, const RcRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank),  TextCell(row.r),
                          TextCell(row.c),       NumberCell(row.output),
                          NumberCell(row.error), NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (Banded(request.bounds)) AddBandFields(cells, row);
  if (request.bounds.statistics.rss) AddRssFields(cells, row);
  if (Corner(request)) cells.push_back(NumberCell(row.tau));
  AddDrawerFields(cells, row, request);
  return cells;
}

std::string NoRcRowNote(const RcStocks& stocks, const RcRequest& request) {
  const networks::RcOptions& search = request.search;
  const std::string what = Corner(request) ? "corner" : "time constant";
  const std::string head = "No RC pair within " + PlainDigits(search.tolerance) + " % of the " +
                           what + " " + PlainDigits(search.target);
  const auto first = [&](const networks::RcOptions& options, const RcBounds& bounds) {
    std::optional<networks::RcRow> found;
    SearchRc(options, bounds, stocks.resistors.stock.values, stocks.capacitors.stock.values,
             nullptr, 1, [&](const networks::RcRow& row) { found = row; });
    return found;
  };
  const auto spell = [&](const networks::RcRow& found) {
    const RcRow row = MakeRcRow(1, found, stocks, request);
    return "R = " + row.r + ", C = " + row.c;
  };
  RcBounds open = request.bounds;
  open.within.reset();
  if (request.bounds.within) {
    // A band of the tolerances given, or of exact parts.
    if (!open.rTolerance && !open.cTolerance) open.rTolerance = 0;
    if (const auto nearest = first(search, open)) {
      return head + " meets " + std::string(FieldName("--within", request.wording)) + " " +
             PlainDigits(*request.bounds.within) + ". Nearest: " + spell(*nearest) + ", " +
             (request.bounds.statistics.byRss
                  ? "RSS " + BandText(nearest->rssLow, nearest->rssHigh, search.target)
                  : BandText(nearest->low, nearest->high, search.target)) +
             NeedsText(NeededRcTolerance(*nearest, search, request.bounds,
                                         stocks.resistors.stock.values,
                                         stocks.capacitors.stock.values, *request.bounds.within));
    }
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
  const RcRow row = MakeRcRow(1, *closest, stocks, request);
  const double error = (row.output - search.target) / search.target * 100;
  return head + "; the closest is R = " + row.r + ", C = " + row.c + ": " +
         FormatEngineering(row.output, DigitsToTellApart(row.output, search.target)) + " (" +
         FormatPercent(error) + " %)";
}

}  // namespace vantrel::finder
