#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <regex>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "fd_output_buffer.h"
#include "library_file.h"
#include "result_listing.h"
#include "search_kinds.h"
#include "terminal_messages.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// vantrel-cli find and divider on an in-memory library.
class NetworkCommandTest : public testing::CliFixture {
 protected:
  void SetUp() override { SetFile("1000\r\n2200\r\n4700\r\n10000\r\n"); }
};

TEST_F(NetworkCommandTest, FindRanksNetworksWorkedOutByHand) {
  const struct {
    std::vector<std::string> args;
    std::string output;
  } cases[] = {
      // 10000 || 9400 = 4845.36, 2200 + 2350 = 4550; 4400 and 5000 tie at 6.38 %, and the
      // smaller parts come first.
      {{"find", "4700", "--top", "5", "--tolerance", "10"},
       "Rank  Value  Deviation (%)  Parts  Network\n"
       "   1  4.70k              0      1  4700\n"
       "   2  4.85k          +3.09      3  10000 || (4700 + 4700)\n"
       "   3  4.55k          -3.19      3  2200 + (4700 || 4700)\n"
       "   4  4.40k          -6.38      2  2200 + 2200\n"
       "   5  5.00k          +6.38      2  10000 || 10000\n"},
      // Exact series pair, then 4700 || 10000 = 3197.28.
      {{"find", "3k2", "--top", "2"},
       "Rank   Value  Deviation (%)  Parts  Network\n"
       "   1  3.200k              0      2  1000 + 2200\n"
       "   2  3.197k         -0.085      2  4700 || 10000\n"},
      // Exact parallel pair: 2.2M / 3200.
      {{"find", "687.5", "--parts", "2"},
       "Rank  Value  Deviation (%)  Parts  Network\n"
       "   1  687.5              0      2  1000 || 2200\n"},
      // Exact three-part mix; with --distinct, 1000 cannot be used twice.
      {{"find", "2700"},
       "Rank  Value  Deviation (%)  Parts  Network\n"
       "   1  2.70k              0      3  2200 + (1000 || 1000)\n"},
      {{"find", "2700", "--distinct"},
       "No network within 1 % of 2700; the closest is 2.80k (+3.83 %): 1000 + (2200 || 10000)\n"},
      // Without 4700 the best is a pair, with the part tolerance columns.
      {{"find", "4700", "--exclude", "4k7", "--top", "1", "--tolerance", "7", "--part-tolerance",
        "5"},
       "Rank  Value  Deviation (%)  Parts    Low   High  Worst (%)  Covers target  Network\n"
       "   1  4.40k          -6.38      2  4.18k  4.62k       11.1             no  2200 + 2200\n"},
      {{"find", "4400", "--top", "1", "--part-tolerance", "10"},
       "Rank  Value  Deviation (%)  Parts    Low   High  Worst (%)  Covers target  Network\n"
       "   1  4.40k              0      2  3.96k  4.84k         10            yes  2200 + 2200\n"},
      // The whole list: every network within 0.5 % of 1000 among up to two parts.
      {{"find", "1000", "--all", "--parts", "2", "--tolerance", "0.5"},
       "Rank  Value  Deviation (%)  Parts  Network\n"
       "   1  1.00k              0      1  1000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitOk);
    EXPECT_EQ(out.str(), c.output);
    EXPECT_EQ(err.str(), "");
  }
}

// With a part tolerance the worst case ranks first: 1005 is 0.5 % off and 994.5 0.55 %, but
// with 10 % parts 1005 reaches 1105.5 (+10.55 %) and 994.5 only 895.05 (-10.495 %). Past the
// first rows a network whose deviation alone passes the held worst case is not looked at.
TEST_F(NetworkCommandTest, FindWithPartToleranceRanksByTheWorstCase) {
  SetFile("994.5\n1005\n");
  ASSERT_EQ(Run({"find", "1000", "--part-tolerance", "10", "--format", "tsv"}), kExitOk);
  std::vector<std::string> values;
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) values.push_back(line.substr(line.rfind('\t') + 1));
  ASSERT_GE(values.size(), 2u);
  EXPECT_EQ(values[0], "994.5");
  EXPECT_EQ(values[1], "1005");
  ASSERT_EQ(Run({"find", "1000", "--part-tolerance", "10", "--top", "1"}), kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("  994.5\n"));
}

TEST_F(NetworkCommandTest, FindReadsResistorNotation) {
  for (const char* target : {"4700", "4.7k", "4k7", "4K7", "4700R", "4.7 k", "4.7kΩ", "4700 ohm"}) {
    EXPECT_EQ(Run({"find", target, "--top", "1"}), kExitOk) << target;
    EXPECT_THAT(out.str(), HasSubstr("   1  4.70k              0      1  4700\n")) << target;
  }
  EXPECT_EQ(Run({"find", "1 k", "--top", "1"}), kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("      1  1000\n"));
}

TEST_F(NetworkCommandTest, FindTellsWhatItLeftOutOfTheLibrary) {
  SetFile("-47\r\n0.0\r\nresistor\r\n100\r\n100\r\n2k2\r\n");
  // A value excluded again and again is named once.
  EXPECT_EQ(Run({"find", "200", "--exclude", "330", "--exclude", "47", "--exclude", "330R",
                 "--exclude", "0.33k", "--top", "1"}),
            kExitOk);
  EXPECT_EQ(out.str(),
            "Rank  Value  Deviation (%)  Parts  Network\n"
            "   1    200              0      2  100 + 100\n");
  EXPECT_EQ(err.str(),
            "line 6: \"2k2\" is read as 2\n"
            "vantrel-cli: --exclude 330: no such library value (3 times)\n"
            "vantrel-cli: --exclude 47: no such library value\n"
            "vantrel-cli: left out 2 library values not above 0\n");

  EXPECT_EQ(Run({"find", "100", "--exclude", "100", "--exclude", "2R0"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("the library holds no value to build networks from\n"));

  files.files.clear();
  EXPECT_EQ(Run({"find", "100"}), kExitFailure);
  EXPECT_THAT(err.str(),
              StartsWith(std::string(kLibraryMissingMessage) + "\nvantrel-cli: no library at"));
}

TEST_F(NetworkCommandTest, DividerPairsWorkedOutByHand) {
  const struct {
    std::vector<std::string> args;
    std::string output;
  } cases[] = {
      // 5 * 91 / 138 = 3.2971; the same ratio in every decade, the legs' geometric mean nearest
      // 10k first (6.5k, then 65k and 650, a decade each way, the lower total first).
      {{"divider", "5", "3.3", "--top", "3"},
       "Rank  R1     R2      VOUT  Error (%)  R1 + R2  Current\n"
       "   1  4700   9100   3.297    -0.0878    13.8k  362u\n"
       "   2  47000  91000  3.297    -0.0878     138k  36.2u\n"
       "   3  470    910    3.297    -0.0878    1.38k  3.62m\n"},
      // A scale of 100 ohms aims at the smallest pair.
      {{"divider", "5", "3.3", "--top", "1", "--scale", "100"},
       "Rank  R1  R2   VOUT  Error (%)  R1 + R2  Current\n"
       "   1  47  91  3.297    -0.0878      138  36.2m\n"},
      {{"divider", "5", "3.3", "--top", "1", "--min-total", "10k", "--max-total", "1M"},
       "Rank  R1    R2     VOUT  Error (%)  R1 + R2  Current\n"
       "   1  4700  9100  3.297    -0.0878    13.8k  362u\n"},
      // 33 || 36 over 11 || 12, each three times the other: exactly 5 V from 20 V, the legs'
      // geometric mean (9.94) nearest a scale of 10 ohms.
      {{"divider", "20", "5", "--parts", "2", "--top", "1", "--exclude", "10", "--min-total", "20",
        "--scale", "10"},
       "Rank  R1        R2        VOUT  Error (%)  R1 + R2  Current\n"
       "   1  33 || 36  11 || 12  5.00          0     23.0  871m\n"},
  };
  // The sample library: the E24 series from 10 to 1M.
  ASSERT_EQ(Run({"series", "E24"}), kExitOk);
  SetFile(out.str());
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitOk);
    EXPECT_EQ(out.str(), c.output);
    EXPECT_EQ(err.str(), "");
  }
}

// With a load across R2, each row's VOUT, current, power and source resistance as worked out
// here in long double from the legs as spelled: R1 carries VIN / (R1 + R2 || L), R2 takes VOUT,
// and the load's own power is no part's. R1 || R2 is at the parts' upper ends with a part
// tolerance, and within --max-source in every row.
TEST_F(NetworkCommandTest, LoadedDividerRowsAsWorkedOut) {
  ASSERT_EQ(Run({"series", "E24", "--from", "1k", "--to", "47k"}), kExitOk);
  SetFile(out.str());
  const long double vin = 12;
  const long double load = 4700;
  for (const char* tolerance : {"0", "1"}) {
    SCOPED_TRACE(tolerance);
    ASSERT_EQ(
        Run({"divider", "12", "3", "--parts", "2", "--load", "4k7", "--max-source", "2k", "--power",
             "--all", "--tolerance", "0.5", "--part-tolerance", tolerance, "--format", "tsv"}),
        kExitOk);
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(
        line,
        "rank\tr1\tr2\tvout\terror\tlow\thigh\tworst\tin_spec\tneeds_part_tolerance\ttotal\tcurrent"
        "\tsource\tpower");
    int rows = 0;
    while (std::getline(lines, line)) {
      std::vector<std::string> fields;
      std::istringstream split(line);
      for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
      ASSERT_EQ(fields.size(), 14u) << line;
      SCOPED_TRACE(line);
      // A leg's parts and whether they are in parallel.
      const auto parts = [](const std::string& leg, bool& parallel) {
        std::vector<long double> values;
        parallel = leg.find("||") != std::string::npos;
        std::istringstream words(leg);
        for (std::string word; words >> word;) {
          if (word != "||" && word != "+") values.push_back(std::stold(word));
        }
        return values;
      };
      bool topParallel = false;
      bool bottomParallel = false;
      const std::vector<long double> top = parts(fields[1], topParallel);
      const std::vector<long double> bottom = parts(fields[2], bottomParallel);
      const auto value = [](const std::vector<long double>& values, bool parallel) {
        long double sum = 0;
        for (const long double v : values) sum += parallel ? 1 / v : v;
        return parallel ? 1 / sum : sum;
      };
      const long double r1 = value(top, topParallel);
      const long double r2 = value(bottom, bottomParallel);
      const long double below = r2 * load / (r2 + load);
      const long double current = vin / (r1 + below);
      const long double vout = vin * below / (r1 + below);
      // Series parts share their leg's current, parallel ones its voltage.
      long double power = 0;
      const auto take = [&](const std::vector<long double>& values, bool parallel,
                            long double volts, long double leg) {
        for (const long double v : values) {
          power = std::max(power, parallel ? volts * volts / v : (volts / leg) * (volts / leg) * v);
        }
      };
      take(top, topParallel, vin - vout, r1);
      take(bottom, bottomParallel, vout, r2);
      const long double up = tolerance[0] == '1' ? 1.01L : 1;
      const long double source = r1 * up * (r2 * up) / (r1 * up + r2 * up);
      const auto near = [](const std::string& text, long double expected) {
        return std::fabs(std::stold(text) - expected) <= 1e-12L * std::fabs(expected);
      };
      EXPECT_TRUE(near(fields[3], vout));
      EXPECT_TRUE(near(fields[11], current));
      EXPECT_TRUE(near(fields[12], source));
      EXPECT_TRUE(near(fields[13], power));
      EXPECT_LE(std::stold(fields[12]), 2000);
      ++rows;
    }
    EXPECT_GT(rows, 50) << rows;
  }
}

// Looser parts raise R1 || R2 at their upper ends, so --max-source bounds the tolerance a row
// needs as the band does: 30k || 10k is 7.5k, within 7.6k for parts up to 4/3 %, though its band
// would allow 3.2 %.
TEST_F(NetworkCommandTest, MaxSourceBoundsTheToleranceARowNeeds) {
  ASSERT_EQ(Run({"series", "E24"}), kExitOk);
  SetFile(out.str());
  ASSERT_EQ(Run({"divider", "12", "3", "--max-source", "7.6k", "--within", "5", "--part-tolerance",
                 "1", "--top", "1", "--format", "tsv"}),
            kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("\n1\t30000\t10000\t"));
  std::istringstream split(out.str().substr(out.str().find('\n') + 1));
  std::string needs;
  for (int field = 0; field <= 9; ++field) std::getline(split, needs, '\t');
  EXPECT_NEAR(std::stod(needs), 4.0 / 3, 1e-9);
}

// A load makes the current no function of R1 + R2, so bounds on it narrow the walk otherwise: the
// rows within them are those of the unbounded search whose current lies within them.
TEST_F(NetworkCommandTest, LoadedDividerCurrentBoundsLeaveOutOnlyRowsOutsideThem) {
  ASSERT_EQ(Run({"series", "E24"}), kExitOk);
  SetFile(out.str());
  const std::vector<std::string> search = {"divider", "12",          "3", "--load",   "4k7",
                                           "--all",   "--tolerance", "2", "--format", "tsv"};
  ASSERT_EQ(Run(search), kExitOk);
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);
  std::string within;
  while (std::getline(lines, line)) {
    const std::size_t current = 6;  // rank, r1, r2, vout, error, total, current
    std::istringstream split(line);
    std::string field;
    for (std::size_t i = 0; i <= current; ++i) std::getline(split, field, '\t');
    const double amperes = std::stod(field);
    if (amperes >= 200e-6 && amperes <= 1e-3) within += line.substr(line.find('\t')) + "\n";
  }
  std::vector<std::string> bounded = search;
  bounded.insert(bounded.end(), {"--min-current", "200u", "--max-current", "1m"});
  ASSERT_EQ(Run(bounded), kExitOk);
  std::string kept;
  lines.clear();
  lines.str(out.str());
  std::getline(lines, line);
  while (std::getline(lines, line)) kept += line.substr(line.find('\t')) + "\n";
  EXPECT_GT(kept.size(), 1000u);
  EXPECT_EQ(kept, within);
}

// Values are taken as written, and a network equal to the target in decimal arithmetic shows
// 0 and ranks with the exact ones, though its double value is an ulp or so off.
TEST_F(NetworkCommandTest, DecimalValuesShowAsDecimals) {
  const struct {
    std::string library;  // a series name or the file's text
    std::vector<std::string> args;
    std::string row;
  } cases[] = {
      // 5.65 + 8.4, which float values missed by 6.8e-7 %.
      {"E96",
       {"find", "14.05", "--parts", "4", "--top", "10"},
       "   4  14.05              0      4  (11.3 || 11.3) + (14 || 21)\n"},
      // In doubles 0.1 + 0.2 is 0.30000000000000004 and 1.1 * 3 is 3.3000000000000003.
      {"0.1\n0.2\n1.1\n",
       {"find", "0.3", "--parts", "2", "--top", "1"},
       "   1   300m              0      2  0.1 + 0.2\n"},
      {"0.1\n0.2\n1.1\n",
       {"find", "3.3", "--top", "1"},
       "   1   3.30              0      3  1.1 + 1.1 + 1.1\n"},
      // 12 * 10.7 / 21.4 is 1.5e-14 % off in doubles; exact pairs rank by scale, and below a
      // scale under every pair, by total.
      {"E96",
       {"divider", "12", "6", "--top", "4", "--scale", "0.001"},
       "   4  10.7  10.7  6.00          0     21.4  561m\n"},
      {"E96",
       {"divider", "12", "7", "--top", "2", "--scale", "0.001"},
       "   2  10.5  14.7  7.00          0     25.2  476m\n"},
      // (0.1 + 0.2) + 0.3 beside 0.3 + 0.3 asks for no digits beyond the decimals.
      {"0.1\n0.2\n0.3\n",
       {"find", "1", "--tolerance", "50", "--top", "7"},
       "   7   600m            -40      2  0.3 + 0.3\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    if (c.library == "E96") {
      ASSERT_EQ(Run({"series", "E96", "--to", "100"}), kExitOk);
      SetFile(out.str());
    } else {
      SetFile(c.library);
    }
    EXPECT_EQ(Run(c.args), kExitOk);
    EXPECT_THAT(out.str(), HasSubstr(c.row));
  }
}

TEST_F(NetworkCommandTest, DividerDistinctAvoidsTheSameValueTwice) {
  EXPECT_EQ(Run({"divider", "10", "5", "--top", "1"}), kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("   1  10000  10000  5.00          0    20.0k  500u\n"));
  // Only equal values halve 10 V here, so the note names --distinct as what leaves no pair.
  EXPECT_EQ(Run({"divider", "10", "5", "--distinct"}), kExitOk);
  EXPECT_EQ(out.str(), "No divider within 1 % of 5 meets --distinct\n");
}

// --all is streamed, --top K laid out from all its rows: with fewer rows than the streamed
// table holds back for its widths, both print the same, in every format.
TEST_F(NetworkCommandTest, AllPrintsWhatTopPrintsForTheSameRows) {
  SetFile("10\r\n22\r\n47\r\n100\r\n220\r\n470\r\n1000\r\n2200\r\n4700\r\n");
  const std::vector<std::vector<std::string>> commands = {
      {"find", "1234.5", "--tolerance", "30"},
      {"find", "333", "--parts", "2", "--tolerance", "100", "--part-tolerance", "5"},
      {"divider", "5", "3.3", "--tolerance", "40"},
      {"divider", "12", "1", "--parts", "2", "--tolerance", "10", "--distinct"},
  };
  for (const auto& command : commands) {
    auto all = command;
    all.push_back("--all");
    auto tsv = all;
    tsv.insert(tsv.end(), {"--format", "tsv"});
    ASSERT_EQ(Run(tsv), kExitOk);
    const std::string allTsv = out.str();
    const auto rows = std::count(allTsv.begin(), allTsv.end(), '\n') - 1;
    SCOPED_TRACE(::testing::PrintToString(command) + " " + std::to_string(rows) + " rows");
    ASSERT_GT(rows, 20);
    ASSERT_LT(rows, 1000);
    auto top = command;
    top.insert(top.end(), {"--top", std::to_string(rows)});
    ASSERT_EQ(Run(all), kExitOk);
    const std::string allText = out.str();
    ASSERT_EQ(Run(top), kExitOk);
    EXPECT_EQ(allText, out.str());
    top.insert(top.end(), {"--format", "tsv"});
    ASSERT_EQ(Run(top), kExitOk);
    EXPECT_EQ(allTsv, out.str());
  }
}

// --top takes every count from 1 to the largest a row count can be: at that largest it lists
// what --all lists, and one past it, or 0, is refused with the bound, in every search.
TEST_F(NetworkCommandTest, TopTakesEveryCountUpToItsLargest) {
  SetFile("10\r\n22\r\n47\r\n100\r\n220\r\n470\r\n1000\r\n2200\r\n4700\r\n");
  files.files["./CapacitorLibrary.txt"] = "1n\r\n10n\r\n100n\r\n";
  const std::string most = std::to_string(std::numeric_limits<std::uint64_t>::max());
  ASSERT_EQ(most, "18446744073709551615");
  const std::vector<std::vector<std::string>> commands = {
      {"find", "1234.5", "--tolerance", "30"},
      {"divider", "5", "3.3", "--tolerance", "40"},
      {"regulator", "5", "--vref", "1.25", "--tolerance", "20"},
      {"gain", "11", "--tolerance", "50"},
      {"rc", "--corner", "1k", "--tolerance", "90"},
  };
  for (const auto& command : commands) {
    SCOPED_TRACE(::testing::PrintToString(command));
    auto all = command;
    all.insert(all.end(), {"--all", "--format", "tsv"});
    ASSERT_EQ(Run(all), kExitOk) << err.str();
    const std::string listed = out.str();
    ASSERT_GT(std::count(listed.begin(), listed.end(), '\n'), 2);
    auto top = command;
    top.insert(top.end(), {"--format", "tsv", "--top", most});
    ASSERT_EQ(Run(top), kExitOk) << err.str();
    EXPECT_EQ(out.str(), listed);
    top.back() = "1";
    ASSERT_EQ(Run(top), kExitOk) << err.str();
    const std::string first = out.str();
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 2) << first;
    top.back() = "18446744073709551616";
    EXPECT_EQ(Run(top), kExitUsage);
    EXPECT_THAT(err.str(),
                HasSubstr("--top \"18446744073709551616\" is too large: at most " + most));
    top.back() = "0";
    EXPECT_EQ(Run(top), kExitUsage);
    EXPECT_THAT(err.str(), HasSubstr("--top needs a whole number above 0, not \"0\""));
  }
}

TEST_F(NetworkCommandTest, DividerNamesTheBoundsNoPairMeets) {
  const struct {
    std::vector<std::string> args;
    std::string output;
  } cases[] = {
      {{"divider", "10", "5", "--min-total", "1M"},
       "No divider within 1 % of 5 meets --min-total 1000000\n"},
      {{"divider", "10", "5", "--max-total", "1k"},
       "No divider within 1 % of 5 meets --max-total 1000\n"},
      {{"divider", "10", "5", "--min-total", "1", "--max-total", "2"},
       "No divider within 1 % of 5 meets --min-total 1 and --max-total 2\n"},
      // Two bounds that each leave pairs are named together.
      {{"divider", "10", "5", "--min-total", "15k", "--max-total", "19k"},
       "No divider within 1 % of 5 meets --min-total 15000 and --max-total 19000\n"},
      {{"divider", "10", "5", "--max-total", "1k", "--max-power", "1e-9", "--distinct"},
       "No divider within 1 % of 5 meets --max-power 0.000000001, --max-total 1000, --distinct\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(Run(c.args), kExitOk);
    EXPECT_EQ(out.str(), c.output);
  }
}

// find, counting the rows it makes: the work a listing has done.
struct CountingFindKind : finder::FindKind {
  static inline std::uint64_t made = 0;
  static Row MakeRow(std::uint64_t rank, const Found& found, const finder::LoadedStock& stock,
                     const Request& request) {
    ++made;
    return finder::FindKind::MakeRow(rank, found, stock, request);
  }
};

// A reader that keeps up and throws everything away.
class Discard final : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize size) override { return size; }
};

// Once the rows of --all cannot be written (a full disk), the search stops: it makes a small
// part of the rows it makes for a reader that takes them all.
TEST_F(NetworkCommandTest, FailedOutputStopsAStreamedListing) {
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  ASSERT_EQ(Run({"series", "E12"}), kExitOk);
  SetFile(out.str());
  finder::FindInput input;
  input.target = "4k7";
  input.parts = "3";
  input.tolerance = "50";
  input.all = true;
  const auto request = std::get<finder::FindRequest>(finder::CheckFind(input));
  const finder::LoadedStock stock = finder::LoadStock(services, {});
  Discard discard;
  std::ostream taken(&discard);
  EXPECT_TRUE(ListRows<CountingFindKind>(request, stock, OutputFormat::kTsv, {}, -1, taken, taken));
  const std::uint64_t all = CountingFindKind::made;
  EXPECT_GT(all, 20000u);
  for (OutputFormat format : {OutputFormat::kText, OutputFormat::kTsv}) {
    SCOPED_TRACE(static_cast<int>(format));
    FdOutputBuffer buffer(full);
    std::ostream lost(&buffer);
    CountingFindKind::made = 0;
    ListRows<CountingFindKind>(request, stock, format, {}, -1, lost, taken);
    EXPECT_EQ(buffer.Failure(), std::strerror(ENOSPC));
    EXPECT_LT(CountingFindKind::made * 4, all);
  }
  ::close(full);
}

// Command lines that are wrong, extreme or at a bound, on a library (nullptr: none). Whatever
// happens, no number printed is infinite or not a number, the usage comes with exit status 2
// only, a failure prints nothing on stdout and writes no library.
TEST_F(NetworkCommandTest, BadAndExtremeCommandLines) {
  constexpr char kFour[] = "1000\r\n2200\r\n4700\r\n10000\r\n";
  const std::string huge(100000, '7');
  // Refused, with the usage, on the four values.
  const struct {
    std::vector<std::string> args;
    std::string message;
  } refused[] = {
      {{"find"}, "find: missing TARGET"},
      {{"find", "4k7x"}, "TARGET \"4k7x\" is not a resistance"},
      {{"find", "1e3k7"}, "TARGET \"1e3k7\" is not a resistance"},
      {{"find", "1", "2"}, "find: unexpected argument \"2\""},
      {{"find", "1k", "--top", "0"}, "--top needs a whole number above 0, not \"0\""},
      {{"find", "1k", "--top"}, "--top needs a value"},
      {{"find", "1k", "--parts", "5"}, "--parts \"5\" is too large: at most 4"},
      {{"find", "1k", "--top", "99999999999999999999"},
       "--top \"99999999999999999999\" is too large: at most 18446744073709551615"},
      {{"find", "1k", "--tolerance", "++1"},
       "--tolerance needs a percentage of 0 or more, not \"++1\""},
      {{"find", "1k", "--" + huge},
       "find: unknown option \"--" + huge.substr(0, 38) + "...\" (100002 characters)"},
      {{"find", "1k", "--tolerance", "-1"}, "--tolerance needs a percentage"},
      {{"find", "1k", "--tolerance", "1,5"}, "--tolerance needs a percentage"},
      {{"find", "1k", "--tolerance", "1%%"}, "--tolerance needs a percentage"},
      {{"find", "1k", "--exclude", "red"}, "--exclude \"red\" is not a resistance"},
      {{"find", "1k", "--part-tolerance", "100"}, "--part-tolerance must be below 100"},
      {{"find", "1k", "--all", "--top", "3"}, "--top and --all cannot be combined"},
      {{"find", "1k", "--rows", "3"}, "find: unknown option \"--rows\""},
      {{"find", "1k", "--format", "xml"}, "--format must be text, tsv, csv or json, not \"xml\""},
      {{"find", "0"}, "TARGET \"0\" is out of range: resistances from 1 µΩ to 1 PΩ"},
      {{"find", "-4k7"}, "TARGET \"-4k7\" is out of range"},
      {{"find", "inf"}, "TARGET \"inf\" is out of range"},
      {{"find", "nan"}, "TARGET \"nan\" is not a number"},
      {{"find", "1e999"}, "TARGET \"1e999\" is out of range"},
      {{"find", "1e-310"}, "TARGET \"1e-310\" is out of range"},
      {{"find", huge}, "TARGET \"" + huge.substr(0, 40) + "...\" (100000 characters)"},
      {{"divider", "5"}, "divider: missing VOUT"},
      {{"divider", "5", "3.3", "1"}, "divider: unexpected argument \"1\""},
      {{"divider", "5", "3Q3"}, "VOUT \"3Q3\" is not a voltage"},
      {{"divider", "5", "3.3", "--parts", "3"}, "--parts \"3\" is too large: at most 2"},
      {{"divider", "5", "3.3", "--min-total", "lots"}, "--min-total \"lots\""},
      {{"divider", "5", "3.3", "--rows", "1"}, "divider: unknown option \"--rows\""},
      {{"divider", "3.3", "5"},
       "VOUT \"5\" must be below VIN \"3.3\": a divider only lowers the voltage"},
      {{"divider", "5", "5"}, "VOUT \"5\" must be below VIN \"5\""},
      {{"divider", "5", "0"}, "VOUT \"0\" is out of range: voltages from 1 µV to 1 MV"},
      {{"divider", "5", "-1"}, "VOUT \"-1\" is out of range"},
      {{"divider", "inf", "1"}, "VIN \"inf\" is out of range"},
      {{"divider", "1e308", "5e307"}, "VIN \"1e308\" is out of range"},
      {{"divider", "1", "1e-320"}, "VOUT \"1e-320\" is out of range"},
      {{"divider", "1.7e308", "5", "--min-total", "4m7"}, "VIN \"1.7e308\" is out of range"},
      {{"divider", "5", "2.5", "--min-total", "inf"}, "--min-total \"inf\" is out of range"},
      {{"divider", "5", "2.5", "--max-total", "nan"}, "--max-total \"nan\" is not a number"},
      {{"divider", "5", "2.5", "--min-total", "nan"}, "--min-total \"nan\" is not a number"},
      {{"divider", "5", "2.5", "--max-total", "-inf"}, "--max-total \"-inf\" is out of range"},
      {{"divider", "5", "2.5", "--min-total", "10k", "--max-total", "1k"},
       "--min-total \"10k\" is above --max-total \"1k\""},
      {{"divider", "12", "3", "--load", "0"}, "--load \"0\" is out of range"},
      {{"divider", "12", "3", "--max-source", "-2k"}, "--max-source \"-2k\" is out of range"},
      {{"calc", "45", "1", "--rows", "2147483647"},
       "calc: --rows \"2147483647\" is too large: at most 999999999"},
      {{"calc", "45", "1", "--rows", "99999999999999999999"},
       "calc: --rows \"99999999999999999999\" is too large: at most 999999999"},
  };
  struct Case {
    std::vector<std::string> args;
    const char* library;
    int status;
    std::string message;  // found in stderr, or in stdout for a note
  };
  std::vector<Case> cases = {
      {{"find", "4k7", "--tolerance", "1%"},
       kFour,
       kExitOk,
       "   1  4.70k              0      1  4700\n"},
      // A "+" in front is taken by every number.
      {{"find", "+4k7", "--tolerance", "+1%", "--top", "+1", "--parts", "+1", "--exclude", "+1k"},
       kFour,
       kExitOk,
       "   1  4.70k              0      1  4700\n"},
      {{"divider", "+5", "+2.5", "--parts", "+1", "--min-total", "+1k", "--max-total", "+3k"},
       kFour,
       kExitOk,
       "   1  1000  1000  2.50          0    2.00k  2.50m\n"},
      {{"series", "E3", "--from", "+10", "--to", "+22"}, nullptr, kExitOk, "10.00\r\n22.00\r\n"},
      {{"calc", "+45", "+1", "--rows", "+1"}, kFour, kExitOk, "Resistor Value"},
      // The range's ends are accepted, and the closest is named with a finite deviation.
      {{"find", "1e15", "--parts", "1"}, kFour, kExitOk, "the closest is 10.0k (-100 %): 10000"},
      {{"find", "1e-6", "--parts", "1"}, kFour, kExitOk, "the closest is 1.00k (+1e+11 %): 1000"},
      // A deviation a hair from 0 is exact, rounded once: 1000 || 2000 is 2000 / 3, and 0.00011
      // passes the target by 1e-5 where the double sum meets it.
      {{"find", "666.6666666666666", "--parts", "2", "--format", "tsv"},
       "1000\r\n2000\r\n",
       kExitOk,
       "1\t666.6666666666666\t1.0000000000000002e-14\t2\t1000 || 2000\n"},
      {{"find", "1000000000000.0001", "--parts", "2", "--top", "3", "--format", "tsv"},
       "1000000000000\r\n0.0001\r\n0.00011\r\n",
       kExitOk,
       "1\t1000000000000.0001\t0\t2\t0.0001 + 1000000000000\n"
       "2\t1000000000000.0001\t9.999999999999999e-16\t2\t0.00011 + 1000000000000\n"
       "3\t1e+12\t-9.999999999999998e-15\t1\t1000000000000\n"},
      {{"divider", "2", "1", "--parts", "2", "--top", "1"},
       "1e-300\r\n2200\r\n1e20\r\n",
       kExitOk,
       "vantrel-cli: left out 2 library values outside the resistances accepted, 1 µΩ to 1 PΩ\n"},
      {{"divider", "5", "2.5", "--distinct"},
       "1000\r\n",
       kExitOk,
       "No divider within 1 % of 2.5 meets --distinct\n"},
      {{"divider", "1e6", "1e-6", "--top", "1"},
       kFour,
       kExitOk,
       "No divider within 1 % of 0.000001; the closest is R1 = 10000, R2 = 1000: 90.9k (+9.09e+12 "
       "%)"},
      {{"series", "E12", "--to", "5"},
       nullptr,
       kExitUsage,
       "series: --from 10 (the default) is above --to \"5\""},
      {{"series", "E12", "--from", "2k2", "--to", "1k"},
       nullptr,
       kExitUsage,
       "--from \"2k2\" is above --to \"1k\""},
      {{"series", "E12", "--from", "0"}, nullptr, kExitUsage, "--from \"0\" is out of range"},
      {{"series", "E12", "--from", "nan"}, nullptr, kExitUsage, "--from \"nan\" is not a number"},
      {{"series", "E12", "--to", "1e16"}, nullptr, kExitUsage, "--to \"1e16\" is out of range"},
      {{"series", "E12", "--from", "4k71", "--to", "4k72"},
       nullptr,
       kExitFailure,
       "series: no E12 value lies from 4710 to 4720"},
      {{"series", "E12", "--from", "4k71", "--to", "4k72", "--write"},
       nullptr,
       kExitFailure,
       "series: no E12 value lies from 4710 to 4720"},
      // 1000 values is what a library holds, one more is refused.
      {{"series", "E192", "--from", "1", "--to", "160k"},
       nullptr,
       kExitOk,
       "158000.00\r\n160000.00\r\n"},
      {{"series", "E192", "--from", "1", "--to", "160k", "--write"},
       nullptr,
       kExitOk,
       "wrote 1000 E192 values"},
      {{"series", "E192", "--from", "1", "--to", "162k"},
       nullptr,
       kExitFailure,
       "more than a library holds (1000 values"},
      {{"calc", "4k7", "1"},
       kFour,
       kExitOk,
       "TARGET \"4k7\" is read as 4\nvantrel-cli: calc: no library value or parallel pair lies "
       "within 1 % of 4\n"},
      {{"calc", "45", "-1"},
       kFour,
       kExitFailure,
       "Parameter setting error !\nvantrel-cli: calc: PRECISION \"-1\" is read as -1, which is "
       "below 0\n"},
  };
  for (const auto& r : refused) cases.push_back({r.args, kFour, kExitUsage, r.message});
  const std::regex nonFinite("inf|nan|i\\.nf", std::regex::icase);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args).substr(0, 200));
    files.files.clear();
    if (c.library) SetFile(c.library);
    const bool writes =
        c.status == kExitOk && std::find(c.args.begin(), c.args.end(), "--write") != c.args.end();
    EXPECT_EQ(Run(c.args), c.status);
    EXPECT_THAT(out.str() + err.str(), HasSubstr(c.message));
    EXPECT_FALSE(std::regex_search(out.str(), nonFinite));
    EXPECT_EQ(err.str().find("usage:") != std::string::npos, c.status == kExitUsage);
    EXPECT_LT(err.str().size(), 2000u);
    if (c.status != kExitOk) {
      EXPECT_EQ(out.str(), "");
    }
    if (!writes) {
      EXPECT_EQ(files.files.count(kLibraryPath), c.library ? 1u : 0u);
      if (c.library) {
        EXPECT_EQ(File(), c.library);
      }
    }
  }
}

}  // namespace
}  // namespace vantrel
