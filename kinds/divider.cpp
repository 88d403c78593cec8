#include "divider.h"

#include <array>
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
    request.power = input.power || input.maxPower;
    return request;
  });
}

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

std::string NoDividerRowNote(const LoadedStock& stock, const DividerRequest& request) {
  const std::vector<std::string> names = LegNames(stock, request.wording);
  return NoDesignNote(DividerDesign(request), request.wording, stock, "divider", Quantity::kVolt,
                      [&](const networks::TwoLegRow& found) {
                        return "R1 = " + networks::Spell(found.a, names) +
                               ", R2 = " + networks::Spell(found.b, names);
                      });
}

}  // namespace vantrel::finder
