#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "stock_kind.h"

// The fields of a part as an inventory writes them: a value in its kind's notation, a
// tolerance, a power rating, a temperature coefficient and a count.
namespace vantrel {

// A count is at most this, so that sums of counts stay exact.
inline constexpr std::uint64_t kMostPartQuantity = 999'999'999;

// A field read, or why it is none.
template <class T>
struct PartField {
  std::optional<T> value;
  std::string refusal;  // empty when value is set
};

// The stock kind of R, C or L (either case); nullptr for anything else.
const StockKind* KindOfLetter(std::string_view letter);
// The kind a reference designator names by its one letter ("R12", "C3, C4", "L1-L3"); nullptr
// for other parts (U1, RV1, FB2) and for text that is not a designator.
const StockKind* KindOfReference(std::string_view references);
// "R", "C" or "L".
std::string_view KindLetter(const StockKind& kind);

// A value in kind's notation, in the held unit: resistor notation ("4k7", "4.7kΩ", "470R",
// "4700"), capacitor and inductor notation with or without the unit ("100n", "4.7uF", "10uH").
// Values outside 1e-6 to 1e15 held units are refused, as the searches refuse them.
PartField<double> ReadPartValue(const StockKind& kind, std::string_view text);

// The shortest text in kind's notation that reads back as held: "4.7k", "1M", "0.47" for
// resistors, "100n", "4.7u" for capacitors and inductors.
std::string PartValueText(const StockKind& kind, double held);

// held in the base unit (ohms, farads, henries), correctly rounded from its shortest decimal.
double BaseUnitValue(const StockKind& kind, double held);

// A tolerance in percent, read as every percentage is: "1%", "±0.1 %", "+/-5%", "5"; 0 to
// below 100.
PartField<double> ReadTolerance(std::string_view text);
// A power rating in watts, read as every power is, or a fraction: "0.25W", "250mW", "1/4W",
// "0.25"; above 0.
PartField<double> ReadPower(std::string_view text);
// A temperature coefficient in ppm/°C: "100ppm", "±50 ppm/°C", "100"; 0 or above.
PartField<double> ReadTcr(std::string_view text);
// A count: a whole number from 0 to kMostPartQuantity ("12", "12.0", "1,000" not).
PartField<std::uint64_t> ReadCount(std::string_view text);

// "1%", "0.25W", "100ppm": the shortest decimal and the unit.
std::string ToleranceText(double percent);
std::string PowerText(double watts);
std::string TcrText(double ppm);

}  // namespace vantrel
