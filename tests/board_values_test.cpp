#include "board_values.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inventory_file.h"

namespace vantrel::drawer {
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
       "a schematic or assembly BOM"},
      {"assembly BOM: Comment and Designator, values with their package, voltage and tolerance",
       "Comment,Designator,Footprint,LCSC\n100nF/16V/0603,\"C203,C204,C206\",C_0201_0603Metric,"
       "C668346\n10K/F/1005,\"R214,R307\",R_0402_1005Metric,C25744\n1k_0402,R1,R_0402,\n"
       "100nF_0402_16V,C1,C_0402,\n10k 1%,R2,R_0603,\n4k7 1/4W,R3,R_1206,\n"
       "10uF 50v X7R,C2,C_1206,\n",
       kRc,
       {1000, 4700, 10000},
       {1e5, 1e7},
       "a schematic or assembly BOM"},
      {"tab separated, Reference(s) and Val",
       "Reference(s)\tVal\tFootprint\nR1, R2\t2k2\t0603\nC1\t1n\t0603\n",
       kRc,
       {2200},
       {1000},
       "a schematic or assembly BOM"},
      {"Designation and Value, semicolons",
       "Pos;Designation;Value\n1;R7;47R\n",
       kResistorsOnly,
       {47},
       {},
       "a schematic or assembly BOM"},
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
      {"Part,Count\n10k,3\n",
       "bom.csv:1: \"Part,Count\" is no header Vantrel knows, nor a resistor value; --prefer "
       "reads a schematic or assembly BOM (Reference or Designator, Value or Comment, DNP), "
       "a KiCad schematic (.kicad_sch), Vantrel's Inventory.csv"},
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
  EXPECT_EQ(board.format, "a schematic or assembly BOM");
  EXPECT_EQ(board.Of(kResistors), (std::vector<double>{4700, 5100, 10000}));
  EXPECT_EQ(board.Of(kCapacitors), (std::vector<double>{1e5, 4.7e6, 1e7}));
  EXPECT_EQ(board.Of(kInductors), (std::vector<double>{4700}));
  std::vector<std::string> skipped;
  for (const BoardSkip& skip : board.skipped) skipped.push_back(BoardSkipText(skip));
  EXPECT_EQ(
      skipped,
      (std::vector<std::string>{
          "kicad_bom.csv:5: \"DNP\" of C6 skipped: not placed",
          "kicad_bom.csv:6: \"22p\" of C8 skipped: not placed (DNP)",
          "kicad_bom.csv:7: \"LED\" of D1 skipped: neither a resistor, a capacitor nor an "
          "inductor",
          "kicad_bom.csv:8: \"600R@100MHz\" of FB1 skipped: neither a resistor, a capacitor "
          "nor an inductor",
          "kicad_bom.csv:9: \"USB_C_Receptacle_USB2.0\" of J1 skipped: neither a resistor, a "
          "capacitor nor an inductor",
          "kicad_bom.csv:13: \"1k\" of R3 skipped: not placed (DNP)",
          "kicad_bom.csv:14: \"0R\" of R5 skipped: a 0 \xce\xa9 jumper, no value to build from",
          "kicad_bom.csv:16: \"10k\" of RV1 skipped: neither a resistor, a capacitor nor an "
          "inductor",
          "kicad_bom.csv:17: \"SW_Push\" of SW1 skipped: neither a resistor, a capacitor nor "
          "an inductor",
          "kicad_bom.csv:18: \"STM32F103C8Tx\" of U1 skipped: neither a resistor, a "
          "capacitor nor an inductor",
          "kicad_bom.csv:19: \"AMS1117-3.3\" of U2 skipped: neither a resistor, a capacitor "
          "nor an inductor",
          "kicad_bom.csv:20: \"8MHz\" of Y1 skipped: neither a resistor, a capacitor nor an "
          "inductor"}));
}

// A value that cannot be read, a placeholder or a part not placed is skipped and named with
// the file, the line and the reason; the rest of the board is read.
TEST(BoardValues, SkipsAndNamesEachLineNotUsed) {
  const BoardValues board = ReadBoardValues(
      "Designator,Comment\nR1,10k\nR53,TBD\nR54,?\nR7,10k metal\nC3,100\nR8,4k7 DNP\n"
      "R9,NC\n,1k\nR10,3,3k\n",
      "bom.csv", kRc);
  ASSERT_EQ(board.refusal, "");
  EXPECT_EQ(board.Of(kResistors), (std::vector<double>{10000}));
  std::vector<std::string> skipped;
  for (const BoardSkip& skip : board.skipped) skipped.push_back(BoardSkipText(skip));
  ASSERT_EQ(skipped.size(), 8u);
  EXPECT_TRUE(skipped[0].starts_with("bom.csv:3: \"TBD\" of R53 skipped: ")) << skipped[0];
  EXPECT_TRUE(skipped[1].starts_with("bom.csv:4: \"?\" of R54 skipped: ")) << skipped[1];
  EXPECT_EQ(skipped[2],
            "bom.csv:5: \"10k metal\" of R7 skipped: \"metal\" after the value is no package, "
            "voltage, tolerance or rating");
  EXPECT_TRUE(skipped[3].starts_with("bom.csv:6: \"100\" of C3 skipped: ")) << skipped[3];
  EXPECT_EQ(skipped[4], "bom.csv:7: \"4k7 DNP\" of R8 skipped: not placed (DNP)");
  EXPECT_EQ(skipped[5], "bom.csv:8: \"NC\" of R9 skipped: not placed");
  EXPECT_EQ(skipped[6], "bom.csv:9: \"1k\" skipped: no reference");
  EXPECT_EQ(skipped[7],
            "bom.csv:10: \"R10,3,3k\" skipped: more fields than the header; a decimal comma "
            "in the value?");
  const BoardValues semicolons =
      ReadBoardValues("Designator;Comment\nR10;3,3k\nR11;1k\n", "bom.csv", kRc);
  EXPECT_EQ(semicolons.Of(kResistors), (std::vector<double>{1000}));
  ASSERT_EQ(semicolons.skipped.size(), 1u);
  EXPECT_TRUE(
      BoardSkipText(semicolons.skipped[0]).starts_with("bom.csv:2: \"3,3k\" of R10 skipped"));

  const BoardValues plain = ReadBoardValues("10k\n4k7\nresistor\n", "list.txt", kResistorsOnly);
  EXPECT_EQ(plain.Of(kResistors), (std::vector<double>{4700, 10000}));
  ASSERT_EQ(plain.skipped.size(), 1u);
  EXPECT_EQ(BoardSkipText(plain.skipped[0]), "list.txt:3: \"resistor\" skipped: no resistor value");
}

}  // namespace
}  // namespace vantrel::drawer
