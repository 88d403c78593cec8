#pragma once

#include <gmpxx.h>

#include "exact_decimal.h"

// Doubles as exact rationals and back, for the decisions a search must not leave to double
// rounding.
namespace vantrel::networks {

// digits * 10^exponent, exactly.
mpq_class Exactly(const Decimal& decimal);

// The shortest decimal that reads back as value (finite), with its sign: a typed 2.7 is 27/10.
mpq_class Exactly(double value);

// The double nearest q, ties to even; GMP's own conversion truncates.
double Nearest(const mpq_class& q);

}  // namespace vantrel::networks
