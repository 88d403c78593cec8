#include "gain.h"

#include "field_reading.h"
#include "preferred_search.h"
#include "row_notes.h"

namespace vantrel::finder {

Checked<GainRequest> CheckGain(const GainInput& input, Wording wording) {
  using namespace fields;
  const Speaker say(wording);
  return Check<GainRequest>([&] {
    GainRequest request;
    networks::TwoLegOptions& search = request.search;
    search.target = fields::Quantity(say, "G", input.gain, kRatio, kMinVoltage, kMaxVoltage,
                                     "gains from 0.000001 to 1000000");
    request.inverting = input.inverting;
    if (!input.inverting && search.target < 1) {
      say.Refuse("G", say.Named("G", input.gain) +
                          " is below 1: a non-inverting amplifier gains at least 1 (" +
                          (say.Window() ? "Inverting" : "--inverting") + " for an inverting one)");
    }
    ReadLegs(say, input, request, [&] {
      Range(say, Resistance, "--rf-min", "--rf-max", input.rfMin, input.rfMax, search.minA,
            search.maxA);
    });
    return request;
  });
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

std::vector<table::Column> GainColumns(const GainRequest& request) {
  std::vector<table::Column> columns{
      {"Rank", "rank"},
      {"Rf", "rf", true},
      request.inverting ? table::Column{"Rin", "rin", true} : table::Column{"Rg", "rg", true},
      {"Gain", "gain"},
      {"Error (%)", "error"}};
  AddBandColumns(columns, Banded(request.bounds), request.bounds.statistics);
  columns.push_back(request.inverting ? table::Column{"Rf + Rin", "total"}
                                      : table::Column{"Rf + Rg", "total"});
  AddDrawerColumns(columns, request);
  return columns;
}

std::vector<table::ShownCell> GainShownCells(const DesignRow& row, const GainRequest& request) {
  std::vector<table::ShownCell> cells =
      DesignShownCells(row, row.first, row.second, table::Quantity::kPlain, row.output, request);
  cells.push_back(table::ShownNumber(table::Quantity::kOhm, row.total));
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<table::Cell> GainFields(const DesignRow& row, const GainRequest& request) {
  std::vector<table::Cell> cells = DesignFields(row, row.first, row.second, row.output, request);
  cells.push_back(table::NumberCell(row.total));
  AddDrawerFields(cells, row, request);
  return cells;
}

std::string NoGainRowNote(const LoadedStock& stock, const GainRequest& request) {
  const std::vector<std::string> names = LegNames(stock, request.wording);
  return NoDesignNote(GainDesign(request), request.wording, stock, "design", table::Quantity::kSize,
                      [&](const networks::TwoLegRow& found) {
                        return "Rf = " + networks::Spell(found.a, names) +
                               (request.inverting ? ", Rin = " : ", Rg = ") +
                               networks::Spell(found.b, names);
                      });
}

}  // namespace vantrel::finder
