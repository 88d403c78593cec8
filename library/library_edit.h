#pragma once

#include "editor_launch.h"
#include "library_rewrite.h"
#include "library_table.h"
#include "services.h"

namespace vantrel {

// How long the command waits between two looks at the editor.
inline constexpr int kEditorPollMilliseconds = 500;

// Opens ResistorLibrary.txt in the working directory in an editor, waits until the editor is
// closed (looking every 500 ms, with waiter between two looks), then reads, normalises and
// rewrites the file as RewriteLibraryFile does. Returns false, after showing a message, when
// no editor could be started or the editor failed (nothing is read or changed) or when the
// rewrite stopped. File errors throw FileError.
bool EditLibrary(Services& services, IEditorLauncher& launcher, IWaiter& waiter,
                 LibraryTable& table, RewriteReport* report = nullptr);

// As above, for kind's file.
bool EditLibrary(Services& services, const StockKind& kind, IEditorLauncher& launcher,
                 IWaiter& waiter, LibraryTable& table, RewriteReport* report = nullptr);

}  // namespace vantrel
