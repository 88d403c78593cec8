#pragma once

#include <memory>
#include <optional>
#include <span>

#include "exact_decimal.h"
#include "network.h"
#include "two_leg_search.h"

namespace vantrel::networks {

// The value of the shortest decimal of each double, and what follows from them, in GMP's
// rationals: the decisions a search must not leave to double rounding, at the edges of its
// tolerance and its band.
class ExactTwoLeg {
 public:
  // For a formula with an exact form; band may be null.
  ExactTwoLeg(const TwoLegFormula& formula, double target, double tolerance,
              const TwoLegBand* band);
  ~ExactTwoLeg();
  ExactTwoLeg(const ExactTwoLeg&) = delete;
  ExactTwoLeg& operator=(const ExactTwoLeg&) = delete;

  // The error in percent of legs a and b, rounded once, and whether its magnitude is at most the
  // tolerance.
  struct Error {
    double percent = 0;
    bool inside = false;
  };
  Error Nominal(const Network& a, const Network& b, std::span<const Decimal> stock) const;

  // The band's ends and worst case, each rounded once, and whether the worst case is at most
  // band.within; with own, each part off by its own tolerance rather than band.partTolerance.
  struct Band {
    double low = 0;
    double high = 0;
    double worst = 0;
    bool inside = false;
  };
  Band Edges(const Network& a, const Network& b, std::span<const Decimal> stock,
             const PartTolerances* own = nullptr) const;

 private:
  struct Rationals;
  std::unique_ptr<Rationals> m_q;
};

// The same for an RC pair's time constant with its resistor off by rTolerance and its
// capacitor by cTolerance percent: tau from R (1 - tr) C (1 - tc) to R (1 + tr) C (1 + tc);
// with own, from R and C with each part off by its own tolerance (first: R, second: C).
struct ExactRcBand {
  double low = 0;
  double high = 0;
  double worst = 0;
  bool inside = false;
};
ExactRcBand ExactTauBand(const Network& r, std::span<const Decimal> rStock, const Network& c,
                         std::span<const Decimal> cStock, double rTolerance, double cTolerance,
                         double target, double within, const PartTolerances* own = nullptr);

}  // namespace vantrel::networks
