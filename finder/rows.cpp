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

namespace vantrel::finder {

FindRow MakeFindRow(std::uint64_t rank, const networks::NetworkRow& found, const LoadedStock& stock,
                    const FindRequest& request) {
  FindRow row;
  row.rank = rank;
  row.value = found.value;
  row.deviation = found.deviation;
  row.parts = networks::PartCount(found.network.shape);
  row.network = networks::Spell(found.network, stock.names, stock.kind->swapFold);
  if (request.partTolerance) {
    const double t = *request.partTolerance / 100;
    const double target = request.search.target;
    row.low = networks::NetworkValue(found.network, stock.stock.values, 1 - t);
    row.high = networks::NetworkValue(found.network, stock.stock.values, 1 + t);
    row.coversTarget = row.low <= target && target <= row.high;
  }
  return row;
}

namespace {

bool Banded(const DesignBounds& bounds) {
  return bounds.partTolerance || bounds.within;
}

// The worst case of a found design, and whether it lies within the band (--within, else the
// tolerance).
template <class Row>
void AddBand(Row& row, const Design& design, const networks::TwoLegRow& found,
             const LoadedStock& stock) {
  if (!Banded(design.bounds)) return;
  std::tie(row.low, row.high) = WorstCase(design, found, stock.stock.values);
  row.inSpec = WithinBand(row.low, row.high, design.options.target,
                          design.bounds.within.value_or(design.options.tolerance));
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

// The cells of the band columns, after the error: the output's worst case in its quantity.
void AddBandCells(std::vector<ShownCell>& cells, Quantity quantity, double low, double high,
                  bool inSpec) {
  cells.push_back(ShownNumber(quantity, low));
  cells.push_back(ShownNumber(quantity, high));
  cells.push_back(ShownText(inSpec ? "yes" : "no"));
}

void AddBandFields(std::vector<Cell>& cells, double low, double high, bool inSpec) {
  cells.push_back(NumberCell(low));
  cells.push_back(NumberCell(high));
  cells.push_back(BoolCell(inSpec));
}

constexpr Column kBandColumns[] = {{"Low", "low"}, {"High", "high"}, {"In spec", "in_spec"}};

// The options a request bounds its rows by beyond the tolerance and the totals, as the note
// that no row meets them names them.
std::string BoundsGiven(const DesignBounds& bounds, Wording wording) {
  std::vector<std::string> given;
  // The window reads a quantity with its unit ("Min current 3.5 mA"), the command line as typed.
  const auto add = [&](std::string_view option, double value, Quantity quantity) {
    const std::string text = wording == Wording::kWindow && quantity != Quantity::kPercent
                                 ? ShownValue(quantity, value)
                                 : PlainDigits(value);
    given.push_back(std::string(FieldName(option, wording)).append(" ").append(text));
  };
  if (bounds.within) add("--within", *bounds.within, Quantity::kPercent);
  if (bounds.maxPower) add("--max-power", *bounds.maxPower, Quantity::kWatt);
  if (bounds.minCurrent > 0) add("--min-current", bounds.minCurrent, Quantity::kAmpere);
  if (!std::isinf(bounds.maxCurrent)) add("--max-current", bounds.maxCurrent, Quantity::kAmpere);
  std::string text;
  for (const std::string& option : given) text += (text.empty() ? "" : ", ") + option;
  return text;
}

// The closest design of any error, for the note when none lies within the tolerance; the
// bounds on current, power and band are not searched for, which could take every pair.
std::optional<networks::TwoLegRow> Closest(const Design& design, const LoadedStock& stock) {
  networks::TwoLegOptions anyError = design.options;
  anyError.tolerance = std::numeric_limits<double>::infinity();
  std::optional<networks::TwoLegRow> closest;
  networks::FindTwoLegs(stock.stock.values, design.formula, anyError, 1,
                        [&](const networks::TwoLegRow& row) { closest = row; });
  return closest;
}

std::string TotalsNote(double minTotal, double maxTotal) {
  return std::isinf(maxTotal) ? "of at least " + PlainDigits(minTotal)
         : minTotal == 0      ? "of at most " + PlainDigits(maxTotal)
                         : "between " + PlainDigits(minTotal) + " and " + PlainDigits(maxTotal);
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

Design RegulatorDesign(const RegulatorRequest& request) {
  Design design;
  design.formula = networks::RegulatorFormula(request.vref.typ, request.iadj.typ);
  design.low = networks::RegulatorFormula(request.vref.min, request.iadj.min);
  design.high = networks::RegulatorFormula(request.vref.max, request.iadj.max);
  design.options = request.search;
  design.bounds = request.bounds;
  design.volts = RegulatorVolts;
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
  DividerRow row{rank,
                 networks::Spell(found.a, stock.names),
                 networks::Spell(found.b, stock.names),
                 found.output,
                 found.error,
                 found.total,
                 request.search.vin / found.total};
  if (Banded(request.bounds) || request.power) {
    const Design design = DividerDesign(request);
    AddBand(row, design, found, stock);
    if (request.power) row.power = MaxPartPower(design, found, stock.stock.values);
  }
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
  return row;
}

std::vector<Column> FindColumns(const FindRequest& request) {
  std::vector<Column> columns{
      {"Rank", "rank"}, {"Value", "value"}, {"Deviation (%)", "deviation"}, {"Parts", "parts"}};
  if (request.partTolerance) {
    columns.insert(columns.end(),
                   {{"Low", "low"}, {"High", "high"}, {"Covers target", "covers_target"}});
  }
  columns.push_back({"Network", "network", true});
  return columns;
}

std::vector<Column> DividerColumns(const DividerRequest& request) {
  std::vector<Column> columns{{"Rank", "rank"},
                              {"R1", "r1", true},
                              {"R2", "r2", true},
                              {"VOUT", "vout"},
                              {"Error (%)", "error"}};
  if (Banded(request.bounds)) columns.insert(columns.end(), kBandColumns, std::end(kBandColumns));
  columns.insert(columns.end(), {{"R1 + R2", "total"}, {"Current", "current"}});
  if (request.power) columns.push_back({"Power (W)", "power"});
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
  if (Banded(request.bounds)) columns.insert(columns.end(), kBandColumns, std::end(kBandColumns));
  columns.insert(columns.end(),
                 {{"Rtop + Rbottom", "total"}, {"Current", "current"}, {"Power (W)", "power"}});
  return columns;
}

std::vector<Column> GainColumns(const GainRequest& request) {
  std::vector<Column> columns{
      {"Rank", "rank"},
      {"Rf", "rf", true},
      request.inverting ? Column{"Rin", "rin", true} : Column{"Rg", "rg", true},
      {"Gain", "gain"},
      {"Error (%)", "error"}};
  if (Banded(request.bounds)) columns.insert(columns.end(), kBandColumns, std::end(kBandColumns));
  columns.push_back(request.inverting ? Column{"Rf + Rin", "total"} : Column{"Rf + Rg", "total"});
  return columns;
}

std::vector<std::string> ColumnNames(const std::vector<Column>& columns) {
  std::vector<std::string> names;
  for (const Column& column : columns) names.emplace_back(column.name);
  return names;
}

namespace {

// A held value's quantity and its value in the base unit.
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
  if (request.partTolerance) {
    cells.push_back(ShownNumber(quantity, BaseValue(kind, row.low)));
    cells.push_back(ShownNumber(quantity, BaseValue(kind, row.high)));
    cells.push_back(ShownText(row.coversTarget ? "yes" : "no"));
  }
  cells.push_back(ShownText(row.network));
  return cells;
}

std::vector<ShownCell> DividerShownCells(const DividerRow& row, const DividerRequest& request) {
  std::vector<ShownCell> cells{RankCell(row.rank), ShownText(row.r1), ShownText(row.r2),
                               ShownKey(Quantity::kVolt, row.vout),
                               ShownNumber(Quantity::kPercent, row.error)};
  if (Banded(request.bounds)) AddBandCells(cells, Quantity::kVolt, row.low, row.high, row.inSpec);
  cells.push_back(ShownNumber(Quantity::kOhm, row.total));
  cells.push_back(ShownNumber(Quantity::kAmpere, row.current));
  if (request.power) cells.push_back(ShownNumber(Quantity::kWatt, row.power));
  return cells;
}

std::vector<ShownCell> RegulatorShownCells(const DesignRow& row, const RegulatorRequest& request) {
  std::vector<ShownCell> cells{RankCell(row.rank), ShownText(row.first), ShownText(row.second),
                               ShownKey(Quantity::kVolt, row.output),
                               ShownNumber(Quantity::kPercent, row.error)};
  if (Banded(request.bounds)) AddBandCells(cells, Quantity::kVolt, row.low, row.high, row.inSpec);
  cells.push_back(ShownNumber(Quantity::kOhm, row.total));
  cells.push_back(ShownNumber(Quantity::kAmpere, row.current));
  cells.push_back(ShownNumber(Quantity::kWatt, row.power));
  return cells;
}

std::vector<ShownCell> GainShownCells(const DesignRow& row, const GainRequest& request) {
  std::vector<ShownCell> cells{RankCell(row.rank), ShownText(row.first), ShownText(row.second),
                               ShownKey(Quantity::kPlain, row.output),
                               ShownNumber(Quantity::kPercent, row.error)};
  if (Banded(request.bounds)) AddBandCells(cells, Quantity::kPlain, row.low, row.high, row.inSpec);
  cells.push_back(ShownNumber(Quantity::kOhm, row.total));
  return cells;
}

std::vector<Cell> FindFields(const FindRow& row, const FindRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), NumberCell(row.value), NumberCell(row.deviation),
                          NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (request.partTolerance) {
    cells.push_back(NumberCell(row.low));
    cells.push_back(NumberCell(row.high));
    cells.push_back(BoolCell(row.coversTarget));
  }
  cells.push_back(TextCell(row.network));
  return cells;
}

std::vector<Cell> DividerFields(const DividerRow& row, const DividerRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), TextCell(row.r1), TextCell(row.r2),
                          NumberCell(row.vout), NumberCell(row.error)};
  if (Banded(request.bounds)) AddBandFields(cells, row.low, row.high, row.inSpec);
  cells.push_back(NumberCell(row.total));
  cells.push_back(NumberCell(row.current));
  if (request.power) cells.push_back(NumberCell(row.power));
  return cells;
}

std::vector<Cell> RegulatorFields(const DesignRow& row, const RegulatorRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), TextCell(row.first), TextCell(row.second),
                          NumberCell(row.output), NumberCell(row.error)};
  if (Banded(request.bounds)) AddBandFields(cells, row.low, row.high, row.inSpec);
  cells.push_back(NumberCell(row.total));
  cells.push_back(NumberCell(row.current));
  cells.push_back(NumberCell(row.power));
  return cells;
}

std::vector<Cell> GainFields(const DesignRow& row, const GainRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank), TextCell(row.first), TextCell(row.second),
                          NumberCell(row.output), NumberCell(row.error)};
  if (Banded(request.bounds)) AddBandFields(cells, row.low, row.high, row.inSpec);
  cells.push_back(NumberCell(row.total));
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
  const networks::DividerOptions& bounds = request.search;
  if (const std::string given = BoundsGiven(request.bounds, request.wording); !given.empty()) {
    return "No divider within " + PlainDigits(bounds.tolerance) + " % of " +
           PlainDigits(bounds.vout) + " meets " + given;
  }
  const std::optional<networks::TwoLegRow> closest = Closest(DividerDesign(request), stock);
  const bool totals = bounds.minTotal > 0 || !std::isinf(bounds.maxTotal);
  if (!closest && !totals) {
    return std::string("No divider can be made from the library's values") +
           (bounds.distinct ? " with each value used once" : "");
  }
  if (!closest) return "No divider has a total " + TotalsNote(bounds.minTotal, bounds.maxTotal);
  const DividerRow row = MakeDividerRow(1, *closest, stock, request);
  return "No divider within " + PlainDigits(bounds.tolerance) + " % of " +
         PlainDigits(bounds.vout) + "; the closest is R1 = " + row.r1 + ", R2 = " + row.r2 + ": " +
         FormatEngineering(row.vout, DigitsToTellApart(row.vout, bounds.vout)) + " (" +
         FormatPercent(row.error) + " %)";
}

namespace {

// The note of a regulator or an amplifier: what keeps every row out, or the closest design.
std::string NoDesignRowNote(const Design& design, Wording wording, const LoadedStock& stock,
                            std::string_view what, const std::string& legs,
                            const std::function<std::string(const networks::TwoLegRow&)>& spell) {
  const networks::TwoLegOptions& options = design.options;
  const std::string within =
      " within " + PlainDigits(options.tolerance) + " % of " + PlainDigits(options.target);
  if (const std::string given = BoundsGiven(design.bounds, wording); !given.empty()) {
    return "No " + std::string(what) + within + " meets " + given;
  }
  const std::optional<networks::TwoLegRow> closest = Closest(design, stock);
  if (!closest) {
    return "No " + std::string(what) +
           " can be made from the library's values within the bounds on " + legs;
  }
  return "No " + std::string(what) + within + "; the closest is " + spell(*closest) + ": " +
         FormatEngineering(closest->output, DigitsToTellApart(closest->output, options.target)) +
         " (" + FormatPercent(closest->error) + " %)";
}

}  // namespace

std::string NoRegulatorRowNote(const LoadedStock& stock, const RegulatorRequest& request) {
  return NoDesignRowNote(RegulatorDesign(request), request.wording, stock, "design",
                         "Rtop + Rbottom", [&](const networks::TwoLegRow& found) {
                           const DesignRow row = MakeRegulatorRow(1, found, stock, request);
                           return "Rtop = " + row.first + ", Rbottom = " + row.second;
                         });
}

std::string NoGainRowNote(const LoadedStock& stock, const GainRequest& request) {
  return NoDesignRowNote(GainDesign(request), request.wording, stock, "design", "Rf and the total",
                         [&](const networks::TwoLegRow& found) {
                           const DesignRow row = MakeGainRow(1, found, stock, request);
                           return "Rf = " + row.first +
                                  (request.inverting ? ", Rin = " : ", Rg = ") + row.second;
                         });
}

RcStocks MakeRcStocks(LoadedStock resistors, LoadedStock capacitors, int heldPower) {
  RcStocks stocks{std::move(resistors), std::move(capacitors)};
  LoadedStock& c = stocks.capacitors;
  std::vector<double> farads;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < c.stock.values.size(); ++i) {
    const networks::Decimal held = networks::ShortestDecimal(c.stock.values[i]);
    const std::string text =
        std::to_string(held.digits) + "e" + std::to_string(held.exponent + heldPower);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    // Values of 16 or 17 digits may meet in one double; the first one's name stays.
    if (!farads.empty() && farads.back() == value) continue;
    farads.push_back(value);
    names.push_back(c.names[i]);
  }
  c.stock.values = std::move(farads);
  c.names = std::move(names);
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
  if (Banded(request.bounds)) {
    std::tie(row.low, row.high) = RcWorstCase(found, request.search.quantity, request.bounds);
    row.inSpec = WithinBand(row.low, row.high, request.search.target,
                            request.bounds.within.value_or(request.search.tolerance));
  }
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
  if (Banded(request.bounds)) columns.insert(columns.end(), kBandColumns, std::end(kBandColumns));
  if (Corner(request)) columns.push_back({"Tau (s)", "tau"});
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
  if (Banded(request.bounds)) AddBandCells(cells, quantity, row.low, row.high, row.inSpec);
  if (Corner(request)) cells.push_back(ShownNumber(Quantity::kSecond, row.tau));
  return cells;
}

std::vector<Cell> RcFields(const RcRow& row, const RcRequest& request) {
  std::vector<Cell> cells{NumberCell(row.rank),  TextCell(row.r),
                          TextCell(row.c),       NumberCell(row.output),
                          NumberCell(row.error), NumberCell(static_cast<std::uint64_t>(row.parts))};
  if (Banded(request.bounds)) AddBandFields(cells, row.low, row.high, row.inSpec);
  if (Corner(request)) cells.push_back(NumberCell(row.tau));
  return cells;
}

std::string NoRcRowNote(const RcStocks& stocks, const RcRequest& request) {
  const networks::RcOptions& search = request.search;
  const std::string what = Corner(request) ? "corner" : "time constant";
  const std::string within = " within " + PlainDigits(search.tolerance) + " % of the " + what +
                             " " + PlainDigits(search.target);
  if (request.bounds.within) {
    return "No RC pair" + within + " meets " +
           std::string(FieldName("--within", request.wording)).append(" ") +
           PlainDigits(*request.bounds.within);
  }
  networks::RcOptions anyError = search;
  anyError.tolerance = std::numeric_limits<double>::infinity();
  std::optional<networks::RcRow> closest;
  networks::FindRc(stocks.resistors.stock.values, stocks.capacitors.stock.values, anyError, 1,
                   [&](const networks::RcRow& row) { closest = row; });
  if (!closest) {
    return "No RC pair has a resistor " + TotalsNote(search.minR, search.maxR);
  }
  const RcRow row = MakeRcRow(1, *closest, stocks, request);
  return "No RC pair" + within + "; the closest is R = " + row.r + ", C = " + row.c + ": " +
         FormatEngineering(row.output, DigitsToTellApart(row.output, search.target)) + " (" +
         FormatPercent(row.error) + " %)";
}

}  // namespace vantrel::finder
