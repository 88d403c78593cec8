#include "led.h"

#include <gmpxx.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "display_text.h"
#include "drawn_parts.h"
#include "exact_rational.h"
#include "field_reading.h"
#include "number_text.h"
#include "preferred_search.h"

namespace vantrel::finder {

namespace {

constexpr std::uint64_t kMostLeds = 1000;

using networks::Exactly;
using networks::Nearest;

// The voltage the typed values leave across the resistor, VS - N Vf, in exact decimals: a
// supply of 12 V over three LEDs of 3.1 V leaves 2.7 V, and 2.7 V at 20 mA asks for 135 Ω on
// the dot, where doubles would ask for a hair less.
mpq_class ExactDrive(double vs, int leds, double vf) {
  return Exactly(vs) - leds * Exactly(vf);
}

// What a network gives in an led circuit: its currents, band and powers, and whether it passes
// the request's bounds.
struct Judged {
  double value = 0;
  double current = 0;
  double error = 0;
  double low = 0;
  double high = 0;
  double worst = 0;
  bool banded = true;
  std::array<double, 4> powers{};
  double power = 0;
  bool rated = true;  // every part within its drawer rating times --derate
};

Judged Judge(const networks::NetworkRow& found, const LoadedStock& stock,
             const LedRequest& request) {
  Judged judged;
  const std::span<const double> values = stock.stock.values;
  const double i = request.current;
  judged.value = found.value;
  // R0 / R - 1, exactly 0 for a network on the target.
  const double r0 = request.search.target;
  judged.error = found.value == r0 ? 0 : (r0 / found.value - 1) * 100;
  judged.current = i * (1 + judged.error / 100);
  const std::array<const networks::Network*, 1> legs{&found.network};
  networks::PartTolerances own;
  if (stock.drawer) {
    if (!DrawSpreads(*stock.drawer, legs, request.bounds.partTolerance, 0, 0, own)) {
      // Ranked after every row whose band is known.
      judged.low = judged.high = judged.current;
      judged.worst = std::numeric_limits<double>::infinity();
      judged.power = std::numeric_limits<double>::infinity();
      judged.banded = false;
      return judged;
    }
  } else {
    own.first.fill(request.bounds.partTolerance.value_or(0));
  }
  const double rLow =
      networks::NetworkValue(found.network, values, networks::DownFactors(own.first));
  const double rHigh =
      networks::NetworkValue(found.network, values, networks::UpFactors(own.first));
  // Each end as a ratio to the wanted current, so that ends equal to it are 1 exactly.
  const double nominal = 1 + judged.error / 100;
  const double high = std::max(request.DriveHigh() / request.DriveTyp() * (r0 / rLow), nominal);
  const double low = std::min(request.DriveLow() / request.DriveTyp() * (r0 / rHigh), nominal);
  judged.high = i * high;
  judged.low = i * low;
  judged.worst = std::max(std::fabs(low - 1), std::fabs(high - 1)) * 100;
  judged.powers = NetworkPartPowers(found.network, values, judged.high);
  judged.power = *std::max_element(judged.powers.begin(), judged.powers.end());
  if (stock.drawer) {
    DrawnParts drawn;
    if (DrawParts(*stock.drawer, legs, drawn)) {
      for (std::size_t slot = 0; slot < static_cast<std::size_t>(found.Parts()); ++slot) {
        const std::optional<double> rating = drawn.At(0, slot).Rating();
        if (rating && !(judged.powers[slot] <= *rating * request.bounds.derate)) {
          judged.rated = false;
        }
      }
    }
  }
  return judged;
}

// Whether a judged row meets the tolerance, the band and the bounds on power.
bool Fits(const Judged& judged, const LedRequest& request) {
  if (!(std::fabs(judged.error) <= request.search.tolerance)) return false;
  if (request.bounds.within && !(judged.worst <= *request.bounds.within)) return false;
  if (request.bounds.maxPower && !(judged.power <= *request.bounds.maxPower)) return false;
  return judged.rated;
}

// The walk of SearchLed; with bounded false every network ranks, whatever the tolerance, band and
// power (for the note when none qualifies).
void WalkLed(const LedRequest& request, const LoadedStock& stock, const std::atomic<bool>* stop,
             std::uint64_t limit, bool bounded,
             const std::function<void(const networks::NetworkRow&)>& take) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  const double r0 = request.search.target;
  networks::FindOptions options = request.search;
  if (stock.drawer) options.held = stock.drawer->held;
  // The window of R that holds every qualifying row. The nominal current is I R0 / R, falling as
  // R rises, so |error| <= tau (a fraction) holds exactly for R0 / (1 + tau) <= R <= R0 / (1 -
  // tau). Every part off by its own tolerance t_i >= t (the least any part may have) puts the
  // network at R_low <= R (1 - t) and R_high >= R (1 + t), as the network rises in each part and
  // scales with all of them; with D = VS - N Vf, Imax / I = (D_high / D_typ) (R0 / R_low) <= 1 + w
  // needs R >= (D_high / D_typ) R0 / ((1 + w) (1 - t)), and Imin / I = (D_low / D_typ) (R0 /
  // R_high)
  // >= 1 - w needs R <= (D_low / D_typ) R0 / ((1 - w) (1 + t)). A row outside the interval fails
  // a bound, so the network search's window, the interval's farthest end from R0 widened past
  // the roundings, misses none that pass.
  // The least tolerance any part may have, and how far the supply and Vf move the drive.
  const double t =
      (stock.drawer ? drawer::LeastTolerance(*stock.drawer, request.bounds.partTolerance)
                    : request.bounds.partTolerance.value_or(0)) /
      100;
  const double up = request.DriveHigh() / request.DriveTyp();
  const double down = request.DriveLow() / request.DriveTyp();
  double low = 0;
  double high = kInfinity;
  if (bounded) {
    const double tau = request.search.tolerance / 100;
    low = r0 / (1 + tau);
    if (tau < 1) high = r0 / (1 - tau);
    if (request.bounds.within) {
      const double w = *request.bounds.within / 100;
      low = std::max(low, up * r0 / ((1 + w) * (1 - t)));
      if (w < 1) high = std::min(high, down * r0 / ((1 - w) * (1 + t)));
    }
    if (!(low <= high * (1 + 1e-9))) return;
  }
  // The walk is centred where the worst case is least for parts of tolerance t, where Imax / I - 1
  // = up R0 / (R (1 - t)) - 1 meets 1 - Imin / I = 1 - down R0 / (R (1 + t)), so that it meets
  // rows nearly in rank order.
  const double centre = r0 * (up / (1 - t) + down / (1 + t)) / 2;
  options.target = centre;
  options.tolerance = high == kInfinity
                          ? kInfinity
                          : std::max(high / centre - 1, 1 - low / centre) * 100 * (1 + 1e-9) + 1e-9;

  struct Held {
    double key = 0;
    double size = 0;  // |error|
    networks::NetworkRow row;
  };
  // Rank order: the front of each heap below is the row that ranks last, or first.
  const auto before = [](const Held& x, const Held& y) {
    if (x.key != y.key) return x.key < y.key;
    if (x.size != y.size) return x.size < y.size;
    return networks::NetworkBefore(x.row.network, y.row.network);
  };
  const auto after = [&](const Held& x, const Held& y) { return before(y, x); };
  // The network search gives rows by |R / centre - 1| = a, rising. A row's worst case is at least
  // Imax / I - 1 >= up R0 / (centre (1 - a) (1 - t)) - 1 where R = centre (1 - a), and
  // 1 - Imin / I >= 1 - down R0 / (centre (1 + a) (1 + t)) where R = centre (1 + a): at least the
  // smaller of the two, each rising with a. Once that bound passes a held row's key, past the
  // rounding of keys to 9 digits and of doubles, every later row ranks after it.
  const auto leastAt = [&](double a) {
    const double below = a < 1 ? up * r0 / (centre * (1 - a) * (1 - t)) - 1 : kInfinity;
    const double above = 1 - down * r0 / (centre * (1 + a) * (1 + t));
    return std::max(0.0, std::min(below, above)) * 100;
  };
  const auto least = [&](const networks::NetworkRow& found) {
    return leastAt(std::fabs(found.deviation) / 100);
  };
  const auto reaches = [](double bound, double key) { return bound - 1e-9 > key * (1 + 1e-8); };
  const auto stopped = [&] { return stop && stop->load(std::memory_order_relaxed); };
  std::atomic<bool> enough = false;
  options.stop = &enough;
  const auto judge = [&](const networks::NetworkRow& found, Held& held) {
    const Judged judged = Judge(found, stock, request);
    if (bounded && !Fits(judged, request)) return false;
    held = {networks::WorstKey(judged.worst), std::fabs(judged.error), found};
    return true;
  };
  std::vector<Held> heap;
  if (limit == std::numeric_limits<std::uint64_t>::max()) {
    // Every row wanted: each is given as soon as no later one can rank before it.
    const auto give = [&] {
      std::pop_heap(heap.begin(), heap.end(), after);
      take(heap.back().row);
      heap.pop_back();
    };
    networks::FindNetworks(stock.stock.values, options, limit,
                           [&](const networks::NetworkRow& found) {
                             if (stopped()) {
                               enough = true;
                               return;
                             }
                             const double bound = least(found);
                             while (!heap.empty() && reaches(bound, heap.front().key)) give();
                             Held held;
                             if (!judge(found, held)) return;
                             heap.push_back(std::move(held));
                             std::push_heap(heap.begin(), heap.end(), after);
                           });
    while (!heap.empty() && !stopped()) give();
    return;
  }
  // A wide window (a loose --within, or none) holds far more networks than the best few need,
  // and the network search walks all of its first pass: the window starts narrow and widens
  // fourfold until the bound at its edge, below every row outside it, passes the K-th key held.
  const double full = options.tolerance;
  double tried = std::min(full, 0.5);
  for (;;) {
    options.tolerance = tried;
    heap.clear();
    enough = false;
    networks::FindNetworks(stock.stock.values, options, std::numeric_limits<std::uint64_t>::max(),
                           [&](const networks::NetworkRow& found) {
                             if (stopped()) enough = true;
                             if (heap.size() == limit && reaches(least(found), heap.front().key)) {
                               enough = true;
                               return;
                             }
                             Held held;
                             if (!judge(found, held)) return;
                             heap.push_back(std::move(held));
                             std::push_heap(heap.begin(), heap.end(), before);
                             if (heap.size() > limit) {
                               std::pop_heap(heap.begin(), heap.end(), before);
                               heap.pop_back();
                             }
                           });
    if (stopped()) return;
    if (tried >= full ||
        (heap.size() == limit && reaches(leastAt(tried / 100), heap.front().key))) {
      break;
    }
    tried = tried * 4 > 1e4 ? full : std::min(full, tried * 4);
  }
  std::sort_heap(heap.begin(), heap.end(), before);
  for (const Held& held : heap) {
    if (stopped()) return;
    take(held.row);
  }
}

std::string Volts(double value) {
  return ShownValue(table::Quantity::kVolt, value);
}

}  // namespace

Checked<LedRequest> CheckLed(const LedInput& input, Wording wording) {
  using namespace fields;
  const Speaker say(wording);
  return Check<LedRequest>([&] {
    LedRequest request;
    request.wording = wording;
    request.vsupply = SpreadOf(say, "VSUPPLY", input.vsupply, Voltage);
    if (!input.vf) {
      say.Refuse("--vf",
                 say.Name("--vf") + " is needed: the forward voltage of one LED, or MIN:TYP:MAX");
    }
    request.vf = SpreadOf(say, "--vf", *input.vf, Voltage);
    if (input.leds) request.leds = static_cast<int>(Count(say, "--leds", *input.leds, kMostLeds));
    if (!input.current) {
      say.Refuse("--current",
                 say.Name("--current") + " is needed: the LEDs' current, such as 10m for 10 mA");
    }
    request.current = Current(say, "--current", *input.current);
    if (!(request.current > 0)) {
      say.Refuse("--current", say.Named("--current", *input.current) + " must be above 0");
    }
    const std::string times = std::to_string(request.leds) + " × ";
    const mpq_class drive = ExactDrive(request.vsupply.typ, request.leds, request.vf.typ);
    if (!(sgn(drive) > 0 && request.DriveTyp() > 0)) {
      say.Refuse("VSUPPLY",
                 say.Name("VSUPPLY") + " " + Volts(request.vsupply.typ) + " must be above " +
                     times + say.Name("--vf") + " " + Volts(request.vf.typ) + " = " +
                     Volts(request.leds * request.vf.typ) + ": the LEDs would not light");
    }
    if (!(sgn(ExactDrive(request.vsupply.min, request.leds, request.vf.max)) > 0 &&
          request.DriveLow() > 0)) {
      say.Refuse("VSUPPLY", say.Name("VSUPPLY") + " at its MIN " + Volts(request.vsupply.min) +
                                " must be above " + times + say.Name("--vf") + " at its MAX " +
                                Volts(request.vf.max) + " = " +
                                Volts(request.leds * request.vf.max) +
                                ": at that end of the band the LEDs would not light");
    }
    request.search.target = Nearest(drive / Exactly(request.current));
    if (!(request.search.target >= kMinResistance && request.search.target <= kMaxResistance)) {
      say.Refuse("--current", "The resistor these values ask for, " +
                                  ShownValue(table::Quantity::kOhm, request.search.target) +
                                  ", lies outside 1 µΩ to 1 PΩ; check " + say.Name("--current"));
    }
    if (input.parts) {
      request.search.maxParts =
          static_cast<int>(Count(say, "--parts", *input.parts, networks::kMaxParts));
    }
    if (input.tolerance) request.search.tolerance = Percent(say, "--tolerance", *input.tolerance);
    request.limit = Limit(say, input.top, input.all);
    request.excluded = Excluded(say, input.exclude);
    request.search.distinct = input.distinct;
    request.bounds.partTolerance = PartTolerance(say, "--part-tolerance", input.partTolerance);
    request.bounds.inventory = input.inventory;
    Band(say, input.within, input.tolerance.has_value(), request.search.tolerance,
         request.bounds.within);
    Load(say, input, request.bounds);
    request.prefer = Prefer(say, input.prefer);
    return request;
  });
}

std::array<double, 4> NetworkPartPowers(const networks::Network& network,
                                        std::span<const double> stock, double current) {
  // A group's value and, by slot, the fraction of the group's current each part carries.
  struct Share {
    double value = 0;
    std::array<double, 4> fraction{};
  };
  const auto leaf = [&](int slot) {
    Share share;
    share.value = stock[network.parts[static_cast<std::size_t>(slot)]];
    share.fraction[static_cast<std::size_t>(slot)] = 1;
    return share;
  };
  const auto series = [](const Share& x, const Share& y) {
    Share sum{x.value + y.value, {}};
    for (std::size_t slot = 0; slot < 4; ++slot)
      sum.fraction[slot] = x.fraction[slot] + y.fraction[slot];
    return sum;
  };
  const auto parallel = [](const Share& x, const Share& y) {
    const double total = x.value + y.value;
    Share both{x.value * y.value / total, {}};
    for (std::size_t slot = 0; slot < 4; ++slot) {
      both.fraction[slot] =
          x.fraction[slot] * (y.value / total) + y.fraction[slot] * (x.value / total);
    }
    return both;
  };
  const Share whole = networks::EvaluateNetwork(network, leaf, series, parallel);
  std::array<double, 4> powers{};
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(networks::PartCount(network.shape));
       ++slot) {
    const double through = current * whole.fraction[slot];
    powers[slot] = through * through * stock[network.parts[slot]];
  }
  return powers;
}

void SearchLed(const LedRequest& request, const LoadedStock& stock, const std::atomic<bool>* stop,
               std::uint64_t limit, const std::function<void(const networks::NetworkRow&)>& take) {
  WalkLed(request, stock, stop, limit, true, take);
}

LedRow MakeLedRow(std::uint64_t rank, const networks::NetworkRow& found, const LoadedStock& stock,
                  const LedRequest& request) {
  const Judged judged = Judge(found, stock, request);
  LedRow row;
  row.rank = rank;
  row.resistance = judged.value;
  row.current = judged.current;
  row.error = judged.error;
  row.low = judged.low;
  row.high = judged.high;
  row.worst = judged.worst;
  row.power = judged.power;
  row.partPowers = judged.powers;
  row.parts = found.Parts();
  row.network = networks::Spell(found.network, stock.names);
  row.banded = judged.banded;
  const std::array<const networks::Network*, 1> legs{&found.network};
  row.uses = UsesOf(stock, legs);
  if (stock.board) row.newValues = NewValues(found, stock);
  return row;
}

std::vector<table::Column> LedColumns(const LedRequest& request) {
  std::vector<table::Column> columns{
      {"Rank", "rank"},    {"Current", "current"}, {"Error (%)", "error"},
      {"Low", "low"},      {"High", "high"},       {"Worst (%)", "worst"},
      {"R", "resistance"}, {"Power (W)", "power"}, {"Parts", "parts"}};
  if (request.prefer) columns.push_back(kNewColumn);
  columns.push_back({"Network", "network", true});
  if (request.bounds.inventory) columns.push_back(kUsesColumn);
  return columns;
}

std::vector<table::ShownCell> LedShownCells(const LedRow& row, const LedRequest& request) {
  std::vector<table::ShownCell> cells{RankCell(row.rank),
                                      table::ShownKey(table::Quantity::kAmpere, row.current),
                                      table::ShownNumber(table::Quantity::kPercent, row.error)};
  if (row.banded) {
    cells.push_back(table::ShownNumber(table::Quantity::kAmpere, row.low));
    cells.push_back(table::ShownNumber(table::Quantity::kAmpere, row.high));
    cells.push_back(table::ShownNumber(table::Quantity::kSize, row.worst));
  } else {
    cells.insert(cells.end(), 3, table::ShownText(kUnknownBand));
  }
  cells.push_back(table::ShownNumber(table::Quantity::kOhm, row.resistance));
  cells.push_back(row.banded ? table::ShownNumber(table::Quantity::kWatt, row.power)
                             : table::ShownText(kUnknownBand));
  cells.push_back(table::ShownNumber(table::Quantity::kCount, row.parts));
  if (request.prefer) cells.push_back(table::ShownNumber(table::Quantity::kCount, row.newValues));
  cells.push_back(table::ShownText(row.network));
  if (request.bounds.inventory) cells.push_back(table::ShownText(row.uses.text));
  return cells;
}

std::vector<table::Cell> LedFields(const LedRow& row, const LedRequest& request) {
  std::vector<table::Cell> cells{table::NumberCell(row.rank), table::NumberCell(row.current),
                                 table::NumberCell(row.error)};
  for (const double value : {row.low, row.high, row.worst}) {
    cells.push_back(row.banded ? table::NumberCell(value) : table::NullCell());
  }
  cells.push_back(table::NumberCell(row.resistance));
  cells.push_back(row.banded ? table::NumberCell(row.power) : table::NullCell());
  cells.push_back(table::NumberCell(static_cast<std::uint64_t>(row.parts)));
  if (request.prefer) cells.push_back(NewCell(row.newValues));
  cells.push_back(table::TextCell(row.network));
  if (request.bounds.inventory) cells.push_back(UsesField(row.uses));
  return cells;
}

std::string NoLedRowNote(const LoadedStock& stock, const LedRequest& request) {
  std::optional<LedRow> best;
  WalkLed(request, stock, nullptr, 1, false,
          [&](const networks::NetworkRow& found) { best = MakeLedRow(1, found, stock, request); });
  if (!best) return "No network can be made from the library's values";
  const std::string_view wanted =
      request.bounds.within ? "whose worst case lies within " : "within ";
  const double percent = request.bounds.within ? *request.bounds.within : request.search.tolerance;
  std::string note = "No network gives " + ShownValue(table::Quantity::kAmpere, request.current) +
                     " " + std::string(wanted) + PlainDigits(percent) + " %";
  if (request.bounds.maxPower) {
    note += " with no part above " + ShownValue(table::Quantity::kWatt, *request.bounds.maxPower);
  }
  if (request.bounds.inventory) note += ", every part within its rating";
  note += "; the best is " + best->network + ": " +
          ShownQuantity(best->current, 3, UnitOf(table::Quantity::kAmpere)) + " (" +
          FormatPercent(best->error) + " %)";
  if (best->banded) {
    note += ", worst case " + FormatFixed(best->worst, 3) + " %, " +
            ShownQuantity(best->power, 3, UnitOf(table::Quantity::kWatt)) + " in a part";
  }
  return note;
}

}  // namespace vantrel::finder
