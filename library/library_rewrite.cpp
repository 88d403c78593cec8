#include "library_rewrite.h"

namespace vantrel {

const char* IncompleteReadMessage(const ReadReport& report) {
  if (report.fileTooLong) return kLibraryTooLongMessage;
  if (report.valuesBeyondTable > 0) return kLibraryTooManyMessage;
  if (report.textAfterNul) return kLibraryNulMessage;
  if (report.piecesSpanningLines > 0) return kLibraryLineFeedMessage;
  return nullptr;
}

bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report) {
  RewriteReport local;
  if (!ReadLibraryFile(services, table, &local.read)) return false;
  if (report) *report = local;
  if (const char* message = IncompleteReadMessage(local.read)) {
    services.messages.Show({message});
    return false;
  }
  const std::int32_t before = table.count;
  NormaliseLibrary(table);
  local.duplicatesRemoved = before - table.count;
  if (report) *report = local;
  const std::string text = LibraryFileText(table.values.data(), table.count);
  if (text.size() > kLibraryReadLimit) {
    services.messages.Show({kLibraryWouldGrowMessage});
    return false;
  }
  return WriteLibraryText(services, text, kLibraryPath);
}

}  // namespace vantrel
