#include "import_command.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "inventory_file.h"
#include "inventory_import.h"
#include "number_text.h"
#include "output_table.h"
#include "part_text.h"
#include "rows.h"
#include "text_columns.h"

namespace vantrel {
namespace {

using finder::ImportedFile;
using finder::ImportedRow;
using finder::SkippedLine;

const std::vector<finder::Column>& ImportColumns() {
  static const std::vector<finder::Column> columns = {{"Kind", "kind", true},
                                                      {"Value", "value", true},
                                                      {"Quantity", "quantity", false},
                                                      {"Tolerance", "tolerance", true},
                                                      {"Power", "power", true},
                                                      {"TCR", "tcr", true},
                                                      {"Package", "package", true},
                                                      {"Location", "location", true},
                                                      {"Part number", "part_number", true},
                                                      {"Source", "source", true}};
  return columns;
}

std::string Optional(const std::optional<double>& value, std::string (*text)(double)) {
  return value ? text(*value) : std::string();
}

std::vector<std::string> TextCells(const ImportedRow& imported) {
  const InventoryRow& row = imported.row;
  return {std::string(KindLetter(*row.kind)),
          PartValueText(*row.kind, row.value),
          std::to_string(row.quantity),
          Optional(row.tolerance, ToleranceText),
          Optional(row.power, PowerText),
          Optional(row.tcr, TcrText),
          row.package,
          row.location,
          row.partNumber,
          imported.source};
}

Cell OptionalNumber(const std::optional<double>& value) {
  return value ? NumberCell(*value) : Cell{"null", true};
}

std::vector<Cell> DataCells(const ImportedRow& imported) {
  const InventoryRow& row = imported.row;
  return {TextCell(std::string(KindLetter(*row.kind))),
          NumberCell(BaseUnitValue(*row.kind, row.value)),
          NumberCell(row.quantity),
          OptionalNumber(row.tolerance),
          OptionalNumber(row.power),
          OptionalNumber(row.tcr),
          TextCell(row.package),
          TextCell(row.location),
          TextCell(row.partNumber),
          TextCell(imported.source)};
}

// The whole line, so that it can be found and mended.
std::string SkippedText(const SkippedLine& line) {
  return line.source + ": " + line.reason + ": " + line.text;
}

// The rows and the skipped lines as one JSON document.
std::string ImportJson(const std::vector<ImportedRow>& rows,
                       const std::vector<SkippedLine>& skipped) {
  std::string text = "{\n  \"rows\": [";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::vector<Cell> cells = DataCells(rows[i]);
    text += i ? ",\n    {" : "\n    {";
    for (std::size_t c = 0; c < cells.size(); ++c) {
      text += (c ? ", " : "") + JsonString(ImportColumns()[c].name) + ": " +
              (cells[c].raw ? cells[c].text : JsonString(cells[c].text));
    }
    text += '}';
  }
  text += rows.empty() ? "],\n  \"skipped\": [" : "\n  ],\n  \"skipped\": [";
  for (std::size_t i = 0; i < skipped.size(); ++i) {
    text += (i ? ",\n    {" : "\n    {") + std::string("\"source\": ") +
            JsonString(skipped[i].source) + ", \"text\": " + JsonString(skipped[i].text) +
            ", \"reason\": " + JsonString(skipped[i].reason) + '}';
  }
  return text + (skipped.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::string InventoryPath() {
  return AbsoluteWorkingPath(kInventoryFileName).value_or(kInventoryFileName);
}

}  // namespace

CommandSpec ImportCommandSpec() {
  return {"import",
          "Read parts from order exports and lists into Inventory.csv.",
          "Reads each FILE, tells its format by its header, and lists the parts it holds:\n"
          "kind, value, quantity, tolerance, power, TCR, package, location, part number and\n"
          "the file and line they came from, then every line it could not use and why.\n"
          "It reads Vantrel's Inventory.csv, LCSC and Mouser order exports, Part-DB exports\n"
          "and import files (separated by , or ;), and plain lists of values, one a line\n"
          "with a count after it if you like (4k7 10, 100nF x5, 10uH). A value given in a\n"
          "description is read from it (RES SMD 10K OHM 1% 1/10W 0603).\n"
          "\n"
          "--write adds the rows to Inventory.csv beside the libraries, creating it if\n"
          "need be: a row whose kind, value, tolerance, power and package agree with one\n"
          "there adds its quantity to it. Nothing is written when a file cannot be read.\n"
          "A file may hold 8 MB and 20000 rows; Inventory.csv 1 MB, 20000 rows and 1000\n"
          "values of each kind.\n",
          {{"FILE", false, {}, true}},
          {{"--write", "", "Add the rows to Inventory.csv."}, FormatOption()}};
}

int RunImport(const ParsedArgs& args, CliContext& context) {
  std::vector<ImportedRow> rows;
  std::vector<SkippedLine> skipped;
  bool refused = false;
  for (const std::string& path : args.operands) {
    ImportedFile file = finder::ImportFile(context.services.files, path);
    if (!file.refusal.empty()) {
      context.err << "vantrel-cli: import: " << file.refusal << '\n';
      refused = true;
      continue;
    }
    context.err << path << ": " << file.format << ", " << file.rows.size() << " row(s), "
                << file.skipped.size() << " line(s) skipped";
    if (file.otherParts > 0) {
      context.err << ", " << file.otherParts << " of them neither R, C nor L";
    }
    context.err << '\n';
    for (ImportedRow& row : file.rows) rows.push_back(std::move(row));
    for (SkippedLine& line : file.skipped) skipped.push_back(std::move(line));
  }

  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  if (format == OutputFormat::kJson) {
    context.out << ImportJson(rows, skipped) << std::flush;
  } else if (format == OutputFormat::kText) {
    TextColumns columns(ImportColumns());
    for (const ImportedRow& row : rows) columns.Measure(TextCells(row));
    std::string text = columns.HeaderLine();
    for (const ImportedRow& row : rows) text += columns.Line(TextCells(row));
    if (!skipped.empty()) text += "\nSkipped:\n";
    for (const SkippedLine& line : skipped) text += SkippedText(line) + '\n';
    context.out << text << std::flush;
  } else {
    OutputTable table{finder::ColumnNames(ImportColumns()), {}};
    for (const ImportedRow& row : rows) table.rows.push_back(DataCells(row));
    context.out << WriteFormatted(format, {}, table) << std::flush;
    for (const SkippedLine& line : skipped) context.err << SkippedText(line) << '\n';
  }

  if (const std::string limit = finder::ImportLimitProblem(rows); !limit.empty()) {
    context.err << "vantrel-cli: import: " << limit << '\n';
    refused = true;
  }
  if (!args.Has("--write")) return refused ? kExitFailure : kExitOk;
  if (refused) {
    context.err << "vantrel-cli: import: " << kInventoryFileName
                << " was not written, as not every file could be read\n";
    return kExitFailure;
  }
  std::vector<InventoryRow> added;
  added.reserve(rows.size());
  for (ImportedRow& row : rows) added.push_back(std::move(row.row));
  const InventoryMerge merge = MergeIntoInventory(context.services.files, added);
  if (!merge.refusal.empty()) {
    context.services.messages.Show({merge.refusal});
    if (merge.cannotCreate) {
      context.err << "vantrel-cli: cannot write \"" << InventoryPath()
                  << "\": " << context.services.files.LastFailure() << '\n';
    }
    return kExitFailure;
  }
  context.err << (merge.created ? "wrote " : "updated ") << kInventoryFileName << ": "
              << merge.added << " row(s) added, " << merge.summed
              << " counted into rows of the same class; it holds " << merge.rows << " row(s)\n";
  return kExitOk;
}

int RunInventoryCheck(CliContext& context) {
  IFileService& files = context.services.files;
  const std::optional<Inventory> read = ReadInventory(files);
  if (!read) {
    const std::string what = files.NotRegularFile(kInventoryPath);
    if (!what.empty()) {
      context.err << "vantrel-cli: check: " << kInventoryFileName << " is " << what
                  << "; the inventory must be a regular file, or a symbolic link to one\n";
    } else if (files.LastFailure() == MissingFileReason()) {
      context.err << "vantrel-cli: no inventory at \"" << InventoryPath()
                  << "\"; make one with \"vantrel-cli import FILE --write\"\n";
    } else {
      context.err << "vantrel-cli: cannot read \"" << InventoryPath()
                  << "\": " << files.LastFailure() << '\n';
    }
    return kExitFailure;
  }
  const Inventory& inventory = *read;
  std::vector<std::pair<int, std::string>> findings;
  for (const InventoryProblem& problem : inventory.problems) {
    findings.emplace_back(problem.line, "line " + std::to_string(problem.line) + ": " +
                                            Quoted(problem.text) + ": " + problem.reason +
                                            ", cannot be read");
  }
  // Rows alike in every column but the count could be one row.
  std::map<std::tuple<InventoryRow::ClassKey, std::optional<double>, std::string, std::string,
                      std::string, std::vector<std::string>>,
           int>
      firstLines;
  for (const InventoryRow& row : inventory.rows) {
    const auto [first, isFirst] = firstLines.emplace(
        std::tuple(row.Class(), row.tcr, row.location, row.partNumber, row.note, row.extra),
        row.line);
    if (isFirst) continue;
    findings.emplace_back(row.line, "line " + std::to_string(row.line) + ": " +
                                        std::string(KindLetter(*row.kind)) + " " +
                                        PartValueText(*row.kind, row.value) +
                                        ": the same as line " + std::to_string(first->second) +
                                        " but for the count; the two could be one row");
  }
  std::stable_sort(findings.begin(), findings.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& finding : findings) context.out << finding.second << '\n';
  if (!inventory.refusal.empty()) {
    context.out << "A rewrite would be refused: " << inventory.refusal << ".\n";
    return kExitFailure;
  }
  std::string counts;
  for (const StockKind* kind : kStockKinds) {
    std::size_t rows = 0;
    std::uint64_t parts = 0;
    std::map<double, int> values;
    for (const InventoryRow& row : inventory.rows) {
      if (row.kind != kind) continue;
      ++rows;
      parts += row.quantity;
      ++values[row.value];
    }
    counts += (counts.empty() ? "" : ", ") + std::string(KindLetter(*kind)) + ": " +
              std::to_string(rows) + " row(s), " + std::to_string(values.size()) + " value(s), " +
              std::to_string(parts) + " part(s)";
  }
  context.out << inventory.rows.size() << " row(s) (" << counts << "), "
              << inventory.problems.size() << " line(s) that cannot be read.\n";
  if (!inventory.problems.empty()) {
    context.out << "A rewrite would be refused: lines that cannot be read would be lost.\n";
    return kExitFailure;
  }
  // The bytes as read, held against what a rewrite writes.
  auto file = files.OpenForRead(kInventoryPath);
  if (!file) throw FileError("read", kInventoryPath, files.LastFailure());
  const std::string bytes = file->Read(kInventoryByteLimit + 1);
  file->Close();
  Inventory sorted = inventory;
  SortInventory(sorted);
  if (InventoryText(sorted) != bytes) {
    context.out << "A rewrite would change the file: rows sorted by kind and value, the known "
                   "columns first, CR LF.\n";
    return kExitFailure;
  }
  context.out << "A rewrite would change nothing.\n";
  return kExitOk;
}

}  // namespace vantrel
