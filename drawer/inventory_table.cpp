#include "inventory_table.h"

#include "part_text.h"

namespace vantrel::drawer {
namespace {

std::string Optional(const std::optional<double>& value, std::string (*text)(double)) {
  return value ? text(*value) : std::string();
}

table::Cell OptionalNumber(const std::optional<double>& value) {
  return value ? table::NumberCell(*value) : table::NullCell();
}

}  // namespace

namespace {

// The columns of a part as the inventory holds it, from its value to its part number, which an
// import's table puts between the kind and the source, and the drawer's before the note.
constexpr table::Column kPartColumns[] = {{"Value", "value", true},
                                          {"Quantity", "quantity", false},
                                          {"Tolerance", "tolerance", true},
                                          {"Power", "power", true},
                                          {"TCR", "tcr", true},
                                          {"Package", "package", true},
                                          {"Location", "location", true},
                                          {"Part number", "part_number", true}};

std::vector<std::string> PartTextCells(const InventoryRow& row) {
  return {PartValueText(*row.kind, row.value),
          std::to_string(row.quantity),
          Optional(row.tolerance, ToleranceText),
          Optional(row.power, PowerText),
          Optional(row.tcr, TcrText),
          row.package,
          row.location,
          row.partNumber};
}

}  // namespace

const std::vector<table::Column>& ImportColumns() {
  static const std::vector<table::Column> columns = [] {
    std::vector<table::Column> all{{"Kind", "kind", true}};
    all.insert(all.end(), std::begin(kPartColumns), std::end(kPartColumns));
    all.push_back({"Source", "source", true});
    return all;
  }();
  return columns;
}

std::vector<std::string> ImportTextCells(const ImportedRow& imported) {
  std::vector<std::string> cells{std::string(KindLetter(*imported.row.kind))};
  for (std::string& cell : PartTextCells(imported.row)) cells.push_back(std::move(cell));
  cells.push_back(imported.source);
  return cells;
}

std::vector<table::Cell> ImportFields(const ImportedRow& imported) {
  const InventoryRow& row = imported.row;
  return {table::TextCell(std::string(KindLetter(*row.kind))),
          table::NumberCell(BaseUnitValue(*row.kind, row.value)),
          table::NumberCell(row.quantity),
          OptionalNumber(row.tolerance),
          OptionalNumber(row.power),
          OptionalNumber(row.tcr),
          table::TextCell(row.package),
          table::TextCell(row.location),
          table::TextCell(row.partNumber),
          table::TextCell(imported.source)};
}

std::string ImportedFileText(std::string_view path, const ImportedFile& file) {
  std::string text = std::string(path) + ": " + file.format + ", " +
                     std::to_string(file.rows.size()) + " row(s), " +
                     std::to_string(file.skipped.size()) + " line(s) skipped";
  if (file.otherParts > 0) {
    text += ", " + std::to_string(file.otherParts) + " of them neither R, C nor L";
  }
  return text;
}

std::string SkippedText(const SkippedLine& line) {
  return line.source + ": " + line.reason + ": " + line.text;
}

const std::vector<table::Column>& InventoryColumns() {
  static const std::vector<table::Column> columns = [] {
    std::vector<table::Column> all(std::begin(kPartColumns), std::end(kPartColumns));
    all.push_back({"Note", "note", true});
    return all;
  }();
  return columns;
}

std::vector<std::string> InventoryTextCells(const InventoryRow& row) {
  std::vector<std::string> cells = PartTextCells(row);
  cells.push_back(row.note);
  return cells;
}

}  // namespace vantrel::drawer
