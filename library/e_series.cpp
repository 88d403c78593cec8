#include "e_series.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <string>
#include <string_view>

#include "number_text.h"

namespace vantrel {
namespace {

// IEC 60063 as printed: several values differ from the rounded geometric progression (E24's
// 2.7 to 4.7 and 8.2, E192's 9.20), so they are not computed.
constexpr int kE24[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                        33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
constexpr int kE192[] = {
    100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120, 121, 123,
    124, 126, 127, 129, 130, 132, 133, 135, 137, 138, 140, 142, 143, 145, 147, 149, 150, 152,
    154, 156, 158, 160, 162, 164, 165, 167, 169, 172, 174, 176, 178, 180, 182, 184, 187, 189,
    191, 193, 196, 198, 200, 203, 205, 208, 210, 213, 215, 218, 221, 223, 226, 229, 232, 234,
    237, 240, 243, 246, 249, 252, 255, 258, 261, 264, 267, 271, 274, 277, 280, 284, 287, 291,
    294, 298, 301, 305, 309, 312, 316, 320, 324, 328, 332, 336, 340, 344, 348, 352, 357, 361,
    365, 370, 374, 379, 383, 388, 392, 397, 402, 407, 412, 417, 422, 427, 432, 437, 442, 448,
    453, 459, 464, 470, 475, 481, 487, 493, 499, 505, 511, 517, 523, 530, 536, 542, 549, 556,
    562, 569, 576, 583, 590, 597, 604, 612, 619, 626, 634, 642, 649, 657, 665, 673, 681, 690,
    698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816, 825, 835, 845, 856,
    866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988};

// The smaller series take every step-th value of a larger one.
template <std::size_t N>
std::vector<int> EveryNth(const int (&values)[N], std::size_t step) {
  std::vector<int> picked;
  for (std::size_t i = 0; i < N; i += step) picked.push_back(values[i]);
  return picked;
}

// mantissa * 10^exponent as exact decimal text.
std::string ExactText(int mantissa, int exponent) {
  std::string digits = std::to_string(mantissa);
  if (exponent >= 0) return digits + std::string(static_cast<std::size_t>(exponent), '0');
  const auto decimals = static_cast<std::size_t>(-exponent);
  if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
  // Built by appending: GCC 12 at -O3 cannot see that the point lies inside digits and warns
  // (-Wrestrict) about an insert there.
  const std::size_t point = digits.size() - decimals;
  std::string text = digits.substr(0, point);
  text += '.';
  text += std::string_view(digits).substr(point);
  return text;
}

}  // namespace

const std::vector<ESeries>& StandardSeries() {
  static const std::vector<ESeries> series = {
      {"E3", EveryNth(kE24, 8)},    {"E6", EveryNth(kE24, 4)},   {"E12", EveryNth(kE24, 2)},
      {"E24", EveryNth(kE24, 1)},   {"E48", EveryNth(kE192, 4)}, {"E96", EveryNth(kE192, 2)},
      {"E192", EveryNth(kE192, 1)},
  };
  return series;
}

const ESeries* FindSeries(std::string_view name) {
  for (const ESeries& series : StandardSeries()) {
    if (std::equal(
            name.begin(), name.end(), series.name.begin(), series.name.end(),
            [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; })) {
      return &series;
    }
  }
  return nullptr;
}

std::vector<std::string_view> SeriesNames() {
  std::vector<std::string_view> names;
  for (const ESeries& series : StandardSeries()) names.push_back(series.name);
  return names;
}

bool NearSeriesValue(double value, const ESeries& series, double tolerance) {
  if (!(value > 0) || !std::isfinite(value)) return false;
  // The decade's mantissa in [1, 10); its neighbours cover rounding at either end of it.
  const double mantissa = value / std::pow(10.0, std::floor(std::log10(value)));
  const double scale = series.mantissas.front() < 100 ? 10.0 : 100.0;
  auto near = [&](double standard) {
    for (double candidate : {standard / 10, standard, standard * 10}) {
      if (std::abs(mantissa - candidate) <= tolerance * candidate) return true;
    }
    return false;
  };
  return std::any_of(series.mantissas.begin(), series.mantissas.end(),
                     [&](int m) { return near(m / scale); });
}

bool NearStandardValue(double value, double tolerance) {
  // E3 to E12 are part of E24, and E48 and E96 part of E192.
  return NearSeriesValue(value, *FindSeries("E24"), tolerance) ||
         NearSeriesValue(value, *FindSeries("E192"), tolerance);
}

SeriesValues SeriesBetween(const ESeries& series, double low, double high, std::size_t limit) {
  SeriesValues result;
  // Mantissas have `digits` digits; one decade more below keeps log10's rounding harmless.
  const int digits = static_cast<int>(std::to_string(series.mantissas.front()).size());
  for (int exponent = static_cast<int>(std::floor(std::log10(low))) - digits;; ++exponent) {
    for (int mantissa : series.mantissas) {
      const std::string text = ExactText(mantissa, exponent);
      const double value = ParseAtof(text);
      if (value < low) continue;
      if (value > high) return result;
      // The library keeps floats and writes two decimals; both must give the value back.
      const float stored = RoundToFloat(value);
      if (std::isinf(stored) || ParseAtof(FormatFixed(stored, 2)) != value) {
        result.inexact = text;
        return result;
      }
      result.values.push_back(stored);
      if (result.values.size() > limit) return result;
    }
  }
}

}  // namespace vantrel
