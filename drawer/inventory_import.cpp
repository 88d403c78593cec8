#include "inventory_import.h"

#include <algorithm>
#include <optional>

#include "csv_records.h"
#include "number_text.h"
#include "part_description.h"
#include "part_text.h"
#include "resistor_notation.h"

namespace vantrel::finder {
namespace {

using enum ImportRole;

constexpr std::string_view kTimes = "\xc3\x97";  // ×

// The header names a "a|b" entry allows.
std::vector<std::string_view> Alternatives(std::string_view names) {
  std::vector<std::string_view> split;
  for (std::size_t start = 0; start <= names.size();) {
    const std::size_t bar = std::min(names.find('|', start), names.size());
    split.push_back(names.substr(start, bar - start));
    start = bar + 1;
  }
  return split;
}

// Why a line is not used, and whether that is for being some other part.
struct Refusal {
  std::string reason;
  bool otherPart = false;
};

// Reads a rating from its column, or takes the description's.
bool Rating(std::string_view field, std::string_view column,
            PartField<double> (*read)(std::string_view), std::optional<double> described,
            std::optional<double>& into, std::string& text, Refusal& refusal) {
  if (TrimCSpace(field).empty()) {
    into = described;
    return true;
  }
  text = TrimCSpace(field);
  const PartField<double> value = read(text);
  if (!value.value) {
    refusal.reason = std::string(column) + " " + Quoted(text) + ": " + value.refusal;
    return false;
  }
  into = value.value;
  return true;
}

// One row of a file in format, whose roles lie in the columns given.
std::optional<InventoryRow> ReadFormatRow(
    const std::vector<std::pair<ImportRole, std::size_t>>& columns, const CsvRecord& record,
    Refusal& refusal) {
  const auto field = [&](ImportRole role) -> std::string_view {
    for (const auto& [columnRole, index] : columns) {
      if (columnRole == role && index < record.fields.size() &&
          !TrimCSpace(record.fields[index]).empty())
        return TrimCSpace(record.fields[index]);
    }
    return {};
  };
  const bool hasKindColumn = std::any_of(columns.begin(), columns.end(),
                                         [](const auto& column) { return column.first == kKind; });
  std::string description;
  for (const auto& [role, index] : columns) {
    if (role == kDescription && index < record.fields.size())
      description.append(record.fields[index]).append(" ");
  }
  const PartDescription described = ReadDescription(description);

  InventoryRow row;
  row.line = record.line;
  const StockKind* kind = hasKindColumn ? KindOfLetter(field(kKind)) : described.kind;
  if (!kind) {
    if (hasKindColumn) {
      refusal = {"kind " + Quoted(field(kKind)) + " is not R, C or L", true};
    } else if (described.severalKinds) {
      refusal = {"the description names more than one kind of part"};
    } else {
      refusal = {kNotRlcReason, true};
    }
    return std::nullopt;
  }
  row.kind = kind;
  if (const std::string_view value = field(kValue); !value.empty()) {
    const PartField<double> read = ReadPartValue(*kind, value);
    if (!read.value) {
      refusal = {"value " + Quoted(value) + ": " + read.refusal};
      return std::nullopt;
    }
    row.value = *read.value;
    row.valueText = value;
  } else if (described.value) {
    row.value = *described.value;
  } else {
    refusal = {"no " + std::string(kind->name) + " value in " +
               (description.empty() ? std::string("the row") : Quoted(TrimCSpace(description)))};
    return std::nullopt;
  }
  const std::string_view quantityText = field(kQuantity);
  const PartField<std::uint64_t> quantity = ReadCount(quantityText);
  if (!quantity.value) {
    refusal = {quantityText.empty() ? std::string("no quantity")
                                    : "quantity " + Quoted(quantityText) + ": " + quantity.refusal};
    return std::nullopt;
  }
  row.quantity = *quantity.value;
  if (!Rating(field(kTolerance), "tolerance", ReadTolerance, described.tolerance, row.tolerance,
              row.toleranceText, refusal) ||
      !Rating(field(kPower), "power", ReadPower, described.power, row.power, row.powerText,
              refusal) ||
      !Rating(field(kTcr), "tcr", ReadTcr, described.tcr, row.tcr, row.tcrText, refusal)) {
    return std::nullopt;
  }
  row.package = field(kPackage).empty() ? described.package : std::string(field(kPackage));
  row.location = field(kLocation);
  row.partNumber = field(kPartNumber);
  row.note = field(kNote);
  return row;
}

// A value of a plain list, whose kind its notation tells: F or H for capacitors and inductors,
// resistor notation and plain numbers for resistors, p and n for capacitors.
std::optional<InventoryRow> ReadPlainValue(std::string_view token, Refusal& refusal) {
  const StockKind* kind = nullptr;
  if (token.ends_with('F')) {
    kind = &kCapacitors;
  } else if (token.ends_with('H')) {
    kind = &kInductors;
  } else if (ParseResistance(token)) {
    kind = &kResistors;
  } else if (const KindValue read = ParseKindValue(kCapacitors, token); read.held) {
    const std::size_t prefix = ScanDecimal(token, 0, "eE").end;
    if (token.substr(prefix).starts_with('p') || token.substr(prefix).starts_with('n')) {
      kind = &kCapacitors;
    } else {
      refusal = {Quoted(token) + " may be a capacitor or an inductor; write " + std::string(token) +
                 "F or " + std::string(token) + "H"};
      return std::nullopt;
    }
  }
  if (!kind) {
    refusal = {Quoted(token) + " is no value"};
    return std::nullopt;
  }
  const PartField<double> value = ReadPartValue(*kind, token);
  if (!value.value) {
    refusal = {"value " + Quoted(token) + ": " + value.refusal};
    return std::nullopt;
  }
  InventoryRow row;
  row.kind = kind;
  row.value = *value.value;
  row.valueText = token;
  return row;
}

// A line of a plain list: a value, then a count ("10", "x10", "10x", "10pcs") and a note, each
// optional; without a count the line holds one part.
std::optional<InventoryRow> ReadPlainLine(std::string_view line, Refusal& refusal) {
  std::vector<std::string_view> tokens;
  for (std::size_t pos = 0; pos < line.size();) {
    const auto separator = [&](char c) { return IsCSpace(c) || c == ',' || c == ';'; };
    while (pos < line.size() && separator(line[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < line.size() && !separator(line[pos])) ++pos;
    if (pos > start) tokens.push_back(line.substr(start, pos - start));
  }
  if (tokens.empty()) {
    refusal = {"no value"};
    return std::nullopt;
  }
  std::optional<InventoryRow> row = ReadPlainValue(tokens[0], refusal);
  if (!row) return std::nullopt;
  row->quantity = 1;
  std::size_t next = 1;
  if (tokens.size() > 1) {
    std::string_view count = tokens[1];
    for (std::string_view mark : {std::string_view("x"), kTimes}) {
      if (count.starts_with(mark)) count.remove_prefix(mark.size());
    }
    for (std::string_view mark : {"pcs", "pc", "x"}) {
      if (count.ends_with(mark)) count.remove_suffix(mark.size());
    }
    if (!count.empty() && (std::isdigit(static_cast<unsigned char>(count.front())) ||
                           count.front() == '-' || count.front() == '+')) {
      const PartField<std::uint64_t> quantity = ReadCount(count);
      if (!quantity.value) {
        refusal = {"count " + Quoted(tokens[1]) + ": " + quantity.refusal};
        return std::nullopt;
      }
      row->quantity = *quantity.value;
      next = 2;
    }
  }
  if (next < tokens.size()) {
    const std::size_t start = static_cast<std::size_t>(tokens[next].data() - line.data());
    row->note = TrimCSpace(line.substr(start));
  }
  return row;
}

}  // namespace

const std::vector<ImportFormat>& ImportFormats() {
  static const std::vector<ImportFormat> formats = {
      {"Vantrel's Inventory.csv",
       {"kind", "value", "quantity"},
       {{"kind", kKind},
        {"value", kValue},
        {"quantity", kQuantity},
        {"tolerance", kTolerance},
        {"power", kPower},
        {"tcr", kTcr},
        {"package", kPackage},
        {"location", kLocation},
        {"part_number", kPartNumber},
        {"note", kNote}}},
      {"an LCSC order export",
       {"lcsc part number", "description", "order qty."},
       {{"manufacture part number", kPartNumber},
        {"lcsc part number", kPartNumber},
        {"package", kPackage},
        {"description", kDescription},
        {"order qty.", kQuantity}}},
      {"a Mouser order export",
       {"mouser #", "description", "order qty."},
       {{"mfr. #", kPartNumber},
        {"mouser #", kPartNumber},
        {"description", kDescription},
        {"order qty.", kQuantity}}},
      {"a Part-DB export or import file",
       {"name", "amount|quantity|instock"},
       {{"name", kDescription},
        {"description", kDescription},
        {"category", kDescription},
        {"footprint", kPackage},
        {"mpn|manufacturer_product_number", kPartNumber},
        {"storage_location|storelocation|location", kLocation},
        {"amount|quantity|instock", kQuantity},
        {"comment|notes", kNote}}},
  };
  return formats;
}

std::string KnownFormatsText() {
  std::string text;
  for (const ImportFormat& format : ImportFormats()) text.append(format.name).append(", ");
  return text + "or a plain list of values (one a line, a count after it if you like)";
}

ImportedFile ImportText(std::string_view bytes, std::string_view name) {
  ImportedFile file;
  const std::string fileName(name);
  if (bytes.size() > kImportByteLimit) {
    file.refusal = fileName + " is longer than 8 MB (" + std::to_string(kImportByteLimit) +
                   " bytes), more than Vantrel imports";
    return file;
  }
  CsvSheet sheet = ReadCsvSheet(bytes, name);
  if (!sheet.refusal.empty()) {
    file.refusal = std::move(sheet.refusal);
    return file;
  }
  CsvText& csv = sheet.csv;
  if (csv.records.empty()) {
    file.refusal = fileName + " holds no line to import";
    return file;
  }
  if (csv.records.size() - 1 > kInventoryRowLimit) {
    file.refusal = fileName + " holds " + std::to_string(csv.records.size() - 1) +
                   " rows, more than the " + std::to_string(kInventoryRowLimit) +
                   " Vantrel imports from one file";
    return file;
  }
  for (CsvFault& fault : csv.faults) {
    file.skipped.push_back({SheetSource(name, fault.line), std::move(fault.text), fault.reason});
  }

  std::vector<std::string> header;
  for (const std::string& field : csv.records.front().fields) header.push_back(MatchKey(field));
  const ImportFormat* format = nullptr;
  for (const ImportFormat& candidate : ImportFormats()) {
    if (std::all_of(candidate.signature.begin(), candidate.signature.end(),
                    [&](std::string_view names) { return ColumnOf(header, names).has_value(); })) {
      format = &candidate;
      break;
    }
  }
  const auto take = [&](const CsvRecord& record, std::optional<InventoryRow> row,
                        const Refusal& refusal) {
    if (row) {
      file.rows.push_back({std::move(*row), SheetSource(name, record.line)});
      return;
    }
    file.skipped.push_back({SheetSource(name, record.line), record.text, refusal.reason});
    if (refusal.otherPart) ++file.otherParts;
  };
  if (format) {
    file.format = format->name;
    std::vector<std::pair<ImportRole, std::size_t>> columns;
    for (const ImportColumn& column : format->columns) {
      for (std::string_view names : Alternatives(column.headers)) {
        if (const auto index = ColumnOf(header, names)) columns.emplace_back(column.role, *index);
      }
    }
    for (std::size_t i = 1; i < csv.records.size(); ++i) {
      Refusal refusal;
      std::optional<InventoryRow> row = ReadFormatRow(columns, csv.records[i], refusal);
      take(csv.records[i], std::move(row), refusal);
    }
  } else {
    Refusal first;
    if (!ReadPlainLine(csv.records.front().text, first)) {
      file.refusal = SheetSource(name, csv.records.front().line) + ": " +
                     Quoted(csv.records.front().text) +
                     " is no header Vantrel knows, nor a value; it imports " + KnownFormatsText();
      return file;
    }
    file.format = "a plain list of values";
    for (const CsvRecord& record : csv.records) {
      Refusal refusal;
      std::optional<InventoryRow> row = ReadPlainLine(record.text, refusal);
      take(record, std::move(row), refusal);
    }
  }
  std::stable_sort(file.skipped.begin(), file.skipped.end(),
                   [](const SkippedLine& a, const SkippedLine& b) {
                     return a.source.size() != b.source.size() ? a.source.size() < b.source.size()
                                                               : a.source < b.source;
                   });
  return file;
}

ImportedFile ImportFile(IFileService& files, const std::string& path) {
  auto opened = files.OpenForRead(path);
  if (!opened) {
    ImportedFile file;
    const std::string what = files.NotRegularFile(path);
    file.refusal = "cannot read \"" + path + "\": " + (what.empty() ? files.LastFailure() : what);
    return file;
  }
  const std::string bytes = opened->Read(kImportByteLimit + 1);
  opened->Close();
  return ImportText(bytes, path);
}

std::string ImportLimitProblem(const std::vector<ImportedRow>& rows) {
  std::vector<InventoryRow> plain;
  plain.reserve(rows.size());
  for (const ImportedRow& row : rows) plain.push_back(row.row);
  const std::string problem = InventoryLimitProblem(plain);
  return problem.empty() ? problem : "the rows imported " + problem;
}

}  // namespace vantrel::finder
