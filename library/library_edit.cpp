#include "library_edit.h"

#include "library_file.h"

namespace vantrel {

bool EditLibrary(Services& services, IEditorLauncher& launcher, IWaiter& waiter,
                 LibraryTable& table, RewriteReport* report) {
  EditorStart started = launcher.Start(kLibraryFileName);
  if (!started.session) {
    services.messages.Show({started.failure});
    return false;
  }
  while (started.session->IsOpen()) waiter.WaitMilliseconds(kEditorPollMilliseconds);
  // As with version-control tools, a failed editor aborts: its file may be half written.
  if (const std::string failure = started.session->Failure(); !failure.empty()) {
    services.messages.Show({failure + ", so " + kLibraryFileName + " was not rewritten."});
    return false;
  }
  return RewriteLibraryFile(services, table, report);
}

}  // namespace vantrel
