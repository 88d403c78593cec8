#include "exact_band.h"

#include <gmpxx.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "exact_rational.h"

namespace vantrel::networks {

bool EarnsItsPlace(const Network& leg, std::span<const double> stock, double percent,
                   bool swapped) {
  if (PartCount(leg.shape) != 2 || !(percent > 0)) return true;
  const double x = stock[leg.parts[0]];
  const double y = stock[leg.parts[1]];
  const double smaller = std::min(x, y);
  const double larger = std::max(x, y);
  const bool adds = (leg.shape == Shape::kSeries2) != swapped;
  const double moves = (adds ? smaller / (smaller + larger) : smaller / larger) * 100;
  // A few roundings part the double from the exact share; only near the edge do they matter.
  if (std::fabs(moves - percent) > 1e-9 * percent) return moves >= percent;
  const mpq_class s = Exactly(smaller);
  const mpq_class l = Exactly(larger);
  return mpq_class(100 * s) >= Exactly(percent) * (adds ? mpq_class(s + l) : l);
}

namespace {

mpq_class Sum(const mpq_class& x, const mpq_class& y) {
  return x + y;
}

mpq_class Fold(const mpq_class& x, const mpq_class& y) {
  return x * y / (x + y);
}

mpq_class LegValue(const Network& leg, std::span<const Decimal> stock, bool capacitor = false) {
  const auto leaf = [&](int slot) {
    return Exactly(stock[leg.parts[static_cast<std::size_t>(slot)]]);
  };
  return capacitor ? EvaluateNetwork(leg, leaf, Fold, Sum) : EvaluateNetwork(leg, leaf, Sum, Fold);
}

// The leg with each part off by its own tolerance in percent, upward or downward.
mpq_class LegValue(const Network& leg, std::span<const Decimal> stock,
                   const std::array<double, 4>& percent, bool up, bool capacitor = false) {
  const auto leaf = [&](int slot) {
    const auto i = static_cast<std::size_t>(slot);
    const mpq_class t = Exactly(percent[i]) / 100;
    const mpq_class factor = up ? mpq_class(1 + t) : mpq_class(1 - t);
    return mpq_class(Exactly(stock[leg.parts[i]]) * factor);
  };
  return capacitor ? EvaluateNetwork(leg, leaf, Fold, Sum) : EvaluateNetwork(leg, leaf, Sum, Fold);
}

}  // namespace

struct ExactTwoLeg::Rationals {
  TwoLegFormula::Exact form;
  mpq_class k0, k1;
  mpq_class target;
  mpq_class tolerance;
  bool band = false;
  bool risesInA = true;
  mpq_class lowK0, lowK1, highK0, highK1;
  mpq_class up, down;  // 1 + t and 1 - t
  mpq_class within;
  bool bounded = false;  // a finite within

  static mpq_class Output(const TwoLegFormula::Exact& form, const mpq_class& k0,
                          const mpq_class& k1, const mpq_class& a, const mpq_class& b) {
    const auto sum = [&](LegSum which) {
      return which == LegSum::kA ? a : which == LegSum::kB ? b : mpq_class(a + b);
    };
    return k0 * sum(form.numerator) / sum(form.denominator) + k1 * a;
  }
};

ExactTwoLeg::ExactTwoLeg(const TwoLegFormula& formula, double target, double tolerance,
                         const TwoLegBand* band)
    : m_q(std::make_unique<Rationals>()) {
  Rationals& q = *m_q;
  q.form = *formula.exact;
  q.k0 = Exactly(formula.k[0]);
  q.k1 = Exactly(formula.k[1]);
  q.target = Exactly(target);
  q.tolerance = std::isfinite(tolerance) ? Exactly(tolerance) : mpq_class(0);
  q.risesInA = formula.risesInA;
  if (!band) return;
  q.band = true;
  q.lowK0 = Exactly(band->low.k[0]);
  q.lowK1 = Exactly(band->low.k[1]);
  q.highK0 = Exactly(band->high.k[0]);
  q.highK1 = Exactly(band->high.k[1]);
  const mpq_class t = Exactly(band->partTolerance) / 100;
  q.up = 1 + t;
  q.down = 1 - t;
  q.bounded = std::isfinite(band->within);
  if (q.bounded) q.within = Exactly(band->within);
}

ExactTwoLeg::~ExactTwoLeg() = default;

ExactTwoLeg::Error ExactTwoLeg::Nominal(const Network& a, const Network& b,
                                        std::span<const Decimal> stock) const {
  const Rationals& q = *m_q;
  const mpq_class output =
      Rationals::Output(q.form, q.k0, q.k1, LegValue(a, stock), LegValue(b, stock));
  const mpq_class error = (output - q.target) * 100 / q.target;
  return {Nearest(error), abs(error) <= q.tolerance};
}

ExactTwoLeg::Band ExactTwoLeg::Edges(const Network& a, const Network& b,
                                     std::span<const Decimal> stock,
                                     const PartTolerances* own) const {
  const Rationals& q = *m_q;
  const mpq_class ra = LegValue(a, stock);
  const mpq_class rb = LegValue(b, stock);
  const mpq_class output = Rationals::Output(q.form, q.k0, q.k1, ra, rb);
  // The low constants with the parts that lower the output, the high ones with the others.
  const bool up = q.risesInA;
  const mpq_class aLow = own ? LegValue(a, stock, own->first, !up) : ra * (up ? q.down : q.up);
  const mpq_class aHigh = own ? LegValue(a, stock, own->first, up) : ra * (up ? q.up : q.down);
  const mpq_class bLow = own ? LegValue(b, stock, own->second, !up) : rb * (up ? q.down : q.up);
  const mpq_class bHigh = own ? LegValue(b, stock, own->second, up) : rb * (up ? q.up : q.down);
  const mpq_class x = Rationals::Output(q.form, q.lowK0, q.lowK1, aLow, bHigh);
  const mpq_class y = Rationals::Output(q.form, q.highK0, q.highK1, aHigh, bLow);
  const mpq_class low = std::min({x, y, output});
  const mpq_class high = std::max({x, y, output});
  const mpq_class worst = std::max(abs(low - q.target), abs(high - q.target)) * 100 / abs(q.target);
  return {Nearest(low), Nearest(high), Nearest(worst), !q.bounded || worst <= q.within};
}

ExactRcBand ExactTauBand(const Network& r, std::span<const Decimal> rStock, const Network& c,
                         std::span<const Decimal> cStock, double rTolerance, double cTolerance,
                         double target, double within, const PartTolerances* own) {
  const mpq_class tau = LegValue(r, rStock) * LegValue(c, cStock, true);
  const mpq_class tr = Exactly(rTolerance) / 100;
  const mpq_class tc = Exactly(cTolerance) / 100;
  const mpq_class low = own ? mpq_class(LegValue(r, rStock, own->first, false) *
                                        LegValue(c, cStock, own->second, false, true))
                            : mpq_class(tau * (1 - tr) * (1 - tc));
  const mpq_class high = own ? mpq_class(LegValue(r, rStock, own->first, true) *
                                         LegValue(c, cStock, own->second, true, true))
                             : mpq_class(tau * (1 + tr) * (1 + tc));
  const mpq_class t = Exactly(target);
  const mpq_class worst = std::max(abs(low - t), abs(high - t)) * 100 / abs(t);
  const bool inside = !std::isfinite(within) || worst <= Exactly(within);
  return {Nearest(low), Nearest(high), Nearest(worst), inside};
}

}  // namespace vantrel::networks
