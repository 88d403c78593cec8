#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "network.h"

namespace vantrel::networks {

// The searches steer and rank in double arithmetic: each stock value, the target and the
// voltages are the doubles read from their text, and a network's value is evaluated from its
// canonical spelling, left to right, with no fused operations (NetworkValue). A row whose
// double deviation lies within kExactBand percent is then decided in exact arithmetic: every
// value is taken as the shortest decimal that reads back as its double (the text as written
// for up to 15 significant digits), the network's value as an unreduced fraction of integers
// at a common power of ten, and its deviation is the exact difference, converted to double
// once. A row exactly on the target thus shows deviation 0 and ties with the other exact
// rows, which then rank by part count and spelling. Where an integer would pass 2^60 (values
// spanning more than about 18 digits between them) the double deviation stands.
inline constexpr double kExactBand = 1e-9;

// digits * 10^exponent.
struct Decimal {
  std::uint64_t digits = 0;
  int exponent = 0;
};

// The shortest decimal that reads back as value, which must be finite.
Decimal ShortestDecimal(double value);

// value times 10^power, its shortest decimal's exponent moved and read back: 4700 pF is
// 4.7e-9 F as if typed so, not the product's rounding. value must be finite and at least 0.
double ShiftedDecimal(double value, int power);

// The decimals of a stock's values, worked out on first use, from any thread: most searches
// never need them.
class StockDecimals {
 public:
  explicit StockDecimals(std::span<const double> stock) : m_stock(stock) {}
  std::span<const Decimal> Get() const;
  std::span<const double> Values() const { return m_stock; }

 private:
  std::span<const double> m_stock;
  mutable std::once_flag m_once;
  mutable std::vector<Decimal> m_decimals;
};

// An unsigned integer of 256 bits, enough for the products of four 60-bit values; sums and
// products wrap beyond, which the 2^60 bound on the inputs rules out.
class Wide {
 public:
  Wide() = default;
  explicit Wide(std::uint64_t value);

  friend Wide operator+(const Wide& a, const Wide& b);
  friend Wide operator*(const Wide& a, const Wide& b);
  friend bool operator==(const Wide& a, const Wide& b) = default;
  friend bool operator<(const Wide& a, const Wide& b);

 private:
  // a / b rounded to the nearest double, ties to even, for b > 0 below 2^255 and a quotient
  // within the doubles' normal range.
  friend double Quotient(const Wide& a, const Wide& b);
  int BitWidth() const;
  bool Bit(int i) const;

  friend Wide operator-(const Wide& a, const Wide& b);  // for a >= b
  std::array<std::uint32_t, 8> m_limbs{};               // least significant first
};

// A value as numerator / denominator, both integers at one power of ten.
struct Fraction {
  Wide numerator;
  Wide denominator{1};

  static Fraction Series(const Fraction& a, const Fraction& b);
  static Fraction Parallel(const Fraction& a, const Fraction& b);
};

// digits * 10^(decimal.exponent - exponent), an integer for exponent <= decimal.exponent;
// nullopt when it passes 2^60.
std::optional<Wide> ScaledInteger(const Decimal& decimal, int exponent);

// 100 * (value - target) / target for value = numerator / denominator, rounded to the nearest
// double once.
double ExactPercent(const Fraction& value, const Wide& target);

// The deviation in percent of network from target in exact arithmetic, the values at the
// smallest exponent among the parts' and the target's; nullopt when an integer would pass 2^60.
std::optional<double> ExactNetworkPercent(const Network& network, std::span<const Decimal> stock,
                                          const Decimal& target);

// A sum of two legs A and B, in a formula's exact form.
enum class LegSum : std::uint8_t { kA, kB, kBoth };

// The error in percent from target of k0 * numerator / denominator, each a sum of the legs a
// and b, in exact arithmetic as ExactNetworkPercent; k0 and target as magnitudes.
std::optional<double> ExactTwoLegPercent(LegSum numerator, LegSum denominator, const Network& a,
                                         const Network& b, std::span<const Decimal> stock,
                                         const Decimal& k0, const Decimal& target);

// The product of a resistor leg r and a capacitor leg c (its parallel parts adding, its series
// ones folding), exactly, rounded once to the nearest double: each leg's parts as integers at
// the smallest power of ten among them and 10^0; nullopt when one passes 2^60 or the product's
// power of ten lies below 10^-38.
std::optional<double> ExactLegProduct(const Network& r, std::span<const Decimal> rStock,
                                      const Network& c, std::span<const Decimal> cStock);

}  // namespace vantrel::networks
