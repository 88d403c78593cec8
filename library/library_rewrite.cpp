#include "library_rewrite.h"

namespace vantrel {

bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report) {
  RewriteReport local;
  if (!ReadLibraryFile(services, table, &local.read)) return false;
  if (report) *report = local;
  if (local.read.fileTooLong) {
    services.messages.Show({kLibraryTooLongMessage});
    return false;
  }
  if (local.read.valuesBeyondTable > 0) {
    services.messages.Show({kLibraryTooManyMessage});
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
