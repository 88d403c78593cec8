#include "csv_records.h"

#include <algorithm>

#include <csv.h>

#include "number_text.h"
#include "utf8.h"

namespace vantrel::drawer {
namespace {

// libcsv's parser, with the record being read.
class Parser {
 public:
  Parser(char separator) : m_separator(separator) { Start(); }
  ~Parser() { csv_free(&m_parser); }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // Feeds one line and its line end; false when libcsv finds them malformed.
  bool Feed(std::string_view line) {
    return csv_parse(&m_parser, line.data(), line.size(), OnField, OnRecord, this) == line.size();
  }
  // Ends the text; false when a quoted field is still open.
  bool Finish() { return csv_fini(&m_parser, OnField, OnRecord, this) == 0; }
  // Forgets a malformed record and starts afresh.
  void Reset() {
    csv_free(&m_parser);
    m_fields.clear();
    m_ended = false;
    Start();
  }

  // True once, after the record fed so far has ended; its fields are taken.
  bool TakeEnded(std::vector<std::string>& fields) {
    if (!m_ended) return false;
    m_ended = false;
    fields = std::move(m_fields);
    m_fields.clear();
    return true;
  }

 private:
  void Start() {
    csv_init(&m_parser, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_delim(&m_parser, static_cast<unsigned char>(m_separator));
  }

  static void OnField(void* text, std::size_t size, void* self) {
    static_cast<Parser*>(self)->m_fields.emplace_back(static_cast<const char*>(text), size);
  }
  static void OnRecord(int, void* self) { static_cast<Parser*>(self)->m_ended = true; }

  csv_parser m_parser{};
  char m_separator;
  std::vector<std::string> m_fields;
  bool m_ended = false;
};

}  // namespace

char SniffSeparator(std::string_view headerLine) {
  std::size_t commas = 0;
  std::size_t semicolons = 0;
  std::size_t tabs = 0;
  bool quoted = false;
  for (char c : headerLine) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == ',') ++commas;
    if (c == ';') ++semicolons;
    if (c == '\t') ++tabs;
  }
  if (tabs > commas && tabs > semicolons) return '\t';
  return semicolons > commas ? ';' : ',';
}

namespace {

// Whether a line holds a separator of either kind, as a header does.
bool HoldsSeparator(std::string_view line) {
  return line.find_first_of(",;") != std::string_view::npos;
}

}  // namespace

CsvText ReadCsvRecords(std::string_view text, char separator, CsvComments comments,
                       CsvLineBreaks lineBreaks) {
  CsvText read;
  Parser parser(separator);
  bool open = false;  // a record has started and not ended
  CsvRecord record;
  int line = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    const std::string_view content = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n' && (pos == end || text[pos - 1] == '\r')) ++pos;
    // The line end as written, so that a quoted field keeps its line breaks.
    const std::string_view lineEnd = text.substr(end, pos - end);
    ++line;
    if (!open) {
      if (TrimCSpace(content).empty()) continue;
      const bool comment =
          content.starts_with('#') &&
          (comments == CsvComments::kEvery || !read.records.empty() || !HoldsSeparator(content));
      if (comment) {
        read.comments.push_back({line, std::string(content), read.records.size()});
        continue;
      }
      record = {line, std::string(content), {}};
    } else {
      record.text.append("\n").append(content);
    }
    if (!parser.Feed(content) || !parser.Feed(lineEnd)) {
      read.faults.push_back({record.line, std::move(record.text),
                             "a quote inside a field that is not quoted, or text after a "
                             "field's closing quote"});
      parser.Reset();
      open = false;
      continue;
    }
    open = !parser.TakeEnded(record.fields);
    if (open && lineBreaks == CsvLineBreaks::kNever && pos < text.size()) {
      read.faults.push_back({record.line, std::move(record.text),
                             "a quote opened and not closed before the line ends"});
      parser.Reset();
      open = false;
      continue;
    }
    if (!open) read.records.push_back(std::move(record));
  }
  // The last line may end without a line end, or inside quotes.
  if (open) {
    if (parser.Finish() && parser.TakeEnded(record.fields)) {
      read.records.push_back(std::move(record));
    } else {
      read.faults.push_back(
          {record.line, std::move(record.text), "a quoted field that is never closed"});
    }
  }
  return read;
}

std::string CsvField(std::string_view text, char separator) {
  const bool plain =
      text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos &&
      TrimCSpace(text).size() == text.size();
  if (plain) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

CsvSheet ReadCsvSheet(std::string_view bytes, std::string_view name) {
  constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";
  CsvSheet sheet;
  std::string_view text = bytes;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  if (const std::size_t bad = FirstNonUtf8(text); bad != std::string_view::npos) {
    const auto line =
        1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(bad), '\n');
    sheet.refusal = SheetSource(name, static_cast<int>(line)) +
                    ": a byte that is no UTF-8; save the file as UTF-8 text and try again";
    return sheet;
  }
  std::string_view headerLine;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!TrimCSpace(line).empty() && (!line.starts_with('#') || HoldsSeparator(line))) {
      headerLine = line;
      break;
    }
  }
  sheet.csv = ReadCsvRecords(text, SniffSeparator(headerLine), CsvComments::kAfterHeader,
                             CsvLineBreaks::kInQuotes);
  return sheet;
}

std::string SheetSource(std::string_view name, int line) {
  return std::string(name) + ":" + std::to_string(line);
}

std::string MatchKey(std::string_view field) {
  std::string key(TrimCSpace(field));
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

std::optional<std::size_t> ColumnOf(const std::vector<std::string>& header,
                                    std::string_view names) {
  for (std::size_t start = 0; start <= names.size();) {
    const std::size_t bar = std::min(names.find('|', start), names.size());
    const auto found = std::find(header.begin(), header.end(), names.substr(start, bar - start));
    if (found != header.end()) return static_cast<std::size_t>(found - header.begin());
    start = bar + 1;
  }
  return std::nullopt;
}

}  // namespace vantrel::drawer
