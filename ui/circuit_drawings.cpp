#include "circuit_drawings.h"

#include <string>
#include <string_view>

#include "colour_code.h"
#include "display_text.h"
#include "rc_search.h"
#include "schematic_view.h"

namespace vantrel {
namespace {

// The parts of a circuit's leg, each named by its role and value ("Rtop 75 Ω"; "R2a", "R2b"
// in a leg of more parts, as a digit would read as another part's number, R21 for R2's first):
// the leg renumbered to index labels, which it adds to.
struct Labeller {
  std::vector<std::string> labels;
  SchematicView::Bands bands;  // each resistor's colour bands by its label

  networks::Network operator()(const networks::Network& leg, std::string_view role,
                               table::Quantity quantity, const std::vector<double>& values) {
    networks::Network renumbered = leg;
    const int parts = networks::PartCount(leg.shape);
    for (int i = 0; i < parts; ++i) {
      const auto slot = static_cast<std::size_t>(i);
      std::string label(role);
      if (parts > 1) label += static_cast<char>('a' + i);
      const double value = values[leg.parts[slot]];
      labels.push_back(label + " " + finder::ShownValue(quantity, value));
      if (quantity == table::Quantity::kOhm) bands[labels.back()] = finder::ColourBands(value);
      renumbered.parts[slot] = static_cast<std::uint16_t>(labels.size() - 1);
    }
    return renumbered;
  }
};

// The RC picture's label: the corner the pair gives, or its time constant.
std::string RcCaption(double tau, bool corner) {
  return corner ? "fc = " + finder::ShownQuantity(1 / (networks::kTwoPi * tau), 3, "Hz")
                : "\u03c4 = " + finder::ShownQuantity(tau, 3, "s");
}

}  // namespace

table::Quantity QuantityOf(const StockKind& kind) {
  return kind.part == PartKind::kCapacitor  ? table::Quantity::kFarad
         : kind.part == PartKind::kInductor ? table::Quantity::kHenry
                                            : table::Quantity::kOhm;
}

std::vector<double> BaseValues(const finder::LoadedStock& stock, const StockKind& kind) {
  std::vector<double> values;
  for (const double held : stock.stock.values) values.push_back(finder::BaseValue(kind, held));
  return values;
}

namespace {

// A network of the stock's kind, each part labelled with its value.
Drawing NetworkDrawing(const StockKind& kind, const finder::LoadedStock& stock) {
  const schematic::PartSymbol symbol =
      kind.part == PartKind::kCapacitor  ? schematic::PartSymbol::kCapacitor
      : kind.part == PartKind::kInductor ? schematic::PartSymbol::kInductor
                                         : schematic::PartSymbol::kResistor;
  const std::string role(kind.part == PartKind::kCapacitor  ? "C"
                         : kind.part == PartKind::kInductor ? "L"
                                                            : "R");
  // A capacitor row's network was found with the resistor arithmetic, series for parallel.
  return [symbol, role, quantity = QuantityOf(kind), swapped = kind.swapFold,
          values = BaseValues(stock, kind)](SchematicView& view,
                                            const std::vector<networks::Network>& row) {
    Labeller label;
    const networks::Network network = label(row[0], role, quantity, values);
    view.SetNetwork(swapped ? networks::Swapped(network) : network, label.labels, symbol);
    view.SetColourBands(std::move(label.bands));
  };
}

}  // namespace

Drawing DrawingOf(const finder::FindRequest& request, const finder::LoadedStock& stock) {
  return NetworkDrawing(*request.kind, stock);
}

// The network alone, as find draws a resistor's; the LEDs are not drawn.
Drawing DrawingOf(const finder::LedRequest&, const finder::LoadedStock& stock) {
  return NetworkDrawing(kResistors, stock);
}

Drawing DrawingOf(const finder::DividerRequest&, const finder::LoadedStock& stock) {
  return [values = stock.stock.values](SchematicView& view,
                                       const std::vector<networks::Network>& row) {
    Labeller label;
    const networks::Network r1 = label(row[0], "R1", table::Quantity::kOhm, values);
    const networks::Network r2 = label(row[1], "R2", table::Quantity::kOhm, values);
    view.SetDivider(r1, r2, label.labels);
    view.SetColourBands(std::move(label.bands));
  };
}

Drawing DrawingOf(const finder::RegulatorRequest& request, const finder::LoadedStock& stock) {
  return [top = request.referenceTop, values = stock.stock.values](
             SchematicView& view, const std::vector<networks::Network>& row) {
    Labeller label;
    const networks::Network rtop = label(row[0], "Rtop", table::Quantity::kOhm, values);
    const networks::Network rbottom = label(row[1], "Rbottom", table::Quantity::kOhm, values);
    view.SetRegulator(rtop, rbottom, top, label.labels);
    view.SetColourBands(std::move(label.bands));
  };
}

Drawing DrawingOf(const finder::GainRequest& request, const finder::LoadedStock& stock) {
  return [inverting = request.inverting, values = stock.stock.values](
             SchematicView& view, const std::vector<networks::Network>& row) {
    Labeller label;
    const networks::Network rf = label(row[0], "Rf", table::Quantity::kOhm, values);
    const networks::Network rg =
        label(row[1], inverting ? "Rin" : "Rg", table::Quantity::kOhm, values);
    view.SetAmplifier(rf, rg, inverting, label.labels);
    view.SetColourBands(std::move(label.bands));
  };
}

// The capacitors are held in farads here.
Drawing DrawingOf(const finder::RcRequest& request, const finder::RcStocks& stocks) {
  return [r = stocks.resistors.stock.values, c = stocks.capacitors.stock.values,
          corner = request.search.quantity == networks::RcQuantity::kCorner](
             SchematicView& view, const std::vector<networks::Network>& row) {
    const double tau = networks::NetworkValue(row[0], r) * networks::CapacitorLegValue(row[1], c);
    Labeller rLabel;
    Labeller cLabel;
    const networks::Network rLeg = rLabel(row[0], "R", table::Quantity::kOhm, r);
    const networks::Network cLeg = cLabel(row[1], "C", table::Quantity::kFarad, c);
    view.SetRc(rLeg, rLabel.labels, cLeg, cLabel.labels, RcCaption(tau, corner));
    view.SetColourBands(std::move(rLabel.bands));
  };
}

}  // namespace vantrel
