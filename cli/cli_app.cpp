#include "cli_app.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "calculate.h"
#include "command_args.h"
#include "divider_command.h"
#include "find_command.h"
#include "library_edit.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "resistor_notation.h"

namespace vantrel {
namespace {

constexpr char kVersion[] = "1.0.0.1";

constexpr char kUsage[] =
    "usage: vantrel-cli [-C DIR] calc TARGET PRECISION [--rows N]\n"
    "       vantrel-cli [-C DIR] find TARGET [--parts N] [--tolerance P] [--top K | --all]\n"
    "                   [--exclude V]... [--distinct] [--part-tolerance T]\n"
    "       vantrel-cli [-C DIR] divider VIN VOUT [--parts N] [--tolerance P] [--top K | --all]\n"
    "                   [--min-total R] [--max-total R] [--exclude V]... [--distinct]\n"
    "       vantrel-cli [-C DIR] normalise\n"
    "       vantrel-cli [-C DIR] edit\n"
    "       vantrel-cli --help | --version\n";

constexpr char kHelp[] =
    "Finds resistor values, alone, two in parallel or in networks of up to four, that\n"
    "reach a target value, and voltage divider pairs.\n"
    "\n"
    "The library is the file ResistorLibrary.txt in the working directory: one value per\n"
    "line; lines may end in CR LF, LF or CR. Values are written back with CR LF.\n"
    "\n"
    "Commands:\n"
    "  calc TARGET PRECISION  List every single value and parallel pair within PRECISION\n"
    "                         percent of TARGET, closest first, tab-separated.\n"
    "  find TARGET            List networks of up to N library values in series and\n"
    "                         parallel within P percent of TARGET, closest first.\n"
    "  divider VIN VOUT       List pairs R1 (top), R2 (bottom) that divide VIN to within\n"
    "                         P percent of VOUT, closest first.\n"
    "  normalise              Rewrite the library sorted, without repeats, two decimals.\n"
    "  edit                   Open the library in the editor named by VANTREL_EDITOR,\n"
    "                         VISUAL or EDITOR (the first one set), wait until it is\n"
    "                         closed, then normalise the library.\n"
    "\n"
    "Options:\n"
    "  -C DIR      Work in DIR instead of the current directory.\n"
    "  --rows N    Print at most N result rows (calc).\n"
    "  --help      Show this help.\n"
    "  --version   Show the version.\n"
    "\n"
    "Options of find (see the manual page):\n"
    "  --parts N             Networks of 1 to N parts, N at most 4 (default 3).\n"
    "  --tolerance P         Keep networks within P percent (default 1).\n"
    "  --top K, --all        List the K best (default 20), or all within P.\n"
    "  --exclude V           Leave library value V out; may be repeated.\n"
    "  --distinct            Use each library value at most once per network.\n"
    "  --part-tolerance T    Add each network's value with all parts T percent low\n"
    "                        and high, and whether the target lies between.\n"
    "\n"
    "Options of divider: --parts N (legs of up to N = 2 values), --tolerance P,\n"
    "  --top K, --all, --exclude V and --distinct as for find, and --min-total R,\n"
    "  --max-total R bounding R1 + R2.\n"
    "\n"
    "Values may be written 4700, 4.7k, 4k7, 2R2, 470R or 1M.\n"
    "\n"
    "Exit status: 0 on success, 1 when the command failed, 2 on a usage error.\n";

struct UsageError {
  std::string what;
};

std::optional<int> ParseRowLimit(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string QuotedList(const std::vector<std::string_view>& pieces) {
  std::string list;
  for (std::string_view piece : pieces) {
    if (!list.empty()) list += ", ";
    list += '"';
    list += piece;
    list += '"';
  }
  return list;
}

}  // namespace

void ReportReadNotes(const ReadReport& report, std::ostream& err) {
  for (const NotationPiece& notation : report.notationPieces) {
    err << "line " << notation.piece.line << ": \"" << notation.piece.Trimmed() << "\" is read as "
        << PlainDigits(notation.readAs) << '\n';
  }
  if (report.cutPiece) {
    err << "line " << report.cutPiece->line << ": \"" << report.cutPiece->Trimmed()
        << "\" is cut by the 10240-byte read limit and left out\n";
  }
}

namespace {

// Tells a terminal user what the rewrite dropped; blank lines are not worth mentioning.
void ReportDropped(const RewriteReport& report, std::ostream& err) {
  std::vector<std::string_view> unused;
  for (const LinePiece& piece : report.read.unusedPieces) {
    if (!piece.Trimmed().empty()) unused.push_back(piece.Trimmed());
  }
  if (!unused.empty()) {
    err << "dropped " << unused.size()
        << " line(s) that are no number or zero: " << QuotedList(unused) << '\n';
  }
  if (!report.read.infinitePieces.empty()) {
    std::vector<std::string_view> infinite;
    for (const LinePiece& piece : report.read.infinitePieces) infinite.push_back(piece.Trimmed());
    err << "dropped " << infinite.size()
        << " value(s) beyond the float range: " << QuotedList(infinite) << '\n';
  }
  std::size_t duplicates = 0;
  std::vector<std::string_view> sameText;
  for (const RepeatedLine& repeat : report.repeats) {
    if (repeat.sameValue) {
      ++duplicates;
    } else {
      sameText.push_back(repeat.piece.Trimmed());
    }
  }
  if (duplicates > 0) err << "dropped " << duplicates << " duplicate value(s)\n";
  if (!sameText.empty()) {
    err << "dropped " << sameText.size()
        << " value(s) that two decimals write like a smaller one: " << QuotedList(sameText) << '\n';
  }
}

int RunCalc(const std::vector<std::string>& args, Services& services, std::ostream& out,
            std::ostream& err) {
  std::vector<std::string> positional;
  std::optional<int> rowLimit;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--rows") {
      if (i + 1 == args.size()) throw UsageError{"--rows needs a number"};
      rowLimit = ParseRowLimit(args[++i]);
      if (!rowLimit) throw UsageError{"--rows needs a whole number, not \"" + args[i] + "\""};
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) throw UsageError{"calc needs TARGET and PRECISION"};

  LibraryTable library;
  ResultTable results;
  ReadReport report;
  const bool calculated =
      Calculate(positional[0], positional[1], library, results, services, &report);
  ReportReadNotes(report, err);
  if (!calculated) return kExitFailure;

  const int shown = rowLimit ? std::min(*rowLimit, results.count) : results.count;
  std::string text = "Resistor Value\tResistor #1\tResistor #2\tPrecision (%)\n";
  for (int i = 0; i < shown; ++i) {
    const ResultRow& row = results.rows[static_cast<std::size_t>(i)];
    text += FormatFixed(row.value, 3) + '\t' + FormatFixed(row.resistor1, 3) + '\t' +
            FormatFixed(row.resistor2, 3) + '\t' + FormatFixed(row.precision, 3) + '\n';
  }
  out << text << std::flush;
  return kExitOk;
}

int FinishRewrite(bool rewritten, const RewriteReport& report, std::ostream& err) {
  ReportReadNotes(report.read, err);
  if (rewritten) ReportDropped(report, err);
  return rewritten ? kExitOk : kExitFailure;
}

int RunNormalise(const std::vector<std::string>& args, Services& services, std::ostream& err) {
  if (!args.empty()) throw UsageError{"normalise takes no arguments"};
  LibraryTable library;
  RewriteReport report;
  return FinishRewrite(RewriteLibraryFile(services, library, &report), report, err);
}

int RunEdit(const std::vector<std::string>& args, Services& services, IEditorLauncher& editor,
            std::ostream& err) {
  if (!args.empty()) throw UsageError{"edit takes no arguments"};
  LibraryTable library;
  RewriteReport report;
  SleepingWaiter waiter;
  return FinishRewrite(EditLibrary(services, editor, waiter, library, &report), report, err);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, Services& services, std::ostream& out,
           std::ostream& err) {
  TerminalEditorLauncher editor;
  return RunCli(args, services, editor, out, err);
}

int RunCli(const std::vector<std::string>& args, Services& services, IEditorLauncher& editor,
           std::ostream& out, std::ostream& err) {
  try {
    std::size_t next = 0;
    if (next < args.size() && (args[next] == "--help" || args[next] == "-h")) {
      out << kUsage << '\n' << kHelp;
      return kExitOk;
    }
    if (next < args.size() && args[next] == "--version") {
      out << kVersion << '\n';
      return kExitOk;
    }
    if (next < args.size() && args[next] == "-C") {
      if (next + 1 == args.size()) throw UsageError{"-C needs a directory"};
      const std::string& dir = args[next + 1];
      if (::chdir(dir.c_str()) != 0) {
        err << "vantrel-cli: cannot change to directory \"" << dir << "\": " << std::strerror(errno)
            << '\n';
        return kExitFailure;
      }
      next += 2;
    }
    if (next == args.size()) throw UsageError{"no command given"};
    const std::string& command = args[next];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next) + 1,
                                        args.end());
    if (command == "calc") return RunCalc(rest, services, out, err);
    if (command == "divider") return RunDivider(rest, services, out, err);
    if (command == "find") return RunFind(rest, services, out, err);
    if (command == "normalise") return RunNormalise(rest, services, err);
    if (command == "edit") return RunEdit(rest, services, editor, err);
    throw UsageError{"unknown command \"" + command + "\""};
  } catch (const UsageError& usage) {
    err << "vantrel-cli: " << usage.what << '\n' << kUsage;
    return kExitUsage;
  } catch (const ArgumentError& usage) {
    err << "vantrel-cli: " << usage.what << '\n' << kUsage;
    return kExitUsage;
  } catch (const FileError& error) {
    err << "vantrel-cli: " << error.what() << '\n';
    return kExitFailure;
  }
}

}  // namespace vantrel
