// Inventory.csv, the description reader and import: the samples of each format, a round trip
// of random inventories, the limits, and the command line on in-memory files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "cli_fixture.h"
#include "inventory_file.h"
#include "inventory_import.h"
#include "number_text.h"
#include "part_description.h"

namespace vantrel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Sample(const std::string& name) {
  std::ifstream file(std::string(VANTREL_IMPORT_SAMPLES) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string Number(const std::optional<double>& value) {
  return value ? PlainDigits(*value) : "-";
}

char Letter(const StockKind* kind) {
  return kind == &kResistors ? 'R' : kind == &kCapacitors ? 'C' : kind == &kInductors ? 'L' : '?';
}

// kind held-value tolerance power tcr package, "-" for what is not there, then the skip code
// when the description gives no part to stock.
std::string Described(std::string_view text) {
  const drawer::PartDescription read = drawer::ReadDescription(text);
  EXPECT_EQ(read.skipCode.empty(), read.kind && read.value) << text;
  EXPECT_EQ(read.skipCode.empty(), read.skipReason.empty()) << text;
  return std::string(1, Letter(read.kind)) + " " + Number(read.value) + " " +
         Number(read.tolerance) + " " + Number(read.power) + " " + Number(read.tcr) + " " +
         (read.package.empty() ? "-" : read.package) +
         (read.skipCode.empty() ? "" : " " + std::string(read.skipCode));
}

// Descriptions as distributors' order and cart exports, inventory tools and BOMs write them.
TEST(DescriptionTest, FindsKindValueAndRatingsInDistributorsWords) {
  const struct {
    const char* text;
    const char* read;
  } cases[] = {
      {"100mW Thick Film Resistors 75V \xc2\xb1"
       "1% \xc2\xb1"
       "100ppm/\xe2\x84\x83 10k\xce\xa9 0603 Chip Resistor - Surface Mount ROHS",
       "R 10000 1 0.1 100 0603"},
      {"RES SMD 10K OHM 1% 1/10W 0603", "R 10000 1 0.1 - 0603"},
      {"Thick Film Resistors - SMD 4.7 kOhms 125mW 0805 1% 100ppm", "R 4700 1 0.125 100 0805"},
      {"1/4W Metal Film Resistor, 1% 1k THT", "R 1000 1 0.25 - THT"},
      {"RES 0R47 5% 2512", "R 0.47 5 - - 2512"},
      {"Metal Film Resistors - Through Hole 3.3KOhm 3/5W 50P", "R 3300 - 0.6 - -"},
      // Capacitors in pF, inductors in nH.
      {"CAP CER 0.1UF 50V X7R 0603", "C 100000 - - - 0603"},
      {"50V 100nF X7R \xc2\xb1"
       "10% 0603 Multilayer Ceramic Capacitors MLCC - SMD/SMT ROHS",
       "C 100000 10 - - 0603"},
      {"Aluminium electrolytic 470 uF 25V 20% RADIAL", "C 470000000 20 - - RADIAL"},
      {"MLCC 4n7 C0G 1206", "C 4700 - - - 1206"},
      {"CAP 150fF 0402", "C 0.15 - - - 0402"},
      {"cap 22uf 16v", "C 22000000 - - - -"},
      {"33pF 50V C0G \xc2\xb1"
       "5% 0402 Multilayer Ceramic Capacitors MLCC - SMD/SMT ROHS",
       "C 33 5 - - 0402"},
      // An inductor's resistance is no value of it.
      {"FIXED IND 10UH 1.2A 150 MOHM SMD", "L 10000 - - - -"},
      {"FIXED IND 10UH 100MA 3.25OHM SMD", "L 10000 - - - -"},
      {"Power Inductors - SMD 4.7uH \xc2\xb1"
       "20% 3.5A 30m\xce\xa9",
       "L 4700 20 - - -"},
      {"Choke 1mH 0.5A", "L 1000000 - - - -"},
      // A voltage before a one-digit value, or after it; a package before it.
      {"50V 1uF X7R \xc2\xb1"
       "10% 0805 Multilayer Ceramic Capacitors MLCC - SMD/SMT ROHS",
       "C 1000000 10 - - 0805"},
      {"10V 1uF", "C 1000000 - - - -"},
      {"1uF 50V", "C 1000000 - - - -"},
      {"50V 1nF X7R \xc2\xb1"
       "10% 0603",
       "C 1000 10 - - 0603"},
      {"CAP CER 1UF 10V X5R 0402", "C 1000000 - - - 0402"},
      {"0603 10k 1% resistor", "R 10000 1 - - 0603"},
      {"-55\xe2\x84\x83~+125\xe2\x84\x83 10V 1uF X5R", "C 1000000 - - - -"},
      // Units after a space.
      {"Thick Film Resistors - SMD 10 kOhms 100 mW 0603 1%", "R 10000 1 0.1 - 0603"},
      {"Resistor 4.7 k \xc2\xb1"
       "1 % 0603",
       "R 4700 1 - - 0603"},
      {"CAP 4.7 \xc2\xb5"
       "F 16 V 0805",
       "C 4700000 - - - 0805"},
      // Decimal commas where they cannot be thousands separators; ambiguous ones skipped.
      {"Widerstand 5,1k\xce\xa9 0,5% 0603", "R 5100 0.5 - - 0603"},
      {"Kondensator 3,3pF 50V C0G", "C 3.3 - - - -"},
      {"0,100uF 50V X7R", "C 100000 - - - -"},
      {"Resistor, 10k, 1%, 0603", "R 10000 1 - - 0603"},
      {"1,000pF 50V X7R 0603 MLCC", "C - - - - 0603 ambiguous-decimal"},
      {"RES 2,200 OHM 1% 0805", "R - 1 - - 0805 ambiguous-decimal"},
      // Jumpers.
      {"RES 0 OHM JUMPER 1/10W 0603", "R - - 0.1 - 0603 jumper"},
      {"0\xce\xa9 0603 Chip Resistor - Surface Mount ROHS", "R - - - - 0603 jumper"},
      {"Jumper 0603", "R - - - - 0603 jumper"},
      // Parts that are no R, C or L, though a value reads as one; singular and plural.
      {"Standard LEDs - SMD Red 625nm", "? - - - - - not-a-part"},
      {"20mA 50mcd 570nm~575nm Yellow Green 1.9V~2.4V 60mW 0603 LED Indication - Discrete RoHS",
       "? - - 0.06 - 0603 not-a-part"},
      {"Ferrite Bead 600 Ohm @ 100MHz 0603", "? - - - - 0603 not-a-part"},
      {"FERRITE BEAD 600 OHM 0603 1LN", "? - - - - 0603 not-a-part"},
      {"NTC Thermistor 10k\xce\xa9 1%", "? - 1 - - - not-a-part"},
      {"THERM NTC 10KOHM 3380K 0805", "? - - - - 0805 not-a-part"},
      {"40MHz 9pF \xc2\xb1"
       "10ppm SMD3225-4P Crystals ROHS",
       "? - - - 10 - not-a-part"},
      {"-40\xe2\x84\x83~+85\xe2\x84\x83 12pF 32MHz Crystal Oscillator \xc2\xb1"
       "10ppm \xc2\xb1"
       "20ppm SMD3225-4P Crystals ROHS",
       "? - - - 10 - not-a-part"},
      {"40MHz 9pF \xc2\xb1"
       "10ppm",
       "? - - - 10 - not-a-part"},
      {"CERAMIC RESONATOR 8MHZ 33pF", "? - - - - - not-a-part"},
      {"Connector Receptacle SMA 50\xce\xa9", "? - - - - - not-a-part"},
      {"Resistor network 8x 10k\xce\xa9", "? - - - - - not-a-part"},
      {"Resistor Networks & Arrays 10KOhms \xc2\xb1"
       "5% 1/16W 0402_x4 RoHS",
       "? - 5 0.0625 - - not-a-part"},
      {"RES ARRAY 4 RES 10K OHM 0805", "? - - - - 0805 not-a-part"},
      {"Trimmer Potentiometers 10k\xce\xa9 \xc2\xb1"
       "20%",
       "? - 20 - - - not-a-part"},
      {"POT 10K OHM 1/8W CARBON LINEAR", "? - - 0.125 - - not-a-part"},
      {"Varistors 275V 10D", "? - - - - - not-a-part"},
      {"Resettable Fuses 500mA 0805", "? - - - - 0805 not-a-part"},
      {"resistor and capacitor kit", "? - - - - - several-kinds"},
      {"Resistors", "R - - - - - no-value"},
      {"MOSFET N-CH 60V 300MA SOT23", "? - - - - - not-a-part"},
  };
  for (const auto& c : cases) EXPECT_EQ(Described(c.text), c.read) << c.text;
  EXPECT_TRUE(drawer::ReadDescription("resistor and capacitor kit").severalKinds);
  EXPECT_EQ(drawer::ReadDescription("1,000pF 50V MLCC").skipReason,
            "the comma in \"1,000pF\" may be a decimal point or a thousands separator");
}

// Property: a value written any of the ways distributors write it, amid ratings and other
// values in any order, reads as the decimal it was made from, read here by strtod.
TEST(DescriptionTest, ReadsTheValueAmidOtherFieldsInAnyOrder) {
  std::mt19937 random(20261209);
  const auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const std::vector<std::string> mantissas = {"1", "1.5", "2.2", "3.3", "4.7", "6.8", "8.2"};
  const struct {
    const StockKind* kind;
    std::vector<std::string> prefixes;  // each with its power of ten in the held unit
    std::vector<int> powers;
    std::vector<std::string> units;
    std::vector<std::string> words;
  } kinds[] = {
      {&kResistors,
       {"", "k", "M"},
       {0, 3, 6},
       {"\xce\xa9", " \xce\xa9", " Ohm", " ohms", "OHM"},
       {"RES", "Thick Film Resistors", "Chip Resistor - Surface Mount"}},
      {&kCapacitors,
       {"p", "n", "u"},
       {0, 3, 6},
       {"F", " F", "f"},
       {"CAP CER", "Multilayer Ceramic Capacitors MLCC - SMD/SMT", "Capacitor"}},
      {&kInductors,
       {"n", "u", "m"},
       {0, 3, 6},
       {"H", " H", "h"},
       {"IND", "Power Inductors - SMD", "FIXED IND"}},
  };
  const std::vector<std::string> others = {"50V",
                                           "16 V",
                                           "0603",
                                           "X7R",
                                           "\xc2\xb1"
                                           "10%",
                                           "100 mW",
                                           "1/4W",
                                           "-55\xe2\x84\x83~+125\xe2\x84\x83",
                                           "\xc2\xb1"
                                           "100ppm/\xe2\x84\x83",
                                           "ROHS",
                                           "SMD",
                                           "1.2A",
                                           "AEC-Q200"};
  for (int i = 0; i < 2000; ++i) {
    const auto& kind = kinds[std::uniform_int_distribution<std::size_t>(0, 2)(random)];
    const std::size_t p = std::uniform_int_distribution<std::size_t>(0, 2)(random);
    const std::string mantissa = pick(mantissas);
    // Either decimal mark; a comma with one digit after it cannot be a thousands separator.
    std::string written = mantissa;
    if (random() % 2) std::replace(written.begin(), written.end(), '.', ',');
    written += kind.prefixes[p] + pick(kind.units);
    std::vector<std::string> fields = {written, pick(kind.words)};
    for (int n = 0; n < 3; ++n) fields.push_back(pick(others));
    std::shuffle(fields.begin(), fields.end(), random);
    std::string text;
    for (const std::string& field : fields) text += (text.empty() ? "" : " ") + field;
    const double expected =
        std::strtod((mantissa + "e" + std::to_string(kind.powers[p])).c_str(), nullptr);
    const drawer::PartDescription read = drawer::ReadDescription(text);
    ASSERT_EQ(read.kind, kind.kind) << text;
    ASSERT_EQ(read.value, expected) << text;
  }
}

// A row as "R 4700 12 1 0.25 100 0805 | location | part number | source".
std::string RowText(const drawer::ImportedRow& imported) {
  const drawer::InventoryRow& row = imported.row;
  return std::string(1, Letter(row.kind)) + " " + PlainDigits(row.value) + " " +
         std::to_string(row.quantity) + " " + Number(row.tolerance) + " " + Number(row.power) +
         " " + Number(row.tcr) + " " + (row.package.empty() ? "-" : row.package) + " | " +
         row.location + " | " + row.partNumber + " | " + imported.source;
}

std::vector<std::string> RowTexts(const drawer::ImportedFile& file) {
  std::vector<std::string> texts;
  for (const auto& row : file.rows) texts.push_back(RowText(row));
  return texts;
}

std::vector<std::string> SkippedTexts(const drawer::ImportedFile& file) {
  std::vector<std::string> texts;
  for (const auto& line : file.skipped)
    texts.push_back(line.source + " " + line.code + " " + line.reason);
  return texts;
}

TEST(ImportTest, ReadsTheSampleOfEachFormat) {
  const struct {
    const char* file;
    const char* format;
    std::vector<std::string> rows;
    std::vector<std::string> skipped;
    std::size_t otherParts;
  } cases[] = {
      {"lcsc_order.csv",
       "an LCSC order export",
       {"R 10000 100 1 0.1 100 0603 |  | 0603WAF1002T5E | lcsc_order.csv:2",
        "R 4.7 50 5 0.25 200 1206 |  | 1206W4F470KT5E | lcsc_order.csv:3",
        "C 100000 200 10 - - 0603 |  | CC0603KRX7R9BB104 | lcsc_order.csv:4",
        "L 4700 10 20 - - SMD |  | SWPA4030S4R7MT | lcsc_order.csv:5",
        "R 1000 30 1 0.25 - Plugin,P=5mm |  | MF1/4W-1K | lcsc_order.csv:7"},
       {"lcsc_order.csv:6 not-a-part neither a resistor, a capacitor nor an inductor",
        "lcsc_order.csv:9 bad-quantity quantity \"2.5\": not a whole count"},
       1},
      {"mouser_order.csv",
       "a Mouser order export",
       {"R 10000 100 1 0.1 - 0603 |  | RC0603FR-0710KL | mouser_order.csv:2",
        "R 4700 25 1 0.125 100 0805 |  | CRCW08054K70FKEA | mouser_order.csv:3",
        "C 100000 50 10 - - 0603 |  | CL10B104KB8NNNC | mouser_order.csv:4",
        "L 10000 5 10 - - 1210 |  | LQH32CN100K23L | mouser_order.csv:5"},
       {"mouser_order.csv:6 not-a-part neither a resistor, a capacitor nor an inductor",
        "mouser_order.csv:7 bad-quantity quantity \"-4\": a negative count"},
       1},
      {"partdb_export.csv",
       "a Part-DB export or import file",
       {"R 10000 250 1 0.1 - 0603 | Drawer A1 | RC0603FR-0710KL | partdb_export.csv:2",
        "C 100000 100 10 - - 0603 | Drawer B2 | CL10B104KB8NNNC | partdb_export.csv:3",
        "L 22000 8 - - - 1210 | Drawer C1 | SRN4018-220M | partdb_export.csv:4"},
       {"partdb_export.csv:5 not-a-part neither a resistor, a capacitor nor an inductor",
        "partdb_export.csv:6 no-quantity no quantity"},
       1},
      {"partdb_import.csv",
       "a Part-DB export or import file",
       {"R 4700 40 1 0.25 - AXIAL | Box 1 | MFR-25FBF52-4K7 | partdb_import.csv:2",
        "C 1000000 60 - - - 0805 | Box 2 |  | partdb_import.csv:3"},
       {"partdb_import.csv:4 bad-quantity quantity \"12.5\": not a whole count"},
       0},
      {"plain_list.txt",
       "a plain list of values",
       {"R 4700 10 - - - - |  |  | plain_list.txt:2", "C 100000 5 - - - - |  |  | plain_list.txt:3",
        "L 10000 1 - - - - |  |  | plain_list.txt:5", "R 2.2 3 - - - - |  |  | plain_list.txt:6",
        "C 470 20 - - - - |  |  | plain_list.txt:7"},
       {"plain_list.txt:8 ambiguous-kind \"10u\" may be a capacitor or an inductor; write 10uF or "
        "10uH",
        "plain_list.txt:9 bad-quantity count \"-2\": a negative count",
        "plain_list.txt:10 no-value \"blue\" is no value"},
       0},
      // Shaped as LCSC's cart export writes it, title line included (a cart pasted in a public
      // keyboard project's README).
      {"lcsc_cart.csv",
       "an LCSC cart or order export (new layout)",
       {"R 10000 100 1 0.0625 100 0402 |  | 0402WGF1002TCE | lcsc_cart.csv:3",
        "C 4700000 50 20 - - 0402 |  | CL05A475MP5NRNC | lcsc_cart.csv:4",
        "C 10000000 20 10 - - 0603 |  | CL10A106KP8NNNC | lcsc_cart.csv:6"},
       {"lcsc_cart.csv:1 above-header above the header",
        "lcsc_cart.csv:5 not-a-part neither a resistor, a capacitor nor an inductor"},
       1},
      // The header as Digi-Key's cart page exports it, quoted throughout.
      {"digikey_cart.csv",
       "a Digi-Key cart export",
       {"R 6800 25 1 0.1 - 0603 |  | RC0603FR-076K8L | digikey_cart.csv:2",
        "C 100000 30 - - - 0603 |  | CL10B104KB8NNNC | digikey_cart.csv:3",
        "L 10000 10 - - - - |  | LQH32CN100K23L | digikey_cart.csv:5"},
       {"digikey_cart.csv:4 not-a-part neither a resistor, a capacitor nor an inductor"},
       1},
      // The columns of a Digi-Key order export as a public cart tool's export notes list them.
      {"digikey_order.csv",
       "a Digi-Key order export",
       {"R 10000 100 1 0.1 - 0603 |  | RC0603FR-0710KL | digikey_order.csv:2",
        "C 470 20 - - - 0805 |  | C0805C471J5GACTU | digikey_order.csv:3"},
       {"digikey_order.csv:4 not-a-part neither a resistor, a capacitor nor an inductor",
        "digikey_order.csv:5 jumper a 0 \xce\xa9 jumper, no value to build from"},
       1},
      // Mouser's cart and BOM tool: a leading "#" column and "Qty".
      {"mouser_cart.csv",
       "a Mouser cart or BOM export",
       {"R 47000 50 1 0.125 - - |  | RC0805FR-0747KL | mouser_cart.csv:2",
        "C 10000 100 10 - - 0603 |  | GRM188R71H103KA01D | mouser_cart.csv:3"},
       {"mouser_cart.csv:4 not-a-part neither a resistor, a capacitor nor an inductor"},
       1},
      // InvenTree's part export: ID, Name, IPN, Description, Category Name, In Stock.
      {"inventree_export.csv",
       "an InvenTree export",
       {"R 100000 500 1 - - 0603 | Reel shelf | R-0603-100K | inventree_export.csv:2",
        "C 22 250 - - - 0402 | Drawer 4 | C-0402-22P | inventree_export.csv:3"},
       {"inventree_export.csv:4 not-a-part neither a resistor, a capacitor nor an inductor"},
       1},
      // Binner's export columns (PartNumber, Description, Value, ..., Quantity, Manufacturer,
      // ManufacturerPartNumber), as its export field list names them.
      {"binner_export.csv",
       "a Binner export",
       {"R 2200 200 1 0.1 - 0603 | Garage | ERJ-3EKF2201V | binner_export.csv:2",
        "C 22000000 40 - - - 0805 | Garage | GRM21BR61C226ME44L | binner_export.csv:3"},
       {"binner_export.csv:4 not-a-part neither a resistor, a capacitor nor an inductor"},
       1},
      // KiCad's default BOM export: Reference, Value, Datasheet, Footprint, Qty, DNP.
      {"kicad_bom.csv",
       "a KiCad BOM",
       {"C 100000 3 - - - - |  |  | kicad_bom.csv:2", "R 10000 2 - - - - |  |  | kicad_bom.csv:3",
        "L 4700 1 - - - - |  |  | kicad_bom.csv:5"},
       {"kicad_bom.csv:4 not-fitted marked \"DNP\", not fitted",
        "kicad_bom.csv:6 not-a-part designator \"U1\" is of no resistor, capacitor or inductor"},
       1},
      // An assembly house's BOM: Comment, Designator, Footprint, LCSC Part #; no count column.
      {"assembly_bom.csv",
       "an assembly BOM",
       {"C 100000 4 - - - 0603 |  | C14663 | assembly_bom.csv:2",
        "R 4700 2 - - - 0603 |  | C23162 | assembly_bom.csv:3",
        "C 10000000 1 - - - 0805 |  | C15850 | assembly_bom.csv:4"},
       {"assembly_bom.csv:5 not-a-part designator \"U2\" is of no resistor, capacitor or "
        "inductor"},
       1},
      {"inventory.csv",
       "Vantrel's Inventory.csv",
       {"C 100000 40 10 - - 0603 | B2 | CL10B104KB8NNNC | inventory.csv:3",
        "R 4700 12 0.1 0.125 25 0805 | A1 |  | inventory.csv:5",
        "R 1000000 3 5 0.25 - AXIAL | A3 |  | inventory.csv:6",
        "L 10000 0 20 - - 1210 | C1 |  | inventory.csv:8"},
       {},
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const drawer::ImportedFile file = drawer::ImportText(Sample(c.file), c.file);
    EXPECT_EQ(file.refusal, "");
    EXPECT_EQ(file.format, c.format);
    EXPECT_EQ(RowTexts(file), c.rows);
    EXPECT_EQ(SkippedTexts(file), c.skipped);
    EXPECT_EQ(file.otherParts, c.otherParts);
    EXPECT_EQ(file.bom, std::string_view(c.file).ends_with("bom.csv"));
  }
}

// A header that starts with '#' is a header; a '#' line is a comment only below it or without
// a separator; a wide header no format knows is refused with the columns looked for, never
// read as a plain list.
TEST(ImportTest, TellsHashHeadersFromComments) {
  const drawer::ImportedFile mouser = drawer::ImportText(
      "# saved from the cart\n#,Mouser #,Mfr. #,Description,Qty\n"
      "1,71-CRCW0603-1.0K,CRCW06031K00FKEA,Thick Film Resistors 1K ohm 1% 0603,10\n"
      "# a note, with a comma\n",
      "f");
  EXPECT_EQ(mouser.format, "a Mouser cart or BOM export");
  EXPECT_THAT(RowTexts(mouser), ElementsAre("R 1000 10 1 - - 0603 |  | CRCW06031K00FKEA | f:3"));
  EXPECT_TRUE(mouser.skipped.empty());

  // An inventory tool's export whose header is written as a comment: its op-amp is no part.
  const drawer::ImportedFile tool =
      drawer::ImportText("#PartId,Quantity,Name,Package\n1,6,OPA2134,SOIC-8\n", "f");
  EXPECT_TRUE(tool.rows.empty());
  EXPECT_THAT(SkippedTexts(tool), ElementsAre("f:2 not-a-part neither a resistor, a capacitor "
                                              "nor an inductor"));
  const drawer::ImportedFile unknown = drawer::ImportText("#Id,Count,Part\n1,6,10k\n", "f");
  EXPECT_TRUE(unknown.rows.empty());
  EXPECT_THAT(unknown.refusal, HasSubstr("f:1: \"#Id,Count,Part\" is no header"));
  EXPECT_THAT(unknown.refusal,
              HasSubstr("a Mouser cart or BOM export: \"mouser #\", \"description\", \"qty\" or "
                        "\"qty.\" or \"quantity\""));
}

// A plain list's line: a count after the value may carry a sign, and what follows the count,
// or the value when there is none, is the row's note.
TEST(ImportTest, PlainLinesTakeASignedCountAndANote) {
  const drawer::ImportedFile file =
      drawer::ImportText("4k7 +5\n10k metal film\n1n x3 C0G spare\n2u2F -1 old\n", "f");
  std::vector<std::string> rows;
  for (const drawer::ImportedRow& imported : file.rows) {
    rows.push_back(PlainDigits(imported.row.value) + " " + std::to_string(imported.row.quantity) +
                   " [" + imported.row.note + "]");
  }
  EXPECT_THAT(rows, ElementsAre("4700 5 []", "10000 1 [metal film]", "1000 3 [C0G spare]"));
  EXPECT_THAT(SkippedTexts(file), ElementsAre("f:4 bad-quantity count \"-1\": a negative count"));
}

TEST(ImportTest, RefusesWholeFilesWithTheReason) {
  const std::string longFile = "4k7\n" + std::string(drawer::kImportByteLimit, '#');
  std::string manyRows = "name,amount\n";
  for (std::size_t i = 0; i <= drawer::kInventoryRowLimit; ++i) manyRows += "10k resistor,1\n";
  const struct {
    std::string text;
    const char* refusal;
  } cases[] = {
      {longFile, "f is longer than 8 MB (8388608 bytes)"},
      {manyRows, "f holds 20001 rows, more than the 20000 Vantrel imports from one file"},
      {"4k7\n100n\n\xff\xfe 10\n", "f:3: a byte that is no UTF-8"},
      {"Part,Count\n4k7,3\n",
       "f:1: \"Part,Count\" is no header Vantrel knows, nor a value. It looks for these "
       "columns:\n  Vantrel's Inventory.csv: \"kind\", \"value\", \"quantity\"\n"},
      {"\n# nothing\n", "f holds no line to import"},
  };
  for (const auto& c : cases) {
    const drawer::ImportedFile file = drawer::ImportText(c.text, "f");
    EXPECT_THAT(file.refusal, HasSubstr(c.refusal));
    EXPECT_TRUE(file.rows.empty());
  }
  // Values of one kind beyond what a search takes.
  std::string values;
  for (int i = 1; i <= 1001; ++i) values += std::to_string(i) + "\n";
  const drawer::ImportedFile file = drawer::ImportText(values, "f");
  EXPECT_EQ(drawer::ImportLimitProblem(file.rows),
            "the rows imported holds 1001 distinct resistor values, more than the 1000 a search "
            "takes");
}

TEST(ImportTest, ReadsQuotedFieldsAndNamesMalformedOnes) {
  const drawer::ImportedFile file = drawer::ImportText(
      "\xef\xbb\xbfkind;value;quantity;note\r\n"
      "R;4k7;1;\"a; b \"\"c\"\"\r\nd\"\r\n"
      "R;1k;2;x\"y\r\n"
      "C;100n;3;\"open\r\n",
      "f");
  ASSERT_EQ(file.rows.size(), 1u);
  EXPECT_EQ(file.rows[0].row.note, "a; b \"c\"\r\nd");
  EXPECT_THAT(
      SkippedTexts(file),
      ElementsAre("f:4 malformed-line a quote inside a field that is not quoted, or text after a "
                  "field's closing quote",
                  "f:5 malformed-line a quoted field that is never closed"));
}

// A random inventory's rows, with text fields that need quoting, comments and an unknown column.
struct RandomInventory {
  std::string text;
  std::vector<drawer::InventoryRow> rows;  // as written, in file order
};

RandomInventory MakeInventory(std::mt19937& random) {
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const std::vector<std::string> pieces = {"a",  "Box 2", ",",        "\"",           "\t", "x\"y",
                                           "#x", " ",     "\xc2\xb5", "\xe2\x84\x83", ";"};
  const auto text = [&] {
    std::string made;
    for (int n = pick(4); n > 0; --n) made += pieces[static_cast<std::size_t>(pick(11))];
    return std::string(TrimCSpace(made));
  };
  RandomInventory inventory;
  inventory.text =
      "# drawer\r\nkind,value,quantity,tolerance,power,tcr,package,location,"
      "part_number,note,bought\r\n";
  const StockKind* kinds[] = {&kResistors, &kCapacitors, &kInductors};
  const char* valueTexts[][3] = {{"4k7", "4.7n", "10uH"},
                                 {"1M", "100nF", "1m"},
                                 {"0R22", "2p2", "470n"},
                                 {"100", "1u", "4u7"}};
  const double held[][3] = {
      {4700, 4700, 10000}, {1e6, 1e5, 1e6}, {0.22, 2.2, 470}, {100, 1e6, 4700}};
  for (int n = pick(12); n > 0; --n) {
    drawer::InventoryRow row;
    const int kind = pick(3);
    const int value = pick(4);
    row.kind = kinds[kind];
    row.value = held[value][kind];
    row.quantity = static_cast<std::uint64_t>(pick(3) == 0 ? 0 : pick(1000000));
    if (pick(2)) row.tolerance = std::vector<double>{0.1, 1, 5, 20}[std::size_t(pick(4))];
    if (pick(2)) row.power = std::vector<double>{0.125, 0.25, 1, 2}[std::size_t(pick(4))];
    if (pick(2)) row.tcr = std::vector<double>{25, 50, 100, 250}[std::size_t(pick(4))];
    row.package = text();
    row.location = text();
    row.partNumber = text();
    row.note = text();
    row.extra = {text()};
    const auto quoted = [](const std::string& field) {
      std::string q = "\"";
      for (char c : field) q += c == '"' ? std::string("\"\"") : std::string(1, c);
      return q + "\"";
    };
    if (pick(3) == 0) {
      row.comments = {"# about " + std::to_string(n)};
      inventory.text += row.comments[0] + "\r\n";
    }
    // Ratings as people write them: 1/4W for 0.25, mW, "±" before a tolerance.
    const auto power = [](double watts) {
      return watts == 0.25 ? std::string("1/4W") : ShortestText(watts * 1000) + "mW";
    };
    inventory.text += std::string(1, Letter(row.kind)) + "," + valueTexts[value][kind] + "," +
                      std::to_string(row.quantity) + "," +
                      (row.tolerance ? "\xc2\xb1" + ShortestText(*row.tolerance) + "%" : "") + "," +
                      (row.power ? power(*row.power) : "") + "," +
                      (row.tcr ? ShortestText(*row.tcr) + "ppm" : "") + "," + quoted(row.package) +
                      "," + quoted(row.location) + "," + quoted(row.partNumber) + "," +
                      quoted(row.note) + "," + quoted(row.extra[0]) + (pick(2) ? "\r\n" : "\n");
    inventory.rows.push_back(std::move(row));
  }
  inventory.text += "# end\n";
  return inventory;
}

using RowFields =
    std::tuple<int, double, std::uint64_t, std::optional<double>, std::optional<double>,
               std::optional<double>, std::string, std::string, std::string, std::string,
               std::vector<std::string>, std::vector<std::string>>;

RowFields Fields(const drawer::InventoryRow& row) {
  return {Letter(row.kind), row.value,    row.quantity,   row.tolerance, row.power, row.tcr,
          row.package,      row.location, row.partNumber, row.note,      row.extra, row.comments};
}

// Written and read again, an inventory keeps every row, comment and field; the rewrite sorts by
// kind (R, C, L) and value, keeping the order of equal values, and a second rewrite changes
// nothing.
TEST(InventoryFileTest, RoundTripKeepsEveryRowAndIsStable) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 300; ++round) {
    const RandomInventory made = MakeInventory(random);
    SCOPED_TRACE(made.text);
    drawer::Inventory read = drawer::ParseInventory(made.text);
    ASSERT_TRUE(read.Readable()) << read.refusal;
    EXPECT_EQ(read.headComments, std::vector<std::string>{"# drawer"});
    EXPECT_EQ(read.tailComments, std::vector<std::string>{"# end"});
    EXPECT_EQ(read.extraColumns, std::vector<std::string>{"bought"});

    std::vector<RowFields> expected;
    for (const drawer::InventoryRow& row : made.rows) expected.push_back(Fields(row));
    const auto order = [](const RowFields& row) {
      const int kind = std::get<0>(row);
      return std::pair(kind == 'R' ? 0 : kind == 'C' ? 1 : 2, std::get<1>(row));
    };
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const auto& a, const auto& b) { return order(a) < order(b); });

    drawer::SortInventory(read);
    const std::string written = drawer::InventoryText(read);
    drawer::Inventory again = drawer::ParseInventory(written);
    ASSERT_TRUE(again.Readable()) << again.refusal;
    std::vector<RowFields> got;
    for (const drawer::InventoryRow& row : again.rows) got.push_back(Fields(row));
    EXPECT_EQ(got, expected);
    drawer::SortInventory(again);
    EXPECT_EQ(drawer::InventoryText(again), written);
  }
}

TEST(InventoryFileTest, NamesEveryLineItCannotRead) {
  const drawer::Inventory read = drawer::ParseInventory(
      "kind,value,quantity,tolerance,power\n"
      "R,4k7,-1\n"
      "R,4k7,1.5\n"
      "X,4k7,1\n"
      "C,100,1\n"
      "R,4k7,1,101%\n"
      "R,4k7,1,,0W\n"
      "R,4k7,1,,,,\n"
      "R,4k7,1000000000\n"
      "L,10u,0\n");
  std::vector<std::string> problems;
  for (const auto& problem : read.problems)
    problems.push_back(std::to_string(problem.line) + " " + problem.reason);
  EXPECT_THAT(problems,
              ElementsAre("2 quantity \"-1\": a negative count",
                          "3 quantity \"1.5\": not a whole count", "4 kind \"X\" is not R, C or L",
                          "5 value \"100\": a bare number without a unit; write 100p or 100u",
                          "6 tolerance \"101%\": a tolerance from 0% to 100%",
                          "7 power \"0W\": a power above 0 W",
                          "8 more fields (7) than the header names (5)",
                          "9 quantity \"1000000000\": a count above 999999999"));
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_TRUE(read.InStock(kInductors).empty());

  // A quote left open spoils its own line alone: the rows after it are read.
  const drawer::Inventory stray = drawer::ParseInventory(
      "kind,value,quantity,note\r\nR,4k7,3,\"open\r\nR,6k8,25,\r\nC,100n,30,\"x\r\nL,1u,2,\r\n");
  std::vector<std::string> strayProblems;
  for (const auto& problem : stray.problems)
    strayProblems.push_back(std::to_string(problem.line) + " " + problem.reason);
  EXPECT_THAT(strayProblems, ElementsAre("2 a quote opened and not closed before the line ends",
                                         "4 a quote opened and not closed before the line ends"));
  ASSERT_EQ(stray.rows.size(), 2u);
  EXPECT_EQ(stray.rows[0].quantity, 25u);
  EXPECT_EQ(stray.rows[1].line, 5);
  // Nor does Vantrel write a line break inside a field.
  drawer::Inventory broken;
  broken.rows.push_back({});
  broken.rows[0].value = 1000;
  broken.rows[0].quantity = 1;
  broken.rows[0].note = "two\r\nlines";
  EXPECT_TRUE(drawer::ParseInventory(drawer::InventoryText(broken)).Readable());

  EXPECT_THAT(drawer::ParseInventory("value,quantity\nR,1\n").refusal,
              HasSubstr("line 1: \"value,quantity\" is no inventory header"));
  EXPECT_THAT(drawer::ParseInventory("kind,value,quantity\nR,1k,1\n\xc3(\n").refusal,
              HasSubstr("is not UTF-8 text: line 3"));
}

// import and check --inventory on in-memory files.
class InventoryCliTest : public testing::CliFixture {
 protected:
  std::string Inventory() const { return files.files.at(drawer::kInventoryPath); }
};

TEST_F(InventoryCliTest, ImportWriteCreatesAndThenAddsToTheInventory) {
  files.files["order.csv"] = Sample("mouser_order.csv");
  files.files["list.txt"] = "10k 5\n4u7H\n";
  EXPECT_EQ(Run({"import", "order.csv", "list.txt"}), kExitOk);
  EXPECT_EQ(files.files.count(drawer::kInventoryPath), 0u);
  EXPECT_THAT(out.str(), HasSubstr("\nSkipped:\norder.csv:6: neither a resistor"));

  EXPECT_EQ(Run({"import", "order.csv", "list.txt", "--write"}), kExitOk);
  // Each file is recorded above the header by name, date and SHA-256 (that of "10k 5\n4u7H\n",
  // as sha256sum gives it).
  EXPECT_THAT(Inventory(), ::testing::StartsWith("# imported \"order.csv\" on 2026-12-01 sha256 "));
  EXPECT_THAT(Inventory(),
              HasSubstr("\r\n# imported \"list.txt\" on 2026-12-01 sha256 "
                        "d2379be7034072b4b923a09f9bdbdd6e15a7bfbc69f0e8fefee06ed9c3522a45\r\n"));
  EXPECT_THAT(Inventory(),
              ::testing::EndsWith(
                  "kind,value,quantity,tolerance,power,tcr,package,location,part_number,note\r\n"
                  "R,4.7k,25,1%,0.125W,100ppm,0805,,CRCW08054K70FKEA,\r\n"
                  "R,10k,100,1%,0.1W,,0603,,RC0603FR-0710KL,\r\n"
                  "R,10k,5,,,,,,,\r\n"
                  "C,100n,50,10%,,,0603,,CL10B104KB8NNNC,\r\n"
                  "L,4u7H,1,,,,,,,\r\n"
                  "L,10u,5,10%,,,1210,,LQH32CN100K23L,\r\n"));
  EXPECT_EQ(err.str(),
            "order.csv: a Mouser order export, 4 row(s), 2 line(s) skipped, 1 of them neither R, "
            "C nor L\nlist.txt: a plain list of values, 2 row(s), 0 line(s) skipped\n"
            "wrote Inventory.csv: 6 row(s) added, 0 counted into rows of the same class; it "
            "holds 6 row(s)\n");
  EXPECT_EQ(Run({"check", "--inventory"}), kExitOk);
  EXPECT_THAT(out.str(), HasSubstr("6 row(s) (R: 3 row(s), 2 value(s), 130 part(s), C: 1 row(s), "
                                   "1 value(s), 50 part(s), L: 2 row(s), 2 value(s), 6 part(s))"));

  // The same bytes again are refused, saying when they came; --again counts them once more.
  const std::string once = Inventory();
  files.files["copy.txt"] = files.files["list.txt"];
  EXPECT_EQ(Run({"import", "--write", "copy.txt"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("Inventory.csv was not written: \"copy.txt\" holds the same "
                                   "bytes as a file imported on 2026-12-01; --again imports it"));
  EXPECT_EQ(Inventory(), once);
  clock.today = "2026-12-02";
  EXPECT_EQ(Run({"import", "--write", "--again", "list.txt"}), kExitOk);
  EXPECT_THAT(Inventory(), HasSubstr("# imported \"list.txt\" on 2026-12-02 sha256 "));
  EXPECT_THAT(Inventory(), HasSubstr("R,10k,10,,,,,,,\r\n"));
  EXPECT_THAT(Inventory(), HasSubstr("L,4u7H,2,,,,,,,\r\n"));
  EXPECT_THAT(err.str(), HasSubstr("0 row(s) added, 2 counted into rows of the same class"));
}

TEST_F(InventoryCliTest, NothingIsWrittenWhenAFileOrTheWriteFails) {
  const std::string before = "# mine\r\nkind,value,quantity\r\nR,1k,1\r\n";
  files.files[drawer::kInventoryPath] = before;
  files.files["list.txt"] = "4k7 2\n";
  files.files["bad.csv"] = "Part,Count\n";
  EXPECT_EQ(Run({"import", "list.txt", "bad.csv", "missing.csv", "--write"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("vantrel-cli: import: cannot read \"missing.csv\": No such"));
  EXPECT_THAT(err.str(), HasSubstr("Inventory.csv was not written, as not every file could be"));
  EXPECT_EQ(Inventory(), before);

  files.failCreate = true;
  EXPECT_EQ(Run({"import", "list.txt", "--write"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("Inventory.csv was not written: the new file cannot be created"
                                   "\nvantrel-cli: cannot write \""));
  EXPECT_THAT(err.str(), HasSubstr("Inventory.csv\": Permission denied\n"));
  EXPECT_EQ(Inventory(), before);

  files.failCreate = false;
  files.files[drawer::kInventoryPath] = before + "R,1k,-1\r\n";
  EXPECT_EQ(Run({"import", "list.txt", "--write"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("Inventory.csv was not written: line 4 cannot be read "
                                   "(quantity \"-1\": a negative count)"));
  EXPECT_EQ(Inventory(), before + "R,1k,-1\r\n");

  // 19,000 classes of one value fit the row limit, but not the bytes a reader takes back; a file
  // of them to import may be longer than 1 MB.
  files.files[drawer::kInventoryPath] = before;
  std::string order = "kind,value,quantity,package\r\n";
  for (int i = 0; i < 19000; ++i) {
    order += "R,1k,1,case " + std::to_string(i) + " of a long package name and some more words\r\n";
  }
  ASSERT_GT(order.size(), drawer::kInventoryByteLimit);
  files.files["order.csv"] = order;
  EXPECT_EQ(Run({"import", "order.csv", "--write"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("Inventory.csv was not written: it would be "));
  EXPECT_THAT(err.str(), HasSubstr("bytes long, more than the 1 MB (1048576 bytes) an inventory"));
  EXPECT_TRUE(Inventory() == before);
}

TEST_F(InventoryCliTest, CheckTellsProblemsRepeatsAndWhatARewriteChanges) {
  files.files[drawer::kInventoryPath] =
      "kind,value,quantity,location\n"
      "C,100n,2,A\n"
      "R,4k7,3,B\n"
      "R,4k7,4,B\n"
      "R,1k,1,B,extra\n";
  EXPECT_EQ(Run({"check", "--inventory"}), kExitFailure);
  EXPECT_EQ(out.str(),
            "line 4: R 4.7k: the same as line 3 but for the count; the two could be one row\n"
            "line 5: \"R,1k,1,B,extra\": more fields (5) than the header names (4), cannot be "
            "read\n"
            "3 row(s) (R: 2 row(s), 1 value(s), 7 part(s), C: 1 row(s), 1 value(s), 2 part(s), "
            "L: 0 row(s), 0 value(s), 0 part(s)), 1 line(s) that cannot be read.\n"
            "A rewrite would be refused: lines that cannot be read would be lost.\n");
  files.files[drawer::kInventoryPath] = "kind,value,quantity\nC,100n,2\nR,4k7,3\n";
  EXPECT_EQ(Run({"check", "--inventory"}), kExitFailure);
  EXPECT_THAT(out.str(), HasSubstr("A rewrite would change the file"));
  files.files.erase(drawer::kInventoryPath);
  EXPECT_EQ(Run({"check", "--inventory"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("no inventory at"));
  EXPECT_EQ(Run({"check", "--inventory", "--capacitors"}), kExitUsage);
}

TEST_F(InventoryCliTest, JsonHasRowsAndSkippedLines) {
  files.files["list.txt"] = "4k7 2\n100n\nfoo\n";
  EXPECT_EQ(Run({"import", "list.txt", "--format", "json"}), kExitOk);
  EXPECT_EQ(out.str(),
            "{\n  \"rows\": [\n"
            "    {\"kind\": \"R\", \"value\": 4700, \"quantity\": 2, \"tolerance\": null, "
            "\"power\": null, \"tcr\": null, \"package\": \"\", \"location\": \"\", "
            "\"part_number\": \"\", \"source\": \"list.txt:1\", \"format\": \"a plain list of "
            "values\"},\n"
            "    {\"kind\": \"C\", \"value\": 1e-07, \"quantity\": 1, \"tolerance\": null, "
            "\"power\": null, \"tcr\": null, \"package\": \"\", \"location\": \"\", "
            "\"part_number\": \"\", \"source\": \"list.txt:2\", \"format\": \"a plain list of "
            "values\"}\n  ],\n"
            "  \"skipped\": [\n"
            "    {\"source\": \"list.txt:3\", \"text\": \"foo\", \"reason\": \"\\\"foo\\\" is no "
            "value\", \"code\": \"no-value\", \"format\": \"a plain list of values\"}\n  ]\n}\n");
  EXPECT_EQ(Run({"import"}), kExitUsage);
}

// A BOM's counts are what a board uses: import says so, and writes them only --as-stock.
TEST_F(InventoryCliTest, BomIsWrittenOnlyAsStock) {
  files.files["bom.csv"] = Sample("kicad_bom.csv");
  EXPECT_EQ(Run({"import", "bom.csv", "--write"}), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("bom.csv: a BOM's quantities are what a board uses"));
  EXPECT_THAT(err.str(), HasSubstr("was not written: a BOM is written only with --as-stock"));
  EXPECT_EQ(files.files.count(drawer::kInventoryPath), 0u);
  EXPECT_EQ(Run({"import", "bom.csv", "--write", "--as-stock"}), kExitOk);
  EXPECT_THAT(Inventory(), HasSubstr("C,100nF,3,,,,,,,\r\n"));
}

}  // namespace
}  // namespace vantrel
