// Reading a KiCad schematic of 2,000 placed symbols as --prefer does: the S-expression read,
// each symbol's instance and the values of its resistors and capacitors.
#include <benchmark/benchmark.h>

#include <string>

#include "fake_services.h"
#include "schematic.h"

namespace vantrel::bench {
namespace {

// One property as KiCad 8 writes it, a line for each list.
std::string Property(const std::string& name, const std::string& value, bool hidden) {
  return "\t\t(property \"" + name + "\" \"" + value +
         "\"\n\t\t\t(at 100.33 69.85 0)\n\t\t\t(effects\n\t\t\t\t(font\n\t\t\t\t\t(size 1.27 "
         "1.27)\n\t\t\t\t)\n" +
         (hidden ? "\t\t\t\t(hide yes)\n" : "") + "\t\t\t)\n\t\t)\n";
}

// A root sheet of count symbols, a resistor and a capacitor in turn, every tenth an IC.
std::string GeneratedSchematic(int count) {
  const std::string root = "6a1c3f0e-2b7d-4e59-9c41-0d8e5f2a7b13";
  std::string text = "(kicad_sch\n\t(version 20231120)\n\t(generator \"eeschema\")\n\t(uuid \"" +
                     root + "\")\n\t(paper \"A1\")\n\t(lib_symbols\n\t)\n";
  static const char* const kResistors[] = {"10k", "4k7", "2.2k", "1M", "330"};
  static const char* const kCapacitors[] = {"100n", "10u", "4.7n", "22p"};
  for (int i = 0; i < count; ++i) {
    const bool ic = i % 10 == 9;
    const bool resistor = i % 2 == 0;
    // Appended, not "R" + std::to_string(...): GCC 12 at -O3 warns falsely of an overlapping
    // copy in operator+(const char*, string&&) (-Wrestrict).
    std::string reference = ic ? "U" : resistor ? "R" : "C";
    reference += std::to_string(i + 1);
    const std::string value = ic ? "LM358" : resistor ? kResistors[i % 5] : kCapacitors[i % 4];
    std::string uuid = "5e1f";
    uuid += std::to_string(10000 + i);
    uuid += "-4c1d-4e2f-8a3b-9c0ffee00000";
    text += "\t(symbol\n\t\t(lib_id \"Device:" +
            std::string(ic         ? "U"
                        : resistor ? "R"
                                   : "C") +
            "\")\n\t\t(at 100.33 69.85 0)\n\t\t(unit 1)\n\t\t(exclude_from_sim no)\n\t\t(in_bom "
            "yes)\n\t\t(on_board yes)\n\t\t(dnp no)\n\t\t(fields_autoplaced yes)\n\t\t(uuid \"" +
            uuid + "\")\n";
    text += Property("Reference", reference, false) + Property("Value", value, false) +
            Property("Footprint", "Resistor_SMD:R_0603_1608Metric", true) +
            Property("Datasheet", "~", true) + Property("Description", "", true);
    text += "\t\t(pin \"1\"\n\t\t\t(uuid \"" + uuid + "\")\n\t\t)\n\t\t(pin \"2\"\n\t\t\t(uuid \"" +
            uuid + "\")\n\t\t)\n";
    text += "\t\t(instances\n\t\t\t(project \"board\"\n\t\t\t\t(path \"/" + root +
            "\"\n\t\t\t\t\t(reference \"" + reference +
            "\")\n\t\t\t\t\t(unit 1)\n\t\t\t\t)\n\t\t\t)\n\t\t)\n\t)\n";
  }
  return text + "\t(sheet_instances\n\t\t(path \"/\"\n\t\t\t(page \"1\")\n\t\t)\n\t)\n)\n";
}

void ReadSchematicOf2000Symbols(benchmark::State& state) {
  testing::FakeFileService files;
  files.files["board.kicad_sch"] = GeneratedSchematic(2000);
  for (auto _ : state) {
    const kicad::SchematicValues values = kicad::ReadSchematicValues(files, "board.kicad_sch");
    benchmark::DoNotOptimize(values);
    if (values.parts.size() != 1800) state.SkipWithError("not every value was read");
  }
  state.counters["bytes"] = static_cast<double>(files.files["board.kicad_sch"].size());
}
BENCHMARK(ReadSchematicOf2000Symbols)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel::bench
