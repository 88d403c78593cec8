#include "divider.h"

#include <array>
#include <cmath>
#include <utility>

#include "field_reading.h"
#include "preferred_search.h"
#include "row_notes.h"

namespace vantrel::finder {

namespace {

// The voltages across R1 and R2, for the power their parts take.
std::pair<double, double> DividerVolts(const std::array<double, 2>& k,
                                       const networks::TwoLegRow& row) {
  return {k[0] * row.ra / row.total, k[0] * row.rb / row.total};
}

// R2 || L, the bottom of a loaded divider (k: VIN, L).
double LoadedBottom(const std::array<double, 2>& k, const networks::TwoLegRow& row) {
  return row.rb * k[1] / (row.rb + k[1]);
}

// With a load across R2: R1 takes VIN R1 / (R1 + R2 || L), R2 the rest.
std::pair<double, double> LoadedDividerVolts(const std::array<double, 2>& k,
                                             const networks::TwoLegRow& row) {
  const double bottom = LoadedBottom(k, row);
  const double sum = row.ra + bottom;
  return {k[0] * row.ra / sum, k[0] * bottom / sum};
}

}  // namespace

Checked<DividerRequest> CheckDivider(const DividerInput& input, Wording wording) {
  using namespace fields;
  const Speaker say(wording);
  return Check<DividerRequest>([&] {
    DividerRequest request;
    networks::DividerOptions& search = request.search;
    search.vin = Voltage(say, "VIN", input.vin);
    search.vout = Voltage(say, "VOUT", input.vout);
    if (!(search.vout < search.vin)) {
      say.Refuse("VOUT", say.Named("VOUT", input.vout) + " must be below " +
                             say.Named("VIN", input.vin) + ": a divider only lowers the voltage");
    }
    ReadLegs(say, input, request);
    Load(say, input, request.bounds);
    if (input.load) search.load = Resistance(say, "--load", *input.load);
    if (input.maxSource) {
      search.maxSource = Resistance(say, "--max-source", *input.maxSource);
      request.source = true;
    }
    request.power = input.power || input.maxPower;
    return request;
  });
}

Design DividerDesign(const DividerRequest& request) {
  Design design;
  design.formula = networks::DividerFormulaOf(request.search);
  design.low = design.formula;
  design.high = design.formula;
  design.options = networks::DividerLegOptions(request.search);
  design.bounds = request.bounds;
  design.volts = DividerVolts;
  design.current = [](const std::array<double, 2>& k, const networks::TwoLegRow& row) {
    return k[0] / row.total;
  };
  // The load's own current is no part's: R1 carries it and R2's.
  if (!std::isinf(request.search.load)) {
    design.volts = LoadedDividerVolts;
    design.current = [](const std::array<double, 2>& k, const networks::TwoLegRow& row) {
      return k[0] / (row.ra + LoadedBottom(k, row));
    };
  }
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
  row.source = found.parallel;
  const Design design = DividerDesign(request);
  row.current = design.current(design.formula.k, found);
  AddBand(row, design, found, stock);
  if (request.power) row.power = MaxPartPower(design, found, stock.stock.values);
  if (stock.board) row.newValues = NewValues(found, stock);
  return row;
}

std::vector<table::Column> DividerColumns(const DividerRequest& request) {
  std::vector<table::Column> columns{{"Rank", "rank"},
                                     {"R1", "r1", true},
                                     {"R2", "r2", true},
                                     {"VOUT", "vout"},
                                     {"Error (%)", "error"}};
  AddBandColumns(columns, Banded(request.bounds), request.bounds.statistics);
  columns.insert(columns.end(), {{"R1 + R2", "total"}, {"Current", "current"}});
  if (request.source) columns.push_back({"Source", "source"});
  if (request.power) columns.push_back({"Power (W)", "power"});
  AddDrawerColumns(columns, request);
  return columns;
}

std::vector<table::ShownCell> DividerShownCells(const DividerRow& row,
                                                const DividerRequest& request) {
  std::vector<table::ShownCell> cells =
      DesignShownCells(row, row.r1, row.r2, table::Quantity::kVolt, row.vout, request);
  cells.push_back(table::ShownNumber(table::Quantity::kOhm, row.total));
  cells.push_back(table::ShownNumber(table::Quantity::kAmpere, row.current));
  if (request.source) cells.push_back(table::ShownNumber(table::Quantity::kOhm, row.source));
  if (request.power) cells.push_back(table::ShownNumber(table::Quantity::kWatt, row.power));
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<table::Cell> DividerFields(const DividerRow& row, const DividerRequest& request) {
  std::vector<table::Cell> cells = DesignFields(row, row.r1, row.r2, row.vout, request);
  cells.push_back(table::NumberCell(row.total));
  cells.push_back(table::NumberCell(row.current));
  if (request.source) cells.push_back(table::NumberCell(row.source));
  if (request.power) cells.push_back(table::NumberCell(row.power));
  AddDrawerFields(cells, row, request);
  return cells;
}

std::string NoDividerRowNote(const LoadedStock& stock, const DividerRequest& request) {
  const std::vector<std::string> names = LegNames(stock, request.wording);
  return NoDesignNote(DividerDesign(request), request.wording, stock, "divider",
                      table::Quantity::kVolt, [&](const networks::TwoLegRow& found) {
                        return "R1 = " + networks::Spell(found.a, names) +
                               ", R2 = " + networks::Spell(found.b, names);
                      });
}

}  // namespace vantrel::finder
