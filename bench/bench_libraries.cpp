#include "bench_libraries.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "e_series.h"
#include "inventory_file.h"
#include "library_file.h"
#include "number_text.h"
#include "part_text.h"

namespace vantrel::bench {
namespace {

constexpr int kValues = 1000;

float TwoDecimals(double value) {
  return static_cast<float>(std::round(value * 100) / 100);
}

}  // namespace

std::vector<float> SpreadLibrary() {
  std::vector<float> values;
  for (int k = 0; k < kValues; ++k) values.push_back(TwoDecimals(10 * std::pow(10.0, k / 200.0)));
  return values;
}

std::vector<double> CapacitorLibrary() {
  std::vector<double> values;
  for (int k = 0; k < 200; ++k) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", 10e-12 * std::pow(10.0, k / 25.0));
    values.push_back(std::strtod(text, nullptr));
  }
  return values;
}

std::vector<float> RandomLibrary() {
  std::mt19937_64 rng(1000);
  std::uniform_real_distribution<double> exponent(1, 6);
  std::vector<float> values;
  while (values.size() < kValues) {
    values.push_back(TwoDecimals(std::pow(10.0, exponent(rng))));
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
  }
  return values;
}

std::vector<float> E24Library() {
  const int series[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                        33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
  std::vector<float> values;
  for (float decade = 1; decade <= 10000; decade *= 10) {
    for (int step : series) values.push_back(static_cast<float>(step) * decade);
  }
  values.push_back(1000000);
  return values;
}

std::vector<double> E192Library() {
  std::vector<double> values;
  const auto add = [&](const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    values.push_back(value);
  };
  for (int exponent = -1; exponent <= 3; ++exponent) {
    for (int mantissa : FindSeries("E192")->mantissas) {
      add(std::to_string(mantissa) + "e" + std::to_string(exponent));
    }
  }
  add("1e6");
  return values;
}

std::string FullLibraryFileText() {
  // 760 values of five integer digits (10-byte lines) and 240 of six (11-byte lines).
  std::vector<float> values;
  for (int k = 0; k < kValues; ++k) {
    const int slot = k * 337 % kValues;  // 337 is prime to 1000: every slot once, scrambled
    const double cents =
        slot < 760 ? 1000000 + slot * 11842.0 + 37 : 10000000 + (slot - 760) * 374999.0 + 53;
    values.push_back(static_cast<float>(cents / 100));
  }
  std::string text = LibraryFileText(values.data(), kValues);
  if (text.size() != kLibraryReadLimit) throw std::logic_error("full library is not 10240 bytes");
  return text;
}

std::string OrderHistoryFileText() {
  std::mt19937 random(31);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  // A value of series times 10^low up to 10^(low + decades - 1), held, in the kind's notation.
  const auto value = [&](const char* series, int low, int decades, const StockKind& kind) {
    const auto& mantissas = FindSeries(series)->mantissas;
    const std::string decimal = std::to_string(mantissas[pick(mantissas.size())]) + "e" +
                                std::to_string(low + static_cast<int>(pick(decades)));
    return PartValueText(kind, ParseAtof(decimal));
  };
  const char* packages[] = {"0402", "0603", "0805"};
  std::string text = "LCSC Part Number,Package,Description,Order Qty.\r\n";
  for (int row = 0; row < 20000; ++row) {
    std::string description;
    switch (pick(10)) {
      case 0:
        description = "LED Red";
        break;
      case 1:
      case 2:
        description = std::string("CAP ").append(value("E12", 0, 6, kCapacitors)).append("F 10%");
        break;
      case 3:
        description = std::string("IND ").append(value("E6", 2, 4, kInductors)).append("H 20%");
        break;
      default:
        description = std::string("RES ")
                          .append(value("E24", 0, 6, kResistors))
                          .append(" OHM ")
                          .append(pick(2) ? "1% 1/10W" : "5% 1/16W");
    }
    // Appended piece by piece: a literal before a temporary string makes GCC 12 warn at -O3.
    text.append("C")
        .append(std::to_string(100000 + row))
        .append(",")
        .append(packages[pick(3)])
        .append(",")
        .append(description)
        .append(",")
        .append(std::to_string(10 * (1 + pick(50))))
        .append("\r\n");
  }
  if (text.size() > drawer::kInventoryByteLimit)
    throw std::logic_error("order history is over 1 MB");
  return text;
}

}  // namespace vantrel::bench
