#include "value_edit.h"

#include <algorithm>
#include <map>

#include "number_text.h"

namespace vantrel::kicad {
namespace {

struct Splice {
  const Node* field;
  std::string value;
  const std::string* reference;
};

}  // namespace

ValueEditPlan PlanValueEdits(const Schematic& schematic, const std::vector<ValueChange>& changes) {
  ValueEditPlan plan;
  if (!schematic.refusal.empty()) {
    plan.refusal = schematic.refusal;
    return plan;
  }
  const std::string& root = schematic.files.front()->path;
  // Each field once, in each file; one symbol's field is shared by the instances of its sheet.
  std::map<std::size_t, std::map<std::size_t, Splice>> splices;
  for (const ValueChange& change : changes) {
    bool named = false;
    for (const PlacedSymbol& symbol : schematic.symbols) {
      if (symbol.reference != change.reference) continue;
      named = true;
      const std::pair<std::size_t, const Node*> fields[] = {
          {symbol.file, symbol.valueField}, {symbol.instanceFile, symbol.instanceValue}};
      for (const auto& [file, field] : fields) {
        if (!field) continue;
        const auto [at, added] =
            splices[file].emplace(field->begin, Splice{field, change.value, &change.reference});
        if (!added && at->second.value != change.value) {
          plan.refusal = *at->second.reference + " and " + change.reference +
                         " are one symbol of " + schematic.files[file]->path +
                         ", placed by a sheet used more than once, so they take one value";
          return plan;
        }
      }
    }
    if (!named) {
      plan.refusal = change.reference + " is no symbol of " + root + " or its sheets";
      return plan;
    }
  }
  for (const auto& [file, fields] : splices) {
    const std::string& bytes = schematic.files[file]->bytes;
    std::string edited;
    std::size_t from = 0;
    bool changed = false;
    for (const auto& [begin, splice] : fields) {
      if (splice.field->text == splice.value) continue;
      edited.append(bytes, from, begin - from).append(QuoteSexprString(splice.value));
      from = splice.field->end;
      changed = true;
    }
    if (!changed) continue;
    edited.append(bytes, from, std::string::npos);
    plan.files.push_back({file, std::move(edited)});
  }
  return plan;
}

std::string WriteValueEdits(IFileService& files, const Schematic& schematic,
                            const ValueEditPlan& plan) {
  for (const EditedFile& edited : plan.files) {
    const SheetFile& file = *schematic.files[edited.file];
    switch (files.ReplaceFile(file.path, edited.bytes, file.identity)) {
      case ReplaceOutcome::kReplaced:
        break;
      case ReplaceOutcome::kCannotCreate:
        return Quoted(file.path) + " was left as it was: a new file cannot be made beside it (" +
               files.LastFailure() + ")";
      case ReplaceOutcome::kChanged:
        return Quoted(file.path) + " was left as it was: it changed after it was read";
    }
  }
  return {};
}

}  // namespace vantrel::kicad
