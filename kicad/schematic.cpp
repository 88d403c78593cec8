#include "schematic.h"

#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>

#include "number_text.h"
#include "part_text.h"

namespace vantrel::kicad {
namespace {

// The string at index of a list, or nullptr.
const Node* StringAt(const Node& list, std::size_t index) {
  const Node* atom = list.Atom(index);
  return atom && atom->kind == NodeKind::kString ? atom : nullptr;
}

// The text of an atom at index, whether quoted or not (KiCad 6 and 7 leave uuids bare, 8
// quotes them); empty when there is none.
std::string AtomText(const Node* list, std::size_t index) {
  if (!list) return {};
  const Node* atom = list->Atom(index);
  return atom ? atom->text : std::string();
}

// The value string of (property "name" "value" ...), for the first of names found.
const Node* Property(const Node& owner, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    for (const Node& child : owner.children) {
      if (child.Head() != "property") continue;
      const Node* key = StringAt(child, 1);
      const Node* value = StringAt(child, 2);
      if (key && value && key->text == name) return value;
    }
  }
  return nullptr;
}

// Whether (name yes) is among owner's children.
bool Marked(const Node& owner, std::string_view name, std::string_view mark) {
  const Node* flag = owner.Find(name);
  return flag && AtomText(flag, 1) == mark;
}

// "file:line", as messages place a line of a file.
std::string Source(std::string_view path, int line) {
  return std::string(path) + ":" + std::to_string(line);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

class Reader {
 public:
  Reader(IFileService& files, Schematic& schematic) : m_files(files), m_schematic(schematic) {}

  // Reads the file at path once; its index, or none after setting the refusal.
  std::optional<std::size_t> Load(const std::string& path, const std::string& namedAt) {
    if (const auto known = m_loaded.find(path); known != m_loaded.end()) return known->second;
    auto opened = m_files.OpenForRead(path);
    if (!opened) {
      const std::string what = m_files.NotRegularFile(path);
      return Refuse(namedAt + Quoted(path) +
                    " cannot be read: " + (what.empty() ? m_files.LastFailure() : what));
    }
    const FileIdentity identity = opened->Identity();
    std::string bytes = opened->Read(kSchematicByteLimit + 1);
    opened->Close();
    if (bytes.size() > kSchematicByteLimit)
      return Refuse(path + " is longer than " + std::to_string(kSchematicByteLimit) + " bytes");
    auto file = std::make_unique<SheetFile>(path, std::move(bytes));
    file->identity = identity;
    ParsedSexpr parsed = ParseSexpr(file->bytes);
    if (!parsed.error.empty()) {
      return Refuse(Source(path, file->lines.LineAt(parsed.errorOffset)) + ": " + parsed.error +
                    "; it is no KiCad 6 or later schematic");
    }
    if (parsed.root.Head() != "kicad_sch")
      return Refuse(path + " is no KiCad 6 or later schematic: it holds no (kicad_sch ...)");
    file->root = std::move(parsed.root);
    m_schematic.files.push_back(std::move(file));
    const std::size_t index = m_schematic.files.size() - 1;
    m_loaded.emplace(path, index);
    return index;
  }

  // The root's symbol_instances (KiCad 6): each path's entry.
  void IndexRootInstances() {
    const Node& root = m_schematic.files.front()->root;
    m_rootUuid = AtomText(root.Find("uuid"), 1);
    if (const Node* instances = root.Find("symbol_instances")) {
      for (const Node& path : instances->children) {
        if (path.Head() == "path") m_rootInstances.emplace(AtomText(&path, 1), &path);
      }
    }
  }

  // Places the symbols of file as the sheet instance reached through sheets (their uuids from
  // the root's), inside sheets marked with left; then the sheets it holds.
  bool Visit(std::size_t file, std::vector<std::string>& sheets, std::vector<std::size_t>& chain,
             const std::string& left) {
    if (++m_instances > kMostSheetInstances) {
      Refuse(m_schematic.files.front()->path + " places its sheets more than " +
             std::to_string(kMostSheetInstances) + " times");
      return false;
    }
    chain.push_back(file);
    for (const Node& child : m_schematic.files[file]->root.children) {
      if (child.Head() == "symbol" && child.Find("lib_id")) {
        if (!Place(file, child, sheets, left)) return false;
      } else if (child.Head() == "sheet") {
        if (!EnterSheet(file, child, sheets, chain, left)) return false;
      }
    }
    chain.pop_back();
    return true;
  }

 private:
  std::nullopt_t Refuse(std::string refusal) {
    if (m_schematic.refusal.empty()) m_schematic.refusal = std::move(refusal);
    return std::nullopt;
  }

  bool EnterSheet(std::size_t file, const Node& sheet, std::vector<std::string>& sheets,
                  std::vector<std::size_t>& chain, const std::string& left) {
    const SheetFile& parent = *m_schematic.files[file];
    const int line = parent.lines.LineAt(sheet.begin);
    const Node* name = Property(sheet, {"Sheetfile", "Sheet file"});
    if (!name || name->text.empty()) {
      Refuse(Source(parent.path, line) + ": a sheet names no file");
      return false;
    }
    // One file named two ways ("../a/b.kicad_sch" from a/c.kicad_sch) is one file to rewrite.
    const std::string path =
        std::filesystem::path(name->text.starts_with('/') ? name->text
                                                          : FolderOf(parent.path) + name->text)
            .lexically_normal()
            .string();
    const std::optional<std::size_t> sub = Load(path, Source(parent.path, line) + ": ");
    if (!sub) return false;
    for (const std::size_t holder : chain) {
      if (holder == *sub) {
        Refuse(Source(parent.path, line) + ": " + Quoted(name->text) +
               " holds the sheet that names it");
        return false;
      }
    }
    // KiCad 9 marks whole sheets; their symbols follow.
    std::string sheetLeft = left;
    if (sheetLeft.empty() && Marked(sheet, "dnp", "yes"))
      sheetLeft = "in a sheet marked do-not-populate";
    if (sheetLeft.empty() && Marked(sheet, "in_bom", "no"))
      sheetLeft = "in a sheet excluded from the BOM";
    sheets.push_back(AtomText(sheet.Find("uuid"), 1));
    const bool read = Visit(*sub, sheets, chain, sheetLeft);
    sheets.pop_back();
    return read;
  }

  bool Place(std::size_t file, const Node& symbol, const std::vector<std::string>& sheets,
             const std::string& left) {
    if (m_schematic.symbols.size() == kMostPlacedSymbols) {
      Refuse(m_schematic.files.front()->path + " places more than " +
             std::to_string(kMostPlacedSymbols) + " symbols");
      return false;
    }
    const SheetFile& sheet = *m_schematic.files[file];
    PlacedSymbol placed;
    placed.file = file;
    placed.valueFile = file;
    placed.valueField = Property(symbol, {"Value"});
    const Node* reference = Property(symbol, {"Reference"});
    if (reference) placed.reference = reference->text;
    if (placed.valueField) {
      placed.value = placed.valueField->text;
      placed.line = sheet.lines.LineAt(placed.valueField->begin);
    } else {
      placed.line = sheet.lines.LineAt(symbol.begin);
    }
    std::string sheetPath;
    for (const std::string& uuid : sheets) sheetPath += "/" + uuid;
    // KiCad 7 and later: the symbol's own instances, by the path of its sheet from the root's
    // uuid. Symbols copied from other projects keep stale paths, which match nothing.
    const Node* entry = nullptr;
    std::size_t entryFile = file;
    if (const Node* instances = symbol.Find("instances")) {
      const std::string path = "/" + m_rootUuid + sheetPath;
      for (const Node& project : instances->children) {
        if (project.Head() != "project") continue;
        for (const Node& candidate : project.children) {
          if (!entry && candidate.Head() == "path" && AtomText(&candidate, 1) == path)
            entry = &candidate;
        }
      }
    }
    // KiCad 6: the root's symbol_instances, by the sheet path and the symbol's uuid.
    if (!entry) {
      const auto found = m_rootInstances.find(sheetPath + "/" + AtomText(symbol.Find("uuid"), 1));
      if (found != m_rootInstances.end()) {
        entry = found->second;
        entryFile = 0;
      }
    }
    if (entry) {
      if (const Node* given = entry->Find("reference")) placed.reference = AtomText(given, 1);
      // KiCad 6 (and early 7) files give an instance a value of its own.
      if (const Node* value = entry->Find("value")) {
        placed.instanceValue = StringAt(*value, 1);
        placed.instanceFile = entryFile;
        if (placed.instanceValue && !placed.instanceValue->text.empty()) {
          placed.value = placed.instanceValue->text;
          placed.line = m_schematic.files[entryFile]->lines.LineAt(placed.instanceValue->begin);
          placed.valueFile = entryFile;
        }
      }
    }
    placed.left = left;
    if (placed.left.empty() && Marked(symbol, "dnp", "yes")) placed.left = "marked do-not-populate";
    if (placed.left.empty() && Marked(symbol, "in_bom", "no"))
      placed.left = "excluded from the BOM";
    m_schematic.symbols.push_back(std::move(placed));
    return true;
  }

  IFileService& m_files;
  Schematic& m_schematic;
  std::map<std::string, std::size_t> m_loaded;
  std::map<std::string, const Node*> m_rootInstances;
  std::string m_rootUuid;
  std::size_t m_instances = 0;
};

// The kind of an R, C or L reference followed by a digit or '?' (not yet annotated).
const StockKind* KindOfReference(std::string_view reference) {
  if (reference.size() < 2) return nullptr;
  const char next = reference[1];
  if (!((next >= '0' && next <= '9') || next == '?')) return nullptr;
  if (reference[0] != 'R' && reference[0] != 'C' && reference[0] != 'L') return nullptr;
  return KindOfLetter(reference.substr(0, 1));
}

}  // namespace

Schematic ReadSchematic(IFileService& files, const std::string& path) {
  Schematic schematic;
  Reader reader(files, schematic);
  const std::optional<std::size_t> root = reader.Load(path, "");
  if (!root) return schematic;
  reader.IndexRootInstances();
  std::vector<std::string> sheets;
  std::vector<std::size_t> chain;
  if (!reader.Visit(*root, sheets, chain, "")) {
    std::string refusal = std::move(schematic.refusal);
    schematic = Schematic();
    schematic.refusal = std::move(refusal);
  }
  return schematic;
}

SchematicValues ValuesOf(const Schematic& schematic) {
  SchematicValues values;
  if (!schematic.refusal.empty()) {
    values.refusal = schematic.refusal;
    return values;
  }
  std::set<std::string> seen;
  for (const PlacedSymbol& symbol : schematic.symbols) {
    const StockKind* kind = KindOfReference(symbol.reference);
    // The units of one part share its reference.
    if (!kind || !seen.insert(symbol.reference).second) continue;
    const std::string source = Source(schematic.files[symbol.valueFile]->path, symbol.line);
    const auto skip = [&](std::string reason) {
      values.skipped.push_back({symbol.reference, symbol.value, source, std::move(reason)});
    };
    if (symbol.reference[1] == '?') {
      skip("not annotated");
    } else if (!symbol.left.empty()) {
      skip(symbol.left);
    } else if (const PartField<double> read = ReadPartValue(*kind, symbol.value); !read.value) {
      skip(Quoted(symbol.value) + ": " + read.refusal);
    } else {
      values.parts.push_back({kind, *read.value, symbol.reference, source});
    }
  }
  return values;
}

SchematicValues ReadSchematicValues(IFileService& files, const std::string& path) {
  return ValuesOf(ReadSchematic(files, path));
}

}  // namespace vantrel::kicad
