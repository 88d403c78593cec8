#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "stock_kind.h"

namespace vantrel::drawer {

// Why a description gives no part to stock, as a short code that json carries beside the text.
inline constexpr std::string_view kNotAPart = "not-a-part";
inline constexpr std::string_view kSeveralKinds = "several-kinds";
inline constexpr std::string_view kNoValue = "no-value";
inline constexpr std::string_view kAmbiguousDecimal = "ambiguous-decimal";
inline constexpr std::string_view kJumper = "jumper";

// The reason a part that is neither a resistor, a capacitor nor an inductor is skipped with.
inline constexpr char kNotRlcReason[] = "neither a resistor, a capacitor nor an inductor";

// What the free text of a part's description says about it.
struct PartDescription {
  const StockKind* kind = nullptr;  // none: neither a resistor, a capacitor nor an inductor
  bool severalKinds = false;        // the text names more than one kind and no unit settles it
  std::optional<double> value;      // in the kind's held unit
  std::optional<double> tolerance;  // percent
  std::optional<double> power;      // watts
  std::optional<double> tcr;        // ppm/°C
  std::string package;              // "0603", "AXIAL"
  // Without a kind or a value: one of the codes above and the reason in words; else empty.
  std::string_view skipCode;
  std::string skipReason;
};

// Reads a distributor's description, such as "RES SMD 10K OHM 1% 1/10W 0603" or "100mW Thick
// Film Resistors 75V ±1% ±100ppm/℃ 10kΩ 0603 Chip Resistor". The kind comes from its words
// (RES, Resistor, CAP, MLCC, IND, Inductor, Choke), else from the unit of a value (Ω, F, H);
// the value is the first of that kind's notation with its unit, else one with a prefix
// ("10K", "100n"); a tolerance ends in %, a power in W (mW, 1/4W), a TCR holds ppm; the
// package is an imperial chip size (0603) or AXIAL, RADIAL or THT. A unit may follow its
// number after a space ("100 mW", "4.7 k", "10 kOhms"). Voltages, temperatures, frequencies
// and other values (an inductor's resistance) are passed over, before the value or after it.
// A decimal comma is read as a point where it cannot be a thousands separator ("5,1kΩ",
// "0,100uF"); a value such as "1,000pF" is skipped as ambiguous. A 0 Ω resistor is a jumper,
// skipped. Crystals, resonators, oscillators, connectors, ferrite beads, potentiometers,
// trimmers, thermistors, varistors, LEDs, fuses, diodes and resistor networks and arrays are
// of no kind, as is a part with a frequency and no word for its kind (a crystal's 12pF).
PartDescription ReadDescription(std::string_view text);

}  // namespace vantrel::drawer
