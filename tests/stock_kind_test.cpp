#include "stock_kind.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace vantrel {
namespace {

struct Case {
  const char* text;
  std::optional<double> held;  // nullopt: refused
  const char* written;         // the text the rewrite writes; or a word of the refusal
};

// Each accepted value reads as the decimal it says, in the held unit, and is written as the
// shortest engineering text, which reads back as the same value.
void ExpectCases(const StockKind& kind, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const KindValue read = ParseKindValue(kind, c.text);
    if (!c.held) {
      EXPECT_FALSE(read.held);
      EXPECT_NE(read.refusal.find(c.written), std::string::npos) << read.refusal;
      continue;
    }
    ASSERT_TRUE(read.held) << read.refusal;
    EXPECT_EQ(*read.held, *c.held);
    EXPECT_EQ(KindValueText(kind, *read.held), c.written);
    EXPECT_EQ(ParseKindValue(kind, c.written).held, read.held);
  }
}

TEST(StockKindTest, CapacitorNotation) {
  ExpectCases(kCapacitors, {
                               {"100n", 100000, "100n"},
                               {"4n7", 4700, "4.7n"},
                               {"4.7nF", 4700, "4.7n"},
                               {" 4.7 nF ", 4700, "4.7n"},
                               {"0.1u", 100000, "100n"},
                               {"0.1\xc2\xb5"
                                "F",
                                100000, "100n"},
                               {"0.1\xce\xbc"
                                "F",
                                100000, "100n"},
                               {"2u2", 2200000, "2.2u"},
                               {"4.7uf", 4700000, "4.7u"},
                               {"1p5", 1.5, "1.5p"},
                               {"100pF", 100, "100p"},
                               {"1e-7", 100000, "100n"},
                               {"1e-7F", 100000, "100n"},
                               {"1000u", 1e9, "1m"},
                               {"2.2F", 2.2e12, "2.2F"},
                               {"0.5p", 0.5, "500f"},
                               {"1.23456789n", 1234.56789, "1.23456789n"},
                               {"-10n", -10000, "-10n"},
                               // Misreadings that must be refused, not taken as farads.
                               {"100", std::nullopt, "write 100p or 100u"},
                               {"0.1", std::nullopt, "write 0.1p or 0.1u"},
                               {"4k7", std::nullopt, "resistor notation"},
                               {"1M", std::nullopt, "resistor notation"},
                               {"2R2", std::nullopt, "resistor notation"},
                               {"4.7 k", std::nullopt, "resistor notation"},
                               {"10uH", std::nullopt, "text after the number"},
                               {"4.7n7", std::nullopt, "digits after the prefix"},
                               // Digits run on from a prefix only when nothing parts them.
                               {"4 n7", std::nullopt, "text after the number"},
                               {"100n ceramic", std::nullopt, "text after the number"},
                           });
}

TEST(StockKindTest, InductorNotation) {
  ExpectCases(kInductors, {
                              {"10u", 10000, "10u"},
                              {"4u7", 4700, "4.7u"},
                              {"1m", 1e6, "1m"},
                              {"470nH", 470, "470n"},
                              {"2.2mH", 2.2e6, "2.2m"},
                              {"10uh", 10000, "10u"},
                              {"1H", 1e9, "1H"},
                              {"1e-6", 1000, "1u"},
                              {"100", std::nullopt, "write 100n or 100u"},
                              {"4.7nF", std::nullopt, "not an inductor value (text after"},
                              {"4k7", std::nullopt, "resistor notation, not an inductor value"},
                          });
}

// Whole files through the command line: a line in another kind's notation stops the rewrite
// with the line named, and the file stays as it was.
class StockKindCliTest : public testing::CliFixture {};

TEST_F(StockKindCliTest, ForeignNotationIsRefusedWithTheLine) {
  struct FileCase {
    const char* path;
    const char* option;  // nullptr: resistors
    const char* text;
    const char* named;  // in the refusal
  };
  const FileCase cases[] = {
      {kCapacitors.path.data(), "--capacitors", "100n\r\n4k7\r\n", "line 2 \"4k7\" is resistor"},
      {kCapacitors.path.data(), "--capacitors", "10n\r\n\r\n100\r\n", "line 3 \"100\" is a bare"},
      {kInductors.path.data(), "--inductors", "10u\r\n1M\r\n", "line 2 \"1M\" is resistor"},
      {kResistors.path.data(), nullptr, "47\r\n100n\r\n", "line 2 \"100n\" is capacitor"},
      {kResistors.path.data(), nullptr, "47\r\n10uH\r\n", "line 2 \"10uH\" is capacitor"},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.text);
    files.files.clear();
    files.files[c.path] = c.text;
    std::vector<std::string> args{"normalise"};
    if (c.option) args.emplace_back(c.option);
    EXPECT_EQ(Run(args), 1);
    EXPECT_NE(err.str().find(c.named), std::string::npos) << err.str();
    EXPECT_EQ(files.files[c.path], c.text);
  }
}

TEST_F(StockKindCliTest, CapacitorStockRoundTripsThroughSeriesAndNormalise) {
  ASSERT_EQ(Run({"series", "E6", "--capacitors", "--from", "1n", "--to", "10n", "--write"}), 0);
  EXPECT_EQ(files.files[std::string(kCapacitors.path)],
            "1n\r\n1.5n\r\n2.2n\r\n3.3n\r\n4.7n\r\n6.8n\r\n10n\r\n");
  files.files[std::string(kCapacitors.path)] += "4n7\r\n0.1u\r\n";
  EXPECT_EQ(Run({"normalise", "--capacitors"}), 0);
  EXPECT_EQ(files.files[std::string(kCapacitors.path)],
            "1n\r\n1.5n\r\n2.2n\r\n3.3n\r\n4.7n\r\n6.8n\r\n10n\r\n100n\r\n");
  EXPECT_EQ(Run({"find", "3.2n", "--capacitors", "--parts", "2", "--tolerance", "0.1", "--format",
                 "tsv"}),
            0);
  EXPECT_NE(out.str().find("1n || 2.2n"), std::string::npos) << out.str();
  EXPECT_EQ(Run({"find", "3.2n", "--capacitors", "--inductors"}), 2);
  EXPECT_EQ(Run({"check", "--inductors"}), 1);
  EXPECT_NE(err.str().find("make one with \"vantrel-cli series E6 --inductors --write\""),
            std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace vantrel
