#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// One record of a delimited text file, with where it stood.
struct CsvRecord {
  int line = 0;                     // the line it starts on, counted from 1
  std::string text;                 // its lines as written, joined by LF, without line ends
  std::vector<std::string> fields;  // unquoted as RFC 4180 says
};

// A line that starts with '#' outside a quoted field.
struct CsvComment {
  int line = 0;
  std::string text;
  std::size_t beforeRecord = 0;  // the number of records read before it
};

// A stretch of lines that is no CSV (a quote opened and never closed, text after a closing
// quote), with the parser's reason.
struct CsvFault {
  int line = 0;
  std::string text;
  std::string reason;
};

struct CsvText {
  std::vector<CsvRecord> records;
  std::vector<CsvComment> comments;
  std::vector<CsvFault> faults;
};

// The separator a header line uses: ';' where it has more of them outside quotes than ',',
// else ','.
char SniffSeparator(std::string_view headerLine);

// Splits text (no byte order mark) into records with libcsv. CR LF, LF and CR end lines; blank
// lines and lines that start with '#' between records are no records (the latter are comments
// when keepComments, else records like any other). A malformed record is named in faults and
// reading goes on at the line after it.
CsvText ReadCsvRecords(std::string_view text, char separator, bool keepComments);

// A sheet a user gives, read whole: its records, or why it cannot be read.
struct CsvSheet {
  CsvText csv;
  std::string refusal;  // "name:3: a byte that is no UTF-8; ..."; empty when it was read
};

// Reads bytes named name: a UTF-8 byte order mark is skipped, a byte that is no UTF-8 refuses
// the sheet, and the records are split (keeping comments) with the separator of the header,
// the first line neither blank nor a comment.
CsvSheet ReadCsvSheet(std::string_view bytes, std::string_view name);

// "name:line", where a message places a line of a sheet.
std::string SheetSource(std::string_view name, int line);

// A field as names and packages are compared: trimmed, in ASCII lower case.
std::string MatchKey(std::string_view field);

// The first column of header (fields as HeaderName gives them) named by any of names, written
// "a|b|c"; none when no column is.
std::optional<std::size_t> ColumnOf(const std::vector<std::string>& header, std::string_view names);

// The field as a CSV file writes it: quoted, with quotes doubled, when it holds the separator,
// a quote, a line break, or white space at either end.
std::string CsvField(std::string_view text, char separator = ',');

}  // namespace vantrel
