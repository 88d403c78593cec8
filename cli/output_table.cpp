#include "output_table.h"

#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>

#include "library_file.h"
#include "sha256.h"

namespace vantrel {
namespace {

template <typename T>
std::string Shortest(T value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string JsonString(std::string_view text) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
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
  }
  return quoted + '"';
}

std::string JsonValue(const Cell& cell) {
  return cell.number ? cell.text : JsonString(cell.text);
}

}  // namespace

const std::vector<std::string_view>& OutputFormatNames() {
  static const std::vector<std::string_view> names = {"text", "tsv", "csv", "json"};
  return names;
}

OutputFormat OutputFormatNamed(std::string_view name) {
  const auto& names = OutputFormatNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<OutputFormat>(i);
  }
  return OutputFormat::kText;
}

Cell NumberCell(double value) {
  return {Shortest(value), true};
}

Cell NumberCell(float value) {
  return {Shortest(value), true};
}

Cell TextCell(std::string text) {
  return {std::move(text), false};
}

std::string WriteTsv(const OutputTable& table) {
  std::string text;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    text += (i ? "\t" : "") + table.columns[i];
  }
  text += '\n';
  for (const auto& row : table.rows) {
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? "\t" : "") + row[i].text;
    text += '\n';
  }
  return text;
}

std::string WriteCsv(const OutputTable& table) {
  std::string text;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    text += (i ? "," : "") + CsvField(table.columns[i]);
  }
  text += "\r\n";
  for (const auto& row : table.rows) {
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? "," : "") + CsvField(row[i].text);
    text += "\r\n";
  }
  return text;
}

std::string WriteJson(const std::vector<std::pair<std::string, Cell>>& head,
                      const OutputTable& table) {
  std::string text = "{\n";
  for (const auto& [name, cell] : head) {
    text += "  " + JsonString(name) + ": " + JsonValue(cell) + ",\n";
  }
  text += "  \"rows\": [";
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    text += r ? ",\n    {" : "\n    {";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      text += (i ? ", " : "") + JsonString(table.columns[i]) + ": " + JsonValue(table.rows[r][i]);
    }
    text += "}";
  }
  return text + (table.rows.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::string WriteFormatted(OutputFormat format, const OutputHead& head, const OutputTable& table) {
  switch (format) {
    case OutputFormat::kTsv:
      return WriteTsv(table);
    case OutputFormat::kCsv:
      return WriteCsv(table);
    default:
      return WriteJson(head, table);
  }
}

OutputHead LibraryHead(IFileService& files) {
  char directory[PATH_MAX];
  if (::getcwd(directory, sizeof directory) == nullptr) {
    throw FileError("find the working directory of", kLibraryFileName, std::strerror(errno));
  }
  const std::string path = std::string(directory) + (directory[1] ? "/" : "") + kLibraryFileName;
  return {{"library", TextCell(path)},
          {"library_sha256", TextCell(Sha256Hex(ReadWholeLibraryFile(files)))}};
}

}  // namespace vantrel
