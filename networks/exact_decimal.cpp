#include "exact_decimal.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vantrel::networks {
namespace {

constexpr std::uint64_t kLimit = std::uint64_t{1} << 60;

}  // namespace

Decimal ShortestDecimal(double value) {
  char buffer[64];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific)
          .ptr;
  // d[.ddd]e±xx
  Decimal decimal;
  const char* c = buffer;
  int fractionDigits = 0;
  bool inFraction = false;
  for (; *c != 'e'; ++c) {
    if (*c == '.') {
      inFraction = true;
      continue;
    }
    decimal.digits = decimal.digits * 10 + static_cast<std::uint64_t>(*c - '0');
    if (inFraction) ++fractionDigits;
  }
  int exponent = 0;
  std::from_chars(c + (c[1] == '+' ? 2 : 1), end, exponent);
  decimal.exponent = exponent - fractionDigits;
  return decimal;
}

double ShiftedDecimal(double value, int power) {
  const Decimal decimal = ShortestDecimal(value);
  const std::string text =
      std::to_string(decimal.digits) + "e" + std::to_string(decimal.exponent + power);
  double shifted = 0;
  std::from_chars(text.data(), text.data() + text.size(), shifted);
  return shifted;
}

std::span<const Decimal> StockDecimals::Get() const {
  std::call_once(m_once, [this] {
    m_decimals.reserve(m_stock.size());
    for (double value : m_stock) m_decimals.push_back(ShortestDecimal(value));
  });
  return m_decimals;
}

Wide operator+(const Wide& a, const Wide& b) {
  Wide sum;
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < sum.m_limbs.size(); ++i) {
    const std::uint64_t t = std::uint64_t{a.m_limbs[i]} + b.m_limbs[i] + carry;
    sum.m_limbs[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  return sum;
}

Wide operator-(const Wide& a, const Wide& b) {
  Wide difference;
  std::uint64_t borrow = 0;
  for (std::size_t i = 0; i < difference.m_limbs.size(); ++i) {
    const std::uint64_t t = std::uint64_t{a.m_limbs[i]} - b.m_limbs[i] - borrow;
    difference.m_limbs[i] = static_cast<std::uint32_t>(t);
    borrow = t >> 63;
  }
  return difference;
}

Wide operator*(const Wide& a, const Wide& b) {
  Wide product;
  const std::size_t n = product.m_limbs.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (a.m_limbs[i] == 0) continue;
    std::uint64_t carry = 0;
    for (std::size_t j = 0; i + j < n; ++j) {
      const std::uint64_t t =
          std::uint64_t{a.m_limbs[i]} * b.m_limbs[j] + product.m_limbs[i + j] + carry;
      product.m_limbs[i + j] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
  }
  return product;
}

bool operator<(const Wide& a, const Wide& b) {
  return std::lexicographical_compare(a.m_limbs.rbegin(), a.m_limbs.rend(), b.m_limbs.rbegin(),
                                      b.m_limbs.rend());
}

int Wide::BitWidth() const {
  for (std::size_t i = m_limbs.size(); i-- > 0;) {
    if (m_limbs[i] != 0) return static_cast<int>(32 * i) + std::bit_width(m_limbs[i]);
  }
  return 0;
}

bool Wide::Bit(int i) const {
  return (m_limbs[static_cast<std::size_t>(i / 32)] >> (i % 32) & 1) != 0;
}

double Quotient(const Wide& a, const Wide& b) {
  // Long division a bit at a time from a's top bit on, through the fraction once the integer
  // bits run out, until 53 significant bits and one more are known; the remainder, below b,
  // doubles within the 256 bits as b stays below 2^255.
  std::uint64_t bits = 0;
  int significant = 0;
  int place = a.BitWidth() - 1;  // the power of two of the bit being found
  Wide remainder;
  for (; significant < 54; --place) {
    remainder = remainder + remainder;
    if (place >= 0 && a.Bit(place)) remainder = remainder + Wide(1);
    const bool one = !(remainder < b);
    if (one) remainder = remainder - b;
    if (significant > 0 || one) {
      bits = bits << 1 | (one ? 1 : 0);
      ++significant;
    }
  }
  // bits holds 54 bits, the last of weight 2^(place + 1); round it off, ties to even.
  const bool half = (bits & 1) != 0;
  bits >>= 1;
  if (half && (!(remainder == Wide{}) || (bits & 1) != 0)) ++bits;
  return std::ldexp(static_cast<double>(bits), place + 2);
}

Wide::Wide(std::uint64_t value)
    : m_limbs{static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)} {}

Fraction Fraction::Series(const Fraction& a, const Fraction& b) {
  return {a.numerator * b.denominator + b.numerator * a.denominator, a.denominator * b.denominator};
}

Fraction Fraction::Parallel(const Fraction& a, const Fraction& b) {
  return {a.numerator * b.numerator, a.numerator * b.denominator + b.numerator * a.denominator};
}

std::optional<Wide> ScaledInteger(const Decimal& decimal, int exponent) {
  std::uint64_t value = decimal.digits;
  for (int i = exponent; i < decimal.exponent; ++i) {
    if (value > (kLimit - 1) / 10) return std::nullopt;
    value *= 10;
  }
  if (value >= kLimit) return std::nullopt;
  return Wide(value);
}

double ExactPercent(const Fraction& value, const Wide& target) {
  const Wide scaled = target * value.denominator;
  if (value.numerator == scaled) return 0;
  const bool above = scaled < value.numerator;
  const Wide difference = above ? value.numerator - scaled : scaled - value.numerator;
  const double percent = Quotient(difference * Wide(100), scaled);
  return above ? percent : -percent;
}

namespace {

// The parts' values as fractions at exponent, or nullopt.
std::optional<std::array<Fraction, 4>> Leaves(const Network& network,
                                              std::span<const Decimal> stock, int exponent) {
  std::array<Fraction, 4> leaves;
  for (int slot = 0; slot < PartCount(network.shape); ++slot) {
    const auto i = static_cast<std::size_t>(slot);
    const std::optional<Wide> integer = ScaledInteger(stock[network.parts[i]], exponent);
    if (!integer) return std::nullopt;
    leaves[i].numerator = *integer;
  }
  return leaves;
}

int SmallestExponent(const Network& network, std::span<const Decimal> stock, int exponent) {
  for (int slot = 0; slot < PartCount(network.shape); ++slot) {
    exponent = std::min(exponent, stock[network.parts[static_cast<std::size_t>(slot)]].exponent);
  }
  return exponent;
}

Fraction Evaluate(const Network& network, const std::array<Fraction, 4>& leaves) {
  return EvaluateNetwork(
      network, [&](int slot) { return leaves[static_cast<std::size_t>(slot)]; }, Fraction::Series,
      Fraction::Parallel);
}

}  // namespace

std::optional<double> ExactNetworkPercent(const Network& network, std::span<const Decimal> stock,
                                          const Decimal& target) {
  const int exponent = SmallestExponent(network, stock, target.exponent);
  const auto leaves = Leaves(network, stock, exponent);
  const auto t = ScaledInteger(target, exponent);
  if (!leaves || !t) return std::nullopt;
  return ExactPercent(Evaluate(network, *leaves), *t);
}

std::optional<double> ExactTwoLegPercent(LegSum numerator, LegSum denominator, const Network& a,
                                         const Network& b, std::span<const Decimal> stock,
                                         const Decimal& k0, const Decimal& target) {
  const int exponent = SmallestExponent(
      a, stock, SmallestExponent(b, stock, std::min(k0.exponent, target.exponent)));
  const auto aLeaves = Leaves(a, stock, exponent);
  const auto bLeaves = Leaves(b, stock, exponent);
  const auto k = ScaledInteger(k0, exponent);
  const auto t = ScaledInteger(target, exponent);
  if (!aLeaves || !bLeaves || !k || !t) return std::nullopt;
  // With A = na / da and B = nb / db over the common denominator da * db, A + B is
  // na * db + nb * da, which the divider's VIN * B / (A + B) always took.
  const Fraction ra = Evaluate(a, *aLeaves);
  const Fraction rb = Evaluate(b, *bLeaves);
  const Wide sums[] = {ra.numerator * rb.denominator, rb.numerator * ra.denominator};
  const auto sum = [&](LegSum which) {
    switch (which) {
      case LegSum::kA:
        return sums[0];
      case LegSum::kB:
        return sums[1];
      case LegSum::kBoth:
        break;
    }
    return sums[0] + sums[1];
  };
  return ExactPercent({*k * sum(numerator), sum(denominator)}, *t);
}

std::optional<double> ExactLegProduct(const Network& r, std::span<const Decimal> rStock,
                                      const Network& c, std::span<const Decimal> cStock) {
  // At most 10^0, so that the power of ten of the product divides: 10^38 times the legs'
  // denominators, each below 2^61 squared, stays below 2^255, as Quotient needs.
  const int rExponent = SmallestExponent(r, rStock, 0);
  const int cExponent = SmallestExponent(c, cStock, 0);
  if (rExponent + cExponent < -38) return std::nullopt;
  const auto rLeaves = Leaves(r, rStock, rExponent);
  const auto cLeaves = Leaves(c, cStock, cExponent);
  if (!rLeaves || !cLeaves) return std::nullopt;
  const Fraction rValue = Evaluate(r, *rLeaves);
  const Fraction cValue = EvaluateNetwork(
      c, [&](int slot) { return (*cLeaves)[static_cast<std::size_t>(slot)]; }, Fraction::Parallel,
      Fraction::Series);
  Wide scale(1);
  for (int i = rExponent + cExponent; i < 0; ++i) scale = scale * Wide(10);
  return Quotient(rValue.numerator * cValue.numerator,
                  rValue.denominator * cValue.denominator * scale);
}

}  // namespace vantrel::networks
