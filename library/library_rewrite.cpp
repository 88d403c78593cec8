#include "library_rewrite.h"

#include <algorithm>
#include <vector>

namespace vantrel {

const char* IncompleteReadMessage(const ReadReport& report) {
  if (report.fileTooLong) return kLibraryTooLongMessage;
  if (report.valuesBeyondTable > 0) return kLibraryTooManyMessage;
  if (report.textAfterNul) return kLibraryNulMessage;
  if (report.piecesSpanningLines > 0) return kLibraryLineFeedMessage;
  return nullptr;
}

bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report) {
  return MergeIntoLibraryFile(services, table, {}, report);
}

bool MergeIntoLibraryFile(Services& services, LibraryTable& table, std::span<const float> added,
                          RewriteReport* report) {
  RewriteReport local;
  RewriteReport& out = report ? *report : local;
  out = {};
  if (!ReadLibraryFile(services, table, &out.read)) return false;
  if (const char* message = IncompleteReadMessage(out.read)) {
    services.messages.Show({message});
    return false;
  }
  const std::int32_t before = table.count;
  NormaliseLibrary(table);
  out.duplicatesRemoved = before - table.count;
  if (!added.empty()) {
    std::vector<float> merged(table.values.begin(), table.values.begin() + table.count);
    merged.insert(merged.end(), added.begin(), added.end());
    const std::int32_t count =
        RemoveDuplicates(merged.data(), static_cast<std::int32_t>(merged.size()));
    if (count > LibraryTable::kCapacity) {
      services.messages.Show({kLibraryMergeTooManyMessage});
      return false;
    }
    SortAscending(merged.data(), count);
    out.valuesAdded = count - table.count;
    std::copy(merged.begin(), merged.begin() + count, table.values.begin());
    table.count = count;
  }
  const std::string text = LibraryFileText(table.values.data(), table.count);
  if (text.size() > kLibraryReadLimit) {
    services.messages.Show({kLibraryWouldGrowMessage});
    return false;
  }
  return WriteLibraryText(services, text, kLibraryPath);
}

}  // namespace vantrel
