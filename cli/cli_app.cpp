#include "cli_app.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>

#include "board_command.h"
#include "calculate.h"
#include "check_command.h"
#include "command_args.h"
#include "completion.h"
#include "divider_command.h"
#include "find_command.h"
#include "gain_command.h"
#include "import_command.h"
#include "led_command.h"
#include "library_edit.h"
#include "library_rewrite.h"
#include "number_text.h"
#include "output_table.h"
#include "rc_command.h"
#include "regulator_command.h"
#include "request.h"
#include "resistor_notation.h"
#include "rewrite_messages.h"
#include "series_command.h"

namespace vantrel {
namespace {

constexpr char kVersion[] = "1.0.0.1";

constexpr char kAbout[] =
    "Finds resistor values, alone, two in parallel or in networks of up to four, that\n"
    "reach a target value, voltage divider pairs, regulator feedback dividers,\n"
    "amplifier gain pairs, and resistor and capacitor pairs for a time constant.\n"
    "\n"
    "The library is the file ResistorLibrary.txt in the working directory: one value\n"
    "per line; lines may end in CR LF, LF or CR. Values are written back with CR LF.\n"
    "Resistances after options and in find and divider may be written 4700, 4.7k,\n"
    "4k7, 2R2, 470R or 1M. Every quantity may carry its unit, or not: 4k7\u03a9, 1.25V,\n"
    "5mA, 1W, 160us, 1kHz.\n"
    "\n"
    "find, check, normalise, edit and series take --capacitors or --inductors to work\n"
    "on CapacitorLibrary.txt (100n, 4n7, 2.2uF) or InductorLibrary.txt (10u, 470nH).\n";

// calc counts its rows in an int.
constexpr std::uint64_t kMostRows = 999999999;

constexpr char kExitStatus[] =
    "Exit status: 0 on success, 1 when the command failed, 2 on a usage error.\n";

// The program's messages, each followed on the command line by a line that helps to act on it:
// where a missing library was looked for and how to make one, or the system's reason.
class CliMessageService final : public IMessageService {
 public:
  CliMessageService(IMessageService& messages, IFileService& files, std::ostream& err,
                    const StockKind& kind)
      : m_messages(messages), m_files(files), m_err(err), m_kind(kind) {}

  void Show(const Message& message) override {
    const StockKind* missing = KindOfMissingMessage(message.text);
    // A name that is no regular file is told as what it is, not as missing.
    if (missing != nullptr) {
      if (const std::string notALibrary = NotALibraryMessage(m_files, *missing);
          !notALibrary.empty()) {
        m_err << "vantrel-cli: " << notALibrary << '\n';
        return;
      }
    }
    // The resistor library's message is the one scripts of the calculator's first versions
    // read; the other kinds' are the window's, and the line below says it for a terminal.
    if (missing == nullptr || missing->part == PartKind::kResistor) m_messages.Show(message);
    const std::string path = AbsoluteLibraryPath(m_kind).value_or(std::string(m_kind.fileName));
    if (missing != nullptr) {
      std::string edit = "vantrel-cli edit";
      if (!missing->option.empty()) edit.append(" ").append(missing->option);
      // rc reads two libraries: the one missing is named, whichever the command works on.
      const std::string missingPath =
          AbsoluteLibraryPath(*missing).value_or(std::string(missing->fileName));
      if (m_files.LastFailure() == MissingFileReason()) {
        const std::string library = missing->part == PartKind::kResistor
                                        ? "library"
                                        : std::string(missing->name) + " library";
        m_err << "vantrel-cli: no " << library << " at \"" << missingPath << "\"; make one with \""
              << missing->starter << "\" or \"" << edit << "\"\n";
      } else {
        m_err << "vantrel-cli: cannot read \"" << missingPath << "\": " << m_files.LastFailure()
              << '\n';
      }
    } else if (IsWriteErrorMessage(message.text)) {
      m_err << "vantrel-cli: cannot write \"" << path << "\": " << m_files.LastFailure() << '\n';
    }
  }

 private:
  IMessageService& m_messages;
  IFileService& m_files;
  std::ostream& m_err;
  const StockKind& m_kind;
};

int RunCalc(const ParsedArgs& args, CliContext& context) {
  std::optional<int> rowLimit;
  if (const std::string* rows = args.Value("--rows")) {
    rowLimit = static_cast<int>(Require(finder::CheckCount("--rows", *rows, 0, kMostRows)));
  }
  const std::string& targetText = args.operands[0];
  const std::string& precisionText = args.operands[1];
  // The window's rules read "4k7" as 4; say so, as for library lines.
  for (const auto& [name, text] :
       {std::pair{"TARGET", &targetText}, {"PRECISION", &precisionText}}) {
    if (NotationValue(*text)) {
      context.err << name << ' ' << Quoted(*text) << " is read as " << PlainDigits(ParseAtof(*text))
                  << '\n';
    }
  }
  LibraryTable library;
  ResultTable results;
  ReadReport report;
  const bool calculated =
      Calculate(targetText, precisionText, library, results, context.services, &report);
  ReportReadNotes(report, context.err);
  const float target = RoundToFloat(ParseAtof(targetText));
  const float precision = RoundToFloat(ParseAtof(precisionText));
  if (!calculated) {
    const ParameterFault fault = CheckParameters(target, precision);
    const bool aboutTarget =
        fault == ParameterFault::kTargetNotAboveZero || fault == ParameterFault::kTargetBeyondFloat;
    const std::string& text = aboutTarget ? targetText : precisionText;
    const double read = ParseAtof(text);
    const std::string readAs = " is read as " + PlainDigits(read) + ", which is ";
    // A target above 0 that the float rounds to 0 is too small, not negative.
    const std::string why =
        fault == ParameterFault::kTargetNotAboveZero && read > 0
            ? " is too small for single precision, the 32-bit floats calc keeps (about 1.4e-45 "
              "at least)"
        : fault == ParameterFault::kTargetNotAboveZero ? readAs + "not above 0"
        : fault == ParameterFault::kPrecisionNegative
            ? readAs + "below 0"
            : " is beyond single precision (about 3.4e38 at most)";
    if (fault != ParameterFault::kNone) {
      context.err << "vantrel-cli: calc: " << (aboutTarget ? "TARGET " : "PRECISION ")
                  << Quoted(text) << why << '\n';
    }
    return kExitFailure;
  }
  if (results.count == 0) {
    context.err << "vantrel-cli: calc: no library value or parallel pair lies within "
                << PlainDigits(precision) << " % of " << PlainDigits(target) << '\n';
  }

  const int shown = rowLimit ? std::min(*rowLimit, results.count) : results.count;
  const std::span<const ResultRow> rows(results.rows.data(), static_cast<std::size_t>(shown));
  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  if (format == OutputFormat::kText) {
    std::string text = "Resistor Value\tResistor #1\tResistor #2\tPrecision (%)\n";
    for (const ResultRow& row : rows) {
      text += FormatFixed(row.value, 3) + '\t' + FormatFixed(row.resistor1, 3) + '\t' +
              FormatFixed(row.resistor2, 3) + '\t' + FormatFixed(row.precision, 3) + '\n';
    }
    context.out << text << std::flush;
    return kExitOk;
  }
  // Each float both exactly and with the three decimals the window shows.
  OutputTable table{{"value", "resistor1", "resistor2", "precision", "value_shown",
                     "resistor1_shown", "resistor2_shown", "precision_shown"},
                    {}};
  for (const ResultRow& row : rows) {
    std::vector<table::Cell> cells;
    for (float field : {row.value, row.resistor1, row.resistor2, row.precision}) {
      cells.push_back(table::NumberCell(field));
    }
    for (float field : {row.value, row.resistor1, row.resistor2, row.precision}) {
      cells.push_back(table::TextCell(FormatFixed(field, 3)));
    }
    table.rows.push_back(std::move(cells));
  }
  OutputHead head = {{"command", table::TextCell("calc")},
                     {"target", table::NumberCell(target)},
                     {"precision", table::NumberCell(precision)}};
  if (format == OutputFormat::kJson) {
    for (auto& field : LibraryHead(context.services.files)) head.push_back(std::move(field));
  }
  context.out << WriteFormatted(format, head, table) << std::flush;
  return kExitOk;
}

// Changes to the directory args[at] names, the value of -C; false, said on err, when it fails.
bool ChangeDirectory(const std::vector<std::string>& args, std::size_t at, std::ostream& err) {
  if (at == args.size()) throw UsageError{"-C needs a value DIR", ""};
  if (::chdir(args[at].c_str()) == 0) return true;
  err << "vantrel-cli: cannot change to directory \"" << args[at] << "\": " << std::strerror(errno)
      << '\n';
  return false;
}

int FinishRewrite(bool rewritten, const RewriteReport& report, std::ostream& err) {
  ReportReadNotes(report.read, err);
  if (rewritten) ReportDropped(report, err);
  return rewritten ? kExitOk : kExitFailure;
}

int RunNormalise(const ParsedArgs& args, CliContext& context) {
  LibraryTable library;
  RewriteReport report;
  return FinishRewrite(RewriteLibraryFile(context.services, StockKindOf(args), library, &report),
                       report, context.err);
}

int RunEdit(const ParsedArgs& args, CliContext& context) {
  LibraryTable library;
  RewriteReport report;
  SleepingWaiter waiter;
  return FinishRewrite(
      EditLibrary(context.services, StockKindOf(args), context.editor, waiter, library, &report),
      report, context.err);
}

const CliCommand* FindCommand(std::string_view name) {
  for (const CliCommand& command : CliCommands()) {
    if (command.spec.name == name) return &command;
  }
  return nullptr;
}

std::string ProgramUsage() {
  std::string usage;
  for (const CliCommand& command : CliCommands()) {
    usage += Usage(command.spec, usage.empty() ? "usage: " : "       ");
  }
  return usage + "       vantrel-cli --help | --version\n";
}

std::string ProgramHelp() {
  std::string help = ProgramUsage() + '\n' + kAbout + "\nCommands:\n";
  std::size_t width = 0;
  for (const CliCommand& command : CliCommands()) width = std::max(width, command.spec.name.size());
  for (const CliCommand& command : CliCommands()) {
    help += "  " + std::string(command.spec.name) +
            std::string(width + 2 - command.spec.name.size(), ' ') +
            std::string(command.spec.summary) + '\n';
  }
  help += "\nOptions:\n";
  for (const OptionSpec& option : ProgramOptions()) {
    const std::string shown = OptionAndValue(option);
    help += "  " + shown + std::string(12 - shown.size(), ' ') + std::string(option.help) + '\n';
  }
  return help + "\n'vantrel-cli help COMMAND' shows a command's options.\n" + kExitStatus;
}

int RunCompletion(const ParsedArgs& args, CliContext& context) {
  const auto& shells = CompletionShells();
  if (std::find(shells.begin(), shells.end(), args.operands[0]) == shells.end()) {
    throw UsageError{
        "completion: unknown shell " + Quoted(args.operands[0]) + "; bash, zsh or fish",
        "completion"};
  }
  std::vector<const CommandSpec*> specs;
  for (const CliCommand& command : CliCommands()) specs.push_back(&command.spec);
  context.out << CompletionScript(args.operands[0], ProgramOptions(), specs);
  return kExitOk;
}

void PrintUsage(const CliCommand* command, std::ostream& err) {
  if (!command) {
    err << ProgramUsage();
    return;
  }
  err << Usage(command->spec, "usage: ") << "'vantrel-cli help " << command->spec.name
      << "' shows more.\n";
}

int RunHelp(const ParsedArgs& args, CliContext& context) {
  if (args.operands.empty()) {
    context.out << ProgramHelp();
    return kExitOk;
  }
  const CliCommand* command = FindCommand(args.operands[0]);
  if (!command) throw UsageError{"help: unknown command " + Quoted(args.operands[0]), "help"};
  context.out << CommandHelp(command->spec);
  return kExitOk;
}

}  // namespace

OptionSpec FormatOption() {
  return {"--format", "FORMAT", "Print text (the default), tsv, csv or json.", OutputFormatNames()};
}

OptionSpec InventoryOption() {
  return {"--inventory", "", "Draw on Inventory.csv: its counts, tolerances and ratings."};
}

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = [] {
    std::vector<CliCommand> list = {
        {{"calc",
          "List values and parallel pairs within PRECISION % of TARGET.",
          "Lists every library value, and every pair of library values in parallel, that\n"
          "reaches TARGET within PRECISION percent, closest first. TARGET and PRECISION are\n"
          "read as the window reads them: text after the number is ignored, and text\n"
          "without a number reads as 0; a note on stderr names a TARGET or PRECISION in\n"
          "resistor notation, which reads as its first number.\n"
          "\n"
          "tsv, csv and json give every number twice: exactly, as the shortest decimal that\n"
          "reads back as the same single-precision value, and with the three decimals of\n"
          "the text output (the columns ending in _shown). json also names the library\n"
          "file and its SHA-256.\n",
          {{"TARGET"}, {"PRECISION"}},
          {{"--rows", "N", "Print at most N result rows."}, FormatOption()}},
         RunCalc},
        {FindCommandSpec(), RunFind},
        {DividerCommandSpec(), RunDivider},
        {RegulatorCommandSpec(), RunRegulator},
        {GainCommandSpec(), RunGain},
        {RcCommandSpec(), RunRc},
        {LedCommandSpec(), RunLed},
        {BoardCommandSpec(), RunBoard},
        {SeriesCommandSpec(), RunSeries},
        {CheckCommandSpec(), RunCheck},
        {ImportCommandSpec(), RunImport},
        {{"normalise",
          "Rewrite the library sorted, without repeats, two decimals.",
          "Rewrites the library sorted, without repeats and with two decimals per value,\n"
          "and says on stderr what it dropped. A capacitor or inductor stock is written\n"
          "in its notation (4.7n, 100u).\n",
          {},
          StockKindOptions()},
         RunNormalise},
        {{"edit",
          "Edit the library in a terminal editor, then normalise it.",
          "Opens the library in the editor named by VANTREL_EDITOR, VISUAL or EDITOR (the\n"
          "first one set), waits until it is closed, then normalises the library.\n",
          {},
          StockKindOptions()},
         RunEdit},
    };
    list.push_back({{"completion",
                     "Print the shell completion script for bash, zsh or fish.",
                     "Prints the script that teaches SHELL (bash, zsh or fish) to complete\n"
                     "vantrel-cli's commands, options and series names. The package installs\n"
                     "them where each shell looks.\n",
                     {{"SHELL", false, CompletionShells()}},
                     {}},
                    RunCompletion});
    std::vector<std::string_view> names;
    for (const CliCommand& command : list) names.push_back(command.spec.name);
    names.push_back("help");
    list.push_back({{"help",
                     "Show the help of the program or of one command.",
                     "Shows the help of COMMAND, or of the program.\n",
                     {{"COMMAND", true, names}},
                     {}},
                    RunHelp});
    return list;
  }();
  return commands;
}

const std::vector<OptionSpec>& ProgramOptions() {
  static const std::vector<OptionSpec> options = {
      {"-C", "DIR", "Work in DIR, not the current directory (anywhere on the line)."},
      {"--help", "", "Show this help."},
      {"--version", "", "Show the version."},
  };
  return options;
}

int RunCli(const std::vector<std::string>& args, Services& services, std::ostream& out,
           std::ostream& err) {
  TerminalEditorLauncher editor;
  return RunCli(args, services, editor, out, err);
}

int RunCli(const std::vector<std::string>& args, Services& services, IEditorLauncher& editor,
           std::ostream& out, std::ostream& err) {
  const CliCommand* command = nullptr;
  try {
    std::size_t next = 0;
    for (; next < args.size() && args[next].starts_with("-"); ++next) {
      const std::string& option = args[next];
      if (option == "--help" || option == "-h") {
        out << ProgramHelp();
        return kExitOk;
      }
      if (option == "--version") {
        out << kVersion << '\n';
        return kExitOk;
      }
      if (option != "-C") throw UsageError{"unknown option " + Quoted(option), ""};
      if (!ChangeDirectory(args, ++next, err)) return kExitFailure;
    }
    if (next == args.size()) throw UsageError{"no command given", ""};
    command = FindCommand(args[next]);
    if (!command) throw UsageError{"unknown command " + Quoted(args[next]), ""};
    // -C may follow the command too, anywhere before "--".
    std::vector<std::string> words;
    for (std::size_t i = next + 1; i < args.size(); ++i) {
      if (args[i] == "--") {
        words.insert(words.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
        break;
      }
      if (args[i] != "-C") {
        words.push_back(args[i]);
      } else if (!ChangeDirectory(args, ++i, err)) {
        return kExitFailure;
      }
    }
    const ParsedArgs parsed = ParseArgs(command->spec, words);
    if (parsed.help) {
      out << CommandHelp(command->spec);
      return kExitOk;
    }
    // A command without the stock options reads none of them, so this is resistors.
    CliMessageService messages(services.messages, services.files, err, StockKindOf(parsed));
    Services withHelp{messages, services.files, services.clock};
    CliContext context{withHelp, editor, out, err, &out == &std::cout ? STDOUT_FILENO : -1};
    return command->run(parsed, context);
  } catch (const UsageError& usage) {
    err << "vantrel-cli: " << usage.what << '\n';
    PrintUsage(FindCommand(usage.command), err);
    return kExitUsage;
  } catch (const ArgumentError& usage) {
    // A command's own check of an option's value.
    err << "vantrel-cli: " << command->spec.name << ": " << usage.what << '\n';
    PrintUsage(command, err);
    return kExitUsage;
  } catch (const FileError& error) {
    err << "vantrel-cli: " << error.what() << '\n';
    return kExitFailure;
  }
}

}  // namespace vantrel
