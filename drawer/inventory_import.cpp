#include "inventory_import.h"

#include <algorithm>
#include <optional>

#include <nettle/sha2.h>

#include "csv_records.h"
#include "number_text.h"
#include "part_description.h"
#include "part_text.h"
#include "resistor_notation.h"

namespace vantrel::drawer {
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

// Why a line is not used, its code, and whether that is for being some other part.
struct Refusal {
  std::string reason;
  std::string code;
  bool otherPart = false;
};

// Why a description gave no part: the reader's own reason (not a part, a jumper, an ambiguous
// decimal comma), or, where it found no value, which value the row lacks, naming the text.
Refusal DescriptionRefusal(const PartDescription& described, std::string_view description) {
  if (!described.skipCode.empty() && described.skipCode != kNoValue)
    return {described.skipReason, std::string(described.skipCode), described.skipCode == kNotAPart};
  if (!described.kind) return {kNotRlcReason, std::string(kNotAPart), true};
  return {"no " + std::string(described.kind->name) + " value in " +
              (description.empty() ? std::string("the row") : Quoted(description)),
          std::string(kNoValue)};
}

// How many designators a BOM's field names: "R1,R2 R5" is three.
std::uint64_t ReferenceCount(std::string_view references) {
  std::uint64_t count = 0;
  bool inName = false;
  for (char c : references) {
    const bool separator = c == ',' || c == ';' || IsCSpace(c);
    if (!separator && !inName) ++count;
    inName = !separator;
  }
  return count;
}

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
    refusal.code = "bad-rating";
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
  const auto hasColumn = [&](ImportRole role) {
    return std::any_of(columns.begin(), columns.end(),
                       [&](const auto& column) { return column.first == role; });
  };
  const bool hasKindColumn = hasColumn(kKind);
  const bool hasReferences = hasColumn(kReference);
  if (!field(kNotFitted).empty()) {
    refusal = {"marked " + Quoted(field(kNotFitted)) + ", not fitted", "not-fitted"};
    return std::nullopt;
  }
  std::string description;
  for (const auto& [role, index] : columns) {
    if (role == kDescription && index < record.fields.size())
      description.append(record.fields[index]).append(" ");
  }
  const PartDescription described = ReadDescription(description);

  InventoryRow row;
  row.line = record.line;
  const StockKind* kind = hasKindColumn   ? KindOfLetter(field(kKind))
                          : hasReferences ? KindOfReference(field(kReference))
                                          : described.kind;
  if (!kind) {
    if (hasKindColumn) {
      refusal = {"kind " + Quoted(field(kKind)) + " is not R, C or L", "not-a-part", true};
    } else if (hasReferences) {
      refusal = {"designator " + Quoted(field(kReference)) +
                     " is of no resistor, capacitor or "
                     "inductor",
                 "not-a-part", true};
    } else {
      refusal = DescriptionRefusal(described, TrimCSpace(description));
    }
    return std::nullopt;
  }
  row.kind = kind;
  if (const std::string_view value = field(kValue); !value.empty()) {
    const PartField<double> read = ReadPartValue(*kind, value);
    if (!read.value) {
      refusal = {"value " + Quoted(value) + ": " + read.refusal, "bad-value"};
      return std::nullopt;
    }
    row.value = *read.value;
    row.valueText = value;
  } else if (described.value && described.kind == kind) {
    row.value = *described.value;
  } else {
    PartDescription noValue = described;
    noValue.kind = kind;
    refusal = DescriptionRefusal(noValue, TrimCSpace(description));
    return std::nullopt;
  }
  const std::string_view quantityText = field(kQuantity);
  if (quantityText.empty() && hasReferences && !hasColumn(kQuantity)) {
    row.quantity = ReferenceCount(field(kReference));
  } else {
    const PartField<std::uint64_t> quantity = ReadCount(quantityText);
    if (!quantity.value) {
      refusal = quantityText.empty()
                    ? Refusal{"no quantity", "no-quantity"}
                    : Refusal{"quantity " + Quoted(quantityText) + ": " + quantity.refusal,
                              "bad-quantity"};
      return std::nullopt;
    }
    row.quantity = *quantity.value;
  }
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
                     "F or " + std::string(token) + "H",
                 "ambiguous-kind"};
      return std::nullopt;
    }
  }
  if (!kind) {
    refusal = {Quoted(token) + " is no value", "no-value"};
    return std::nullopt;
  }
  const PartField<double> value = ReadPartValue(*kind, token);
  if (!value.value) {
    refusal = {"value " + Quoted(token) + ": " + value.refusal, "bad-value"};
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
    refusal = {"no value", "no-value"};
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
        refusal = {"count " + Quoted(tokens[1]) + ": " + quantity.refusal, "bad-quantity"};
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
  // Mouser's lists before Digi-Key's cart, whose header they share "#" and "Description" with;
  // InvenTree's and Binner's before Part-DB's, which asks only for a name and a count.
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
      {"an LCSC cart or order export (new layout)",
       {"lcsc#", "description", "quantity|order qty."},
       {{"mpn", kPartNumber},
        {"lcsc#", kPartNumber},
        {"package", kPackage},
        {"description", kDescription},
        {"quantity|order qty.", kQuantity}}},
      {"a Mouser order export",
       {"mouser #", "description", "order qty."},
       {{"mfr. #", kPartNumber},
        {"mouser #", kPartNumber},
        {"description", kDescription},
        {"order qty.", kQuantity}}},
      {"a Mouser cart or BOM export",
       {"mouser #", "description", "qty|qty.|quantity"},
       {{"mfr. #", kPartNumber},
        {"mouser #", kPartNumber},
        {"description", kDescription},
        {"qty|qty.|quantity", kQuantity}}},
      {"a Digi-Key order export",
       {"digikey part #|digi-key part #|digi-key part number", "description", "quantity"},
       {{"manufacturer part number", kPartNumber},
        {"digikey part #|digi-key part #|digi-key part number", kPartNumber},
        {"description", kDescription},
        {"quantity", kQuantity}}},
      {"a Digi-Key cart export",
       {"part number", "manufacturer part number", "description", "quantity"},
       {{"manufacturer part number", kPartNumber},
        {"part number", kPartNumber},
        {"description", kDescription},
        {"quantity", kQuantity}}},
      {"an InvenTree export",
       {"ipn", "name|part name", "in stock|quantity"},
       {{"name|part name", kDescription},
        {"description|part description", kDescription},
        {"category|category name", kDescription},
        {"ipn", kPartNumber},
        {"location|location name", kLocation},
        {"in stock|quantity", kQuantity},
        {"notes", kNote}}},
      {"a Binner export",
       {"partnumber", "manufacturerpartnumber", "quantity"},
       {{"description", kDescription},
        {"value", kDescription},
        {"parttype", kDescription},
        {"manufacturerpartnumber", kPartNumber},
        {"partnumber", kPartNumber},
        {"location", kLocation},
        {"quantity", kQuantity}}},
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
      {"a KiCad BOM",
       {"reference|ref|references", "value", "qty|quantity|qnty"},
       {{"reference|ref|references", kReference},
        {"value", kValue},
        {"qty|quantity|qnty", kQuantity},
        {"description", kDescription},
        {"dnp", kNotFitted}},
       true},
      {"an assembly BOM",
       {"designator", "comment"},
       {{"designator", kReference},
        {"comment", kValue},
        {"quantity|qty", kQuantity},
        {"footprint|package", kPackage},
        {"lcsc part #|lcsc part number|lcsc|jlcpcb part #", kPartNumber}},
       true},
  };
  return formats;
}

std::string KnownFormatsText() {
  std::string text;
  for (const ImportFormat& format : ImportFormats()) text.append(format.name).append(", ");
  return text + "or a plain list of values (one a line, a count after it if you like)";
}

std::string Sha256Hex(std::string_view bytes) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
  std::uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context, sizeof digest, digest);
  constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

namespace {

// The columns each format looks for, as a refusal names them.
std::string LookedForText() {
  std::string text;
  for (const ImportFormat& format : ImportFormats()) {
    text += "\n  " + std::string(format.name) + ": ";
    for (std::size_t i = 0; i < format.signature.size(); ++i) {
      text += (i ? ", " : "");
      const std::vector<std::string_view> names = Alternatives(format.signature[i]);
      for (std::size_t n = 0; n < names.size(); ++n) text += (n ? " or " : "") + Quoted(names[n]);
    }
  }
  return text;
}

// The format whose signature header matches.
const ImportFormat* FormatOf(const std::vector<std::string>& header) {
  for (const ImportFormat& candidate : ImportFormats()) {
    if (std::all_of(candidate.signature.begin(), candidate.signature.end(),
                    [&](std::string_view names) { return ColumnOf(header, names).has_value(); }))
      return &candidate;
  }
  return nullptr;
}

// As many lines as may stand above the header: an LCSC cart export starts with a title line.
constexpr std::size_t kLinesBeforeHeader = 5;

}  // namespace

ImportedFile ImportText(std::string_view bytes, std::string_view name) {
  ImportedFile file;
  const std::string fileName(name);
  if (bytes.size() > kImportByteLimit) {
    file.refusal = fileName + " is longer than 8 MB (" + std::to_string(kImportByteLimit) +
                   " bytes), more than Vantrel imports";
    return file;
  }
  file.sha256 = Sha256Hex(bytes);
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

  const ImportFormat* format = nullptr;
  std::size_t headerAt = 0;
  std::vector<std::string> header;
  for (; headerAt < std::min(csv.records.size(), kLinesBeforeHeader); ++headerAt) {
    header.clear();
    for (const std::string& field : csv.records[headerAt].fields) {
      std::string key = MatchKey(field);
      // "#PartId": a header written as a comment.
      if (header.empty() && key.size() > 1 && key.starts_with('#')) key.erase(0, 1);
      header.push_back(std::move(key));
    }
    format = FormatOf(header);
    if (format) break;
  }
  Refusal first;
  if (!format && !ReadPlainLine(csv.records.front().text, first)) {
    file.refusal =
        SheetSource(name, csv.records.front().line) + ": " + Quoted(csv.records.front().text) +
        " is no header Vantrel knows, nor a value. It looks for these columns:" + LookedForText() +
        "\nor takes a plain list of values, one a line.";
    return file;
  }
  file.format = format ? format->name : "a plain list of values";
  file.bom = format && format->bom;
  for (CsvFault& fault : csv.faults) {
    file.skipped.push_back({SheetSource(name, fault.line), std::move(fault.text), fault.reason,
                            "malformed-line", file.format});
  }
  const auto take = [&](const CsvRecord& record, std::optional<InventoryRow> row,
                        const Refusal& refusal) {
    if (row) {
      file.rows.push_back({std::move(*row), SheetSource(name, record.line), file.format});
      return;
    }
    file.skipped.push_back(
        {SheetSource(name, record.line), record.text, refusal.reason, refusal.code, file.format});
    if (refusal.otherPart) ++file.otherParts;
  };
  if (format) {
    for (std::size_t i = 0; i < headerAt; ++i) {
      take(csv.records[i], std::nullopt, {"above the header", "above-header"});
    }
    std::vector<std::pair<ImportRole, std::size_t>> columns;
    for (const ImportColumn& column : format->columns) {
      for (std::string_view names : Alternatives(column.headers)) {
        if (const auto index = ColumnOf(header, names)) columns.emplace_back(column.role, *index);
      }
    }
    for (std::size_t i = headerAt + 1; i < csv.records.size(); ++i) {
      Refusal refusal;
      std::optional<InventoryRow> row = ReadFormatRow(columns, csv.records[i], refusal);
      take(csv.records[i], std::move(row), refusal);
    }
  } else {
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

}  // namespace vantrel::drawer
