#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "quantity_text.h"

namespace vantrel {

enum class PartKind { kResistor, kCapacitor, kInductor };

// What sets one stock apart from the others: its file, how its values are written and how two
// of them combine. The file rules (line ends, BOM, limits, the rewrite, check, edit) are shared.
//
// Capacitors and inductors are held in a small unit (picofarads, nanohenries), so that the
// searches and their exact settling see numbers in the range resistances take; the notation
// converts at the edges, from the decimal text, so "4.7n" is exactly the double 4700 (pF).
struct StockKind {
  PartKind part;
  std::string_view fileName;     // beside the others in the working directory
  std::string_view path;         // "./" + fileName
  std::string_view name;         // "resistor", "capacitor", "inductor"
  std::string_view plural;       // as json names the stock kind
  std::string_view option;       // the command-line option choosing it; empty for resistors
  std::string_view unit;         // "F", "H"; empty for ohms, which are never written
  const QuantityUnit* quantity;  // how a value is read
  int heldPower;                 // values are held in 10^heldPower units: 0, -12 (pF), -9 (nH)
  std::string_view bareHint;     // the two prefixes suggested for a bare number
  bool swapFold;                 // parallel ones add and series ones fold (capacitors)
  std::string_view defaultFrom;  // a series' range unless told otherwise, in the notation
  std::string_view defaultTo;
  std::string_view starterSeries;  // the series that command writes
  std::string_view starter;        // the command that makes a missing stock
};

inline constexpr StockKind kResistors{PartKind::kResistor,
                                      "ResistorLibrary.txt",
                                      "./ResistorLibrary.txt",
                                      "resistor",
                                      "resistors",
                                      "",
                                      "",
                                      &kOhms,
                                      0,
                                      "",
                                      false,
                                      "10",
                                      "1M",
                                      "E24",
                                      "vantrel-cli series E24 --write"};
inline constexpr StockKind kCapacitors{PartKind::kCapacitor,
                                       "CapacitorLibrary.txt",
                                       "./CapacitorLibrary.txt",
                                       "capacitor",
                                       "capacitors",
                                       "--capacitors",
                                       "F",
                                       &kFarads,
                                       -12,
                                       "pu",
                                       true,
                                       "10p",
                                       "1000u",
                                       "E6",
                                       "vantrel-cli series E6 --capacitors --write"};
inline constexpr StockKind kInductors{PartKind::kInductor,
                                      "InductorLibrary.txt",
                                      "./InductorLibrary.txt",
                                      "inductor",
                                      "inductors",
                                      "--inductors",
                                      "H",
                                      &kHenries,
                                      -9,
                                      "nu",
                                      false,
                                      "1u",
                                      "100m",
                                      "E6",
                                      "vantrel-cli series E6 --inductors --write"};

inline constexpr std::array<const StockKind*, 3> kStockKinds = {&kResistors, &kCapacitors,
                                                                &kInductors};

// A value read in a capacitor's or inductor's notation.
struct KindValue {
  std::optional<double> held;  // in the held unit; set when the text is accepted
  std::string refusal;         // why the text is no value of the kind; empty when accepted
                               // and when the text starts with no number (no value at all)
  bool marked = false;         // a prefix or the unit is written, so no plain number reads so
};

// Capacitor and inductor notation, white space around it allowed: a number ([sign] digits
// [. digits] [e [sign] digits]) followed by an SI prefix (f, p, n, u, µ, m) and the unit letter
// (F or H, or f or h after a prefix), each optional, or a prefix standing for the decimal point
// ("4n7", "2u2"). A bare
// number without prefix, unit or exponent is refused: "100" could mean 100p as well as 100u.
// An exponent ("1e-7") or the unit ("2.2F") says the base unit plainly. Resistor letters
// (k, M, R, Ω) and any other text after the number are refused.
KindValue ParseKindValue(const StockKind& kind, std::string_view text);

// A held value in engineering notation with the kind's prefixes, the shortest text that reads
// back as the same double: 4700 pF gives "4.7n", 1e8 pF "100u", 2.2e12 pF "2.2F".
std::string KindValueText(const StockKind& kind, double held);

// For a piece of a resistor library: true when it is written in capacitor or inductor
// notation ("100n", "4u7", "10uH"), which resistor rules would read as a bare number.
bool IsReactiveNotation(std::string_view piece);

// "a resistor value", "an inductor value".
std::string AValue(const StockKind& kind);

// The missing-library message, as the resistor library's is worded.
std::string MissingLibraryMessage(const StockKind& kind);

// The message a failed write of kind's file shows, worded as the resistor library's.
std::string WriteErrorMessage(const StockKind& kind);
bool IsWriteErrorMessage(std::string_view text);

// A message written for the resistor library, with the file and the noun of kind.
std::string KindMessage(const StockKind& kind, std::string_view resistorMessage);

// The kind whose missing-library message text is, if any.
const StockKind* KindOfMissingMessage(std::string_view text);

}  // namespace vantrel
