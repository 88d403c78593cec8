#include "command_line.h"

#include <ostream>
#include <string_view>

namespace vantrel {
namespace {

constexpr char kUsage[] = "usage: vantrel [QT-OPTION...]\n       vantrel --help | --version\n";
constexpr char kHelp[] =
    "\n"
    "Finds how to reach a target resistance with one resistor value from your stock, or two in\n"
    "parallel. The stock is the file ResistorLibrary.txt in the working folder (the home folder\n"
    "when started from the desktop menu). LibrarySetting opens it in VANTREL_EDITOR, else an\n"
    "installed desktop editor, else VISUAL or EDITOR in a terminal.\n"
    "\n"
    "  --help      Show this help.\n"
    "  --version   Show the version.\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted. vantrel-cli does the same work on\n"
    "the command line. See vantrel(1).\n";

}  // namespace

bool AnswerInfoOption(int argc, const char* const* argv, std::ostream& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out << kUsage << kHelp;
      return true;
    }
    if (arg == "--version") {
      out << VANTREL_VERSION << '\n';
      return true;
    }
  }
  return false;
}

bool RefuseLeftoverArguments(int argc, const char* const* argv, std::ostream& err) {
  if (argc <= 1) return false;
  err << "vantrel: unknown option \"" << argv[1] << "\"\n" << kUsage;
  return true;
}

}  // namespace vantrel
