#include "output_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

namespace vantrel {
namespace {

// Every finite value reads back as itself; the yardstick is from_chars.
TEST(OutputTableTest, NumbersReadBackExactly) {
  std::mt19937_64 random(11);
  for (int i = 0; i < 20000; ++i) {
    const auto asDouble = std::bit_cast<double>(random());
    const auto asFloat = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (std::isfinite(asDouble)) {
      const std::string text = table::NumberCell(asDouble).text;
      double back = 0;
      std::from_chars(text.data(), text.data() + text.size(), back);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(asDouble)) << text;
    }
    if (std::isfinite(asFloat)) {
      const std::string text = table::NumberCell(asFloat).text;
      float back = 0;
      std::from_chars(text.data(), text.data() + text.size(), back);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(asFloat)) << text;
    }
  }
  // Shortest: a float prints as the decimal it was read from, not its double expansion.
  EXPECT_EQ(table::NumberCell(4.7f).text, "4.7");
  EXPECT_EQ(table::NumberCell(0.1).text, "0.1");
}

TEST(OutputTableTest, EachFormatQuotesWhatItMust) {
  const OutputTable table{{"name", "x,y"},
                          {{table::TextCell("plain"), table::NumberCell(1.5)},
                           {table::TextCell("say \"hi\", \\ \n\t\x01"), table::NumberCell(-2.0)}}};
  EXPECT_EQ(WriteFormatted(
                OutputFormat::kTsv, {},
                {{"a", "b"},
                 {{table::TextCell("1"), table::NumberCell(2.0)}, {table::BoolCell(true), {}}}}),
            "a\tb\n1\t2\ntrue\t\n");
  EXPECT_EQ(WriteFormatted(OutputFormat::kCsv, {}, table),
            "name,\"x,y\"\r\nplain,1.5\r\n\"say \"\"hi\"\", \\ \n\t\x01\",-2\r\n");
  EXPECT_EQ(WriteFormatted(
                OutputFormat::kJson,
                {{"target", table::NumberCell(45.0)}, {"path", table::TextCell("/a\"b")}}, table),
            "{\n  \"target\": 45,\n  \"path\": \"/a\\\"b\",\n  \"rows\": [\n"
            "    {\"name\": \"plain\", \"x,y\": 1.5},\n"
            "    {\"name\": \"say \\\"hi\\\", \\\\ \\n\\t\\u0001\", \"x,y\": -2}\n  ]\n}\n");
  EXPECT_EQ(WriteFormatted(OutputFormat::kJson, {}, {{"a"}, {}}), "{\n  \"rows\": []\n}\n");
  EXPECT_EQ(WriteFormatted(OutputFormat::kJson, {}, {{"a"}, {{table::BoolCell(false)}}}),
            "{\n  \"rows\": [\n    {\"a\": false}\n  ]\n}\n");
}

// Well-formed UTF-8 stays as it is; every other byte is U+FFFD, so strict parsers accept any path.
TEST(OutputTableTest, JsonWritesEachByteThatIsNotUtf8AsReplacementCharacter) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf",
       "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf"},
      {"/tmp/\xff\xfe", "/tmp/\\ufffd\\ufffd"},
      {"\xed\xa0\x80", "\\ufffd\\ufffd\\ufffd"},                        // a surrogate
      {"\xc0\xaf\xe0\x80\xaf", "\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd"},  // overlong forms
      {"\xf4\x90\x80\x80", "\\ufffd\\ufffd\\ufffd\\ufffd"},             // past U+10FFFF
      {"a\xe2\x82", "a\\ufffd\\ufffd"},                                 // cut short at the end
      {"\xe2\x82"
       "a\x80",
       "\\ufffd\\ufffda\\ufffd"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WriteFormatted(OutputFormat::kJson, {{"p", table::TextCell(c.text)}}, {{"a"}, {}}),
              "{\n  \"p\": \"" + c.json + "\",\n  \"rows\": []\n}\n");
  }
}

}  // namespace
}  // namespace vantrel
