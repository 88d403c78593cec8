#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::drawer {

// One record of a delimited text file, with where it stood.
struct CsvRecord {
  int line = 0;                     // the line it starts on, counted from 1
  std::string text;                 // its lines as written, joined by LF, without line ends
  std::vector<std::string> fields;  // unquoted as RFC 4180 says
};

// A line that starts with '#' outside a quoted field, where such a line is a comment.
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

// The separator a header line uses: a tab where it has more of them outside quotes than ','
// and ';', else ';' where it has more of them than ',', else ','.
char SniffSeparator(std::string_view headerLine);

// Which lines that start with '#' between records are comments rather than records.
enum class CsvComments {
  kEvery,  // every one: a file of Vantrel's own, whose header never starts with '#'
  // one after the first record (the header), or one with no ',' or ';': another program's
  // header may start with '#' ("#,Mouser #,..." or "#PartId,Quantity")
  kAfterHeader,
};

// Whether a quoted field may hold a line break. Where it may not, a quote left open at the end
// of a line is a fault of that line alone, and the next line is read on its own.
enum class CsvLineBreaks { kInQuotes, kNever };

// Splits text (no byte order mark) into records with libcsv. CR LF, LF and CR end lines; blank
// lines and comment lines between records are no records. A malformed record is named in
// faults and reading goes on at the line after it.
CsvText ReadCsvRecords(std::string_view text, char separator, CsvComments comments,
                       CsvLineBreaks lineBreaks);

// A sheet a user gives, read whole: its records, or why it cannot be read.
struct CsvSheet {
  CsvText csv;
  std::string refusal;  // "name:3: a byte that is no UTF-8; ..."; empty when it was read
};

// Reads bytes named name: a UTF-8 byte order mark is skipped, a byte that is no UTF-8 refuses
// the sheet, and the records are split (CsvComments::kAfterHeader, line breaks in quotes) with
// the separator of the header, the first line neither blank nor a comment.
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

}  // namespace vantrel::drawer
