#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files.h"

// vantrel-cli run in-process by the fuzz targets, and the checks every run must pass.
namespace vantrel::fuzz {

// A command line and its library: the argument words, separated by NUL bytes, up to the first
// LF; the bytes after that LF are ResistorLibrary.txt. Without an LF there is no library file.
struct CliInput {
  std::vector<std::string> args;
  std::optional<std::string> library;
};

CliInput ParseCliInput(std::string_view input);

struct CliOutcome {
  int status = 0;
  // The output grew past what a reader takes (256 KiB), as when it closes the pipe; that ended
  // the command, so it has no exit status.
  bool readerGone = false;
  bool outFailed = false;  // standard output failed as asked
  std::string out;
  std::string err;
};

// Runs args with files in the folder dirFd, the working directory of the run (-C changes it);
// the caller's working directory is restored afterwards. outFailsAfter: standard output takes
// this many bytes, then fails as on a full disk.
CliOutcome RunCliIn(int dirFd, const std::vector<std::string>& args, IFileService& files,
                    std::optional<std::size_t> outFailsAfter = std::nullopt);

// The command word: the first word after the program's options.
std::string CommandOf(const std::vector<std::string>& args);

// True for the command lines that may rewrite or create the library.
bool MayWrite(const std::vector<std::string>& args);

// Exit status 0, 1 or 2, no inf or nan in a result, and json output that is strict JSON when
// standard output took all of it.
void CheckOutcome(const std::vector<std::string>& args, const CliOutcome& outcome);

// A written library is one that normalise, run in dirFd on in-memory files, leaves byte for
// byte.
void CheckStable(int dirFd, const std::string& written);

}  // namespace vantrel::fuzz
