#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "stock_kind.h"

namespace vantrel::finder {

// What the free text of a part's description says about it.
struct PartDescription {
  const StockKind* kind = nullptr;  // none: neither a resistor, a capacitor nor an inductor
  bool severalKinds = false;        // the text names more than one kind and no unit settles it
  std::optional<double> value;      // in the kind's held unit
  std::optional<double> tolerance;  // percent
  std::optional<double> power;      // watts
  std::optional<double> tcr;        // ppm/°C
  std::string package;              // "0603", "AXIAL"
};

// Reads a distributor's description, such as "RES SMD 10K OHM 1% 1/10W 0603" or "100mW Thick
// Film Resistors 75V ±1% ±100ppm/℃ 10kΩ 0603 Chip Resistor". The kind comes from its words
// (RES, Resistor, CAP, MLCC, IND, Inductor, Choke), else from the unit of a value (Ω, F, H);
// the value is the first of that kind's notation with its unit, else one with a prefix
// ("10K", "100n"); a tolerance ends in %, a power in W (mW, 1/4W), a TCR holds ppm; the
// package is an imperial chip size (0603) or AXIAL, RADIAL or THT. Voltages, currents and
// other values (an inductor's resistance) are passed over. Ferrite beads, thermistors,
// potentiometers, fuses, LEDs and the like are of no kind.
PartDescription ReadDescription(std::string_view text);

}  // namespace vantrel::finder
