// libFuzzer target for KiCad schematics: the input is read as an S-expression, whose spans are
// checked against the text, then as a schematic whose every symbol gets a new value; the
// rewritten files must read back as the same symbols with that value.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fake_services.h"
#include "fuzz_checks.h"
#include "schematic.h"
#include "sexpr.h"
#include "value_edit.h"

namespace vantrel {
namespace {

using fuzz::Check;

// Each node lies inside its parent, after its elder sibling, and its span is its text.
void CheckSpans(const kicad::Node& node, std::string_view text, std::size_t from, std::size_t to) {
  Check(from <= node.begin && node.begin < node.end && node.end <= to, "a span inside its list");
  const std::string_view source = text.substr(node.begin, node.end - node.begin);
  switch (node.kind) {
    case kicad::NodeKind::kList:
      Check(source.front() == '(' && source.back() == ')', "a list's span is its parentheses");
      break;
    case kicad::NodeKind::kString:
      Check(source.size() >= 2 && source.front() == '"' && source.back() == '"',
            "a string's span is its quotes");
      break;
    default:
      Check(source == node.text, "an atom's span is its text");
  }
  std::size_t next = node.begin + 1;
  for (const kicad::Node& child : node.children) {
    CheckSpans(child, text, next, node.end - 1);
    next = child.end;
  }
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kicad::ParsedSexpr parsed = kicad::ParseSexpr(text);
  if (parsed.error.empty())
    CheckSpans(parsed.root, text, 0, text.size());
  else
    Check(parsed.errorOffset <= text.size(), "an error inside the text");

  // The input is the root; a sheet it names "s.kicad_sch" is a small one of its own.
  testing::FakeFileService files;
  files.files["a.kicad_sch"] = text;
  files.files["s.kicad_sch"] =
      "(kicad_sch (uuid s) (symbol (lib_id \"Device:R\") (uuid t) (property \"Reference\" \"R9\")"
      " (property \"Value\" \"1k\") (instances (project \"p\" (path \"/r/b\" (reference"
      " \"R10\"))))))";
  const kicad::Schematic schematic = kicad::ReadSchematic(files, "a.kicad_sch");
  kicad::ValuesOf(schematic);
  if (!schematic.refusal.empty()) return 0;
  std::vector<kicad::ValueChange> changes;
  for (const kicad::PlacedSymbol& symbol : schematic.symbols) {
    if (!symbol.reference.empty() && symbol.reference.size() < 16)
      changes.push_back({symbol.reference, "4.7k"});
  }
  const kicad::ValueEditPlan plan = kicad::PlanValueEdits(schematic, changes);
  if (!plan.refusal.empty()) return 0;
  Check(kicad::WriteValueEdits(files, schematic, plan).empty(), "the edited files are written");
  const kicad::Schematic edited = kicad::ReadSchematic(files, "a.kicad_sch");
  Check(edited.refusal.empty(), "an edited schematic reads");
  Check(edited.symbols.size() == schematic.symbols.size(), "the same symbols after an edit");
  for (std::size_t i = 0; i < edited.symbols.size(); ++i) {
    const kicad::PlacedSymbol& symbol = edited.symbols[i];
    Check(symbol.reference == schematic.symbols[i].reference, "the same references");
    if (!symbol.reference.empty() && symbol.reference.size() < 16 && symbol.valueField)
      Check(symbol.value == "4.7k", "the value written");
  }
  return 0;
}
