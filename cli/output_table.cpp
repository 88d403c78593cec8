#include "output_table.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <utility>

#include "inventory_import.h"
#include "library_file.h"
#include "utf8.h"

namespace vantrel {
namespace {

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string JsonValue(const table::Cell& cell) {
  if (cell.list) {
    std::string text = "[";
    for (const auto& object : cell.objects) {
      text += text.size() > 1 ? ", {" : "{";
      for (std::size_t i = 0; i < object.size(); ++i) {
        const table::JsonMember& member = object[i];
        text += (i > 0 ? ", " : "") + JsonString(member.name) + ": " +
                (member.raw ? member.text : JsonString(member.text));
      }
      text += "}";
    }
    return text + "]";
  }
  return cell.raw ? cell.text : JsonString(cell.text);
}

}  // namespace

std::string JsonString(std::string_view text) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t length = Utf8Length(text.substr(i));
    if (length == 0) {
      quoted += "\\ufffd";
      ++i;
      continue;
    }
    if (length > 1) {
      quoted += text.substr(i, length);
    } else if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (byte < 0x20) {
      quoted += "\\u00";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 0xf];
    } else {
      quoted += c;
    }
    i += length;
  }
  return quoted + '"';
}

const std::vector<std::string_view>& OutputFormatNames() {
  static const std::vector<std::string_view> names = {"text", "tsv", "csv", "json"};
  return names;
}

OutputFormat OutputFormatNamed(const std::string* name) {
  const auto& names = OutputFormatNames();
  for (std::size_t i = 0; name && i < names.size(); ++i) {
    if (names[i] == *name) return static_cast<OutputFormat>(i);
  }
  return OutputFormat::kText;
}

RowWriter::RowWriter(OutputFormat format, const OutputHead& head, std::vector<std::string> columns,
                     std::ostream& out)
    : m_format(format), m_columns(std::move(columns)), m_out(out) {
  if (m_format == OutputFormat::kJson) {
    std::string text = "{\n";
    for (const auto& [name, cell] : head) {
      text += "  " + JsonString(name) + ": " + JsonValue(cell) + ",\n";
    }
    m_out << text << "  \"rows\": [";
    return;
  }
  std::vector<table::Cell> names;
  for (const std::string& column : m_columns) names.push_back(table::TextCell(column));
  Row(names);
  m_first = true;
}

void RowWriter::Row(const std::vector<table::Cell>& cells) {
  std::string text;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    switch (m_format) {
      case OutputFormat::kJson:
        text += (i ? ", " : "") + JsonString(m_columns[i]) + ": " + JsonValue(cells[i]);
        break;
      case OutputFormat::kCsv:
        if (i > 0) text += ',';
        text += CsvField(cells[i].text);
        break;
      default:
        text += (i ? "\t" : "") + cells[i].text;
        break;
    }
  }
  if (m_format == OutputFormat::kJson) {
    m_out << (m_first ? "\n    {" : ",\n    {") << text << '}';
  } else {
    m_out << text << (m_format == OutputFormat::kCsv ? "\r\n" : "\n");
  }
  m_first = false;
}

void RowWriter::Finish() {
  if (m_format == OutputFormat::kJson) m_out << (m_first ? "]\n}\n" : "\n  ]\n}\n");
  m_out << std::flush;
}

std::string WriteFormatted(OutputFormat format, const OutputHead& head, const OutputTable& table) {
  std::ostringstream text;
  RowWriter writer(format, head, table.columns, text);
  for (const auto& row : table.rows) writer.Row(row);
  writer.Finish();
  return text.str();
}

std::optional<std::string> AbsoluteWorkingPath(std::string_view fileName) {
  char directory[PATH_MAX];
  if (::getcwd(directory, sizeof directory) == nullptr) return std::nullopt;
  return std::string(directory).append(directory[1] ? "/" : "").append(fileName);
}

std::optional<std::string> AbsoluteLibraryPath(const StockKind& kind) {
  return AbsoluteWorkingPath(kind.fileName);
}

OutputHead LibraryHead(IFileService& files, const StockKind& kind) {
  const std::optional<std::string> path = AbsoluteLibraryPath(kind);
  if (!path) {
    throw FileError("find the working directory of", std::string(kind.fileName),
                    std::strerror(errno));
  }
  const LibraryBytes read = ReadLibraryBytes(files, kind);
  OutputHead head;
  if (kind.part != PartKind::kResistor) {
    head.push_back({"stock", table::TextCell(std::string(kind.plural))});
    head.push_back({"unit", table::TextCell(kind.part == PartKind::kCapacitor ? "pF" : "nH")});
  }
  head.push_back({"library", table::TextCell(*path)});
  head.push_back({"library_sha256", table::TextCell(drawer::Sha256Hex(read.bytes))});
  head.push_back({"library_bytes", table::NumberCell(static_cast<std::uint64_t>(read.size))});
  return head;
}

}  // namespace vantrel
