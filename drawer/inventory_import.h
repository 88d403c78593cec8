#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "inventory_file.h"
#include "services.h"

namespace vantrel::drawer {

struct ImportColumn {
  std::string_view headers;  // the header names that mean it, "|" between them, lower case
  ImportRole role;
};

// One kind of file Vantrel imports, known by its header. For a role other than the description
// the first column of the list with a field in a row gives it.
struct ImportFormat {
  std::string_view name;                    // "an LCSC order export"
  std::vector<std::string_view> signature;  // header names that must all be there ("a|b")
  std::vector<ImportColumn> columns;
  // A bill of materials: its counts are what a board uses, not what is held.
  bool bom = false;
};

// The formats in the order they are tried; a plain list of values, told by its first line, comes
// after them.
const std::vector<ImportFormat>& ImportFormats();

// "Vantrel's Inventory.csv, an LCSC order export, ... or a plain list of values".
std::string KnownFormatsText();

struct ImportedRow {
  InventoryRow row;
  std::string source;  // "file:line"
  std::string format;  // the name of the format of its file
};

struct SkippedLine {
  std::string source;
  std::string text;
  std::string reason;
  std::string code;  // the reason in short: "not-a-part", "no-value", ...
  std::string format;
};

// What one file gave.
struct ImportedFile {
  std::string format;  // the name of the format it was read as
  std::vector<ImportedRow> rows;
  std::vector<SkippedLine> skipped;
  std::size_t otherParts = 0;  // skipped lines of parts that are neither R, C nor L
  std::string refusal;         // why nothing of the file was read
  bool bom = false;            // a bill of materials (ImportFormat::bom)
  std::string sha256;          // of the bytes read, in lower-case hex
};

// The SHA-256 of bytes, in lower-case hex.
std::string Sha256Hex(std::string_view bytes);

// Reads the text of a file named name (as sources name it). Beyond kImportByteLimit bytes or
// kInventoryRowLimit rows, or not UTF-8, or with a header no format matches, it is refused. A
// UTF-8 byte order mark is skipped; fields are RFC 4180, separated by ',' or ';' as the header
// is. The header is the first of the first lines that a format's signature matches; a line
// that starts with '#' is passed over once the header is read, or when it holds no ',' or ';'.
// A file whose first line is no header and no value is refused with the columns looked for.
ImportedFile ImportText(std::string_view bytes, std::string_view name);

// Reads the file at path; refused, with the system's reason, when it cannot be opened. A failed
// read throws FileError.
ImportedFile ImportFile(IFileService& files, const std::string& path);

// Why rows cannot join one inventory (InventoryLimitProblem), worded for an import.
std::string ImportLimitProblem(const std::vector<ImportedRow>& rows);

}  // namespace vantrel::drawer
