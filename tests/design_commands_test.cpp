#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "number_text.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

// The rows of a tsv listing as maps from column name to field.
std::vector<std::map<std::string, std::string>> TsvRows(const std::string& text) {
  std::istringstream lines(text);
  std::vector<std::string> names;
  std::vector<std::map<std::string, std::string>> rows;
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
    if (names.empty()) {
      names = fields;
      continue;
    }
    auto& row = rows.emplace_back();
    for (std::size_t i = 0; i < fields.size() && i < names.size(); ++i) row[names[i]] = fields[i];
  }
  return rows;
}

// Fields equal as text, or as numbers where both are numbers ("5e-04" and "0.0005").
bool Same(const std::string& field, const std::string& expected) {
  if (field == expected) return true;
  std::size_t end = 0;
  try {
    const double value = std::stod(field, &end);
    return end == field.size() && value == std::stod(expected);
  } catch (const std::logic_error&) {
    return false;
  }
}

class DesignCommandTest : public testing::CliFixture {};

// Each worst case worked out by hand: every part 1 % off the way that moves the output most,
// the reference at the matching end of its range.
TEST_F(DesignCommandTest, WorstCaseBandsMatchTheHandCalculation) {
  const struct {
    const char* library;
    std::vector<std::string> args;
    std::map<std::string, std::string> fields;
    double low;
    double high;
  } cases[] = {
      // LM317 style: VREF across Rtop (240 ohm, OUT to ADJ), 720 ohm below, 50 uA out of ADJ.
      // VOUT = 1.25 (1 + 720 / 240) + 50e-6 * 720 = 5.036; low 1.2 (1 + 712.8 / 242.4) +
      // 50e-6 * 712.8, high 1.3 (1 + 727.2 / 237.6) + 50e-6 * 727.2. Rtop carries 1.25 / 240.
      {"240\n720\n",
       {"regulator", "5", "--vref", "1.2:1.25:1.3", "--reference", "top", "--iadj", "50u",
        "--part-tolerance", "1", "--within", "7"},
       {{"top", "240"},
        {"bottom", "720"},
        {"in_spec", "true"},
        {"current", "0.005208333333333333"}},
       4.764352871287128,
       5.315147878787879},
      // A converter's feedback at 0.8 V: 0.8 (1 + 10k / 3.2k) = 3.3 exactly; Rtop takes
      // 2.5 V at 250 uA, 625 uW, more than Rbottom's 0.64 V at 200 uW.
      {"3200\n10000\n",
       {"regulator", "3.3", "--vref", "0.8", "--part-tolerance", "1", "--tolerance", "1"},
       {{"top", "10000"},
        {"bottom", "3200"},
        {"error", "0"},
        {"in_spec", "false"},
        {"current", "0.00025"},
        {"power", "0.000625"}},
       3.2504950495049507,
       3.350505050505051},
      // A gain of 11: 1 + 10k / 1k; its band reaches 1.84 % above 11.
      {"1000\n10000\n",
       {"gain", "11", "--part-tolerance", "1", "--tolerance", "2"},
       {{"rf", "10000"}, {"rg", "1000"}, {"gain", "11"}, {"in_spec", "true"}},
       10.801980198019802,
       11.202020202020202},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    SetFile(c.library);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--format", "tsv", "--top", "1"});
    ASSERT_EQ(Run(args), kExitOk) << err.str();
    const auto rows = TsvRows(out.str());
    ASSERT_EQ(rows.size(), 1u) << out.str();
    for (const auto& [name, field] : c.fields) EXPECT_TRUE(Same(rows[0].at(name), field)) << name;
    EXPECT_NEAR(std::stod(rows[0].at("low")), c.low, 1e-12 * c.low);
    EXPECT_NEAR(std::stod(rows[0].at("high")), c.high, 1e-12 * c.high);
  }
  // The LM317 band leaves 3 %, so --within 3 shows no row rather than one out of spec, and the
  // note names the nearest design; VREF's own range is wider than 3 %, so no part would do.
  SetFile("240\n720\n");
  EXPECT_EQ(Run({"regulator", "5", "--vref", "1.2:1.25:1.3", "--reference", "top", "--iadj", "50u",
                 "--part-tolerance", "1", "--within", "3"}),
            kExitOk);
  EXPECT_EQ(out.str(),
            "No design within 3 % of 5 meets --within 3. Nearest: Rtop = 240, Rbottom = 720, "
            "-4.71 % … +6.3 %: VREF ± 4 % and its error of +0.72 % take 4.72 % of the 3 % even "
            "with exact parts\n");
}

// Pairs of one exact ratio have one band, whatever double rounding leaves in its ends, so they
// rank by the scale: the legs' geometric mean nearest 10k first.
TEST_F(DesignCommandTest, EqualBandsRankByScale) {
  SetFile("10\n11\n22\n100\n110\n220\n");
  ASSERT_EQ(Run({"gain", "11", "--part-tolerance", "1", "--within", "2", "--format", "tsv"}),
            kExitOk)
      << err.str();
  std::vector<std::string> pairs;
  for (const auto& row : TsvRows(out.str())) pairs.push_back(row.at("rf") + "/" + row.at("rg"));
  EXPECT_EQ(pairs, (std::vector<std::string>{"220/22", "110/11", "100/10"}));
}

// An RC pair's band by hand: 1k and 100n make 100 us exactly; with R 1 % and C 5 % off, tau
// runs from 1e-4 * 0.99 * 0.95 to 1e-4 * 1.01 * 1.05, the corner the other way round. Two
// 50n in parallel make the same 100n with more parts, and rank after it.
TEST_F(DesignCommandTest, RcBandsMatchTheHandCalculation) {
  SetFile("1000\n");
  files.files["./CapacitorLibrary.txt"] = "50n\r\n100n\r\n";
  const double pi2 = 2 * 3.14159265358979323846;
  const struct {
    std::vector<std::string> args;
    std::map<std::string, std::string> fields;
    double low;
    double high;
  } cases[] = {
      {{"rc", "--tau", "100u", "--r-tolerance", "1", "--c-tolerance", "5"},
       {{"r", "1000"},
        {"c", "100n"},
        {"tau", "0.0001"},
        {"error", "0"},
        {"parts", "2"},
        {"in_spec", "false"}},
       1e-4 * 0.99 * 0.95,
       1e-4 * 1.01 * 1.05},
      {{"rc", "--corner", "1.6k", "--r-tolerance", "1", "--c-tolerance", "5", "--within", "7"},
       {{"r", "1000"}, {"c", "100n"}, {"tau", "0.0001"}, {"parts", "2"}, {"in_spec", "true"}},
       1 / (pi2 * 1e-4 * 1.01 * 1.05),
       1 / (pi2 * 1e-4 * 0.99 * 0.95)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--format", "tsv", "--c-parts", "2"});
    ASSERT_EQ(Run(args), kExitOk) << err.str();
    const auto rows = TsvRows(out.str());
    ASSERT_GE(rows.size(), 2u) << out.str();
    for (const auto& [name, field] : c.fields) EXPECT_TRUE(Same(rows[0].at(name), field)) << name;
    EXPECT_EQ(rows[1].at("c"), "50n || 50n");
    EXPECT_EQ(rows[1].at("error"), rows[0].at("error"));
    EXPECT_NEAR(std::stod(rows[0].at("low")), c.low, 1e-12 * c.low);
    EXPECT_NEAR(std::stod(rows[0].at("high")), c.high, 1e-12 * c.high);
  }
  // Without a capacitor library, the command line's own line names it and how to start one; the
  // window's message is the window's.
  files.files.erase("./CapacitorLibrary.txt");
  EXPECT_EQ(Run({"rc", "--tau", "100u"}), kExitFailure);
  EXPECT_THAT(err.str(), MatchesRegex("vantrel-cli: no capacitor library at \"[^\"]*"
                                      "CapacitorLibrary.txt\"; make one with \"vantrel-cli series "
                                      "E6 --capacitors --write\" or \"vantrel-cli edit "
                                      "--capacitors\"\n"));
  EXPECT_EQ(out.str(), "");
}

// IADJ x Ra: 50 uA through 68k is 3.4 V of 4.96 V, 68 %, a design that rests on the pin
// current; 240 / 720 takes 0.036 V of it, 0.72 %, and is not marked.
TEST_F(DesignCommandTest, DesignsRestingOnThePinCurrentAreMarked) {
  SetFile("240\n720\n68000\n270000\n");
  ASSERT_EQ(Run({"regulator", "5", "--vref", "1.25", "--reference", "top", "--iadj", "50u",
                 "--tolerance", "5", "--format", "tsv"}),
            kExitOk);
  std::map<std::string, double> shares;
  for (const auto& row : TsvRows(out.str())) {
    shares[row.at("top") + "/" + row.at("bottom")] = std::stod(row.at("iadj_share"));
  }
  EXPECT_NEAR(shares.at("270000/68000"), 100 * 3.4 / (1.25 * (1 + 68000.0 / 270000) + 3.4), 1e-9);
  EXPECT_NEAR(shares.at("240/720"), 100 * 0.036 / 5.036, 1e-9);
  ASSERT_EQ(Run({"regulator", "5", "--vref", "1.25", "--reference", "top", "--iadj", "50u",
                 "--tolerance", "5"}),
            kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("68.5 !"));
  EXPECT_THAT(out.str(), HasSubstr(" !\n"));
  EXPECT_THAT(out.str(), HasSubstr("give --iadj as MIN:TYP:MAX"));
  ASSERT_EQ(Run({"regulator", "5", "--vref", "1.25", "--reference", "top", "--iadj", "50u",
                 "--tolerance", "1", "--max-total", "10k"}),
            kExitOk);
  EXPECT_THAT(out.str(), Not(HasSubstr("!")));
}

// On one IADJ figure a design that rests on the pin current is in spec by no band and ranks after
// every design that does not; with IADJ as a range its verdict is its band's.
TEST_F(DesignCommandTest, DesignsRestingOnOneIadjFigureRankLastAndAreNotInSpec) {
  SetFile("240\n270\n680\n720\n820\n68000\n82000\n220000\n270000\n");
  const std::vector<std::string> common{
      "regulator", "5",           "--vref", "1.25",  "--reference", "top", "--part-tolerance",
      "1",         "--tolerance", "30",     "--all", "--format",    "tsv", "--iadj"};
  std::vector<std::string> one = common;
  one.push_back("50u");
  ASSERT_EQ(Run(one), kExitOk);
  bool marked = false;
  int markedRows = 0;
  for (const auto& row : TsvRows(out.str())) {
    const bool rests = std::stod(row.at("iadj_share")) > 10;
    EXPECT_TRUE(rests || !marked) << "an unmarked row after a marked one";
    marked = marked || rests;
    markedRows += rests;
    if (rests) {
      EXPECT_EQ(row.at("in_spec"), "false");
    }
  }
  EXPECT_GT(markedRows, 0);
  std::vector<std::string> shown = one;
  shown.erase(shown.end() - 4, shown.end() - 2);  // the listing as text
  ASSERT_EQ(Run(shown), kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("no (IADJ)"));
  EXPECT_THAT(out.str(), HasSubstr("give --iadj as MIN:TYP:MAX"));
  std::vector<std::string> range = common;
  range.push_back("20u:50u:100u");
  ASSERT_EQ(Run(range), kExitOk);
  for (const auto& row : TsvRows(out.str())) {
    EXPECT_EQ(row.at("in_spec"), std::stod(row.at("worst")) <= 30 ? "true" : "false");
  }
}

// With --within every design and RC pair lists fewer parts first, and within a count of parts
// the smaller worst case first; every band holds its own value and lies within the bound.
TEST_F(DesignCommandTest, WithinRanksFewestPartsThenWorstCase) {
  ASSERT_EQ(Run({"series", "E12", "--to", "100k"}), kExitOk);
  SetFile(out.str());
  files.files["./CapacitorLibrary.txt"] = "1n\n2.2n\n4.7n\n10n\n22n\n47n\n100n\n";
  const auto parts = [](const std::string& leg) {
    std::size_t n = 1;
    for (std::size_t at = leg.find_first_of("+|"); at != std::string::npos;
         at = leg.find_first_of("+|", at + 2)) {
      ++n;
    }
    return n;
  };
  const std::vector<std::vector<std::string>> commands = {
      {"divider", "5", "3.3", "--part-tolerance", "1", "--within", "2"},
      {"regulator", "5", "--vref", "1.2:1.25:1.3", "--reference", "top", "--iadj", "50u",
       "--part-tolerance", "0.5", "--within", "5"},
      {"regulator", "1.8", "--vref", "0.6", "--part-tolerance", "1", "--within", "2"},
      {"gain", "47", "--inverting", "--part-tolerance", "0.1", "--within", "1"},
      {"rc", "--corner", "1k", "--r-parts", "2", "--c-parts", "2", "--r-tolerance", "1",
       "--c-tolerance", "5", "--within", "8"}};
  for (std::vector<std::string> args : commands) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const double bound = std::stod(args.back());
    if (args[0] != "rc") args.insert(args.end(), {"--parts", "2"});
    args.insert(args.end(), {"--top", "200", "--format", "tsv"});
    ASSERT_EQ(Run(args), kExitOk) << err.str();
    const auto rows = TsvRows(out.str());
    ASSERT_GT(rows.size(), 10u) << out.str();
    std::pair<std::size_t, double> last{0, 0};
    for (const auto& row : rows) {
      std::vector<std::string> legs;
      for (const auto& [name, field] : row) {
        if (name == "r1" || name == "r2" || name == "top" || name == "bottom" || name == "rf" ||
            name == "rin" || name == "rg") {
          legs.push_back(field);
        }
      }
      const std::size_t count =
          row.count("parts") ? std::stoul(row.at("parts")) : parts(legs.at(0)) + parts(legs.at(1));
      const std::pair<std::size_t, double> key{count, std::stod(row.at("worst"))};
      EXPECT_LE(last.first, key.first);
      if (last.first == key.first) {
        EXPECT_LE(last.second, key.second * (1 + 1e-8));
      }
      EXPECT_LE(key.second, bound);
      last = key;
      const std::string value = row.count("vout")   ? row.at("vout")
                                : row.count("gain") ? row.at("gain")
                                                    : row.at("corner");
      EXPECT_LE(std::stod(row.at("low")), std::stod(value));
      EXPECT_LE(std::stod(value), std::stod(row.at("high")));
    }
  }
}

// Series parts share their leg's current, parallel parts its voltage; --max-power drops a
// row whose hottest part takes more, --min-current one whose current is below the bound.
TEST_F(DesignCommandTest, PowerAndCurrentBoundTheRows) {
  SetFile("250\n1000\n3000\n");
  // 4 V over (3000 + 3000) + (1000 + 1000): 0.5 mA, 0.75 mW in each 3000.
  const std::vector<std::string> divider = {
      "divider",     "4",    "1",           "--parts", "2",        "--top", "1",
      "--min-total", "5000", "--tolerance", "0",       "--format", "tsv"};
  auto args = divider;
  args.push_back("--power");
  ASSERT_EQ(Run(args), kExitOk);
  auto rows = TsvRows(out.str());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].at("r1"), "3000 + 3000");
  EXPECT_TRUE(Same(rows[0].at("current"), "0.0005"));
  EXPECT_TRUE(Same(rows[0].at("power"), "0.00075"));
  // 1.5 V over 1000 || 3000 and 0.5 V over 250 (total 1000): 2.25 mW in the 1000.
  ASSERT_EQ(Run({"divider", "2", "0.5", "--parts", "2", "--top", "1", "--tolerance", "0", "--power",
                 "--scale", "100", "--format", "tsv"}),
            kExitOk);
  rows = TsvRows(out.str());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].at("r1"), "1000 || 3000");
  EXPECT_TRUE(Same(rows[0].at("power"), "0.00225"));
  for (const auto& bound : std::vector<std::vector<std::string>>{
           {"--max-power", "0.7m"}, {"--min-current", "0.6m"}, {"--max-current", "0.4m"}}) {
    args = divider;
    args.insert(args.end(), bound.begin(), bound.end());
    ASSERT_EQ(Run(args), kExitOk) << bound[0];
    EXPECT_EQ(TsvRows(out.str()).size(), 0u) << bound[0];
    args.back() = bound[0] == "--max-power" ? "0.75m" : "0.5m";
    ASSERT_EQ(Run(args), kExitOk) << bound[0];
    EXPECT_EQ(TsvRows(out.str()).size(), 1u) << bound[0] << " includes its end";
  }
}

// A leg as the listing spells it ("100 + 3300", "6800 || 6800", "470"): its parts and whether
// they stand in parallel.
struct SpelledLeg {
  std::vector<double> parts;
  bool parallel = false;
};

SpelledLeg ReadLeg(const std::string& text) {
  SpelledLeg leg;
  leg.parallel = text.find("||") != std::string::npos;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (word != "+" && word != "||") leg.parts.push_back(std::stod(word));
  }
  return leg;
}

double LegOhms(const SpelledLeg& leg) {
  double sum = 0;
  for (double part : leg.parts) sum += leg.parallel ? 1 / part : part;
  return leg.parallel ? 1 / sum : sum;
}

// The most any part of the leg takes with volts across the leg: series parts share its current,
// parallel parts its voltage.
double HottestPart(const SpelledLeg& leg, double volts) {
  const double current = volts / LegOhms(leg);
  double most = 0;
  for (double part : leg.parts) {
    most = std::max(most, leg.parallel ? volts * volts / part : current * current * part);
  }
  return most;
}

// On random stocks and dividers that step down a little or a lot, the power column is the
// hottest part of either leg, the bottom one too where it takes the most; --max-power lists
// exactly the rows whose hottest part is within it.
TEST_F(DesignCommandTest, PowerIsTheHottestPartOfEitherLeg) {
  const std::vector<std::string> pool = {"100",  "150",  "220",  "330",  "470",  "680",
                                         "1000", "1500", "2200", "3300", "4700", "6800"};
  std::mt19937 random(20261208);
  int hotBottom = 0;
  int hotTop = 0;
  int bounded = 0;
  for (int round = 0; round < 12; ++round) {
    std::string library;
    for (const std::string& value : pool) {
      if (random() % 2) library += value + "\n";
    }
    SetFile(library + "1000\n");
    const double vin = 5 + static_cast<double>(random() % 8);
    const double vout = vin * (0.1 + 0.08 * static_cast<double>(random() % 11));
    std::vector<std::string> args = {
        "divider", ShortestText(vin), ShortestText(vout), "--parts", "2",
        "--power", "--all",           "--tolerance",      "2",       "--format",
        "tsv"};
    ASSERT_EQ(Run(args), kExitOk) << err.str();
    std::vector<std::pair<double, std::string>> powers;  // the yardstick's, with the row's legs
    for (const auto& row : TsvRows(out.str())) {
      const SpelledLeg top = ReadLeg(row.at("r1"));
      const SpelledLeg bottom = ReadLeg(row.at("r2"));
      const double current = vin / (LegOhms(top) + LegOhms(bottom));
      const double inTop = HottestPart(top, current * LegOhms(top));
      const double inBottom = HottestPart(bottom, current * LegOhms(bottom));
      (inBottom > inTop ? hotBottom : hotTop) += 1;
      const double expected = std::max(inTop, inBottom);
      EXPECT_NEAR(std::stod(row.at("power")), expected, expected * 1e-9)
          << row.at("r1") << " over " << row.at("r2") << " from " << vin;
      powers.emplace_back(expected, row.at("r1") + " / " + row.at("r2"));
    }
    if (powers.size() < 2) continue;
    std::sort(powers.begin(), powers.end());
    // A bound between two rows' powers, so that no row sits on it.
    const std::size_t cut = powers.size() / 2;
    const double bound = (powers[cut - 1].first + powers[cut].first) / 2;
    if (!(powers[cut - 1].first < bound && bound < powers[cut].first)) continue;
    ++bounded;
    args.insert(args.end(), {"--max-power", ShortestText(bound)});
    ASSERT_EQ(Run(args), kExitOk) << err.str();
    std::vector<std::string> kept;
    for (const auto& row : TsvRows(out.str())) kept.push_back(row.at("r1") + " / " + row.at("r2"));
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < cut; ++i) expected.push_back(powers[i].second);
    std::sort(kept.begin(), kept.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected) << "--max-power " << bound;
  }
  // Both legs had rows where they held the hottest part.
  EXPECT_GT(hotBottom, 100);
  EXPECT_GT(hotTop, 100);
  EXPECT_GT(bounded, 8);
}

// The cells of a text table's line: runs of two spaces or more part them.
std::vector<std::string> TextCells(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t at = line.find_first_not_of(' ');
  while (at != std::string::npos) {
    std::size_t end = line.find("  ", at);
    cells.push_back(line.substr(at, end == std::string::npos ? end : end - at));
    at = end == std::string::npos ? end : line.find_first_not_of(' ', end);
  }
  return cells;
}

// A shown number read back, with half a unit of its last digit: "1.015k" is 1015 +- 0.5.
std::pair<double, double> ReadTextNumber(const std::string& text) {
  std::size_t end = 0;
  const double mantissa = std::stod(text, &end);
  const std::size_t point = text.find('.');
  const int decimals = point < end ? static_cast<int>(end - point - 1) : 0;
  const std::string prefixes = "pnum kM";
  const std::size_t slot = end < text.size() ? prefixes.find(text[end]) : 4;
  const double scale = std::pow(10.0, 3.0 * (static_cast<double>(slot) - 4));
  return {mantissa * scale, 0.5 * std::pow(10.0, -decimals) * scale};
}

// A capacitor leg's farads: parallel parts add, series parts add as reciprocals.
double CapacitorLegFarads(const std::string& text) {
  const bool parallel = text.find("||") != std::string::npos;
  double sum = 0;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (word == "+" || word == "||") continue;
    const double part = ReadTextNumber(word).first;
    sum += parallel ? part : 1 / part;
  }
  return parallel ? sum : 1 / sum;
}

// rc --corner's text table, cell by cell, against the circuit worked out from each row's parts:
// the corner 1 / (2 pi R C), its error from the target, the band with R 1 % and C 5 % off the
// way that moves it most, its worst case, and tau = R C beside it; each cell reads back within
// half its last digit, and the legs are spelled as tsv spells them.
TEST_F(DesignCommandTest, RcCornerTextCellsReadAsTheCircuitGives) {
  SetFile("100\n150\n330\n470\n1000\n1500\n3300\n6800\n");
  files.files["./CapacitorLibrary.txt"] = "10n\n22n\n47n\n100n\n1u\n";
  const double pi2 = 2 * 3.14159265358979323846;
  const double target = 1000;
  std::vector<std::string> args = {"rc", "--corner",    "1k", "--r-parts",     "2", "--c-parts",
                                   "2",  "--tolerance", "5",  "--r-tolerance", "1", "--c-tolerance",
                                   "5",  "--top",       "40"};
  ASSERT_EQ(Run(args), kExitOk) << err.str();
  std::istringstream text(out.str());
  std::string header;
  std::getline(text, header);
  EXPECT_EQ(TextCells(header),
            (std::vector<std::string>{"Rank", "R", "C", "Corner (Hz)", "Error (%)", "Parts", "Low",
                                      "High", "Worst (%)", "In spec", "Max tol. (%)", "Tau (s)"}));
  args.insert(args.end(), {"--format", "tsv"});
  ASSERT_EQ(Run(args), kExitOk) << err.str();
  const auto rows = TsvRows(out.str());
  ASSERT_EQ(rows.size(), 40u);
  const auto near = [](const std::string& cell, double expected) {
    const auto [value, half] = ReadTextNumber(cell);
    return std::fabs(value - expected) <= half * (1 + 1e-9);
  };
  for (const auto& row : rows) {
    std::string line;
    ASSERT_TRUE(std::getline(text, line));
    const std::vector<std::string> cells = TextCells(line);
    ASSERT_EQ(cells.size(), 12u) << line;
    EXPECT_EQ(cells[0], row.at("rank"));
    EXPECT_EQ(cells[1], row.at("r"));
    EXPECT_EQ(cells[2], row.at("c"));
    const double ohms = LegOhms(ReadLeg(cells[1]));
    const double farads = CapacitorLegFarads(cells[2]);
    const double corner = 1 / (pi2 * ohms * farads);
    const double low = 1 / (pi2 * ohms * 1.01 * farads * 1.05);
    const double high = 1 / (pi2 * ohms * 0.99 * farads * 0.95);
    EXPECT_TRUE(near(cells[3], corner)) << line << " corner " << corner;
    EXPECT_TRUE(near(cells[4], (corner / target - 1) * 100)) << line;
    EXPECT_EQ(cells[5],
              std::to_string(ReadLeg(cells[1]).parts.size() + ReadLeg(cells[2]).parts.size()))
        << line;
    EXPECT_TRUE(near(cells[6], low)) << line << " low " << low;
    EXPECT_TRUE(near(cells[7], high)) << line << " high " << high;
    const double worst = std::max(target - low, high - target) / target * 100;
    EXPECT_TRUE(near(cells[8], worst)) << line << " worst " << worst;
    EXPECT_EQ(cells[9], worst <= 5 ? "yes" : "no") << line;
    EXPECT_TRUE(near(cells[11], ohms * farads)) << line << " tau " << ohms * farads;
  }
}

TEST_F(DesignCommandTest, BadDesignsAreUsageErrorsNamingOptionAndValue) {
  SetFile("1000\n");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } refused[] = {
      {{"regulator", "5"}, "--vref is needed"},
      {{"regulator", "1.25", "--vref", "1.25"}, "VOUT \"1.25\" must be above --vref \"1.25\""},
      {{"regulator", "1", "--vref", "1.25", "--reference", "top"}, "VOUT \"1\" must be above"},
      {{"regulator", "5", "--vref", "1.3:1.25:1.2"}, "--vref \"1.3:1.25:1.2\" needs MIN <= TYP"},
      {{"regulator", "5", "--vref", "1.2:1.3:1.25"}, "--vref \"1.2:1.3:1.25\" needs MIN <= TYP"},
      {{"regulator", "5", "--vref", "1.2:1.25"}, "--vref needs one value or MIN:TYP:MAX"},
      {{"regulator", "5", "--vref", "1.25", "--iadj", "-1u"}, "--iadj needs a current"},
      {{"regulator", "5", "--vref", "1.25", "--reference", "left"},
       "--reference must be bottom or top, not \"left\""},
      {{"regulator", "5", "--vref", "1.25", "--max-power", "inf"},
       "--max-power needs a power in watts of 0 or more, a finite number, not \"inf\""},
      {{"regulator", "5", "--vref", "1.25", "--max-power", "-1"}, "--max-power needs"},
      {{"regulator", "5", "--vref", "1.25", "--min-current", "2m", "--max-current", "1m"},
       "--min-current \"2m\" is above --max-current \"1m\""},
      {{"gain", "0.5"}, "G \"0.5\" is below 1"},
      {{"gain", "11", "--part-tolerance", "nan"}, "--part-tolerance needs a percentage"},
      {{"gain", "11", "--within", "-2"}, "--within needs a percentage of 0 or more, not \"-2\""},
      {{"gain", "11", "--rf-min", "10k", "--rf-max", "1k"}, "--rf-min \"10k\" is above"},
      {{"divider", "5", "3.3", "--within", "inf"}, "--within needs a percentage"},
      {{"divider", "5", "3.3", "--max-power", "1e999"}, "--max-power needs"},
      {{"divider", "5", "3.3", "--within", "3"}, "--within needs --part-tolerance or --inventory"},
      {{"rc", "--tau", "1m", "--within", "3"},
       "--within needs --r-tolerance, --c-tolerance or --inventory"},
      {{"divider", "5", "3.3", "--part-tolerance", "1", "--temperature", "-40:85"},
       "--temperature needs --tcr or --inventory"},
      {{"rc"}, "--tau or --corner is needed"},
      {{"rc", "--tau", "1m", "--corner", "1k"}, "--tau and --corner cannot be combined"},
      {{"rc", "--tau", "0"}, "--tau needs a time constant in seconds, a finite number above 0"},
      {{"rc", "--tau", "-1m"}, "--tau needs a time constant"},
      {{"rc", "--corner", "inf"}, "--corner needs a corner frequency in hertz"},
      {{"rc", "--corner", "nan"}, "--corner needs a corner frequency"},
      {{"rc", "--corner", "1e999"}, "--corner needs a corner frequency"},
      {{"rc", "--corner", "1e30"}, "--corner \"1e30\" is out of range"},
      {{"rc", "--tau", "1m", "--r-parts", "3"}, "--r-parts \"3\" is too large: at most 2"},
      {{"rc", "--tau", "1m", "--c-tolerance", "100"}, "--c-tolerance must be below 100"},
      {{"rc", "--tau", "1m", "--min-r", "10k", "--max-r", "1k"},
       "--min-r \"10k\" is above --max-r \"1k\""},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitUsage);
    EXPECT_THAT(err.str(), HasSubstr(c.message));
    EXPECT_EQ(out.str(), "");
  }
  // An inverting gain may be below 1.
  EXPECT_EQ(Run({"gain", "0.5", "--inverting", "--tolerance", "100"}), kExitOk);
}

}  // namespace
}  // namespace vantrel
