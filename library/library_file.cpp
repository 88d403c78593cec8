#include "library_file.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "number_text.h"

namespace vantrel {
namespace {

constexpr std::string_view kSpace = " \t\n\v\f\r";
constexpr std::string_view kSpaceOrNul{" \t\n\v\f\r\0", 7};

// Only carriage returns separate values, so a line after a bare line feed is never read.
bool SpansLines(std::string_view piece) {
  const std::size_t start = piece.find_first_not_of(kSpace);
  if (start == std::string_view::npos) return false;
  const std::size_t lineFeed = piece.find('\n', start);
  return lineFeed != std::string_view::npos &&
         piece.find_first_not_of(kSpace, lineFeed) != std::string_view::npos;
}

}  // namespace

bool ReadLibraryFile(Services& services, LibraryTable& table, ReadReport* report) {
  auto file = services.files.OpenForRead(kLibraryPath);
  if (!file) {
    services.messages.Show({kLibraryMissingMessage});
    return false;
  }
  // One byte past the limit tells whether the file was longer than what is parsed.
  std::string bytes = file->Read(kLibraryReadLimit + 1);
  file->Close();  // before the table changes, so a failed close leaves it as it was
  ReadReport local;
  local.identity = file->Identity();
  local.fileTooLong = bytes.size() > kLibraryReadLimit;
  std::string_view text(bytes.data(), std::min(bytes.size(), kLibraryReadLimit));
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    local.textAfterNul = text.find_first_not_of(kSpaceOrNul, nul) != std::string_view::npos;
    text = text.substr(0, nul);
  }

  // Pieces are split at carriage returns only; runs of them count as one separator.
  std::int32_t count = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t begin = text.find_first_not_of('\r', pos);
    if (begin == std::string_view::npos) break;
    const std::size_t end = std::min(text.find('\r', begin), text.size());
    const std::string_view piece = text.substr(begin, end - begin);
    pos = end;
    if (SpansLines(piece)) ++local.piecesSpanningLines;

    const double value = ParseAtof(piece);
    if (value == 0.0) {
      local.unusedPieces.emplace_back(piece);
      continue;
    }
    const float stored = RoundToFloat(value);
    if (std::isinf(stored)) {
      local.infinitePieces.emplace_back(piece);
      continue;
    }
    if (count == LibraryTable::kCapacity) {
      ++local.valuesBeyondTable;
      continue;
    }
    table.values[static_cast<std::size_t>(count++)] = stored;
  }
  table.count = count;
  if (report) *report = std::move(local);
  return true;
}

std::int32_t RemoveDuplicates(float* values, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    for (std::int32_t j = i + 1; j < count;) {
      if (values[j] == values[i]) {
        for (std::int32_t k = j; k + 1 < count; ++k) values[k] = values[k + 1];
        --count;
      } else {
        ++j;
      }
    }
  }
  return count;
}

void SortAscending(float* values, std::int32_t count) {
  // A bubble sort whose rising value stays in a register: the same comparisons and swaps as
  // swapping in memory, several times faster on a full table.
  for (std::int32_t m = count - 1; m >= 1; --m) {
    float rising = values[0];
    for (std::int32_t i = 0; i < m; ++i) {
      const float next = values[i + 1];
      if (rising > next) {
        values[i] = next;
      } else {
        values[i] = rising;
        rising = next;
      }
    }
    values[m] = rising;
  }
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
