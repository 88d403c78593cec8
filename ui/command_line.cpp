#include "command_line.h"

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string_view>

namespace vantrel {
namespace {

constexpr char kUsage[] = "usage: vantrel [QT-OPTION...]\n       vantrel --help | --version\n";
constexpr char kHelp[] =
    "\n"
    "Finds how to reach a target resistance with one resistor value from your stock,\n"
    "or two in parallel. The stock is the file ResistorLibrary.txt in the working\n"
    "folder (the home folder when started from the desktop menu). LibrarySetting\n"
    "opens it in VANTREL_EDITOR, else an installed desktop editor, else VISUAL or\n"
    "EDITOR in a terminal.\n"
    "\n"
    "  --help      Show this help.\n"
    "  --version   Show the version.\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted. vantrel-cli does the\n"
    "same work on the command line. See vantrel(1).\n";

// Qt's own options, as QGuiApplication and QApplication take them; Qt accepts one dash or two.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "name",          "title",
    "style",           "stylesheet"};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void Refuse(std::string_view arg, std::ostream& err) {
  err << "vantrel: unknown option \"" << arg << "\"\n" << kUsage;
}

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

bool RefuseUnknownArguments(int argc, const char* const* argv, std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    std::string_view name = argv[i];
    if (!name.starts_with('-')) {
      Refuse(argv[i], err);
      return true;
    }
    name.remove_prefix(name.starts_with("--") ? 2 : 1);
    if (name.starts_with("qmljsdebugger=")) continue;
    const std::size_t equals = name.find('=');
    const bool withValue = std::find(std::begin(kQtOptionsWithValue), std::end(kQtOptionsWithValue),
                                     name.substr(0, equals)) != std::end(kQtOptionsWithValue);
    if (withValue) {
      if (equals == std::string_view::npos) ++i;  // the value is the next word
      continue;
    }
    if (std::find(std::begin(kQtFlags), std::end(kQtFlags), name) == std::end(kQtFlags)) {
      Refuse(argv[i], err);
      return true;
    }
  }
  return false;
}

bool RefuseLeftoverArguments(int argc, const char* const* argv, std::ostream& err) {
  if (argc <= 1) return false;
  Refuse(argv[1], err);
  return true;
}

}  // namespace vantrel
