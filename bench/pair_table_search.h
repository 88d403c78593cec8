#pragma once

#include <array>
#include <vector>

namespace vantrel::bench {

// A transcription of the search of KiCad's resistor calculator, for comparison: every pair of
// values combined in series and in parallel into one table sorted by value; the best single
// value by a scan, the best pair from the table, the best of three as a value with the table
// entry nearest to what it needs, the best of four as a table entry with the entry nearest to
// what it needs. One best value per part count, no ranking beyond it. stock: ascending, > 0.
std::array<double, 4> PairTableBest(const std::vector<double>& stock, double target);

}  // namespace vantrel::bench
