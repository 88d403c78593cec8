#pragma once

#include <string>
#include <vector>

namespace vantrel::bench {

// 1000 distinct ascending values, 200 to a decade from 10 up, two decimals.
std::vector<float> SpreadLibrary();

// 1000 distinct ascending values drawn log-uniformly from 10 to 1,000,000, two decimals.
std::vector<float> RandomLibrary();

// The E24 series from 10 to 1,000,000, as the bundled sample library holds it.
std::vector<float> E24Library();

// The E192 series from 10 to 1,000,000 (961 values), each the double read from its text.
std::vector<double> E192Library();

// 200 distinct ascending capacitances, 25 to a decade from 10 pF up, three digits.
std::vector<double> CapacitorLibrary();

// A full library file: 1000 distinct values in scrambled order, normalised form, 10240 bytes.
std::string FullLibraryFileText();

// An LCSC order history of 20,000 rows within the 1 MB an import takes: E24 resistors from 10
// to 9.1M in two classes, E12 capacitors from 10p to 8.2u, E6 inductors from 1u to 6.8m, and one
// row in ten some other part, in three packages, each with a short distributor's description.
std::string OrderHistoryFileText();

}  // namespace vantrel::bench
