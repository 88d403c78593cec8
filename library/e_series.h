#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// One IEC 60063 series: the significant digits of its values in one decade, ascending
// (E24: 10, 11, ... 91; E192: 100, 101, ... 988).
struct ESeries {
  std::string_view name;
  std::vector<int> mantissas;
};

// E3, E6, E12, E24, E48, E96 and E192, in that order.
const std::vector<ESeries>& StandardSeries();

// The series of that name, in any letter case; nullptr when there is none.
const ESeries* FindSeries(std::string_view name);

// The series' names, E3 to E192.
std::vector<std::string_view> SeriesNames();

// True when value is within tolerance (relative: 0.005 is 0.5 %) of a value of series in some
// decade.
bool NearSeriesValue(double value, const ESeries& series, double tolerance);

// True when value is within tolerance of a value of E3 to E192 in some decade.
bool NearStandardValue(double value, double tolerance);

// The values of series from low to high inclusive, ascending, as the library keeps them.
struct SeriesValues {
  std::vector<float> values;
  // The first value in range that two decimals or a float cannot keep, as exact decimal
  // text; empty when every value fits.
  std::string inexact;
};

// Stops at the first inexact value, or once values holds more than limit values.
SeriesValues SeriesBetween(const ESeries& series, double low, double high, std::size_t limit);

}  // namespace vantrel
