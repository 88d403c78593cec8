#include "board_values.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inventory_file.h"

namespace vantrel::finder {
namespace {

const std::vector<const StockKind*> kResistorsOnly = {&kResistors};
const std::vector<const StockKind*> kRc = {&kResistors, &kCapacitors};

struct BoardCase {
  const char* name;
  std::string text;
  std::vector<const StockKind*> kinds;
  std::vector<double> resistors;
  std::vector<double> capacitors;
  std::string format;
};

// Each format's values of each kind, in the held unit, ascending and once each.
TEST(BoardValues, ReadsEachFormat) {
  const BoardCase cases[] = {
      {"plain list, CR LF, comments and text after the value",
       "10k\r\n4k7 x3\r\n# spare\r\n\r\n1M\r\n4700\r\n",
       kResistorsOnly,
       {4700, 10000, 1e6},
       {},
       "a plain list of values"},
      {"plain list of both kinds, each line in the first that reads it",
       "10k\n100n\n2u2F\n470\n",
       kRc,
       {470, 10000},
       {1e5, 2.2e6},
       "a plain list of values"},
      {"KiCad BOM with semicolons, a DNP column and a DNP value",
       "Reference;Value;Footprint;Qty;DNP\nR1;2R2;0603;1;\nR2;1k;0603;1;DNP\nC1;NC;0603;1;\n"
       "C2;1nF;0603;1;\nQ1;BC547;TO92;1;\n",
       kResistorsOnly,
       {2.2},
       {1000},
       "a KiCad schematic BOM"},
      {"Inventory.csv: the rows in stock",
       "kind,value,quantity\nR,4k7,12\nR,1k,0\nC,100n,5\nL,10u,1\n",
       kResistorsOnly,
       {4700},
       {1e5},
       "Vantrel's Inventory.csv"},
  };
  for (const BoardCase& c : cases) {
    SCOPED_TRACE(c.name);
    const BoardValues board = ReadBoardValues(c.text, "board.csv", c.kinds);
    EXPECT_EQ(board.refusal, "");
    EXPECT_EQ(board.format, c.format);
    EXPECT_EQ(board.Of(kResistors), c.resistors);
    EXPECT_EQ(board.Of(kCapacitors), c.capacitors);
  }
}

// A refusal names the file and the line, and for a header no format matches, the formats.
TEST(BoardValues, RefusesNamingFileAndLine) {
  const struct {
    std::string text;
    std::string says;
  } cases[] = {
      {"\"Reference\",\"Value\"\n\"R1\",\"10k\"\n\"R7\",\"10k 1%\"\n",
       "bom.csv:3: \"10k 1%\" of R7: not a resistor value"},
      {"\"Reference\",\"Value\"\n\"C3\",\"100\"\n", "bom.csv:2: \"100\" of C3: "},
      {"Part,Count\n10k,3\n",
       "bom.csv:1: \"Part,Count\" is no header Vantrel knows, nor a resistor value; --prefer "
       "reads a KiCad schematic BOM (Reference, Value, DNP), Vantrel's Inventory.csv"},
      {"10k\n4k7\nresistor\n", "bom.csv:3: \"resistor\" is no resistor value"},
      {"kind,value,quantity\nR,4k7,12\nX,1,1\n", "bom.csv:3: \"X,1,1\" cannot be read"},
      {"10k\n\xff\n", "bom.csv:2: a byte that is no UTF-8"},
      {"# nothing\n\n", "bom.csv holds no line with a value"},
      {std::string(kInventoryByteLimit + 1, '1'), "bom.csv is longer than 1 MB"},
  };
  for (const auto& c : cases) {
    const BoardValues board = ReadBoardValues(c.text, "bom.csv", kResistorsOnly);
    EXPECT_TRUE(board.refusal.starts_with(c.says)) << board.refusal;
    EXPECT_TRUE(board.Of(kResistors).empty());
  }
}

// A schematic BOM as KiCad exports it: a byte order mark, CR LF, grouped references, parts of
// other kinds (U1, RV1, FB1), a jumper (0R), DNP by column and by value.
TEST(BoardValues, ReadsARealKiCadBom) {
  std::ifstream file(VANTREL_PREFER_SAMPLES "/kicad_bom.csv", std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  const BoardValues board = ReadBoardValues(bytes.str(), "kicad_bom.csv", kRc);
  ASSERT_EQ(board.refusal, "");
  EXPECT_EQ(board.format, "a KiCad schematic BOM");
  EXPECT_EQ(board.Of(kResistors), (std::vector<double>{4700, 5100, 10000}));
  EXPECT_EQ(board.Of(kCapacitors), (std::vector<double>{1e5, 4.7e6, 1e7}));
  EXPECT_EQ(board.Of(kInductors), (std::vector<double>{4700}));
}

}  // namespace
}  // namespace vantrel::finder
