// The statistical band and the drift over temperature against plain calculations: a Monte Carlo
// run over the parts, each leg differenced part by part from its pattern, and the bands a
// request's rows carry worked out here from their parts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli_fixture.h"
#include "designs.h"
#include "inventory_file.h"
#include "network.h"
#include "rc_search.h"
#include "request.h"
#include "rows.h"
#include "search_kinds.h"
#include "stock.h"
#include "two_leg_search.h"

namespace vantrel {
namespace {

using networks::Network;
using networks::Shape;

constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

// A network's value read from its pattern ("x + (x || x)") with parts in spelling order, by
// recursive descent; with swapped, in the capacitors' arithmetic (parallel ones add).
class PlainValue {
 public:
  PlainValue(std::string_view pattern, std::vector<double> parts, bool swapped)
      : m_text(pattern), m_parts(std::move(parts)), m_swapped(swapped) {}

  double Value() {
    m_at = 0;
    m_part = 0;
    return Group();
  }

 private:
  double Group() {
    double value = Term();
    while (m_at < m_text.size()) {
      while (m_text[m_at] == ' ') ++m_at;
      if (m_text[m_at] == ')') break;
      const bool plus = m_text[m_at] == '+';
      m_at += plus ? 1 : 2;
      const double next = Term();
      if (plus != m_swapped) {
        value += next;
      } else {
        value = 1 / (1 / value + 1 / next);
      }
    }
    return value;
  }
  double Term() {
    while (m_text[m_at] == ' ') ++m_at;
    if (m_text[m_at] == '(') {
      ++m_at;
      const double value = Group();
      ++m_at;  // ')'
      return value;
    }
    ++m_at;  // 'x'
    return m_parts[m_part++];
  }

  std::string_view m_text;
  std::vector<double> m_parts;
  bool m_swapped;
  std::size_t m_at = 0;
  std::size_t m_part = 0;
};

std::vector<double> PartsOf(const Network& leg, std::span<const double> stock) {
  std::vector<double> parts;
  for (int i = 0; i < networks::PartCount(leg.shape); ++i) {
    parts.push_back(stock[leg.parts[static_cast<std::size_t>(i)]]);
  }
  return parts;
}

double LegValue(const Network& leg, const std::vector<double>& parts, bool swapped = false) {
  return PlainValue(networks::Pattern(leg.shape), parts, swapped).Value();
}

// A part's relative deviation: normal with sigma a third of its tolerance, cut at the tolerance.
double Deviation(std::mt19937_64& rng, double tolerance) {
  std::normal_distribution<double> normal(0, tolerance / 3);
  for (;;) {
    const double z = normal(rng);
    if (std::fabs(z) <= tolerance) return z;
  }
}

// Each leg's parts scaled by their sampled deviations.
double SampledLeg(std::mt19937_64& rng, const Network& leg, std::span<const double> stock,
                  double tolerance, bool swapped = false) {
  std::vector<double> parts = PartsOf(leg, stock);
  for (double& part : parts) part *= 1 + Deviation(rng, tolerance);
  return LegValue(leg, parts, swapped);
}

// How many of count samples lie within the worst-case band and within the statistical one.
struct Coverage {
  int worst = 0;
  int rss = 0;
};

template <class Row, class Sample>
Coverage Cover(const Row& row, int count, const Sample& sample) {
  Coverage coverage;
  for (int i = 0; i < count; ++i) {
    const double out = sample();
    coverage.worst += out >= row.low && out <= row.high;
    coverage.rss += out >= row.rssLow && out <= row.rssHigh;
  }
  return coverage;
}

constexpr int kSamples = 100000;

// Every sample of parts within their tolerances lies within the worst case; the statistical band,
// each tolerance 3 sigma, holds at least 99.5 % of them.
TEST(StatisticalBand, MonteCarloOfADividerARegulatorAndAnRcCorner) {
  std::mt19937_64 rng(2026);
  const std::vector<double> stock = {2200, 4700, 10000, 47000};
  const Network a{Shape::kSeries2, {0, 2}};    // 2200 + 10000
  const Network b{Shape::kParallel2, {1, 3}};  // 4700 || 47000
  const double t = 0.01;
  const auto twoLeg = [&](const networks::TwoLegFormula& formula,
                          const networks::TwoLegBand& band) {
    networks::TwoLegRow row{a, b, networks::NetworkValue(a, stock),
                            networks::NetworkValue(b, stock)};
    row.output = formula.output(formula.k, row.ra, row.rb);
    networks::AddBand(row, stock, formula, row.output, band);
    return row;
  };
  {
    const networks::TwoLegFormula divider = networks::DividerFormula(12);
    networks::TwoLegBand band{divider, divider, 100 * t};
    band.spreads = networks::UniformSpreads({t, 0});
    const networks::TwoLegRow row = twoLeg(divider, band);
    const Coverage coverage = Cover(row, kSamples, [&] {
      const double top = SampledLeg(rng, a, stock, t);
      const double bottom = SampledLeg(rng, b, stock, t);
      return 12 * bottom / (top + bottom);
    });
    EXPECT_EQ(coverage.worst, kSamples);
    EXPECT_GE(coverage.rss, kSamples * 995 / 1000);
    // Narrower than the worst case, as two 0.1 % resistors make 0.14 %, not 0.2 %.
    EXPECT_LT(row.rssHigh - row.rssLow, 0.8 * (row.high - row.low));
  }
  {
    const networks::TwoLegFormula regulator = networks::RegulatorFormula(1.25, 50e-6);
    networks::TwoLegBand band{networks::RegulatorFormula(1.24, 20e-6),
                              networks::RegulatorFormula(1.26, 100e-6), 100 * t};
    band.spreads = networks::UniformSpreads({t, 0});
    const networks::TwoLegRow row = twoLeg(regulator, band);
    std::uniform_real_distribution<double> vref(1.24, 1.26);
    std::uniform_real_distribution<double> iadj(20e-6, 100e-6);
    const Coverage coverage = Cover(row, kSamples, [&] {
      const double top = SampledLeg(rng, a, stock, t);
      const double bottom = SampledLeg(rng, b, stock, t);
      return vref(rng) * (1 + top / bottom) + iadj(rng) * top;
    });
    EXPECT_EQ(coverage.worst, kSamples);
    EXPECT_GE(coverage.rss, kSamples * 995 / 1000);
  }
  {
    const std::vector<double> r = {10000, 22000};
    const std::vector<double> c = {47e-9, 100e-9};
    networks::RcOptions options;
    options.quantity = networks::RcQuantity::kCorner;
    networks::RcRow row{Network{Shape::kParallel2, {0, 1}}, Network{Shape::kParallel2, {0, 1}}};
    row.rValue = networks::NetworkValue(row.r, r);
    row.cValue = networks::CapacitorLegValue(row.c, c);
    row.tau = row.rValue * row.cValue;
    row.output = 1 / (networks::kTwoPi * row.tau);
    options.target = row.output;
    networks::RcBand band{1, 5};
    band.spreads = [](int leg, int, std::uint16_t) {
      return networks::PartSpread{leg == 0 ? 0.01 : 0.05, 0};
    };
    networks::AddRcBand(row, r, c, options, band);
    const Coverage coverage = Cover(row, kSamples, [&] {
      const double resistance = SampledLeg(rng, row.r, r, 0.01);
      const double capacitance = SampledLeg(rng, row.c, c, 0.05, true);
      return 1 / (2 * std::numbers::pi * resistance * capacitance);
    });
    EXPECT_EQ(coverage.worst, kSamples);
    EXPECT_GE(coverage.rss, kSamples * 995 / 1000);
  }
}

// dR/dx * x of each part by central differences of the plain value.
std::vector<double> Differenced(const Network& leg, std::span<const double> stock, bool swapped) {
  const std::vector<double> parts = PartsOf(leg, stock);
  std::vector<double> slopes;
  const double h = 1e-5;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::vector<double> up = parts;
    std::vector<double> down = parts;
    up[i] *= 1 + h;
    down[i] *= 1 - h;
    slopes.push_back((LegValue(leg, up, swapped) - LegValue(leg, down, swapped)) / (2 * h));
  }
  return slopes;
}

// Every shape's sensitivities, in both arithmetics, match the differenced plain value.
TEST(StatisticalBand, LegSensitivitiesMatchDifferencesForEveryShape) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> value(1, 1e6);
  for (int round = 0; round < 2000; ++round) {
    std::vector<double> values;
    for (int i = 0; i < 6; ++i) values.push_back(value(rng));
    const std::vector<double> stock = networks::MakeStock(values, {}).values;
    const auto shape = static_cast<Shape>(round % networks::kShapeCount);
    std::array<std::uint16_t, 4> parts{};
    for (auto& part : parts) part = static_cast<std::uint16_t>(rng() % stock.size());
    const Network leg = networks::CanonicalNetwork(shape, parts, stock);
    const bool swapped = round / networks::kShapeCount % 2 == 1;
    const std::array<double, 4> sensed = networks::LegSensitivities(leg, stock, swapped);
    const std::vector<double> slopes = Differenced(leg, stock, swapped);
    const double scale = LegValue(leg, PartsOf(leg, stock), swapped);
    for (std::size_t i = 0; i < 4; ++i) {
      const double expected = i < slopes.size() ? slopes[i] : 0;
      EXPECT_NEAR(sensed[i], expected, 1e-7 * scale)
          << networks::Pattern(shape) << " slot " << i << (swapped ? " swapped" : "");
    }
  }
}

// The bands of a request's rows, worked out here from their parts: the worst case with every
// tolerance widened by TCR * dT (dT the range's largest distance from 25 °C), the statistical
// band from differenced terms of tolerance and drift, and the constants' ranges added.
struct Expected {
  double low = 0, high = 0, rssLow = 0, rssHigh = 0;
};

void ExpectBands(double low, double high, double rssLow, double rssHigh, const Expected& expected) {
  const double size = std::max(std::fabs(expected.low), std::fabs(expected.high));
  EXPECT_NEAR(low, expected.low, 1e-12 * size);
  EXPECT_NEAR(high, expected.high, 1e-12 * size);
  EXPECT_NEAR(rssLow, expected.rssLow, 1e-8 * size);
  EXPECT_NEAR(rssHigh, expected.rssHigh, 1e-8 * size);
}

// The root of the sum of squares of out's terms, each part moved by h of itself.
double Root(const std::function<double(const std::vector<double>&)>& out, std::vector<double> parts,
            const std::vector<double>& spreads) {
  double sum = 0;
  const double h = 1e-5;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::vector<double> up = parts;
    std::vector<double> down = parts;
    up[i] *= 1 + h;
    down[i] *= 1 - h;
    const double slope = (out(up) - out(down)) / (2 * h);
    for (const double spread : spreads) sum += slope * spread * slope * spread;
  }
  return std::sqrt(sum);
}

// Root over the parts of both legs of row, out taking the legs' values.
double TwoLegRoot(const networks::TwoLegRow& row, std::span<const double> stock,
                  const std::function<double(double, double)>& out,
                  const std::vector<double>& spreads) {
  std::vector<double> parts = PartsOf(row.a, stock);
  const auto split = static_cast<std::ptrdiff_t>(parts.size());
  const std::vector<double> pb = PartsOf(row.b, stock);
  parts.insert(parts.end(), pb.begin(), pb.end());
  return Root(
      [&](const std::vector<double>& p) {
        return out(LegValue(row.a, {p.begin(), p.begin() + split}),
                   LegValue(row.b, {p.begin() + split, p.end()}));
      },
      parts, spreads);
}

TEST(StatisticalBand, TemperatureBandsOfRequestsMatchAPlainCalculation) {
  std::vector<double> values;
  for (double decade : {1e3, 1e4}) {
    for (double e12 : {1.0, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2}) {
      values.push_back(e12 * decade);
    }
  }
  const std::vector<double> stock = networks::MakeStock(values, {}).values;
  // -40 to 125 °C: 100 °C from 25 at the most; 50 ppm/°C drift 0.5 %.
  finder::StatisticsInput statistics{true, false, "-40:125", "50"};
  const double t = 0.01;
  const double drift = 0.005;
  const double wide = t + drift;
  int rows = 0;
  finder::LoadedStock loaded;
  loaded.opened = true;
  loaded.stock.values = stock;
  for (const double v : stock) loaded.names.push_back(std::to_string(v));

  finder::DividerInput divider;
  divider.vin = "12";
  divider.vout = "3.3";
  divider.parts = "2";
  divider.partTolerance = "1";
  divider.statistics = statistics;
  const auto dividerRequest = std::get<finder::DividerRequest>(finder::CheckDivider(divider));
  finder::SearchDesign(finder::DividerDesign(dividerRequest), loaded, nullptr, 20,
                       [&](const networks::TwoLegRow& row) {
                         ++rows;
                         const double ra = LegValue(row.a, PartsOf(row.a, stock));
                         const double rb = LegValue(row.b, PartsOf(row.b, stock));
                         const auto out = [](double top, double bottom) {
                           return 12 * bottom / (top + bottom);
                         };
                         const double root = TwoLegRoot(row, stock, out, {t, drift});
                         ExpectBands(row.low, row.high, row.rssLow, row.rssHigh,
                                     {12 * rb * (1 - wide) / (ra * (1 + wide) + rb * (1 - wide)),
                                      12 * rb * (1 + wide) / (ra * (1 - wide) + rb * (1 + wide)),
                                      out(ra, rb) - root, out(ra, rb) + root});
                       });

  finder::RegulatorInput regulator;
  regulator.vout = "5";
  regulator.parts = "2";
  regulator.vref = "1.23:1.25:1.27";
  regulator.iadj = "20u:50u:100u";
  regulator.partTolerance = "1";
  regulator.statistics = statistics;
  const auto regulatorRequest =
      std::get<finder::RegulatorRequest>(finder::CheckRegulator(regulator));
  finder::SearchDesign(
      finder::RegulatorDesign(regulatorRequest), loaded, nullptr, 20,
      [&](const networks::TwoLegRow& row) {
        ++rows;
        const double ra = LegValue(row.a, PartsOf(row.a, stock));
        const double rb = LegValue(row.b, PartsOf(row.b, stock));
        const auto out = [](double vref, double iadj, double a, double b) {
          return vref * (1 + a / b) + iadj * a;
        };
        const double root = TwoLegRoot(
            row, stock, [&](double a, double b) { return out(1.25, 50e-6, a, b); }, {t, drift});
        ExpectBands(row.low, row.high, row.rssLow, row.rssHigh,
                    {out(1.23, 20e-6, ra * (1 - wide), rb * (1 + wide)),
                     out(1.27, 100e-6, ra * (1 + wide), rb * (1 - wide)),
                     out(1.23, 20e-6, ra, rb) - root, out(1.27, 100e-6, ra, rb) + root});
      });

  // 0 to 70 °C: 45 °C from 25; 30 ppm/°C drift 0.135 %.
  finder::RcInput rc;
  rc.corner = "1k";
  rc.rParts = "2";
  rc.rTolerance = "1";
  rc.cTolerance = "5";
  rc.tolerance = "5";
  rc.statistics = {true, false, "0:70", "30"};
  const auto rcRequest = std::get<finder::RcRequest>(finder::CheckRc(rc));
  const std::vector<double> farads = {10e-9, 22e-9, 47e-9, 100e-9, 220e-9};
  const double cDrift = 30e-6 * 45;
  finder::SearchRc(
      rcRequest.search, rcRequest.bounds, stock, farads, nullptr, 20,
      [&](const networks::RcRow& row) {
        ++rows;
        const std::vector<double> pr = PartsOf(row.r, stock);
        const double r = LegValue(row.r, pr);
        const double c = farads[row.c.parts[0]];
        const auto corner = [](double x, double y) { return 1 / (2 * std::numbers::pi * x * y); };
        // The resistor's terms, then the capacitor's.
        double squares = std::pow(
            Root([&](const std::vector<double>& p) { return corner(LegValue(row.r, p), c); }, pr,
                 {0.01, cDrift}),
            2);
        squares += std::pow(Root([&](const std::vector<double>& p) { return corner(r, p[0]); }, {c},
                                 {0.05, cDrift}),
                            2);
        const double out = corner(r, c);
        ExpectBands(row.low, row.high, row.rssLow, row.rssHigh,
                    {corner(r * (1.01 + cDrift), c * (1.05 + cDrift)),
                     corner(r * (0.99 - cDrift), c * (0.95 - cDrift)), out - std::sqrt(squares),
                     out + std::sqrt(squares)});
      });
  // A find with a part tolerance: the network is its own output.
  finder::FindInput find;
  find.target = "4k7";
  find.partTolerance = "1";
  find.statistics = statistics;
  const auto findRequest = std::get<finder::FindRequest>(finder::CheckFind(find));
  finder::SearchFind(findRequest, loaded, nullptr, 20, [&](const networks::NetworkRow& found) {
    ++rows;
    const finder::FindRow row = finder::MakeFindRow(1, found, loaded, findRequest);
    const std::vector<double> parts = PartsOf(found.network, stock);
    const double value = LegValue(found.network, parts);
    const double root =
        Root([&](const std::vector<double>& p) { return LegValue(found.network, p); }, parts,
             {t, drift});
    ExpectBands(row.low, row.high, row.rssLow, row.rssHigh,
                {value * (1 - wide), value * (1 + wide), value - root, value + root});
  });
  EXPECT_EQ(rows, 80);
}

// Drawn from an inventory, each part brings its own tolerance and TCR (--tcr for those without
// one): a divider's bands, read from the tsv, against the same worked out from each row's parts.
class StatisticsCliTest : public testing::CliFixture {};

TEST_F(StatisticsCliTest, InventoryPartsBringTheirOwnToleranceAndTcr) {
  // value: tolerance (percent) and TCR (ppm/°C, below 0 for none), one class each.
  const std::map<double, std::pair<double, double>> parts = {
      {1000, {0.1, 25}}, {2200, {1, 100}},  {3300, {5, -1}},    {4700, {0.5, 50}},
      {6800, {1, -1}},   {10000, {2, 200}}, {22000, {0.1, 10}}, {33000, {1, 100}}};
  std::string csv = "kind,value,quantity,tolerance,power,tcr\r\n";
  for (const auto& [value, spec] : parts) {
    std::ostringstream row;
    row << "R," << value << ",5," << spec.first << "%,,";
    if (spec.second >= 0) row << spec.second;
    csv += row.str() + "\r\n";
  }
  files.files[drawer::kInventoryPath] = csv;
  ASSERT_EQ(
      Run({"divider", "12", "3.3", "--inventory", "--tolerance", "30", "--all", "--statistics",
           "rss", "--temperature", "-40:85", "--tcr", "150", "--format", "tsv"}),
      0)
      << err.str();
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line.substr(0, line.find("\ttotal")),
            "rank\tr1\tr2\tvout\terror\tlow\thigh\tworst\tin_spec\tneeds_part_tolerance\trss_"
            "low\trss_high");
  int rows = 0;
  for (; std::getline(lines, line); ++rows) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
    const double r1 = std::stod(cells[1]);
    const double r2 = std::stod(cells[2]);
    // 65 °C from 25 at the most.
    const auto [t1, tcr1] = parts.at(r1);
    const auto [t2, tcr2] = parts.at(r2);
    const double d1 = (tcr1 < 0 ? 150 : tcr1) * 1e-4 * 65 / 100;
    const double d2 = (tcr2 < 0 ? 150 : tcr2) * 1e-4 * 65 / 100;
    const auto divider = [](double top, double bottom) { return 12 * bottom / (top + bottom); };
    const double w1 = t1 / 100 + d1;
    const double w2 = t2 / 100 + d2;
    const double h = 1e-5;
    const double s1 = (divider(r1 * (1 + h), r2) - divider(r1 * (1 - h), r2)) / (2 * h);
    const double s2 = (divider(r1, r2 * (1 + h)) - divider(r1, r2 * (1 - h))) / (2 * h);
    const double root = std::sqrt(s1 * t1 / 100 * s1 * t1 / 100 + s1 * d1 * s1 * d1 +
                                  s2 * t2 / 100 * s2 * t2 / 100 + s2 * d2 * s2 * d2);
    const double vout = divider(r1, r2);
    ExpectBands(std::stod(cells[5]), std::stod(cells[6]), std::stod(cells[10]),
                std::stod(cells[11]),
                {divider(r1 * (1 + w1), r2 * (1 - w2)), divider(r1 * (1 - w1), r2 * (1 + w2)),
                 vout - root, vout + root});
  }
  EXPECT_EQ(rows, 10);
}

// json's head says what the bands were worked out from, and names no setting that was not given.
TEST_F(StatisticsCliTest, JsonHeadRecordsTheBandsSettings) {
  SetFile("1000\r\n2200\r\n3300\r\n4700\r\n");
  files.files[drawer::kInventoryPath] =
      "kind,value,quantity,tolerance,power\r\nR,1k,4,1%,0.25W\r\n";
  const auto headOf = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--top", "1", "--format", "json"});
    EXPECT_EQ(Run(args), 0) << err.str();
    const std::string text = out.str();
    return text.substr(0, text.find("\"rows\""));
  };
  const std::vector<std::string> settings = {
      "part_tolerance",  "r_tolerance",      "c_tolerance", "within", "statistics", "by",
      "temperature_low", "temperature_high", "tcr",         "derate"};
  for (const auto& plain : {std::vector<std::string>{"divider", "12", "3.3"},
                            std::vector<std::string>{"find", "1234"}}) {
    const std::string head = headOf(plain);
    for (const std::string& name : settings)
      EXPECT_EQ(head.find('"' + name + '"'), std::string::npos) << name << " in " << head;
  }
  EXPECT_NE(headOf({"regulator", "5", "--vref", "1.25", "--part-tolerance", "0.5", "--within", "3",
                    "--by", "rss", "--temperature", "-40:85", "--tcr", "100"})
                .find("  \"part_tolerance\": 0.5,\n  \"within\": 3,\n  \"statistics\": \"rss\",\n"
                      "  \"by\": \"rss\",\n  \"temperature_low\": -40,\n"
                      "  \"temperature_high\": 85,\n  \"tcr\": 100,\n"),
            std::string::npos);
  EXPECT_NE(headOf({"divider", "2", "1", "--inventory", "--derate", "0.5", "--tolerance", "50"})
                .find("  \"derate\": 0.5,\n"),
            std::string::npos);
}

// Judged by the statistical band, the bounded walk keeps exactly the rows that the walk over
// the whole tolerance keeps once each row's band is worked out and judged: the ends of the
// worst case prune nothing that the statistical band would keep, nor does the least band the
// legs' slopes and the least spread allow. Likewise by the worst case with each part's own
// tolerance and drift. Over random stocks, targets, bands, counts of parts and limits, for every
// formula and for RC pairs.
TEST(StatisticalBand, JudgedByItTheBoundedWalkLosesNoRow) {
  std::mt19937_64 rng(32);
  std::uniform_real_distribution<double> value(100, 100000);
  for (int round = 0; round < 300; ++round) {
    std::vector<double> values;
    for (int i = 0; i < 4 + static_cast<int>(rng() % 12); ++i) values.push_back(value(rng));
    const std::vector<double> stock = networks::MakeStock(values, {}).values;
    const double within = std::vector<double>{0.5, 2, 5}[rng() % 3];
    const double t = std::vector<double>{0.1, 1, 5}[rng() % 3] / 100;
    const double drift = t * static_cast<double>(rng() % 3) / 2;
    const networks::PartSpreads spreads = networks::UniformSpreads({t, drift});
    const std::uint64_t limit = std::vector<std::uint64_t>{1, 5, kAll}[rng() % 3];
    const std::size_t pass = rng() % 2 ? 3 : std::size_t{1} << 18;
    if (round % 4 != 3) {
      const bool iadj = rng() % 2;
      networks::TwoLegFormula formula = round % 4 == 0 ? networks::DividerFormula(10)
                                        : round % 4 == 1
                                            ? networks::RegulatorFormula(0.8, iadj ? 1e-6 : 0)
                                        : rng() % 2 ? networks::GainFormula()
                                                    : networks::InvertingGainFormula();
      networks::TwoLegBand band{formula, formula, 100 * t, within, spreads, true};
      band.least = {t, drift};
      if (round % 4 == 1) {
        band.low = networks::RegulatorFormula(0.798, 0);
        band.high = networks::RegulatorFormula(0.802, iadj ? 2e-6 : 0);
      }
      // Each value's own tolerance and drift, the least of them bounding the walk, judged by the
      // statistical band or by the worst case.
      std::vector<double> own;
      std::vector<double> ownDrift;
      if (rng() % 2) {
        for (std::size_t i = 0; i < stock.size(); ++i) {
          own.push_back(100 * t * std::vector<double>{1, 2, 5}[rng() % 3]);
          ownDrift.push_back(100 * drift * static_cast<double>(rng() % 3));
        }
        band.byRss = rng() % 2;
        band.partTolerance = *std::min_element(own.begin(), own.end());
        band.least = {band.partTolerance / 100,
                      *std::min_element(ownDrift.begin(), ownDrift.end()) / 100};
        band.perPart = [&](const networks::Network& a, const networks::Network& b,
                           networks::PartTolerances& tolerances) {
          for (std::size_t slot = 0; slot < 4; ++slot) {
            if (static_cast<int>(slot) < networks::PartCount(a.shape)) {
              tolerances.first[slot] = own[a.parts[slot]];
              tolerances.firstDrift[slot] = ownDrift[a.parts[slot]];
            }
            if (static_cast<int>(slot) < networks::PartCount(b.shape)) {
              tolerances.second[slot] = own[b.parts[slot]];
              tolerances.secondDrift[slot] = ownDrift[b.parts[slot]];
            }
          }
          return true;
        };
      }
      networks::TwoLegOptions options;
      options.legParts = 1 + static_cast<int>(rng() % 2);
      if (rng() % 2) options.parts = 2 + static_cast<int>(rng() % (2 * options.legParts - 1));
      options.target =
          formula.output(formula.k, stock[rng() % stock.size()], stock[rng() % stock.size()]) *
          std::uniform_real_distribution<double>(0.97, 1.03)(rng);
      options.tolerance = within;
      options.rowsPerPass = pass;
      std::vector<networks::TwoLegRow> plain;
      networks::FindTwoLegs(stock, formula, options, kAll, [&](networks::TwoLegRow row) {
        // The earn rule takes the tolerance in percent.
        if (!networks::EarnsItsPlace(row.a, stock, band.partTolerance) ||
            !networks::EarnsItsPlace(row.b, stock, band.partTolerance))
          return;
        networks::AddBand(row, stock, formula, options.target, band);
        if ((band.byRss ? row.rssWorst : row.worst) <= within) plain.push_back(row);
      });
      std::sort(plain.begin(), plain.end(), networks::TwoLegRanksBefore);
      if (plain.size() > limit) plain.resize(limit);
      options.band = band;
      std::vector<networks::TwoLegRow> fast;
      networks::FindTwoLegs(stock, formula, options, limit,
                            [&](const networks::TwoLegRow& row) { fast.push_back(row); });
      ASSERT_EQ(fast.size(), plain.size()) << "round " << round;
      for (std::size_t i = 0; i < fast.size(); ++i) {
        EXPECT_EQ(networks::NetworkBefore(fast[i].a, plain[i].a) ||
                      networks::NetworkBefore(plain[i].a, fast[i].a) ||
                      networks::NetworkBefore(fast[i].b, plain[i].b) ||
                      networks::NetworkBefore(plain[i].b, fast[i].b),
                  false)
            << "round " << round << " row " << i;
        EXPECT_EQ(fast[i].ranked, plain[i].ranked);
      }
    } else {
      std::vector<double> farads;
      for (int i = 0; i < 6; ++i) farads.push_back(value(rng) * 1e-12);
      farads = networks::MakeStock(farads, {}).values;
      networks::RcOptions options;
      options.quantity = rng() % 2 ? networks::RcQuantity::kCorner : networks::RcQuantity::kTau;
      options.rParts = 1 + static_cast<int>(rng() % 2);
      options.cParts = 1 + static_cast<int>(rng() % 2);
      const double tau = stock[rng() % stock.size()] * farads[rng() % farads.size()] *
                         std::uniform_real_distribution<double>(0.97, 1.03)(rng);
      options.target =
          options.quantity == networks::RcQuantity::kTau ? tau : 1 / (networks::kTwoPi * tau);
      options.tolerance = within;
      options.rowsPerPass = pass;
      const networks::RcBand band{100 * t, 100 * t, within, spreads, true};
      std::vector<networks::RcRow> plain;
      networks::FindRc(stock, farads, options, kAll, [&](networks::RcRow row) {
        if (!networks::EarnsItsPlace(row.r, stock, 100 * t) ||
            !networks::EarnsItsPlace(row.c, farads, 100 * t, true))
          return;
        if (networks::AddRcBand(row, stock, farads, options, band)) plain.push_back(row);
      });
      std::sort(plain.begin(), plain.end(), networks::RcRanksBefore);
      if (plain.size() > limit) plain.resize(limit);
      options.band = band;
      std::vector<networks::RcRow> fast;
      networks::FindRc(stock, farads, options, limit,
                       [&](const networks::RcRow& row) { fast.push_back(row); });
      ASSERT_EQ(fast.size(), plain.size()) << "round " << round;
      for (std::size_t i = 0; i < fast.size(); ++i) {
        EXPECT_EQ(fast[i].rValue, plain[i].rValue) << "round " << round << " row " << i;
        EXPECT_EQ(fast[i].cValue, plain[i].cValue) << "round " << round << " row " << i;
      }
    }
  }
}

}  // namespace
}  // namespace vantrel
