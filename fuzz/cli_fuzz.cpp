// libFuzzer target for vantrel-cli: a command line runs in-process on an in-memory library, and
// its exit status, output and writes are checked.
//
// Input: the argument words, separated by NUL bytes, up to the first LF; the bytes after that LF
// are ResistorLibrary.txt. Without an LF there is no library file.

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "cli_app.h"
#include "fake_editor.h"
#include "fake_services.h"
#include "fuzz_checks.h"
#include "library_file.h"
#include "terminal_messages.h"

namespace vantrel {
namespace {

using fuzz::Check;

// Stands for the reader closing the pipe: a listing that grows past this ends the command.
constexpr std::size_t kOutputLimit = 1 << 20;

struct OutputFull {};

// Collects a stream's text; past the limit a write throws OutputFull, which the stream passes
// on because its badbit is an exception.
class LimitedText final : public std::streambuf {
 public:
  std::string text;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (text.size() + static_cast<std::size_t>(n) > kOutputLimit) throw OutputFull{};
    text.append(s, static_cast<std::size_t>(n));
    return n;
  }
};

struct Outcome {
  int status = 0;
  bool outputFull = false;
  std::string out;
  std::string err;
};

// The working directory of each run, which -C changes: a scratch folder whose subfolders have
// names that are not UTF-8 or need escaping, for the json "library" path.
int ScratchDirectory() {
  static const int fd = [] {
    static const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("vantrel-cli-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    for (const char* name : {"\xff\xfe", "\xed\xa0\x80", "q\"b\\s\x01\x7f", "\xc3\xa9"}) {
      std::filesystem::create_directory(scratch / name);
    }
    std::atexit([] { std::filesystem::remove_all(scratch); });
    return ::open(scratch.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }();
  return fd;
}

// Where libFuzzer was started: it reads and writes its corpus relative to it.
int StartDirectory() {
  static const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return fd;
}

Outcome Run(const std::vector<std::string>& args, testing::FakeFileService& files) {
  LimitedText outText;
  LimitedText errText;
  std::ostream out(&outText);
  std::ostream err(&errText);
  out.exceptions(std::ios::badbit);
  err.exceptions(std::ios::badbit);
  TerminalMessageService messages(err);
  Services services{messages, files};
  testing::FakeEditorLauncher editor;  // edit opens no real editor
  Outcome outcome;
  Check(::fchdir(ScratchDirectory()) == 0, "cannot enter the scratch folder");
  try {
    outcome.status = RunCli(args, services, editor, out, err);
  } catch (const OutputFull&) {
    outcome.outputFull = true;
  }
  Check(::fchdir(StartDirectory()) == 0, "cannot return to the start directory");
  outcome.out = std::move(outText.text);
  outcome.err = std::move(errText.text);
  return outcome;
}

// The command word: the first word after the program's options.
std::string CommandOf(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-C") {
      ++i;
    } else if (!args[i].starts_with("-")) {
      return args[i];
    }
  }
  return "";
}

bool MayWrite(const std::string& command, const std::vector<std::string>& args) {
  if (command == "normalise" || command == "edit") return true;
  return command == "series" && std::any_of(args.begin(), args.end(), [](const std::string& a) {
           return a == "--write" || a == "--merge";
         });
}

// Lower case, with the dots that a mangled number puts inside a word taken out ("i.nf").
bool NamesNonFinite(std::string_view text) {
  std::string letters;
  for (char c : text) {
    if (c != '.') letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return letters.find("inf") != std::string::npos || letters.find("nan") != std::string::npos;
}

// The result listings, less the one line that quotes a path the user chose.
void CheckNoNonFinite(const std::string& command, const std::string& out) {
  if (command != "calc" && command != "find" && command != "divider" && command != "series") {
    return;
  }
  std::string_view rest(out);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.starts_with("  \"library\": ")) continue;
    Check(!NamesNonFinite(line), "a result shows inf or nan");
  }
}

// A written library is one that normalise leaves byte for byte.
void CheckStable(const std::string& written) {
  testing::FakeFileService files;
  files.files[kLibraryPath] = written;
  const Outcome again = Run({"normalise"}, files);
  Check(again.status == kExitOk, "normalise of a written library failed");
  Check(files.files[kLibraryPath] == written, "normalise changed a written library");
}

void CheckRun(const std::vector<std::string>& args, const std::string* library) {
  testing::FakeFileService files;
  if (library) files.files[kLibraryPath] = *library;
  const auto before = files.files;
  const Outcome outcome = Run(args, files);
  const std::string command = CommandOf(args);
  const bool changed = files.files != before;
  Check(!changed || MayWrite(command, args), "a command that must not write changed the library");
  Check(files.files.size() <= 1, "a file other than the library was written");
  if (outcome.outputFull) return;

  Check(outcome.status == kExitOk || outcome.status == kExitFailure || outcome.status == kExitUsage,
        "exit status other than 0, 1 or 2");
  Check(!changed || outcome.status == kExitOk, "a failed command changed the library");
  CheckNoNonFinite(command, outcome.out);
  if (outcome.out.starts_with("{")) Check(fuzz::IsStrictJson(outcome.out), "json output");
  if (changed) CheckStable(files.files[kLibraryPath]);
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vantrel::fuzz::UseCommaLocale();
  vantrel::StartDirectory();
  vantrel::ScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t lineEnd = input.find('\n');
  const std::string_view words = input.substr(0, lineEnd);
  std::vector<std::string> args;
  for (std::size_t start = 0; !words.empty() && start <= words.size();) {
    const std::size_t end = std::min(words.find('\0', start), words.size());
    args.emplace_back(words.substr(start, end - start));
    start = end + 1;
  }
  if (lineEnd == std::string_view::npos) {
    vantrel::CheckRun(args, nullptr);
  } else {
    const std::string library(input.substr(lineEnd + 1));
    vantrel::CheckRun(args, &library);
  }
  return 0;
}
