#include "library_rewrite.h"

namespace vantrel {

const char* IncompleteReadMessage(const ReadReport& report) {
  if (report.fileTooLong) return kLibraryTooLongMessage;
  if (report.valuesBeyondTable > 0) return kLibraryTooManyMessage;
  if (report.textAfterNul) return kLibraryNulMessage;
  if (report.piecesSpanningLines > 0) return kLibraryLineFeedMessage;
  return nullptr;
}

namespace {

// One read, normalisation and write; sets changed when another program changed the file
// between the read and the write, which then did not happen.
bool RewriteOnce(Services& services, LibraryTable& table, RewriteReport& out, bool& changed) {
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
  const ReplaceOutcome outcome = services.files.ReplaceFile(kLibraryPath, text, out.read.identity);
  changed = outcome == ReplaceOutcome::kChanged;
  if (outcome == ReplaceOutcome::kCannotCreate) services.messages.Show({kWriteErrorMessage});
  return outcome == ReplaceOutcome::kReplaced;
}

}  // namespace

bool RewriteLibraryFile(Services& services, LibraryTable& table, RewriteReport* report) {
  RewriteReport local;
  RewriteReport& out = report ? *report : local;
  for (int attempt = 0; attempt < kRewriteAttempts; ++attempt) {
    bool changed = false;
    const bool rewritten = RewriteOnce(services, table, out, changed);
    if (!changed) return rewritten;
  }
  services.messages.Show({kLibraryChangedMessage});
  return false;
}

}  // namespace vantrel
