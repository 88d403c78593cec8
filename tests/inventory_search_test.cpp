#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iomanip>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "inventory_file.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;

// A drawer for the yardstick: per value, its classes as (tolerance, count), in file order.
struct PlainClass {
  double tolerance = 0;  // percent; below 0 for none
  int count = 0;
  double power = -1;  // watts; below 0 for none
};
using PlainDrawer = std::map<double, std::vector<PlainClass>>;

std::string CsvOf(const PlainDrawer& drawer) {
  std::string text = "kind,value,quantity,tolerance,power\r\n";
  for (const auto& [value, classes] : drawer) {
    for (const PlainClass& c : classes) {
      std::ostringstream row;
      row << std::setprecision(12) << "R," << value << "," << c.count << ",";
      if (c.tolerance >= 0) row << c.tolerance << "%";
      row << ",";
      if (c.power >= 0) row << c.power << "W";
      text += row.str() + "\r\n";
    }
  }
  return text;
}

// Whether class a comes before b: a tolerance before none, the smaller first.
bool Tighter(const PlainClass& a, const PlainClass& b) {
  if ((a.tolerance >= 0) != (b.tolerance >= 0)) return a.tolerance >= 0;
  return a.tolerance >= 0 && a.tolerance < b.tolerance;
}

// The tolerances of the n parts a row draws of a value: all from the tightest class that holds
// n, else from the classes tightest first. Empty when the drawer holds fewer.
std::vector<double> DrawnTolerances(const std::vector<PlainClass>& classes, int n) {
  const PlainClass* whole = nullptr;
  for (const PlainClass& c : classes) {
    if (c.count >= n && (!whole || Tighter(c, *whole))) whole = &c;
  }
  if (whole) return std::vector<double>(static_cast<std::size_t>(n), whole->tolerance);
  std::vector<PlainClass> sorted = classes;
  std::stable_sort(sorted.begin(), sorted.end(), Tighter);
  std::vector<double> parts;
  for (const PlainClass& c : sorted) {
    for (int i = 0; i < c.count && static_cast<int>(parts.size()) < n; ++i) {
      parts.push_back(c.tolerance);
    }
  }
  if (static_cast<int>(parts.size()) < n) parts.clear();
  return parts;
}

// A leg of one or two parts, as the command line spells it.
struct PlainLeg {
  std::vector<double> parts;  // ascending
  bool parallel = false;
  std::string Spelled() const {
    std::ostringstream text;
    text << std::setprecision(12) << parts[0];
    if (parts.size() == 2) text << (parallel ? " || " : " + ") << parts[1];
    return text.str();
  }
  // Its value with each part scaled by its own factor.
  double Value(const std::vector<double>& factors) const {
    if (parts.size() == 1) return parts[0] * factors[0];
    const double x = parts[0] * factors[0];
    const double y = parts[1] * factors[1];
    return parallel ? x * y / (x + y) : x + y;
  }
};

std::vector<PlainLeg> LegsOf(const std::vector<double>& values) {
  std::vector<PlainLeg> legs;
  for (std::size_t i = 0; i < values.size(); ++i) {
    legs.push_back({{values[i]}, false});
    for (std::size_t j = i; j < values.size(); ++j) {
      legs.push_back({{values[i], values[j]}, false});
      legs.push_back({{values[i], values[j]}, true});
    }
  }
  return legs;
}

// One row of the command line's tsv, by column name.
using TsvRow = std::map<std::string, std::string>;

std::vector<TsvRow> ParseTsv(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  std::vector<std::string> names;
  std::istringstream head(line);
  for (std::string name; std::getline(head, name, '\t');) names.push_back(name);
  std::vector<TsvRow> rows;
  while (std::getline(in, line)) {
    TsvRow row;
    std::istringstream fields(line);
    std::size_t i = 0;
    for (std::string field; std::getline(fields, field, '\t'); ++i) row[names.at(i)] = field;
    rows.push_back(row);
  }
  return rows;
}

class InventorySearchTest : public testing::CliFixture {
 protected:
  void SetInventory(const std::string& text) { files.files[drawer::kInventoryPath] = text; }
};

// Every divider of legs of up to two parts from random drawers of mixed classes and values from
// 1 Ω to 1 MΩ, against a plain enumeration: the same pairs (none using a value more often than
// the drawer holds, across both legs, none with a part that moves its leg by less than the
// least tolerance), and each pair's band the hull of the bands of every way the drawn parts
// can go into its slots, with each value's parts taken at the loosest tolerance drawn.
TEST_F(InventorySearchTest, DividersHoldTheCountsAndABandForEveryPlacement) {
  std::mt19937 random(20261208);
  const double tolerances[] = {-1, 0.1, 1, 2, 5};
  std::size_t checked = 0;
  std::size_t mixed = 0;
  for (int round = 0; round < 40; ++round) {
    PlainDrawer drawer;
    // A few values a decade or so apart, and some close, so that small parts are dropped.
    for (int v = 0; v < 5; ++v) {
      const double value = std::vector<double>{
          1, 2.2, 4.7, 10, 47, 100, 470, 1000, 2200, 10000, 100000, 1000000}[random() % 12];
      if (drawer.count(value)) continue;
      const int classes = 1 + static_cast<int>(random() % 3);
      for (int c = 0; c < classes; ++c) {
        drawer[value].push_back({tolerances[random() % 5], 1 + static_cast<int>(random() % 2)});
      }
    }
    SetInventory(CsvOf(drawer));
    const double fallback = round % 2 == 0 ? 2.0 : -1;
    std::vector<std::string> args{"divider",     "5",  "2.5",   "--inventory", "--parts", "2",
                                  "--tolerance", "60", "--all", "--format",    "tsv"};
    if (fallback >= 0) args.insert(args.end(), {"--part-tolerance", "2"});
    ASSERT_EQ(Run(args), 0) << err.str();

    std::vector<double> values;
    double least = 1e9;
    for (const auto& [value, classes] : drawer) {
      values.push_back(value);
      for (const PlainClass& c : classes) {
        least = std::min(least, c.tolerance >= 0 ? c.tolerance : fallback >= 0 ? fallback : 0);
      }
    }
    const auto earns = [&](const PlainLeg& leg) {
      if (leg.parts.size() < 2) return true;
      const double x = leg.parts[0], y = leg.parts[1];
      // These values lie on the edge exactly (4.7 || 470 at 1 %) or far from it.
      return (leg.parallel ? x / y : x / (x + y)) * 100 >= least * (1 - 1e-12);
    };
    std::map<std::pair<std::string, std::string>, std::pair<double, double>> expected;
    std::map<std::pair<std::string, std::string>, std::pair<double, double>> placed;
    for (const PlainLeg& a : LegsOf(values)) {
      for (const PlainLeg& b : LegsOf(values)) {
        const std::vector<double> ones{1, 1};
        const double output = 5 * b.Value(ones) / (a.Value(ones) + b.Value(ones));
        if (!(std::fabs((output - 2.5) / 2.5 * 100) <= 60) || !earns(a) || !earns(b)) continue;
        // The slots of each value, in leg then slot order.
        std::map<double, std::vector<std::pair<int, std::size_t>>> slots;
        for (int leg = 0; leg < 2; ++leg) {
          const PlainLeg& l = leg == 0 ? a : b;
          for (std::size_t i = 0; i < l.parts.size(); ++i) slots[l.parts[i]].push_back({leg, i});
        }
        std::map<double, std::vector<double>> drawn;
        bool held = true;
        for (const auto& [value, at] : slots) {
          drawn[value] = DrawnTolerances(drawer[value], static_cast<int>(at.size()));
          held = held && !drawn[value].empty();
        }
        if (!held) continue;
        // The band of one placement: each slot's tolerance in percent, below 0 unknown.
        const auto bandOf = [&](const std::map<double, std::vector<double>>& own) {
          std::vector<std::vector<double>> t(2, std::vector<double>(2, 0));
          for (const auto& [value, at] : slots) {
            for (std::size_t k = 0; k < at.size(); ++k) {
              const double x = own.at(value)[k];
              if (x < 0) return std::pair<double, double>{NAN, NAN};
              t[static_cast<std::size_t>(at[k].first)][at[k].second] = x / 100;
            }
          }
          const auto factors = [&](int leg, double sign) {
            std::vector<double> f;
            for (double x : t[static_cast<std::size_t>(leg)]) f.push_back(1 + sign * x);
            return f;
          };
          // VOUT falls in the top leg and rises in the bottom one.
          const double aUp = a.Value(factors(0, 1)), aDown = a.Value(factors(0, -1));
          const double bUp = b.Value(factors(1, 1)), bDown = b.Value(factors(1, -1));
          return std::pair<double, double>{std::min(output, 5 * bDown / (aUp + bDown)),
                                           std::max(output, 5 * bUp / (aDown + bUp))};
        };
        // Every placement: each value's drawn parts in every order over its slots.
        std::map<double, std::vector<double>> own;
        for (auto& [value, parts] : drawn) {
          std::vector<double> t;
          for (double x : parts) t.push_back(x >= 0 ? x : fallback);
          std::sort(t.begin(), t.end());
          own[value] = t;
        }
        std::pair<double, double> hull{INFINITY, -INFINITY};
        bool known = true;
        std::function<void(std::map<double, std::vector<double>>::iterator)> place =
            [&](std::map<double, std::vector<double>>::iterator at) {
              if (at == own.end()) {
                const auto band = bandOf(own);
                known = known && !std::isnan(band.first);
                hull = {std::min(hull.first, band.first), std::max(hull.second, band.second)};
                return;
              }
              do {
                place(std::next(at));
              } while (std::next_permutation(at->second.begin(), at->second.end()));
            };
        place(own.begin());
        placed[{a.Spelled(), b.Spelled()}] = hull;
        // Rows whose placement matters: some value drawn at more than one tolerance.
        mixed += std::any_of(own.begin(), own.end(),
                             [](const auto& t) { return t.second.front() != t.second.back(); });
        // The band printed: every part of a value at the loosest drawn.
        std::map<double, std::vector<double>> loosest;
        for (const auto& [value, t] : own) {
          const bool unknown = std::any_of(t.begin(), t.end(), [](double x) { return x < 0; });
          loosest[value] = std::vector<double>(t.size(), unknown ? -1 : t.back());
        }
        expected[{a.Spelled(), b.Spelled()}] =
            known ? bandOf(loosest) : std::pair<double, double>{NAN, NAN};
      }
    }
    const std::vector<TsvRow> rows = ParseTsv(out.str());
    ASSERT_EQ(rows.size(), expected.size()) << CsvOf(drawer);
    for (const TsvRow& row : rows) {
      const std::pair<std::string, std::string> key{row.at("r1"), row.at("r2")};
      const auto found = expected.find(key);
      ASSERT_NE(found, expected.end()) << row.at("r1") << " / " << row.at("r2");
      if (std::isnan(found->second.first)) {
        EXPECT_EQ(row.at("low"), "null");
        continue;
      }
      const double low = std::stod(row.at("low"));
      const double high = std::stod(row.at("high"));
      EXPECT_NEAR(low, found->second.first, 1e-12);
      EXPECT_NEAR(high, found->second.second, 1e-12);
      // No placement of the drawn parts leaves the band printed.
      EXPECT_LE(low, placed.at(key).first * (1 + 1e-12)) << key.first << " / " << key.second;
      EXPECT_GE(high, placed.at(key).second * (1 - 1e-12)) << key.first << " / " << key.second;
      ++checked;
    }
  }
  EXPECT_GT(checked, 200u);
  EXPECT_GT(mixed, 0u);
}

// A drawer class without a tolerance takes --part-tolerance; the least tolerance in the drawer
// still drops a leg whose smaller part moves it by less: 10 + 10k and the like.
TEST_F(InventorySearchTest, ALegWhosePartMovesItLessThanTheLeastToleranceIsDropped) {
  SetInventory(
      "kind,value,quantity,tolerance\r\n"
      "R,10k,10,1%\r\n"
      "R,10,10,1%\r\n"
      "R,4k7,10,\r\n");
  ASSERT_EQ(Run({"divider", "5", "2.5", "--inventory", "--part-tolerance", "1", "--within", "3",
                 "--parts", "2", "--all", "--format", "tsv"}),
            0)
      << err.str();
  const std::vector<TsvRow> rows = ParseTsv(out.str());
  EXPECT_EQ(rows.size(), 11u);
  const std::set<std::string> dropped{"10 + 4700", "10 || 4700", "10 + 10000", "10 || 10000"};
  for (const TsvRow& row : rows) {
    EXPECT_FALSE(dropped.count(row.at("r1")) || dropped.count(row.at("r2")))
        << row.at("r1") << " / " << row.at("r2");
  }
}

// Two 1 % parts and five 5 % of one value: four of them in one network all come from the 5 %
// class, which holds four, and Uses names it; two come from the 1 % class.
TEST_F(InventorySearchTest, UsesNamesTheClassEachValueIsDrawnFrom) {
  SetInventory(
      "kind,value,quantity,tolerance,package,location\r\n"
      "R,1k,2,1%,0603,A1\r\n"
      "R,1k,5,5%,0805,B2\r\n");
  ASSERT_EQ(Run({"find", "2500", "--inventory", "--parts", "4", "--top", "1"}), 0) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("1000 + 1000 + (1000 || 1000)"));
  EXPECT_THAT(out.str(), HasSubstr("4 × 1000 (5 %, 0805, B2)"));
  EXPECT_THAT(out.str(), HasSubstr("2.38k  2.62k"));
  ASSERT_EQ(Run({"divider", "5", "2.5", "--inventory", "--parts", "1", "--top", "1"}), 0);
  EXPECT_THAT(out.str(), HasSubstr("2 × 1000 (1 %, 0603, A1)"));
}

// Counts every value of a spelled network: "4700 || (4700 + 1000)" uses 4700 twice.
std::map<std::string, int> ValueCounts(const std::string& network) {
  std::map<std::string, int> counts;
  std::string token;
  for (char c : network + " ") {
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
      token += c;
    } else if (!token.empty()) {
      ++counts[token];
      token.clear();
    }
  }
  return counts;
}

// find on a drawer lists exactly the networks that find on a library of the same values lists
// and whose every value the drawer holds often enough: up to four parts, on random drawers.
TEST_F(InventorySearchTest, FindKeepsTheNetworksTheDrawerCanBuild) {
  std::mt19937 random(8122026);
  const std::vector<double> pool{100, 220, 330, 470, 680, 1000};
  for (int round = 0; round < 20; ++round) {
    PlainDrawer drawer;
    std::string library;
    std::map<std::string, int> held;
    for (double value : pool) {
      if (random() % 4 == 0) continue;
      const int count = 1 + static_cast<int>(random() % 3);
      drawer[value].push_back({1, count});
      std::ostringstream name;
      name << value;
      held[name.str()] = count;
      library += name.str() + "\r\n";
    }
    if (drawer.empty()) continue;
    SetInventory(CsvOf(drawer));
    SetFile(library);
    const std::vector<std::string> common{"find", "470",   "--parts",  "4",  "--tolerance",
                                          "3",    "--all", "--format", "tsv"};
    std::vector<std::string> fromDrawer = common;
    fromDrawer.push_back("--inventory");
    ASSERT_EQ(Run(fromDrawer), 0) << err.str();
    std::vector<std::string> drawn;
    for (const TsvRow& row : ParseTsv(out.str())) drawn.push_back(row.at("network"));
    ASSERT_EQ(Run(common), 0) << err.str();
    std::vector<std::string> buildable;
    for (const TsvRow& row : ParseTsv(out.str())) {
      const auto counts = ValueCounts(row.at("network"));
      if (std::all_of(counts.begin(), counts.end(),
                      [&](const auto& count) { return count.second <= held[count.first]; })) {
        buildable.push_back(row.at("network"));
      }
    }
    // The drawer's rows rank by their worst case; the sets must agree.
    std::sort(drawn.begin(), drawn.end());
    std::sort(buildable.begin(), buildable.end());
    EXPECT_EQ(drawn, buildable) << CsvOf(drawer);
  }
}

// A drawer of one class per value, each of enough parts and one tolerance, lists exactly what
// the library of its values lists with that --part-tolerance, band for band: the parts' own
// tolerances take the same path as the library's one.
TEST_F(InventorySearchTest, OneToleranceForAllIsTheLibrarysPartTolerance) {
  std::mt19937 random(1208);
  for (int round = 0; round < 12; ++round) {
    std::string inventory = "kind,value,quantity,tolerance\r\n";
    std::string resistors;
    std::string capacitors;
    std::set<int> values;
    while (values.size() < 12) values.insert(100 + static_cast<int>(random() % 90000));
    for (int value : values) {
      inventory += "R," + std::to_string(value) + ",4,2%\r\n";
      resistors += std::to_string(value) + "\r\n";
    }
    for (int value : {1, 2, 5, 10, 22, 47, 100}) {
      inventory += "C," + std::to_string(value) + "n,4,2%\r\n";
      capacitors += std::to_string(value) + "n\r\n";
    }
    SetInventory(inventory);
    SetFile(resistors);
    files.files["./CapacitorLibrary.txt"] = capacitors;
    const std::string vout = std::to_string(1 + static_cast<int>(random() % 3));
    const std::vector<std::vector<std::string>> searches{
        {"divider", "5", vout, "--parts", "2", "--tolerance", "5", "--part-tolerance", "2"},
        {"regulator", "3.3", "--vref", "0.8:0.8:0.82", "--parts", "2", "--within", "4",
         "--part-tolerance", "2"},
        {"gain", "7", "--parts", "2", "--tolerance", "3", "--part-tolerance", "2"},
        {"find", "4k7", "--parts", "4", "--tolerance", "2", "--part-tolerance", "2"},
        {"rc", "--corner", "1k", "--r-parts", "2", "--c-parts", "2", "--tolerance", "5",
         "--r-tolerance", "2", "--c-tolerance", "2"}};
    for (std::vector<std::string> args : searches) {
      args.insert(args.end(), {"--top", "50", "--format", "tsv"});
      ASSERT_EQ(Run(args), 0) << err.str();
      const std::string library = out.str();
      args.push_back("--inventory");
      ASSERT_EQ(Run(args), 0) << err.str();
      // The drawer's rows carry a Uses column last. An RC band multiplies the legs' ends, not
      // the time constant by both factors, so its ends may differ in the last bit.
      const std::vector<TsvRow> drawn = ParseTsv(out.str());
      const std::vector<TsvRow> listed = ParseTsv(library);
      ASSERT_EQ(drawn.size(), listed.size()) << args[0];
      for (std::size_t i = 0; i < drawn.size(); ++i) {
        for (const auto& [name, field] : listed[i]) {
          const std::string& other = drawn[i].at(name);
          if (args[0] == "rc" && (name == "low" || name == "high" || name == "worst")) {
            EXPECT_NEAR(std::stod(other), std::stod(field), 1e-12 * std::fabs(std::stod(field)));
          } else {
            EXPECT_EQ(other, field) << args[0] << " row " << i + 1 << " " << name;
          }
        }
      }
    }
  }
}

// The board's values first, from the drawer: the search over the board's values alone holds
// the counts of those values, not of the values at their places in the whole stock.
TEST_F(InventorySearchTest, BoardValuesFirstHoldTheDrawersCounts) {
  SetInventory(
      "kind,value,quantity,tolerance\r\n"
      "R,1k,5,1%\r\nR,2k2,5,1%\r\nR,4k7,1,1%\r\nR,10k,2,5%\r\n");
  files.files["board.txt"] = "4k7\n10k\n";
  ASSERT_EQ(Run({"divider", "5", "2.5", "--inventory", "--prefer", "board.txt", "--parts", "2",
                 "--tolerance", "5", "--format", "tsv"}),
            0)
      << err.str();
  const std::vector<TsvRow> rows = ParseTsv(out.str());
  ASSERT_FALSE(rows.empty());
  // One 4k7 and two 10k: of the dividers of board values alone, 10k over 10k is exact and
  // 4k7 over 4k7 cannot be built.
  EXPECT_EQ(rows[0].at("r1") + " / " + rows[0].at("r2"), "10000 / 10000");
  EXPECT_EQ(rows[0].at("low"), "2.375");
  bool added = false;
  for (const TsvRow& row : rows) {
    added = added || row.at("new_values") != "0";
    EXPECT_TRUE(row.at("new_values") != "0" || !added) << "a board row after one that adds";
    const auto counts = ValueCounts(row.at("r1") + " " + row.at("r2"));
    EXPECT_LE(counts.count("4700") ? counts.at("4700") : 0, 1);
    EXPECT_LE(counts.count("10000") ? counts.at("10000") : 0, 2);
  }
  EXPECT_TRUE(added);
}

// A design whose part would take more than its rating is left out and counted; the rows say
// what they use and where it lies.
TEST_F(InventorySearchTest, RatingsLeaveDesignsOutAndRowsNameTheirParts) {
  SetInventory(
      "kind,value,quantity,tolerance,power,location\r\n"
      "R,100,2,1%,0.1W,Box 1\r\n"
      "R,1k,2,1%,0.25W,Box 2\r\n"
      "R,1k,1,0.1%,,Box 3\r\n");
  // 5 V across 100 + 100 takes 62.5 mW per part: within 0.1 W, but not within half of it.
  ASSERT_EQ(Run({"divider", "5", "2.5", "--inventory", "--top", "5", "--format", "json"}), 0);
  EXPECT_THAT(out.str(), HasSubstr("\"r1\": \"100\", \"r2\": \"100\""));
  // Both 1k come from the class that holds two, whatever its tolerance: the band holds for
  // either placement.
  EXPECT_THAT(out.str(), HasSubstr("\"uses\": [{\"value\": 1000, \"count\": 2, \"held\": 2, "
                                   "\"tolerance\": 1, \"power\": 0.25, \"package\": \"\", "
                                   "\"location\": \"Box 2\""));
  ASSERT_EQ(Run({"divider", "5", "2.5", "--inventory", "--derate", "0.5"}), 0);
  EXPECT_THAT(out.str(), ::testing::Not(HasSubstr("  100  ")));
  EXPECT_THAT(out.str(), HasSubstr("2 × 1000"));
  EXPECT_THAT(out.str(),
              HasSubstr("Left out 1 design in which a part would take more than its rating times "
                        "0.5."));
  // Three 1k in all, so no design takes four.
  ASSERT_EQ(Run({"divider", "5", "2.5", "--inventory", "--parts", "2", "--all", "--format", "tsv"}),
            0);
  EXPECT_THAT(out.str(), ::testing::Not(HasSubstr("1000 + 1000\t1000 + 1000")));
  EXPECT_EQ(Run({"divider", "5", "2.5", "--derate", "0.5"}), 2);
  EXPECT_THAT(err.str(), HasSubstr("--derate scales the ratings of Inventory.csv's parts"));
}

}  // namespace
}  // namespace vantrel
