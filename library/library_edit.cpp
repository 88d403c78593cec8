#include "library_edit.h"

#include "library_file.h"

namespace vantrel {

bool EditLibrary(Services& services, IEditorLauncher& launcher, IWaiter& waiter,
                 LibraryTable& table, RewriteReport* report) {
  return EditLibrary(services, kResistors, launcher, waiter, table, report);
}

bool EditLibrary(Services& services, const StockKind& kind, IEditorLauncher& launcher,
                 IWaiter& waiter, LibraryTable& table, RewriteReport* report) {
  const std::string fileName(kind.fileName);
  EditorStart started = launcher.Start(fileName);
  if (!started.session) {
    services.messages.Show({started.failure});
    return false;
  }
  while (started.session->IsOpen()) waiter.WaitMilliseconds(kEditorPollMilliseconds);
  // As with version-control tools, a failed editor aborts: its file may be half written.
  if (const std::string failure = started.session->Failure(); !failure.empty()) {
    services.messages.Show({failure + ", so " + fileName + " was not rewritten."});
    return false;
  }
  return RewriteLibraryFile(services, kind, table, report);
}

}  // namespace vantrel
