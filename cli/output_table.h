#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files.h"

namespace vantrel {

// How a command prints its results: text is each command's own layout.
enum class OutputFormat { kText, kTsv, kCsv, kJson };

// The names --format takes, in the order of OutputFormat.
const std::vector<std::string_view>& OutputFormatNames();
OutputFormat OutputFormatNamed(std::string_view name);

// One field: a number in the shortest form that reads back as the same value, or text.
struct Cell {
  std::string text;
  bool number = false;
};

Cell NumberCell(double value);
Cell NumberCell(float value);  // shortest form that reads back as the same float
Cell TextCell(std::string text);

// Rows of named columns; every row has one cell per column. Column names and cells hold no
// tab or line break.
struct OutputTable {
  std::vector<std::string> columns;
  std::vector<std::vector<Cell>> rows;
};

// A header line of the column names, then one line per row, fields separated by tabs.
std::string WriteTsv(const OutputTable& table);

// RFC 4180: CR LF line ends, a header line, fields with a comma, quote or line break quoted.
std::string WriteCsv(const OutputTable& table);

// One JSON object: the fields of head in order, then "rows", an array of one object per row,
// each on a line of its own.
std::string WriteJson(const std::vector<std::pair<std::string, Cell>>& head,
                      const OutputTable& table);

using OutputHead = std::vector<std::pair<std::string, Cell>>;

// The table in a format other than text: tsv, csv, or json with head first.
std::string WriteFormatted(OutputFormat format, const OutputHead& head, const OutputTable& table);

// "library" and "library_sha256": the absolute path of ./ResistorLibrary.txt and the digest of
// its bytes, for the head of a JSON document. A failed read throws FileError.
OutputHead LibraryHead(IFileService& files);

}  // namespace vantrel
