#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cells.h"
#include "files.h"
#include "stock_kind.h"

namespace vantrel {

// How a command prints its results: text is each command's own layout.
enum class OutputFormat { kText, kTsv, kCsv, kJson };

// The names --format takes, in the order of OutputFormat.
const std::vector<std::string_view>& OutputFormatNames();
// The format of that name; text for an unknown name or none.
OutputFormat OutputFormatNamed(const std::string* name);

using table::BoolCell;
using table::Cell;
using table::NumberCell;
using table::TextCell;

using OutputHead = std::vector<std::pair<std::string, table::Cell>>;

// Writes rows as they come, so that long listings need not be held: tsv, a header line of the
// column names and one line per row, fields separated by tabs (names and cells hold no tab or
// line break); csv after RFC 4180, CR LF line ends, fields with a comma, quote or line break
// quoted; json, one object with the fields of head, then "rows", an array of one object per
// row, each on a line of its own.
class RowWriter {
 public:
  RowWriter(OutputFormat format, const OutputHead& head, std::vector<std::string> columns,
            std::ostream& out);
  void Row(const std::vector<table::Cell>& cells);  // one cell per column
  void Finish();

 private:
  OutputFormat m_format;
  std::vector<std::string> m_columns;
  std::ostream& m_out;
  bool m_first = true;
};

// Rows of named columns, held whole.
struct OutputTable {
  std::vector<std::string> columns;
  std::vector<std::vector<table::Cell>> rows;
};

// The table in a format other than text, with head first in json.
std::string WriteFormatted(OutputFormat format, const OutputHead& head, const OutputTable& table);

// text as a JSON string. Each byte that is not part of a well-formed UTF-8 sequence is written
// as U+FFFD, so any text (a path, say) gives a string that strict parsers accept.
std::string JsonString(std::string_view text);

// The absolute path of fileName in the working directory; nothing, with errno set, when the
// working directory cannot be found.
std::optional<std::string> AbsoluteWorkingPath(std::string_view fileName);

// The absolute path of ./ResistorLibrary.txt; nothing, with errno set, when the working
// directory cannot be found.
std::optional<std::string> AbsoluteLibraryPath(const StockKind& kind = kResistors);

// "library", "library_sha256" and "library_bytes": the absolute path of ./ResistorLibrary.txt,
// the SHA-256 of the bytes the reader takes (all of them, or the first 10240 of a longer file)
// and the file's size, for the head of a JSON document. A failed read throws FileError.
// Capacitors and inductors also name the stock and the unit their numbers are held in.
OutputHead LibraryHead(IFileService& files, const StockKind& kind = kResistors);

}  // namespace vantrel
