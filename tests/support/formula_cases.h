#pragma once

#include "plain_networks.h"
#include "two_leg_search.h"

namespace vantrel::testing {

// A two-leg formula as the search takes it, with its band's ends, and as the yardstick takes it.
struct FormulaCase {
  networks::TwoLegFormula formula;
  networks::TwoLegBand band;
  PlainFormula plain;
};

// A divider from vin, or a gain (kGain, kInvertingGain, k0 1): one formula at the band's ends.
inline FormulaCase SteadyCase(PlainFormula::Kind kind, double k0) {
  FormulaCase drawn;
  drawn.formula = kind == PlainFormula::kDivider ? networks::DividerFormula(k0)
                  : kind == PlainFormula::kGain  ? networks::GainFormula()
                                                 : networks::InvertingGainFormula();
  drawn.band.low = drawn.band.high = drawn.formula;
  drawn.plain = {kind, k0, 0, k0, 0, k0, 0};
  return drawn;
}

// A regulator's feedback at vref, its band's ends at low and high with IADJ from half to twice.
inline FormulaCase RegulatorCase(double vref, double iadj, double low, double high) {
  FormulaCase drawn;
  drawn.formula = networks::RegulatorFormula(vref, iadj);
  drawn.band.low = networks::RegulatorFormula(low, iadj / 2);
  drawn.band.high = networks::RegulatorFormula(high, iadj * 2);
  drawn.plain = {PlainFormula::kRegulator, vref, iadj, low, iadj / 2, high, iadj * 2};
  return drawn;
}

}  // namespace vantrel::testing
