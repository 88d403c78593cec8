// led against a plain yardstick: every network of the plain enumeration, its currents, band and
// part powers worked out here from its spelling, filtered and ranked as the manual says.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "plain_networks.h"
#include "search_kinds.h"
#include "stock.h"
#include "values_added.h"

namespace vantrel::finder {
namespace {

constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

// A spelled network read back: its value, and the power of each part in spelling order with a
// current through the whole, from the voltage across each group (a parallel member takes V / r
// of it), not from shares of conductance.
class Spelled {
 public:
  Spelled(const std::string& spelling, const std::vector<double>& stock) : m_stock(stock) {
    std::istringstream words(spelling);
    for (std::string word; words >> word;) {
      while (word.starts_with('(')) {
        m_tokens.emplace_back("(");
        word.erase(0, 1);
      }
      std::size_t closing = 0;
      while (word.ends_with(')')) {
        ++closing;
        word.pop_back();
      }
      m_tokens.push_back(word);
      m_tokens.insert(m_tokens.end(), closing, ")");
    }
    std::size_t at = 0;
    m_root = Parse(at);
  }

  double Value() const { return ValueOf(m_root); }

  std::vector<double> Powers(double current) const {
    std::vector<double> powers;
    PowersOf(m_root, current, powers);
    return powers;
  }

 private:
  struct Node {
    char kind = 'x';  // 'x' a part, '+' series, '|' parallel
    double value = 0;
    std::vector<Node> members;
  };

  Node Parse(std::size_t& at) {
    Node group;
    group.members.push_back(Term(at));
    while (at < m_tokens.size() && m_tokens[at] != ")") {
      group.kind = m_tokens[at] == "+" ? '+' : '|';
      ++at;
      group.members.push_back(Term(at));
    }
    if (group.members.size() == 1) return group.members[0];
    return group;
  }

  Node Term(std::size_t& at) {
    if (m_tokens[at] == "(") {
      ++at;
      Node inner = Parse(at);
      ++at;  // ")"
      return inner;
    }
    Node part;
    part.value = m_stock[std::stoul(m_tokens[at++].substr(1))];
    return part;
  }

  static double ValueOf(const Node& node) {
    if (node.kind == 'x') return node.value;
    double value = ValueOf(node.members[0]);
    for (std::size_t i = 1; i < node.members.size(); ++i) {
      const double next = ValueOf(node.members[i]);
      value = node.kind == '+' ? value + next : value * next / (value + next);
    }
    return value;
  }

  static void PowersOf(const Node& node, double current, std::vector<double>& powers) {
    if (node.kind == 'x') {
      powers.push_back(current * current * node.value);
      return;
    }
    const double volts = current * ValueOf(node);
    for (const Node& member : node.members) {
      PowersOf(member, node.kind == '+' ? current : volts / ValueOf(member), powers);
    }
  }

  const std::vector<double>& m_stock;
  std::vector<std::string> m_tokens;
  Node m_root;
};

double Key(double worst) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, worst, std::chars_format::scientific, 8);
  double key = 0;
  std::from_chars(text, end.ptr, key);
  return key;
}

struct PlainLed {
  std::string spelling;
  double key = 0;
  double size = 0;
  int parts = 0;
  std::vector<double> values;
  std::string pattern;
};

// Every network of the plain enumeration that meets the request, ranked: worst case, |error|,
// parts, values in spelling order, pattern.
std::vector<std::string> PlainLeds(const LedRequest& request, const LoadedStock& stock) {
  const std::vector<double>& values = stock.stock.values;
  const double t = request.bounds.partTolerance.value_or(0) / 100;
  networks::FindOptions options = request.search;
  options.tolerance = std::numeric_limits<double>::infinity();
  const double n = request.leds;
  const double drive = request.vsupply.typ - n * request.vf.typ;
  const double driveLow = request.vsupply.min - n * request.vf.max;
  const double driveHigh = request.vsupply.max - n * request.vf.min;
  const double i = request.current;
  std::vector<PlainLed> kept;
  for (const auto& row : testing::PlainFindNetworks(values, stock.names, options, 1 - t, 1 + t)) {
    const double r0 = request.search.target;
    const double error = row.value == r0 ? 0 : (r0 / row.value - 1) * 100;
    const double nominal = 1 + error / 100;
    const double high = std::max(driveHigh / drive * (r0 / row.low), nominal);
    const double low = std::min(driveLow / drive * (r0 / row.high), nominal);
    const double worst = std::max(std::fabs(low - 1), std::fabs(high - 1)) * 100;
    if (!(std::fabs(error) <= request.search.tolerance)) continue;
    if (request.bounds.within && !(worst <= *request.bounds.within)) continue;
    if (request.bounds.maxPower) {
      const std::vector<double> powers = Spelled(row.spelling, values).Powers(i * high);
      if (!(*std::max_element(powers.begin(), powers.end()) <= *request.bounds.maxPower)) continue;
    }
    PlainLed led{row.spelling, Key(worst), std::fabs(error), static_cast<int>(row.parts.size()),
                 {},           row.pattern};
    for (const int part : row.parts) led.values.push_back(values[static_cast<std::size_t>(part)]);
    kept.push_back(std::move(led));
  }
  std::sort(kept.begin(), kept.end(), [](const PlainLed& a, const PlainLed& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.size != b.size) return a.size < b.size;
    if (a.parts != b.parts) return a.parts < b.parts;
    if (a.values != b.values) return a.values < b.values;
    return a.pattern < b.pattern;
  });
  std::vector<std::string> spellings;
  for (const PlainLed& led : kept) spellings.push_back(led.spelling);
  return spellings;
}

std::vector<double> RandomStock(std::mt19937_64& rng, int size) {
  const double e12[] = {1, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
  std::vector<double> values;
  for (int i = 0; i < size; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2g",
                  e12[rng() % 12] * 10 * std::pow(10.0, static_cast<double>(rng() % 3)));
    values.push_back(std::stod(text));
  }
  return networks::MakeStock(values, {}).values;
}

LoadedStock Named(std::vector<double> values) {
  LoadedStock stock;
  stock.opened = true;
  for (std::size_t i = 0; i < values.size(); ++i)
    stock.names.push_back(std::string("v").append(std::to_string(i)));
  stock.stock.values = std::move(values);
  return stock;
}

double Uniform(std::mt19937_64& rng, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(rng);
}

TEST(LedSearch, EqualsThePlainEnumerationWithItsBand) {
  std::mt19937_64 rng(71);
  const double tolerances[] = {0.5, 2, 10, 40, 150};
  const std::uint64_t limits[] = {1, 4, 20, kAll};
  int banded = 0;
  int bounded = 0;
  for (int round = 0; round < 300; ++round) {
    LedRequest request;
    request.search.maxParts = 1 + static_cast<int>(rng() % 4);
    request.search.distinct = rng() % 3 == 0;
    request.search.threads = 1 + static_cast<int>(rng() % 2);
    const LoadedStock stock = Named(
        RandomStock(rng, 1 + static_cast<int>(rng() % (request.search.maxParts < 4 ? 8 : 5))));
    const std::vector<double>& values = stock.stock.values;
    request.leds = 1 + static_cast<int>(rng() % 4);
    const double vf = Uniform(rng, 1.6, 3.4);
    const double vfSpread = rng() % 3 == 0 ? 0 : Uniform(rng, 0, 0.15);
    request.vf = {vf * (1 - vfSpread), vf, vf * (1 + vfSpread)};
    const double vs = request.leds * request.vf.max * Uniform(rng, 1.1, 3);
    const double vsSpread = rng() % 3 == 0 ? 0 : Uniform(rng, 0, 0.08);
    request.vsupply = {vs * (1 - vsSpread), vs, vs * (1 + vsSpread)};
    const double drive = request.vsupply.typ - request.leds * request.vf.typ;
    request.current = drive / (values[rng() % values.size()] * Uniform(rng, 0.3, 3));
    request.search.target = drive / request.current;
    request.search.tolerance = tolerances[rng() % 5];
    if (rng() % 2 == 0) request.bounds.partTolerance = static_cast<double>(rng() % 11);
    if (rng() % 2 == 0) request.bounds.within = Uniform(rng, 2, 60);
    if (rng() % 4 == 0) request.bounds.maxPower = drive * request.current * Uniform(rng, 0.2, 1.2);
    banded += request.bounds.partTolerance || vfSpread > 0 || vsSpread > 0;
    bounded += request.bounds.within || request.bounds.maxPower;
    const std::uint64_t limit = limits[rng() % 4];
    SCOPED_TRACE(::testing::Message()
                 << "round " << round << ", stock " << values.size() << ", parts "
                 << request.search.maxParts << ", limit " << limit << ", leds " << request.leds);
    std::vector<std::string> found;
    SearchRows<LedKind>(request, stock, nullptr, limit, [&](const networks::NetworkRow& row) {
      found.push_back(networks::Spell(row.network, stock.names));
    });
    std::vector<std::string> plain = PlainLeds(request, stock);
    if (plain.size() > limit) plain.resize(limit);
    ASSERT_EQ(found, plain);
  }
  EXPECT_GT(banded, 150);
  EXPECT_GT(bounded, 100);
}

using testing::ValuesAdded;

// With a board, the rows that add fewest values first, then the fewest parts, then led's order.
TEST(LedSearch, WithABoardRanksTheRowsThatAddFewestValuesFirst) {
  std::mt19937_64 rng(12);
  const std::uint64_t limits[] = {1, 5, 30, kAll};
  for (int round = 0; round < 100; ++round) {
    LedRequest request;
    request.search.maxParts = 1 + static_cast<int>(rng() % 3);
    request.prefer = "board";
    LoadedStock stock = Named(RandomStock(rng, 2 + static_cast<int>(rng() % 7)));
    const std::vector<double>& values = stock.stock.values;
    std::vector<double> board;
    for (const double value : values) {
      if (rng() % 2 == 0) board.push_back(value);
    }
    stock.board = board;
    request.leds = 1 + static_cast<int>(rng() % 3);
    request.vf = {1.9, 2, 2.2};
    request.vsupply = {request.leds * 2.2 + 1, request.leds * 2.2 + 1.5, request.leds * 2.2 + 2};
    const double drive = request.vsupply.typ - request.leds * request.vf.typ;
    request.current = drive / (values[rng() % values.size()] * Uniform(rng, 0.5, 2));
    request.search.target = drive / request.current;
    request.search.tolerance = 30;
    if (rng() % 2 == 0) request.bounds.partTolerance = 5;
    const std::uint64_t limit = limits[rng() % 4];
    SCOPED_TRACE(::testing::Message() << "round " << round << ", limit " << limit);
    std::vector<std::string> found;
    SearchRows<LedKind>(request, stock, nullptr, limit, [&](const networks::NetworkRow& row) {
      found.push_back(networks::Spell(row.network, stock.names));
    });
    std::vector<std::string> plain = PlainLeds(request, stock);
    const auto parts = [](const std::string& spelling) {
      return std::count(spelling.begin(), spelling.end(), 'v');
    };
    std::stable_sort(plain.begin(), plain.end(), [&](const std::string& x, const std::string& y) {
      return parts(x) < parts(y);
    });
    std::stable_sort(plain.begin(), plain.end(), [&](const std::string& x, const std::string& y) {
      return ValuesAdded(x, stock) < ValuesAdded(y, stock);
    });
    if (plain.size() > limit) plain.resize(limit);
    ASSERT_EQ(found, plain);
  }
}

TEST(LedSearch, PartPowersMatchTheVoltagesAcrossEachGroup) {
  std::mt19937_64 rng(5);
  for (int round = 0; round < 200; ++round) {
    const LoadedStock stock = Named(RandomStock(rng, 6));
    const std::vector<double>& values = stock.stock.values;
    networks::FindOptions options;
    options.target = values[rng() % values.size()];
    options.maxParts = 4;
    options.tolerance = 30;
    const double current = Uniform(rng, 1e-3, 0.1);
    networks::FindNetworks(values, options, 40, [&](const networks::NetworkRow& row) {
      const std::string spelling = networks::Spell(row.network, stock.names);
      SCOPED_TRACE(spelling);
      const Spelled spelled(spelling, values);
      const std::vector<double> expected = spelled.Powers(current);
      const std::array<double, 4> powers = NetworkPartPowers(row.network, values, current);
      double sum = 0;
      for (std::size_t slot = 0; slot < 4; ++slot) {
        if (slot < expected.size()) {
          EXPECT_NEAR(powers[slot], expected[slot], expected[slot] * 1e-12);
          sum += powers[slot];
        } else {
          EXPECT_EQ(powers[slot], 0);
        }
      }
      // What the network takes as a whole, I^2 R, is what its parts take.
      EXPECT_NEAR(sum, current * current * spelled.Value(), sum * 1e-12);
    });
  }
}

}  // namespace
}  // namespace vantrel::finder
