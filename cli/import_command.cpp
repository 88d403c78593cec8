#include "import_command.h"

#include "inventory_check.h"
#include "inventory_file.h"
#include "inventory_import.h"
#include "inventory_table.h"
#include "output_table.h"
#include "rows.h"
#include "text_columns.h"

namespace vantrel {
namespace {

using drawer::ImportedFile;
using drawer::ImportedRow;
using drawer::SkippedLine;
using drawer::SkippedText;

// The rows and the skipped lines as one JSON document.
std::string ImportJson(const std::vector<drawer::ImportedRow>& rows,
                       const std::vector<drawer::SkippedLine>& skipped) {
  std::string text = "{\n  \"rows\": [";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::vector<table::Cell> cells = drawer::ImportFields(rows[i]);
    text += i ? ",\n    {" : "\n    {";
    for (std::size_t c = 0; c < cells.size(); ++c) {
      text += (c ? ", " : "") + JsonString(drawer::ImportColumns()[c].name) + ": " +
              (cells[c].raw ? cells[c].text : JsonString(cells[c].text));
    }
    text += ", \"format\": " + JsonString(rows[i].format) + '}';
  }
  text += rows.empty() ? "],\n  \"skipped\": [" : "\n  ],\n  \"skipped\": [";
  for (std::size_t i = 0; i < skipped.size(); ++i) {
    text += (i ? ",\n    {" : "\n    {") + std::string("\"source\": ") +
            JsonString(skipped[i].source) + ", \"text\": " + JsonString(skipped[i].text) +
            ", \"reason\": " + JsonString(skipped[i].reason) +
            ", \"code\": " + JsonString(skipped[i].code) +
            ", \"format\": " + JsonString(skipped[i].format) + '}';
  }
  return text + (skipped.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::string InventoryPath() {
  return AbsoluteWorkingPath(drawer::kInventoryFileName).value_or(drawer::kInventoryFileName);
}

}  // namespace

CommandSpec ImportCommandSpec() {
  return {"import",
          "Read parts from order exports and lists into Inventory.csv.",
          "Reads each FILE, tells its format by its header, and lists the parts it holds:\n"
          "kind, value, quantity, tolerance, power, TCR, package, location, part number and\n"
          "the file and line they came from, then every line it could not use and why.\n"
          "It reads Vantrel's Inventory.csv, LCSC order and cart exports (old and new\n"
          "layouts), Digi-Key order and cart exports, Mouser order, cart and BOM exports,\n"
          "InvenTree, Binner and Part-DB exports (separated by , or ;), KiCad and assembly\n"
          "BOMs, and plain lists of values, one a line with a count after it if you like\n"
          "(4k7 10, 100nF x5, 10uH). A value given in a description is read from it\n"
          "(RES SMD 10K OHM 1% 1/10W 0603). A BOM's counts are what a board uses.\n"
          "\n"
          "--write adds the rows to Inventory.csv beside the libraries, creating it if\n"
          "need be: a row whose kind, value, tolerance, power and package agree with one\n"
          "there adds its quantity to it. Nothing is written when a file cannot be read.\n"
          "Each file written is recorded in Inventory.csv by its name, SHA-256 and date;\n"
          "the same bytes are not imported twice unless --again. A BOM is written only\n"
          "with --as-stock, which counts its parts as held.\n"
          "A file may hold 8 MB and 20000 rows; Inventory.csv 1 MB, 20000 rows and 1000\n"
          "values of each kind.\n",
          {{"FILE", false, {}, true}},
          {{"--write", "", "Add the rows to Inventory.csv."},
           {"--as-stock", "", "Count the parts of a BOM as held."},
           {"--again", "", "Import a file Inventory.csv records as imported before."},
           FormatOption()}};
}

int RunImport(const ParsedArgs& args, CliContext& context) {
  std::vector<drawer::ImportedRow> rows;
  std::vector<drawer::SkippedLine> skipped;
  std::vector<drawer::ImportSource> sources;
  bool refused = false;
  bool boms = false;
  for (const std::string& path : args.operands) {
    drawer::ImportedFile file = drawer::ImportFile(context.services.files, path);
    if (!file.refusal.empty()) {
      context.err << "vantrel-cli: import: " << file.refusal << '\n';
      refused = true;
      continue;
    }
    context.err << drawer::ImportedFileText(path, file) << '\n';
    if (file.bom) {
      boms = true;
      context.err << path
                  << ": a BOM's quantities are what a board uses, not what you hold; "
                     "--as-stock counts them as held\n";
    }
    sources.push_back({path, file.sha256, context.services.clock.Today()});
    for (drawer::ImportedRow& row : file.rows) rows.push_back(std::move(row));
    for (drawer::SkippedLine& line : file.skipped) skipped.push_back(std::move(line));
  }

  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  if (format == OutputFormat::kJson) {
    context.out << ImportJson(rows, skipped) << std::flush;
  } else if (format == OutputFormat::kText) {
    TextColumns columns(drawer::ImportColumns());
    for (const drawer::ImportedRow& row : rows) columns.Measure(drawer::ImportTextCells(row));
    std::string text = columns.HeaderLine();
    for (const drawer::ImportedRow& row : rows) text += columns.Line(drawer::ImportTextCells(row));
    if (!skipped.empty()) text += "\nSkipped:\n";
    for (const drawer::SkippedLine& line : skipped) text += drawer::SkippedText(line) + '\n';
    context.out << text << std::flush;
  } else {
    OutputTable table{finder::ColumnNames(drawer::ImportColumns()), {}};
    for (const drawer::ImportedRow& row : rows) table.rows.push_back(drawer::ImportFields(row));
    context.out << WriteFormatted(format, {}, table) << std::flush;
    for (const drawer::SkippedLine& line : skipped)
      context.err << drawer::SkippedText(line) << '\n';
  }

  if (const std::string limit = drawer::ImportLimitProblem(rows); !limit.empty()) {
    context.err << "vantrel-cli: import: " << limit << '\n';
    refused = true;
  }
  if (!args.Has("--write")) return refused ? kExitFailure : kExitOk;
  if (refused) {
    context.err << "vantrel-cli: import: " << drawer::kInventoryFileName
                << " was not written, as not every file could be read\n";
    return kExitFailure;
  }
  if (boms && !args.Has("--as-stock")) {
    context.err << "vantrel-cli: import: " << drawer::kInventoryFileName
                << " was not written: a BOM is written only with --as-stock\n";
    return kExitFailure;
  }
  std::vector<drawer::InventoryRow> added;
  added.reserve(rows.size());
  for (drawer::ImportedRow& row : rows) added.push_back(std::move(row.row));
  const drawer::InventoryMerge merge =
      drawer::MergeIntoInventory(context.services.files, added, sources, args.Has("--again"));
  if (!merge.refusal.empty()) {
    context.services.messages.Show({merge.refusal});
    if (merge.cannotCreate) {
      context.err << "vantrel-cli: cannot write \"" << InventoryPath()
                  << "\": " << context.services.files.LastFailure() << '\n';
    }
    return kExitFailure;
  }
  context.err << (merge.created ? "wrote " : "updated ") << drawer::kInventoryFileName << ": "
              << merge.added << " row(s) added, " << merge.summed
              << " counted into rows of the same class; it holds " << merge.rows << " row(s)\n";
  return kExitOk;
}

int RunInventoryCheck(CliContext& context) {
  IFileService& files = context.services.files;
  const std::optional<drawer::InventoryCheck> check = drawer::CheckInventory(files);
  if (!check) {
    const std::string what = files.NotRegularFile(drawer::kInventoryPath);
    if (!what.empty()) {
      context.err << "vantrel-cli: check: " << drawer::kInventoryFileName << " is " << what
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
  for (const drawer::InventoryFinding& finding : check->findings) {
    context.out << finding.Text() << '\n';
  }
  for (const std::string& line : check->conclusion) context.out << line << '\n';
  return check->clean ? kExitOk : kExitFailure;
}

}  // namespace vantrel
