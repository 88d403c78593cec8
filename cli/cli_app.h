#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "editor_launch.h"
#include "library_file.h"
#include "services.h"

namespace vantrel {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Lines the library read took otherwise than a reader may expect, one note each on err.
void ReportReadNotes(const ReadReport& report, std::ostream& err);

// Runs vantrel-cli with args (program name excluded), writing results to out and messages and
// errors to err; returns the exit status. The working directory changes with -C.
int RunCli(const std::vector<std::string>& args, Services& services, std::ostream& out,
           std::ostream& err);

// As above, with edit starting its editor through editor instead of the terminal launcher on
// the process environment.
int RunCli(const std::vector<std::string>& args, Services& services, IEditorLauncher& editor,
           std::ostream& out, std::ostream& err);

}  // namespace vantrel
