#pragma once

#include <iosfwd>

namespace vantrel {

// Answers --help and --version: writes the answer to out and returns true. Looked for before
// Qt starts, so neither needs a display nor touches the single-instance lock.
bool AnswerInfoOption(int argc, const char* const* argv, std::ostream& out);

// Refuses, before Qt starts and so without a display, an argument that is none of Qt's own
// options: writes the reason and the usage to err and returns true.
bool RefuseUnknownArguments(int argc, const char* const* argv, std::ostream& err);

// Refuses whatever is left on the command line once Qt has taken its own options (-platform,
// -style, ...) out of it: writes the reason and the usage to err and returns true.
bool RefuseLeftoverArguments(int argc, const char* const* argv, std::ostream& err);

}  // namespace vantrel
