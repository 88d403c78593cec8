#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files.h"
#include "stock_kind.h"

// vantrel-cli run in-process by the fuzz targets, and the checks every run must pass.
namespace vantrel::fuzz {

// The files of a run, keyed by their paths as the program opens them ("./ResistorLibrary.txt",
// "import.csv"), as the in-memory files hold them.
using StockFiles = std::map<std::string, std::string>;

// The paths of the files an input may give, in its order: the three stocks, Inventory.csv and
// import.csv, a file for import to read.
const std::vector<std::string>& FuzzFilePaths();

// A command line and its files: the argument words, separated by NUL bytes, up to the first
// LF. The bytes after that LF are the files, split at the first four FS bytes (0x1c):
// ResistorLibrary.txt, CapacitorLibrary.txt, InductorLibrary.txt, Inventory.csv, then
// import.csv, which takes the rest. A file without a piece, or whose piece is the one byte SUB
// (0x1a), is missing; without an LF there is no file at all.
struct CliInput {
  std::vector<std::string> args;
  StockFiles files;
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

// The stock whose file the command line may rewrite or create, for normalise, edit and
// series --write or --merge: the kind its words choose. nullptr for the command lines that
// write no stock.
const StockKind* WritableKind(const std::vector<std::string>& args);

// The path of the file the command line may rewrite or create: WritableKind's, or
// ./Inventory.csv for import --write; empty for the command lines that write nothing.
std::string WritablePath(const std::vector<std::string>& args);

// The files a run left, held against those it started with: only the file WritablePath names
// changes, only when the command succeeds, and nothing else is made.
void CheckWrites(const std::vector<std::string>& args, const CliOutcome& outcome,
                 const StockFiles& before, const StockFiles& after);

// Exit status 0, 1 or 2, no inf or nan in a result (for import, in the json's numbers), and
// json output that is strict JSON when standard output took all of it.
void CheckOutcome(const std::vector<std::string>& args, const CliOutcome& outcome);

// A written file of kind is one that normalise, run in dirFd on in-memory files, leaves byte
// for byte.
void CheckStable(int dirFd, const StockKind& kind, const std::string& written);

// A written Inventory.csv is one that check --inventory finds a rewrite would leave as it is.
void CheckInventoryStable(int dirFd, const std::string& written);

}  // namespace vantrel::fuzz
