#include "two_leg_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace vantrel::networks {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

using Constants = std::array<double, 2>;

// B where q = B / (A + B) is out / vin: B = A * q / (1 - q).
LegLevel DividerLevel(const Constants& k, double out) {
  const double q = out / k[0];
  if (q >= 1) return {kInfinity, 0};
  return {q > 0 ? q / (1 - q) : 0, 0};
}

// B where VREF * (1 + A / B) + IADJ * A is out: B = A * VREF / (out - VREF - IADJ * A).
LegLevel RegulatorLevel(const Constants& k, double out) {
  const double above = out - k[0];
  if (!(above > 0)) return {kInfinity, 0};
  return {k[0] / above, k[1] / above};
}

// d/dA and d/dB of VIN * B / (A + B), times A and B: -+ VIN * A * B / (A + B)^2.
std::array<double, 2> DividerSlopes(const Constants& k, double a, double b) {
  const double sum = a + b;
  const double move = k[0] * (a / sum) * (b / sum);
  return {-move, move};
}

// B || L, the bottom leg with its load.
double WithLoad(double b, double load) {
  return b * load / (b + load);
}

// B where VIN * p / (A + p) is out, p = B || L: p = A * s with s = r / (1 - r) for r = out / VIN,
// and 1 / B = 1 / p - 1 / L, so B = A * s / (1 - A * s / L). Past A = L / s no B reaches out,
// B || L staying below L.
LegLevel LoadedDividerLevel(const Constants& k, double out) {
  const double r = out / k[0];
  if (r >= 1) return {kInfinity, 0};
  if (!(r > 0)) return {0, 0};
  const double s = r / (1 - r);
  return {s, s / k[1]};
}

// Of VIN * p / (A + p), p = B || L, times A and B: leg A's is the divider's of legs A and p,
// -VIN * A * p / (A + p)^2, and leg B's is minus that times dp/dB * B / p = L / (B + L).
std::array<double, 2> LoadedDividerSlopes(const Constants& k, double a, double b) {
  const double p = WithLoad(b, k[1]);
  const double sum = a + p;
  const double move = k[0] * (a / sum) * (p / sum);
  return {-move, move * (k[1] / (b + k[1]))};
}

// Of VREF * (1 + A / B) + IADJ * A: VREF * A / B + IADJ * A, and -VREF * A / B.
std::array<double, 2> RegulatorSlopes(const Constants& k, double a, double b) {
  const double ratio = k[0] * (a / b);
  return {ratio + k[1] * a, -ratio};
}

// Over outputs [lo, hi]: the divider's slopes are VIN q (1 - q) in magnitude for q = out / VIN,
// which is concave in q, so least at an end, and 0 where q may reach 0 or 1.
std::array<double, 2> DividerLeastSlopes(const Constants& k, double lo, double hi) {
  const double q1 = std::min(lo / k[0], hi / k[0]);
  const double q2 = std::max(lo / k[0], hi / k[0]);
  if (!(q1 > 0 && q2 < 1)) return {0, 0};
  const double least = std::fabs(k[0]) * std::min(q1 * (1 - q1), q2 * (1 - q2));
  return {least, least};
}

// Leg A's slope is the divider's, VIN q (1 - q) for q = out / VIN. Leg B's is that times
// L / (B + L), which has no bound above 0: any q is met with B as large as wanted (p near L and
// A = p (1 - q) / q).
std::array<double, 2> LoadedDividerLeastSlopes(const Constants& k, double lo, double hi) {
  return {DividerLeastSlopes(k, lo, hi)[0], 0};
}

// The least |out - zero| over [lo, hi]: 0 where it holds zero.
double LeastDistance(double lo, double hi, double zero) {
  if (lo <= zero && zero <= hi) return 0;
  return std::min(std::fabs(lo - zero), std::fabs(hi - zero));
}

// Leg A's slope is out - VREF whatever the legs; leg B's is VREF * A / B, which the pin current
// makes out - VREF - IADJ * A, unknown without A.
std::array<double, 2> RegulatorLeastSlopes(const Constants& k, double lo, double hi) {
  const double least = LeastDistance(lo, hi, k[0]);
  return {least, k[1] == 0 ? least : 0};
}

// Of 1 + A / B and of A / B alike: A / B and -A / B.
std::array<double, 2> RatioSlopes(const Constants&, double a, double b) {
  return {a / b, -(a / b)};
}

}  // namespace

TwoLegFormula DividerFormula(double vin) {
  TwoLegFormula formula;
  formula.k = {vin, 0};
  formula.output = [](const Constants& k, double a, double b) { return k[0] * b / (a + b); };
  formula.level = DividerLevel;
  formula.slopes = DividerSlopes;
  formula.leastSlopes = DividerLeastSlopes;
  formula.risesInA = false;
  formula.exact = TwoLegFormula::Exact{LegSum::kB, LegSum::kBoth};
  return formula;
}

TwoLegFormula LoadedDividerFormula(double vin, double load) {
  TwoLegFormula formula;
  formula.k = {vin, load};
  formula.output = [](const Constants& k, double a, double b) {
    const double p = WithLoad(b, k[1]);
    return k[0] * p / (a + p);
  };
  formula.level = LoadedDividerLevel;
  formula.slopes = LoadedDividerSlopes;
  formula.leastSlopes = LoadedDividerLeastSlopes;
  formula.risesInA = false;
  // B L / (A B + A L + B L) is no quotient of the legs' sums (LegSum) that the exact settling
  // knows, so this formula's rows are decided in double alone, even at the tolerance's edge.
  return formula;
}

TwoLegFormula RegulatorFormula(double vref, double iadj) {
  TwoLegFormula formula;
  formula.k = {vref, iadj};
  formula.output = [](const Constants& k, double a, double b) {
    return k[0] * (1 + a / b) + k[1] * a;
  };
  formula.level = RegulatorLevel;
  formula.slopes = RegulatorSlopes;
  formula.leastSlopes = RegulatorLeastSlopes;
  formula.exact = TwoLegFormula::Exact{LegSum::kBoth, LegSum::kB};
  return formula;
}

TwoLegFormula GainFormula() {
  TwoLegFormula formula = RegulatorFormula(1, 0);
  formula.output = [](const Constants&, double a, double b) { return 1 + a / b; };
  formula.slopes = RatioSlopes;
  return formula;
}

TwoLegFormula InvertingGainFormula() {
  TwoLegFormula formula;
  formula.k = {1, 0};
  formula.output = [](const Constants&, double a, double b) { return a / b; };
  formula.slopes = RatioSlopes;
  // A / B is the output itself.
  formula.leastSlopes = [](const Constants&, double lo, double hi) {
    const double least = LeastDistance(lo, hi, 0);
    return std::array<double, 2>{least, least};
  };
  formula.level = [](const Constants&, double out) {
    return out > 0 ? LegLevel{1 / out, 0} : LegLevel{kInfinity, 0};
  };
  formula.exact = TwoLegFormula::Exact{LegSum::kA, LegSum::kB};
  return formula;
}

}  // namespace vantrel::networks
