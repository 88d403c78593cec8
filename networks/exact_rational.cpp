#include "exact_rational.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace vantrel::networks {

mpq_class Exactly(const Decimal& decimal) {
  mpz_class power;
  mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(std::abs(decimal.exponent)));
  mpz_class digits;
  mpz_import(digits.get_mpz_t(), 1, 1, sizeof decimal.digits, 0, 0, &decimal.digits);
  mpq_class value = decimal.exponent >= 0 ? mpq_class(digits * power) : mpq_class(digits, power);
  value.canonicalize();
  return value;
}

mpq_class Exactly(double value) {
  const mpq_class magnitude = Exactly(ShortestDecimal(value));
  return value < 0 ? mpq_class(-magnitude) : magnitude;
}

double Nearest(const mpq_class& q) {
  const double toward = q.get_d();
  if (!std::isfinite(toward) || q == toward) return toward;
  const double away = std::nextafter(toward, q > 0 ? std::numeric_limits<double>::infinity()
                                                   : -std::numeric_limits<double>::infinity());
  if (!std::isfinite(away)) return toward;
  const int order = cmp(abs(q - mpq_class(toward)), abs(mpq_class(away) - q));
  if (order != 0) return order < 0 ? toward : away;
  int exponent = 0;
  const double mantissa = std::frexp(toward, &exponent);
  const auto last = static_cast<long long>(std::ldexp(std::fabs(mantissa), 53));
  return last % 2 == 0 ? toward : away;
}

}  // namespace vantrel::networks
