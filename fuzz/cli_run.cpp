#include "cli_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <ostream>
#include <streambuf>

#include "cli_app.h"
#include "fake_editor.h"
#include "fake_services.h"
#include "fuzz_checks.h"
#include "inventory_file.h"
#include "terminal_messages.h"

namespace vantrel::fuzz {
namespace {

// Stands for the reader closing the pipe: a listing that grows past this ends the command. Any
// size stands for it as well; a small one keeps each --all input well inside the time limit.
constexpr std::size_t kOutputLimit = 1 << 18;

struct ReaderGone {};

// The bytes that split an input's files, and the piece that stands for a missing file.
constexpr char kFileSeparator = '\x1c';
constexpr std::string_view kMissingFile = "\x1a";

// Where the fuzzer started, which each run returns to; opened at start-up, so that the runs
// make no file calls besides the program's.
const int g_start = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);

// Collects a stream's text. Past outFailsAfter bytes a write takes nothing, so the stream goes
// bad as std::cout does on a full disk; past kOutputLimit a write throws ReaderGone, which the
// stream passes on because its badbit is an exception.
class CapturedText final : public std::streambuf {
 public:
  explicit CapturedText(std::optional<std::size_t> failsAfter) : m_failsAfter(failsAfter) {}

  std::string text;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto size = static_cast<std::size_t>(n);
    if (m_failsAfter) {
      const std::size_t taken = std::min(size, *m_failsAfter - text.size());
      text.append(s, taken);
      return static_cast<std::streamsize>(taken);
    }
    if (text.size() + size > kOutputLimit) throw ReaderGone{};
    text.append(s, size);
    return n;
  }

 private:
  std::optional<std::size_t> m_failsAfter;
};

// Lower case, with the dots that a mangled number puts inside a word taken out ("i.nf").
bool NamesNonFinite(std::string_view text) {
  std::string letters;
  for (char c : text) {
    if (c != '.') letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return letters.find("inf") != std::string::npos || letters.find("nan") != std::string::npos;
}

// import's json less its strings, which hold the user's own text: its numbers.
void CheckNoNonFiniteNumbers(const std::string& out) {
  std::string numbers;
  bool inString = false;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (inString && out[i] == '\\') {
      ++i;
    } else if (out[i] == '"') {
      inString = !inString;
    } else if (!inString) {
      numbers += out[i];
    }
  }
  Check(!NamesNonFinite(numbers), "an imported number shows inf or nan");
}

// The result listings, less the lines that quote a path the user chose.
void CheckNoNonFinite(const std::string& command, const std::string& out) {
  if (command == "import" && out.starts_with("{")) CheckNoNonFiniteNumbers(out);
  if (command != "calc" && command != "find" && command != "divider" && command != "series" &&
      command != "rc" && command != "regulator" && command != "gain") {
    return;
  }
  std::string_view rest(out);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.starts_with("  \"library\": ") || line.starts_with("  \"capacitor_library\": ")) {
      continue;
    }
    Check(!NamesNonFinite(line), "a result shows inf or nan");
  }
}

// Where the command word is in args: the first word after the program's options; args.size()
// when there is none.
std::size_t CommandIndex(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-C") {
      ++i;
    } else if (!args[i].starts_with("-")) {
      return i;
    }
  }
  return args.size();
}

// The stock the words after the command choose with --capacitors or --inductors; a word that
// the option before it takes as its value chooses nothing, and "--" ends the options. Which
// options take a value is read from the command's description.
const StockKind& ChosenKind(const std::vector<std::string>& args) {
  const std::size_t at = CommandIndex(args);
  if (at == args.size()) return kResistors;
  const auto& commands = CliCommands();
  const auto command = std::find_if(commands.begin(), commands.end(),
                                    [&](const CliCommand& c) { return c.spec.name == args[at]; });
  if (command == commands.end()) return kResistors;
  const StockKind* chosen = &kResistors;
  for (std::size_t i = at + 1; i < args.size() && args[i] != "--"; ++i) {
    const std::string& word = args[i];
    for (const StockKind* kind : kStockKinds) {
      if (!kind->option.empty() && word == kind->option) chosen = kind;
    }
    const auto& options = command->spec.options;
    if (std::any_of(options.begin(), options.end(), [&](const OptionSpec& option) {
          return !option.valueName.empty() && word == option.name;
        })) {
      ++i;
    }
  }
  return *chosen;
}

}  // namespace

CliInput ParseCliInput(std::string_view input) {
  CliInput parsed;
  const std::size_t lineEnd = input.find('\n');
  const std::string_view words = input.substr(0, lineEnd);
  for (std::size_t start = 0; !words.empty() && start <= words.size();) {
    const std::size_t end = std::min(words.find('\0', start), words.size());
    parsed.args.emplace_back(words.substr(start, end - start));
    start = end + 1;
  }
  if (lineEnd == std::string_view::npos) return parsed;
  std::string_view rest = input.substr(lineEnd + 1);
  for (const std::string& path : FuzzFilePaths()) {
    const std::size_t end = path == FuzzFilePaths().back()
                                ? rest.size()
                                : std::min(rest.find(kFileSeparator), rest.size());
    const std::string_view piece = rest.substr(0, end);
    if (piece != kMissingFile) parsed.files.emplace(path, piece);
    if (end == rest.size()) break;
    rest.remove_prefix(end + 1);
  }
  return parsed;
}

const std::vector<std::string>& FuzzFilePaths() {
  static const std::vector<std::string> paths = [] {
    std::vector<std::string> all;
    for (const StockKind* kind : kStockKinds) all.emplace_back(kind->path);
    all.emplace_back(drawer::kInventoryPath);
    all.emplace_back("import.csv");
    return all;
  }();
  return paths;
}

CliOutcome RunCliIn(int dirFd, const std::vector<std::string>& args, IFileService& files,
                    std::optional<std::size_t> outFailsAfter) {
  CapturedText outText(outFailsAfter);
  CapturedText errText(std::nullopt);
  std::ostream out(&outText);
  std::ostream err(&errText);
  out.exceptions(std::ios::badbit);
  err.exceptions(std::ios::badbit);
  // A stream that fails on its own stays quiet, as std::cout does.
  if (outFailsAfter) out.exceptions(std::ios::goodbit);
  TerminalMessageService messages(err);
  testing::FakeClock clock;  // one date, so that a run is the same each time
  Services services{messages, files, clock};
  testing::FakeEditorLauncher editor;  // edit opens no real editor
  Check(g_start >= 0 && ::fchdir(dirFd) == 0, "cannot enter the run's folder");
  CliOutcome outcome;
  try {
    outcome.status = RunCli(args, services, editor, out, err);
  } catch (const ReaderGone&) {
    outcome.readerGone = true;
  }
  Check(::fchdir(g_start) == 0, "cannot return to the start directory");
  outcome.outFailed = out.bad();
  outcome.out = std::move(outText.text);
  outcome.err = std::move(errText.text);
  return outcome;
}

std::string CommandOf(const std::vector<std::string>& args) {
  const std::size_t at = CommandIndex(args);
  return at < args.size() ? args[at] : "";
}

const StockKind* WritableKind(const std::vector<std::string>& args) {
  const std::string command = CommandOf(args);
  const bool writes =
      command == "normalise" || command == "edit" ||
      (command == "series" && std::any_of(args.begin(), args.end(), [](const std::string& a) {
         return a == "--write" || a == "--merge";
       }));
  return writes ? &ChosenKind(args) : nullptr;
}

std::string WritablePath(const std::vector<std::string>& args) {
  if (const StockKind* kind = WritableKind(args)) return std::string(kind->path);
  const bool writes = std::find(args.begin(), args.end(), "--write") != args.end();
  if (!writes) return "";
  if (CommandOf(args) == "import") return drawer::kInventoryPath;
  // board --write rewrites the schematic it is given, as the program names it.
  if (CommandOf(args) == "board") {
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (args[i].starts_with("--schematic=")) return args[i].substr(12);
      if (args[i] == "--schematic" && i + 1 < args.size()) return args[i + 1];
    }
  }
  return "";
}

void CheckWrites(const std::vector<std::string>& args, const CliOutcome& outcome,
                 const StockFiles& before, const StockFiles& after) {
  const std::string writable = WritablePath(args);
  for (const auto& [path, text] : after) {
    const auto old = before.find(path);
    if (old != before.end() && old->second == text) continue;
    Check(!writable.empty(), "a command that must not write changed a file");
    Check(writable == path, "a command changed a file other than its own");
    // Only listings grow past what a reader takes, and they write nothing.
    Check(!outcome.readerGone && outcome.status == kExitOk, "a failed command changed a file");
  }
  for (const auto& file : before) Check(after.count(file.first) == 1, "a stock file went away");
}

std::vector<std::string_view> TsvFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = std::min(line.find('\t', start), line.size());
    fields.push_back(line.substr(start, end - start));
    if (end == line.size()) return fields;
    start = end + 1;
  }
}

// In a tsv listing with a band, every row's value lies between its Low and High.
void CheckBands(const std::string& out) {
  std::string_view rest(out);
  const std::size_t headEnd = rest.find('\n');
  if (headEnd == std::string_view::npos) return;
  const std::vector<std::string_view> head = TsvFields(rest.substr(0, headEnd));
  const auto column = [&](std::string_view name) {
    return static_cast<std::size_t>(std::find(head.begin(), head.end(), name) - head.begin());
  };
  const std::size_t low = column("low");
  const std::size_t high = column("high");
  std::size_t value = head.size();
  for (std::string_view name : {"value", "vout", "gain", "corner", "tau"}) {
    value = std::min(value, column(name));
  }
  if (low == head.size() || high == head.size() || value == head.size()) return;
  rest.remove_prefix(headEnd + 1);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::vector<std::string_view> fields = TsvFields(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    // A row drawn from the inventory with a part of no known tolerance has no band.
    if (fields.size() != head.size() || fields[low] == "null") continue;
    const auto number = [](std::string_view text) {
      double parsed = std::numeric_limits<double>::quiet_NaN();
      std::from_chars(text.data(), text.data() + text.size(), parsed);
      return parsed;
    };
    const double v = number(fields[value]);
    Check(number(fields[low]) <= v && v <= number(fields[high]), "a band misses its own value");
  }
}

// In a tsv listing with --prefer, the values each row adds to the board never fall from one row
// to the next, and no row adds more values than four parts hold.
void CheckNewValuesRise(const std::string& out) {
  std::string_view rest(out);
  const std::size_t headEnd = rest.find('\n');
  if (headEnd == std::string_view::npos) return;
  const std::vector<std::string_view> head = TsvFields(rest.substr(0, headEnd));
  const auto column =
      static_cast<std::size_t>(std::find(head.begin(), head.end(), "new_values") - head.begin());
  if (column == head.size()) return;
  rest.remove_prefix(headEnd + 1);
  int last = 0;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::vector<std::string_view> fields = TsvFields(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (fields.size() != head.size()) continue;
    int added = -1;
    std::from_chars(fields[column].data(), fields[column].data() + fields[column].size(), added);
    Check(added >= last && added <= 4, "--prefer ranked a row that adds more values first");
    last = added;
  }
}

void CheckOutcome(const std::vector<std::string>& args, const CliOutcome& outcome) {
  if (outcome.readerGone) return;
  Check(outcome.status == kExitOk || outcome.status == kExitFailure || outcome.status == kExitUsage,
        "exit status other than 0, 1 or 2");
  CheckNoNonFinite(CommandOf(args), outcome.out);
  if (!outcome.outFailed && (std::find(args.begin(), args.end(), "tsv") != args.end() ||
                             std::find(args.begin(), args.end(), "--format=tsv") != args.end())) {
    CheckBands(outcome.out);
    CheckNewValuesRise(outcome.out);
  }
  if (!outcome.outFailed && outcome.out.starts_with("{"))
    Check(IsStrictJson(outcome.out), "json output");
}

void CheckStable(int dirFd, const StockKind& kind, const std::string& written) {
  testing::FakeFileService files;
  const std::string path(kind.path);
  files.files[path] = written;
  std::vector<std::string> args = {"normalise"};
  if (!kind.option.empty()) args.emplace_back(kind.option);
  const CliOutcome again = RunCliIn(dirFd, args, files);
  Check(again.status == kExitOk, "normalise of a written file failed");
  Check(files.files.size() == 1 && files.files[path] == written,
        "normalise changed a written file");
}

void CheckInventoryStable(int dirFd, const std::string& written) {
  testing::FakeFileService files;
  files.files[drawer::kInventoryPath] = written;
  const CliOutcome again = RunCliIn(dirFd, {"check", "--inventory"}, files);
  Check(again.status == kExitOk && again.out.ends_with("A rewrite would change nothing.\n"),
        "a written Inventory.csv is not as a rewrite writes it");
}

}  // namespace vantrel::fuzz
