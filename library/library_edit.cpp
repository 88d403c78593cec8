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
  return RewriteLibraryFile(services, table, report);
}

}  // namespace vantrel
