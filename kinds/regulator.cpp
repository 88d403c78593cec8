#include "regulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "display_text.h"
#include "field_reading.h"
#include "number_text.h"
#include "preferred_search.h"
#include "row_notes.h"

namespace vantrel::finder {

namespace {

// Leg B carries VREF, leg A the rest of VOUT, in either form.
std::pair<double, double> RegulatorVolts(const std::array<double, 2>& k,
                                         const networks::TwoLegRow& row) {
  return {row.output - k[0], k[0]};
}

}  // namespace

Checked<RegulatorRequest> CheckRegulator(const RegulatorInput& input, Wording wording) {
  using namespace fields;
  const Speaker say(wording);
  return Check<RegulatorRequest>([&] {
    RegulatorRequest request;
    networks::TwoLegOptions& search = request.search;
    search.target = Voltage(say, "VOUT", input.vout);
    if (!input.vref) {
      say.Refuse("--vref",
                 say.Name("--vref") + " is needed: the reference voltage, or MIN:TYP:MAX");
    }
    request.vref = SpreadOf(say, "--vref", *input.vref, Voltage);
    if (input.iadj) request.iadj = SpreadOf(say, "--iadj", *input.iadj, Current);
    if (!(request.vref.typ < search.target)) {
      say.Refuse("VOUT", say.Named("VOUT", input.vout) + " must be above " +
                             say.Named("--vref", *input.vref) +
                             ": the divider only raises the reference");
    }
    request.referenceTop = input.referenceTop;
    ReadLegs(say, input, request);
    Load(say, input, request.bounds);
    return request;
  });
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

// The constants' spread as a note names it: "VREF ± 1.5 %", "IADJ 20 µA … 100 µA"; empty
// where both are one figure.
std::string SpreadText(const RegulatorRequest& request, Wording wording) {
  std::vector<std::string> spreads;
  const Spread& vref = request.vref;
  if (vref.min != vref.max) {
    const double below = (vref.typ - vref.min) / vref.typ * 100;
    const double above = (vref.max - vref.typ) / vref.typ * 100;
    // Alike but for the doubles' rounding: one spread either way.
    spreads.push_back(std::fabs(below - above) <= 1e-9 * std::max(below, above)
                          ? "VREF ± " + FormatPercent(std::max(below, above)).substr(1) + " %"
                          : "VREF " + FormatPercent(-below) + " % … " + FormatPercent(above) +
                                " %");
  }
  const Spread& iadj = request.iadj;
  if (iadj.min != iadj.max) {
    const auto spell = [&](double value) {
      return wording == Wording::kWindow ? ShownValue(table::Quantity::kAmpere, value)
                                         : PlainDigits(value);
    };
    spreads.push_back("IADJ " + spell(iadj.min) + " … " + spell(iadj.max));
  }
  if (spreads.size() == 2) return spreads[0] + " and " + spreads[1];
  return spreads.empty() ? std::string() : spreads.front();
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
  design.constants = SpreadText(request, request.wording);
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

std::vector<table::Column> RegulatorColumns(const RegulatorRequest& request) {
  std::vector<table::Column> columns{{"Rank", "rank"}};
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

std::vector<table::ShownCell> RegulatorShownCells(const DesignRow& row,
                                                  const RegulatorRequest& request) {
  std::vector<table::ShownCell> cells =
      DesignShownCells(row, row.first, row.second, table::Quantity::kVolt, row.output, request);
  // In spec: after the first five cells and the band's low, high and worst case.
  if (Banded(request.bounds) && row.restsOnIadj) cells[8] = table::ShownText("no (IADJ)");
  cells.push_back(table::ShownNumber(table::Quantity::kOhm, row.total));
  cells.push_back(table::ShownNumber(table::Quantity::kAmpere, row.current));
  cells.push_back(table::ShownNumber(table::Quantity::kWatt, row.power));
  if (request.iadj.max > 0) {
    // A share, so without a sign.
    table::ShownCell share = table::ShownNumber(table::Quantity::kSize, row.iadjShare);
    if (row.iadjShare > kIadjShareMark) share.text = " !";
    cells.push_back(share);
  }
  AddDrawerCells(cells, row, request);
  return cells;
}

std::vector<table::Cell> RegulatorFields(const DesignRow& row, const RegulatorRequest& request) {
  std::vector<table::Cell> cells = DesignFields(row, row.first, row.second, row.output, request);
  cells.push_back(table::NumberCell(row.total));
  cells.push_back(table::NumberCell(row.current));
  cells.push_back(table::NumberCell(row.power));
  if (request.iadj.max > 0) cells.push_back(table::NumberCell(row.iadjShare));
  AddDrawerFields(cells, row, request);
  return cells;
}

std::string NoRegulatorRowNote(const LoadedStock& stock, const RegulatorRequest& request) {
  const std::vector<std::string> names = LegNames(stock, request.wording);
  return NoDesignNote(RegulatorDesign(request), request.wording, stock, "design",
                      table::Quantity::kVolt, [&](const networks::TwoLegRow& found) {
                        const networks::Network& top = request.referenceTop ? found.b : found.a;
                        const networks::Network& bottom = request.referenceTop ? found.a : found.b;
                        return "Rtop = " + networks::Spell(top, names) +
                               ", Rbottom = " + networks::Spell(bottom, names);
                      });
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

}  // namespace vantrel::finder
