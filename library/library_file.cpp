#include "library_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel {
namespace {

constexpr std::string_view kSpaceOrNul{" \t\n\v\f\r\0", 7};
// Older Windows editors start a UTF-8 file with it.
constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";

// A plain test rather than find_first_of, which calls memchr for each byte of the file.
bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

struct FileStart {
  std::string bytes;  // up to one byte past the read limit
  FileIdentity identity;
  std::int64_t size = 0;  // of the whole file, when measured; else of bytes
};

// One byte past the limit tells whether the file was longer than what is parsed. With measure,
// a file that goes on is also read to its end when its size is below what was read: /proc
// files say 0 and sysfs files 4096, and a file may have grown since it was opened. Nothing
// when the file cannot be opened.
std::optional<FileStart> ReadFileStart(IFileService& files, bool measure, const StockKind& kind) {
  auto file = files.OpenForRead(std::string(kind.path));
  if (!file) return std::nullopt;
  FileStart start{file->Read(kLibraryReadLimit + 1), file->Identity()};
  start.size = static_cast<std::int64_t>(start.bytes.size());
  if (measure && start.bytes.size() > kLibraryReadLimit) {
    if (start.identity.size >= start.size) {
      start.size = start.identity.size;
    } else {
      constexpr std::size_t kChunk = 1 << 16;
      for (std::size_t got = kChunk; got == kChunk; start.size += static_cast<std::int64_t>(got))
        got = file->Read(kChunk).size();
    }
  }
  file->Close();
  return start;
}

}  // namespace

std::string_view LinePiece::Trimmed() const {
  return TrimCSpace(text);
}

std::string NotALibraryMessage(IFileService& files, const StockKind& kind) {
  const std::string what = files.NotRegularFile(std::string(kind.path));
  if (what.empty()) return {};
  return std::string(kind.fileName) + " is " + what +
         "; the library must be a regular file, or a symbolic link to one";
}

bool ReadLibraryFile(Services& services, LibraryTable& table, ReadReport* report,
                     ReadDetail detail) {
  return ReadLibraryFile(services, kResistors, table, report, detail);
}

bool ReadLibraryFile(Services& services, const StockKind& kind, LibraryTable& table,
                     ReadReport* report, ReadDetail detail) {
  // Closed before the table changes, so a failed close leaves it as it was.
  const std::optional<FileStart> start = ReadFileStart(services.files, false, kind);
  if (!start) {
    services.messages.Show({MissingLibraryMessage(kind)});
    return false;
  }
  const std::string& bytes = start->bytes;
  ReadReport local;
  local.identity = start->identity;
  local.fileTooLong = bytes.size() > kLibraryReadLimit;
  std::string_view text(bytes.data(), std::min(bytes.size(), kLibraryReadLimit));
  // The text goes on past the limit unless a NUL ends it first.
  bool cutByLimit = local.fileTooLong;
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    local.textAfterNul = text.find_first_not_of(kSpaceOrNul, nul) != std::string_view::npos;
    text = text.substr(0, nul);
    cutByLimit = false;
  }
  if (text.starts_with(kByteOrderMark)) {
    local.byteOrderMark = true;
    text.remove_prefix(kByteOrderMark.size());
  }

  // CR, LF and CR LF all end a line; a run of line ends is one separator.
  const bool everyPiece = report && detail == ReadDetail::kAll;
  std::int32_t count = 0;
  int line = 1;
  std::size_t pos = 0;
  while (true) {
    for (; pos < text.size() && IsLineEnd(text[pos]); ++pos) {
      if (text[pos] == '\r' || pos == 0 || text[pos - 1] != '\r') ++line;
    }
    if (pos == text.size()) break;
    std::size_t end = pos;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    const std::string_view piece = text.substr(pos, end - pos);
    const auto linePiece = [&] { return LinePiece{line, std::string(piece)}; };
    pos = end;
    // Text that the limit cut may be a shorter number than the one in the file.
    if (pos == text.size() && cutByLimit) {
      if (piece.find_first_not_of(kSpaceOrNul) != std::string_view::npos) {
        local.cutPiece = linePiece();
      }
      break;
    }

    double value = 0;
    if (kind.part == PartKind::kResistor) {
      value = ParseAtof(piece);
      if (report) {
        if (const std::optional<double> written = NotationValue(piece)) {
          local.notationPieces.push_back({linePiece(), value, *written});
        } else if (IsReactiveNotation(piece)) {
          local.refusedPieces.push_back(
              {linePiece(), "capacitor or inductor notation, not a resistor value", value});
        }
      }
    } else {
      const KindValue read = ParseKindValue(kind, piece);
      if (!read.refusal.empty()) {
        if (report) local.refusedPieces.push_back({linePiece(), read.refusal, std::nullopt});
        continue;
      }
      value = read.held.value_or(0);
    }
    if (value == 0.0) {
      if (everyPiece) {
        if (ScanDecimal(TrimCSpace(piece), 0, "eEdD").HasDigits()) ++local.zeroValues;
        local.unusedPieces.push_back(linePiece());
      }
      continue;
    }
    const float stored = RoundToFloat(value);
    if (std::isinf(stored)) {
      if (everyPiece) local.infinitePieces.push_back(linePiece());
      continue;
    }
    if (count == LibraryTable::kCapacity) {
      ++local.valuesBeyondTable;
      continue;
    }
    table.values[static_cast<std::size_t>(count++)] = stored;
    if (everyPiece) {
      local.valuePieces.push_back(linePiece());
      local.valuesAsRead.push_back(value);
    }
  }
  table.count = count;
  if (report) *report = std::move(local);
  return true;
}

LibraryBytes ReadLibraryBytes(IFileService& files, const StockKind& kind) {
  std::optional<FileStart> start = ReadFileStart(files, true, kind);
  if (!start) throw FileError("read", std::string(kind.path), "the file cannot be opened");
  LibraryBytes read;
  read.goesOn = start->bytes.size() > kLibraryReadLimit;
  start->bytes.resize(std::min(start->bytes.size(), kLibraryReadLimit));
  read.bytes = std::move(start->bytes);
  read.size = start->size;
  return read;
}

std::int32_t RemoveDuplicates(float* values, std::int32_t count) {
  // Sorted by value and then by place, equal values are neighbours and the first of each run is
  // the one kept: n log n steps where comparing every pair cost more than a full calc's search.
  // A key holds the value's bits turned to ascend (-0 as 0, which it equals) above its place.
  std::vector<std::uint64_t> keys(static_cast<std::size_t>(std::max(count, 0)));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto bits = std::bit_cast<std::uint32_t>(values[i] == 0 ? 0.0f : values[i]);
    const std::uint32_t ascending = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
    keys[i] = std::uint64_t{ascending} << 32 | i;
  }
  std::sort(keys.begin(), keys.end());
  std::vector<bool> repeat(keys.size(), false);
  for (std::size_t k = 1; k < keys.size(); ++k) {
    const auto place = static_cast<std::uint32_t>(keys[k]);
    // NaN equals nothing, itself included, so each one stays.
    if (values[place] == values[static_cast<std::uint32_t>(keys[k - 1])]) repeat[place] = true;
  }
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!repeat[static_cast<std::size_t>(i)]) values[kept++] = values[i];
  }
  return kept;
}

void SortAscending(float* values, std::int32_t count) {
  // Stable, so of equal values (0 and -0) the first stays first.
  std::stable_sort(values, values + std::max(count, 0));
}

void NormaliseLibrary(LibraryTable& table) {
  const std::int32_t count = RemoveDuplicates(table.values.data(), table.count);
  SortAscending(table.values.data(), count);
  table.count = count;
}

std::string LibraryFileText(const float* values, std::int32_t count) {
  std::string text;
  for (std::int32_t i = 0; i < count; ++i) {
    text += FormatFixed(values[i], 2);
    text += "\r\n";
  }
  return text;
}

std::string KindFileText(const StockKind& kind, std::span<const double> held) {
  std::string text;
  for (double value : held) text.append(KindValueText(kind, value)).append("\r\n");
  return text;
}

bool WriteLibraryText(Services& services, std::string_view text, const std::string& path) {
  if (services.files.ReplaceFile(path, text, std::nullopt) == ReplaceOutcome::kCannotCreate) {
    services.messages.Show({kWriteErrorMessage});
    return false;
  }
  return true;
}

bool WriteLibraryFile(Services& services, const float* values, std::int32_t count,
                      const std::string& path) {
  return WriteLibraryText(services, LibraryFileText(values, count), path);
}

}  // namespace vantrel
