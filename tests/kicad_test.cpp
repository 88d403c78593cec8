#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board_values.h"
#include "fake_services.h"
#include "schematic.h"
#include "sexpr.h"
#include "value_edit.h"

namespace vantrel::kicad {
namespace {

// A tree as the yardstick printer writes it: each node's kind, decoded text and the exact
// bytes it printed for it.
struct Printed {
  NodeKind kind;
  std::string text;
  std::string source;
  std::vector<Printed> children;
};

// Prints random trees with random white space and every escape form KiCad's reader takes.
class RandomTrees {
 public:
  explicit RandomTrees(unsigned seed) : m_random(seed) {}

  Printed List(int depth) {
    Printed list{NodeKind::kList, {}, "(", {}};
    const int count = Pick(0, depth > 3 ? 2 : 5);
    for (int i = 0; i < count; ++i) {
      list.source += Space(i == 0);
      Printed child = Pick(0, 3) == 0 && depth < 6 ? List(depth + 1) : Atom();
      list.source += child.source;
      list.children.push_back(std::move(child));
    }
    list.source += Space(true) + ")";
    return list;
  }

  std::string Space(bool optional) {
    static const char* const kSpaces[] = {" ", "\t", "\n", "\r\n", "  ", "\n\t\t"};
    if (optional && Pick(0, 1) == 0) return "";
    return kSpaces[Pick(0, 5)];
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

  Printed Atom() {
    static const char* const kSymbols[] = {
        "kicad_sch",          "yes", "no", "hide", "lib_id", "a-b_c:d",
        "5e1f0018-4c1d-4e2f", "1e",  "-",  "+x",   "1.2.3",  "e5"};
    static const char* const kNumbers[] = {"0",  "-1.27", "20231120", "+3",
                                           ".5", "7.",    "1e-9",     "2.54E+2"};
    switch (Pick(0, 2)) {
      case 0: {
        const std::string text = kSymbols[Pick(0, 11)];
        return {NodeKind::kSymbol, text, text, {}};
      }
      case 1: {
        const std::string text = kNumbers[Pick(0, 7)];
        return {NodeKind::kNumber, text, text, {}};
      }
      default:
        return String();
    }
  }

  Printed String() {
    Printed string{NodeKind::kString, {}, "\"", {}};
    const int length = Pick(0, 8);
    for (int i = 0; i < length; ++i) {
      const int c = Pick(1, 255);
      const auto byte = static_cast<char>(c);
      string.text.push_back(byte);
      switch (Pick(0, 3)) {
        case 0: {  // octal, three digits so a following digit is not taken in
          const char octal[] = {'\\', static_cast<char>('0' + (c >> 6)),
                                static_cast<char>('0' + ((c >> 3) & 7)),
                                static_cast<char>('0' + (c & 7)), 0};
          string.source += octal;
          break;
        }
        case 1: {
          static const char kHex[] = "0123456789abcdef";
          string.source += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
          break;
        }
        default:
          if (byte == '"' || byte == '\\') {
            string.source += std::string("\\") + byte;
          } else if (byte == '\n') {
            string.source += "\\n";
          } else {
            string.source.push_back(byte);
          }
      }
    }
    string.source += "\"";
    return string;
  }

  std::mt19937 m_random;
};

void ExpectSame(const Node& read, const Printed& printed, std::string_view source) {
  ASSERT_EQ(read.kind, printed.kind) << printed.source;
  EXPECT_EQ(source.substr(read.begin, read.end - read.begin), printed.source);
  if (printed.kind != NodeKind::kList) {
    EXPECT_EQ(read.text, printed.text) << printed.source;
  }
  ASSERT_EQ(read.children.size(), printed.children.size()) << printed.source;
  for (std::size_t i = 0; i < read.children.size(); ++i)
    ExpectSame(read.children[i], printed.children[i], source);
}

// Random trees printed and read back: the same tree, each node's span exactly its text.
TEST(Sexpr, ReadsRandomTreesBackWithTheirSpans) {
  RandomTrees trees(20261209);
  for (int i = 0; i < 2000; ++i) {
    const Printed tree = trees.List(0);
    const std::string source = trees.Space(true) + tree.source + trees.Space(true);
    const ParsedSexpr parsed = ParseSexpr(source);
    ASSERT_EQ(parsed.error, "") << source;
    ExpectSame(parsed.root, tree, source);
    // What QuoteSexprString writes reads back as the text it was given.
    for (const Printed& child : tree.children) {
      if (child.kind != NodeKind::kString) continue;
      const ParsedSexpr quoted = ParseSexpr("(" + QuoteSexprString(child.text) + ")");
      ASSERT_EQ(quoted.error, "");
      EXPECT_EQ(quoted.root.children.at(0).text, child.text);
    }
  }
}

TEST(Sexpr, RefusesTextThatIsNoOneList) {
  const struct {
    std::string text;
    std::size_t offset;
  } cases[] = {
      {"", 0},                                     // nothing
      {"  (a (b)", 2},                             // the list still open
      {"(a \"b)", 3},                              // the string
      {"(a) (b)", 4},                              // a second list
      {"a (b)", 0},                                // an atom outside
      {"(a))", 3},                                 // one parenthesis too many
      {"EESchema Schematic File Version 4\n", 0},  // KiCad 5
      {std::string(kMostSexprDepth + 1, '(') + std::string(kMostSexprDepth + 1, ')'),
       kMostSexprDepth},
  };
  for (const auto& c : cases) {
    const ParsedSexpr parsed = ParseSexpr(c.text);
    EXPECT_NE(parsed.error, "") << c.text;
    EXPECT_EQ(parsed.errorOffset, c.offset) << c.text;
  }
  EXPECT_EQ(ParseSexpr(std::string(kMostSexprDepth, '(') + std::string(kMostSexprDepth, ')')).error,
            "");
}

std::string ReadSample(const std::string& name) {
  std::ifstream in(std::string(VANTREL_KICAD_SAMPLES) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The samples as files named as a schematic names them, from the root's folder.
void AddSamples(testing::FakeFileService& files, const std::vector<std::string>& names) {
  for (const std::string& name : names) files.files[name] = ReadSample(name);
}

const std::vector<std::string> kBoard = {"board.kicad_sch", "channel.kicad_sch",
                                         "power/supply.kicad_sch"};
const std::vector<std::string> kLegacy = {"legacy.kicad_sch", "stage.kicad_sch"};

std::map<std::string, double> PartsOf(const SchematicValues& values) {
  std::map<std::string, double> parts;
  for (const SchematicPart& part : values.parts) parts[part.reference] = part.value;
  return parts;
}

std::map<std::string, std::string> SkippedOf(const SchematicValues& values) {
  std::map<std::string, std::string> skipped;
  for (const SkippedSymbol& symbol : values.skipped) skipped[symbol.reference] = symbol.reason;
  return skipped;
}

// KiCad 8: a sheet used twice gives its symbols each instance's reference; stale paths of
// another project, lib_symbols' own Value fields, power symbols and other parts are not read.
TEST(Schematic, ReadsAHierarchyByInstance) {
  testing::FakeFileService files;
  AddSamples(files, kBoard);
  const SchematicValues values = ReadSchematicValues(files, "board.kicad_sch");
  ASSERT_EQ(values.refusal, "");
  const std::map<std::string, double> expected = {{"R1", 10000},  {"C1", 100000}, {"R101", 4700},
                                                  {"R201", 4700}, {"R102", 2200}, {"R202", 2200},
                                                  {"L1", 10000},  {"R3", 1000}};
  EXPECT_EQ(PartsOf(values), expected);
  const std::map<std::string, std::string> skipped = SkippedOf(values);
  ASSERT_EQ(skipped.size(), 5u);
  EXPECT_NE(skipped.at("R2").find("\"TBD\""), std::string::npos);
  EXPECT_EQ(skipped.at("C101"), "marked do-not-populate");
  EXPECT_EQ(skipped.at("C201"), "marked do-not-populate");
  EXPECT_EQ(skipped.at("C2"), "excluded from the BOM");
  EXPECT_NE(skipped.at("R4").find("\"0\""), std::string::npos);
  // Where each value is written, in the sheet file that holds it.
  for (const SchematicPart& part : values.parts) {
    if (part.reference != "R3") continue;
    const std::string& text = files.files.at("power/supply.kicad_sch");
    const std::size_t line = std::stoul(part.source.substr(part.source.rfind(':') + 1));
    std::istringstream lines(text);
    std::string written;
    for (std::size_t i = 0; i < line; ++i) std::getline(lines, written);
    EXPECT_EQ(part.source.substr(0, part.source.rfind(':')), "power/supply.kicad_sch");
    EXPECT_EQ(written, "\t\t(property \"Value\" \"1k\"");
  }
}

// KiCad 6: references and values of each instance in the root's symbol_instances; an empty
// instance value leaves the symbol's own.
TEST(Schematic, ReadsKiCad6SymbolInstances) {
  testing::FakeFileService files;
  AddSamples(files, kLegacy);
  const SchematicValues values = ReadSchematicValues(files, "legacy.kicad_sch");
  ASSERT_EQ(values.refusal, "");
  const std::map<std::string, double> expected = {
      {"R1", 1000}, {"R11", 12000}, {"R21", 10000}, {"C11", 1e6}, {"C21", 1e6}};
  EXPECT_EQ(PartsOf(values), expected);
  const std::map<std::string, std::string> skipped = {{"R12", "excluded from the BOM"},
                                                      {"R22", "excluded from the BOM"}};
  EXPECT_EQ(SkippedOf(values), skipped);
}

TEST(Schematic, RefusesWhatItCannotRead) {
  const struct {
    const char* name;
    std::map<std::string, std::string> files;
    std::string says;
  } cases[] = {
      {"missing root", {}, "\"a.kicad_sch\" cannot be read"},
      {"KiCad 5", {{"a.kicad_sch", "EESchema Schematic File Version 4\n"}}, "a.kicad_sch:1: "},
      {"no kicad_sch", {{"a.kicad_sch", "(kicad_pcb (version 20221018))"}}, "no KiCad 6"},
      {"missing sheet",
       {{"a.kicad_sch", "(kicad_sch\n (sheet (property \"Sheetfile\" \"b.kicad_sch\")))"}},
       "a.kicad_sch:2: \"b.kicad_sch\" cannot be read"},
      {"sheet in itself",
       {{"a.kicad_sch", "(kicad_sch (sheet (property \"Sheet file\" \"b.kicad_sch\")))"},
        {"b.kicad_sch", "(kicad_sch (sheet (property \"Sheet file\" \"b.kicad_sch\")))"}},
       "holds the sheet that names it"},
      {"sheets without end",
       {{"a.kicad_sch", "(kicad_sch (sheet (property \"Sheetfile\" \"b.kicad_sch\")))"},
        {"b.kicad_sch",
         "(kicad_sch (sheet (property \"Sheetfile\" \"c.kicad_sch\"))"
         " (sheet (property \"Sheetfile\" \"c.kicad_sch\")))"},
        {"c.kicad_sch",
         "(kicad_sch (sheet (property \"Sheetfile\" \"d.kicad_sch\"))"
         " (sheet (property \"Sheetfile\" \"d.kicad_sch\")))"},
        {"d.kicad_sch", std::string("(kicad_sch") +
                            [] {
                              std::string sheets;
                              for (int i = 0; i < 3000; ++i)
                                sheets += " (sheet (property \"Sheetfile\" \"e.kicad_sch\"))";
                              return sheets;
                            }() +
                            ")"},
        {"e.kicad_sch", "(kicad_sch)"}},
       "more than 10000 times"},
  };
  for (const auto& c : cases) {
    testing::FakeFileService files;
    files.files = c.files;
    const Schematic schematic = ReadSchematic(files, "a.kicad_sch");
    EXPECT_NE(schematic.refusal.find(c.says), std::string::npos)
        << c.name << ": " << schematic.refusal;
    EXPECT_TRUE(schematic.files.empty() && schematic.symbols.empty()) << c.name;
  }
}

// A file named two ways is one file, read once and written once.
TEST(Schematic, ReadsAFileNamedTwoWaysOnce) {
  testing::FakeFileService files;
  files.files["a.kicad_sch"] =
      "(kicad_sch (sheet (uuid s1) (property \"Sheetfile\" \"sub/b.kicad_sch\"))"
      " (sheet (uuid s2) (property \"Sheetfile\" \"./c.kicad_sch\")))";
  files.files["sub/b.kicad_sch"] =
      "(kicad_sch (sheet (uuid s3) (property \"Sheetfile\" \"../c.kicad_sch\")))";
  files.files["c.kicad_sch"] =
      "(kicad_sch (symbol (lib_id \"Device:R\") (property \"Reference\" \"R1\")"
      " (property \"Value\" \"1k\")))";
  const Schematic schematic = ReadSchematic(files, "a.kicad_sch");
  ASSERT_EQ(schematic.refusal, "");
  EXPECT_EQ(schematic.files.size(), 3u);
  EXPECT_EQ(schematic.symbols.size(), 2u);
  const ValueEditPlan plan = PlanValueEdits(schematic, {{"R1", "2k"}});
  ASSERT_EQ(plan.files.size(), 1u);
  EXPECT_EQ(WriteValueEdits(files, schematic, plan), "");
  EXPECT_EQ(files.files["c.kicad_sch"],
            "(kicad_sch (symbol (lib_id \"Device:R\") (property \"Reference\" \"R1\")"
            " (property \"Value\" \"2k\")))");
}

// Lines that differ between two texts, as (before, after).
std::vector<std::pair<std::string, std::string>> ChangedLines(const std::string& before,
                                                              const std::string& after) {
  std::istringstream a(before), b(after);
  std::vector<std::pair<std::string, std::string>> changed;
  std::string x, y;
  while (true) {
    const bool more = static_cast<bool>(std::getline(a, x));
    if (more != static_cast<bool>(std::getline(b, y))) {
      changed.emplace_back("line count", "differs");
      break;
    }
    if (!more) break;
    if (x != y) changed.emplace_back(x, y);
  }
  return changed;
}

TEST(ValueEdit, RewritesOnlyTheValuesAsked) {
  testing::FakeFileService files;
  AddSamples(files, kBoard);
  const std::map<std::string, std::string> before = files.files;
  const Schematic schematic = ReadSchematic(files, "board.kicad_sch");
  ASSERT_EQ(schematic.refusal, "");

  // Unchanged, or changed to what is written, every byte stays and nothing is written.
  for (const std::vector<ValueChange>& same :
       {std::vector<ValueChange>{}, std::vector<ValueChange>{{"R3", "1k"}, {"R201", "4k7"}}}) {
    const ValueEditPlan plan = PlanValueEdits(schematic, same);
    EXPECT_EQ(plan.refusal, "");
    EXPECT_TRUE(plan.files.empty());
    EXPECT_EQ(WriteValueEdits(files, schematic, plan), "");
  }
  EXPECT_EQ(files.replaceCalls, 0);

  const ValueEditPlan plan =
      PlanValueEdits(schematic, {{"R3", "1.2k"}, {"L1", "22u \"shielded\""}});
  ASSERT_EQ(plan.refusal, "");
  EXPECT_EQ(WriteValueEdits(files, schematic, plan), "");
  EXPECT_EQ(files.replaceCalls, 1);
  EXPECT_EQ(files.files.at("board.kicad_sch"), before.at("board.kicad_sch"));
  EXPECT_EQ(files.files.at("channel.kicad_sch"), before.at("channel.kicad_sch"));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"\t\t(property \"Value\" \"10uH\"", "\t\t(property \"Value\" \"22u \\\"shielded\\\"\""},
      {"\t\t(property \"Value\" \"1k\"", "\t\t(property \"Value\" \"1.2k\""}};
  EXPECT_EQ(
      ChangedLines(before.at("power/supply.kicad_sch"), files.files.at("power/supply.kicad_sch")),
      expected);
  const SchematicValues reread = ReadSchematicValues(files, "board.kicad_sch");
  EXPECT_EQ(PartsOf(reread).at("R3"), 1200);
  EXPECT_EQ(SkippedOf(reread).at("L1").substr(0, 16), "\"22u \"shielded\"\"");
}

TEST(ValueEdit, KiCad6WritesTheInstanceValueToo) {
  testing::FakeFileService files;
  AddSamples(files, kLegacy);
  const Schematic schematic = ReadSchematic(files, "legacy.kicad_sch");
  const ValueEditPlan plan = PlanValueEdits(schematic, {{"R11", "15k"}, {"R21", "15k"}});
  ASSERT_EQ(plan.refusal, "");
  EXPECT_EQ(WriteValueEdits(files, schematic, plan), "");
  const std::map<std::string, double> parts =
      PartsOf(ReadSchematicValues(files, "legacy.kicad_sch"));
  EXPECT_EQ(parts.at("R11"), 15000);
  EXPECT_EQ(parts.at("R21"), 15000);
}

TEST(ValueEdit, RefusesAndLeavesTheFilesAsTheyWere) {
  testing::FakeFileService files;
  AddSamples(files, kBoard);
  const std::map<std::string, std::string> before = files.files;
  const Schematic schematic = ReadSchematic(files, "board.kicad_sch");
  const struct {
    std::vector<ValueChange> changes;
    std::string says;
  } cases[] = {
      {{{"R3", "1.2k"}, {"R9", "1k"}}, "R9 is no symbol of board.kicad_sch"},
      {{{"R101", "1k"}, {"R201", "2k"}}, "R101 and R201 are one symbol of channel.kicad_sch"},
  };
  for (const auto& c : cases) {
    const ValueEditPlan plan = PlanValueEdits(schematic, c.changes);
    EXPECT_NE(plan.refusal.find(c.says), std::string::npos) << plan.refusal;
    EXPECT_TRUE(plan.files.empty());
  }
  // Another program's change between the read and the write is kept.
  const ValueEditPlan plan = PlanValueEdits(schematic, {{"R1", "12k"}});
  files.files["board.kicad_sch"] += "\n";
  EXPECT_NE(WriteValueEdits(files, schematic, plan).find("changed after it was read"),
            std::string::npos);
  EXPECT_EQ(files.files["board.kicad_sch"], before.at("board.kicad_sch") + "\n");
  // A schematic that cannot be read gives no edit.
  files.files.erase("channel.kicad_sch");
  EXPECT_NE(PlanValueEdits(ReadSchematic(files, "board.kicad_sch"), {{"R1", "12k"}}).refusal, "");
}

// --prefer FILE.kicad_sch: the schematic's values by kind, as a BOM's would be.
TEST(Schematic, IsABoardForPrefer) {
  testing::FakeFileService files;
  AddSamples(files, kBoard);
  const drawer::BoardValues board =
      drawer::ReadBoardFile(files, "board.kicad_sch", {&kResistors, &kCapacitors});
  ASSERT_EQ(board.refusal, "");
  EXPECT_EQ(board.Of(kResistors), (std::vector<double>{1000, 2200, 4700, 10000}));
  EXPECT_EQ(board.Of(kCapacitors), (std::vector<double>{100000}));
  EXPECT_EQ(board.Of(kInductors), (std::vector<double>{10000}));
}

}  // namespace
}  // namespace vantrel::kicad
