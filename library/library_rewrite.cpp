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
  const std::string text = LibraryFileText(table.values.data(), table.count);
  if (text.size() > kLibraryReadLimit) {
    services.messages.Show({kLibraryWouldGrowMessage});
    return false;
  }
  return WriteLibraryText(services, text, kLibraryPath);
}

}  // namespace vantrel
