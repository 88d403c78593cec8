// libFuzzer target for vantrel-cli on the real file code: a command line runs in-process in a
// fresh folder, with file calls and standard output failing as the input chooses, and its
// outcome is held against the same command on in-memory files, where nothing fails.
//
// Input: six bytes, then a command line and its stock files as ParseCliInput reads them.
//   bytes 0, 1  the first fault: byte 0 is the number of the first file call that fails
//               (Fault::first; 0: none fails); byte 1 has the failure, an index into
//               kFailures, in its low half and one less than the number of calls in a row that
//               fail in its high half
//   bytes 2, 3  the second fault, likewise
//   bytes 4, 5  little endian N: standard output fails after N - 1 bytes (0: it never fails)
// The files (stocks, Inventory.csv, import.csv) are made in the folder before the run;
// ParseCliInput says which.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli_app.h"
#include "cli_run.h"
#include "fake_services.h"
#include "file_faults.h"
#include "fuzz_checks.h"
#include "posix_files.h"

namespace vantrel {
namespace {

using fuzz::Check;

constexpr std::size_t kHeaderSize = 6;

// errnos the file calls are documented to give; 0 stands for a short read or write.
constexpr std::array<int, 16> kFailures = {EIO,   ENOSPC, EDQUOT, EACCES, EPERM,      EROFS,
                                           EINTR, EAGAIN, ENOENT, EEXIST, EOPNOTSUPP, EMFILE,
                                           EFBIG, EXDEV,  EBADF,  0};

// A fresh folder for one input, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = std::filesystem::temp_directory_path() / "vantrel-files-fuzz-XXXXXX";
    Check(::mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
    m_path = pattern;
    m_fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(m_fd >= 0, "cannot open the scratch folder");
  }
  ~ScratchFolder() {
    ::close(m_fd);
    std::filesystem::remove_all(m_path);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  int Fd() const { return m_fd; }

  void Write(const fuzz::StockFiles& files) const {
    for (const auto& [path, text] : files) std::ofstream(m_path / path, std::ios::binary) << text;
  }

  // The input's files in the folder; a name beside them fails the check.
  fuzz::StockFiles Contents() const {
    fuzz::StockFiles files;
    const std::vector<std::string>& paths = fuzz::FuzzFilePaths();
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
      const auto path = std::find_if(paths.begin(), paths.end(), [&](const std::string& p) {
        return entry.path().filename() == std::filesystem::path(p).filename();
      });
      Check(path != paths.end(), "a file beside the input's files was left behind");
      std::ifstream in(entry.path(), std::ios::binary);
      files.emplace(
          *path, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    return files;
  }

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
};

// -C leads only to folders inside the scratch folder, where the program may write.
bool StaysInside(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "-C" && (args[i + 1] == ".." || args[i + 1].find('/') != std::string::npos)) {
      return false;
    }
  }
  return true;
}

// import's files are named as the in-memory files key them: "import.csv", or a name that is
// missing both ways. "./import.csv" or "Inventory.csv" would name a real file that the
// in-memory run lacks.
bool ImportsByKey(const std::vector<std::string>& args) {
  if (fuzz::CommandOf(args) != "import") return true;
  return std::all_of(args.begin(), args.end(), [](const std::string& word) {
    if (word == "import.csv") return true;
    const std::string name = std::filesystem::path(word).lexically_normal().filename();
    const auto& paths = fuzz::FuzzFilePaths();
    return word.find('/') == std::string::npos && word != "." &&
           std::none_of(paths.begin(), paths.end(), [&](const std::string& path) {
             return std::filesystem::path(path).filename() == name;
           });
  });
}

fuzz::Fault FaultOf(const std::uint8_t* bytes) {
  const int failure = kFailures[bytes[1] & 0x0fu];
  return {bytes[0], (bytes[1] >> 4u) + 1u, failure, failure == 0};
}

// The text of path in files, or nullopt when there is no such file.
std::optional<std::string> FileIn(const fuzz::StockFiles& files, std::string_view path) {
  const auto found = files.find(std::string(path));
  return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
}

// Each stock file afterwards is the old one or the one a run without failures writes, and any
// run that reports success did all that one did. Without failures, real and in-memory files
// give the same outcome.
void CheckRun(const fuzz::CliInput& input, const fuzz::FaultPlan& plan,
              std::optional<std::size_t> outFailsAfter) {
  ScratchFolder folder;
  folder.Write(input.files);
  PosixFileService posix;
  fuzz::CliOutcome outcome;
  bool failed = false;
  {
    const fuzz::FileFaults faults(plan);
    outcome = fuzz::RunCliIn(folder.Fd(), input.args, posix, outFailsAfter);
    failed = faults.Failed();
  }
  const fuzz::StockFiles after = folder.Contents();
  fuzz::CheckOutcome(input.args, outcome);
  fuzz::CheckWrites(input.args, outcome, input.files, after);
  if (outcome.readerGone) return;

  testing::FakeFileService memory;
  memory.files = input.files;
  const fuzz::CliOutcome expected = fuzz::RunCliIn(folder.Fd(), input.args, memory, outFailsAfter);
  for (const std::string& path : fuzz::FuzzFilePaths()) {
    const std::optional<std::string> now = FileIn(after, path);
    Check(now == FileIn(input.files, path) || now == FileIn(memory.files, path),
          "a file is neither the old one nor the one written without failures");
  }
  if (!failed) {
    Check(!expected.readerGone && outcome.status == expected.status,
          "real files end the command otherwise than in-memory files");
    Check(outcome.err == expected.err, "real files give other messages than in-memory files");
  }
  if (!failed || outcome.status == kExitOk) {
    Check(outcome.out == expected.out, "real files give other output than in-memory files");
    Check(after == memory.files, "real files hold other stock files than in-memory files");
  }
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vantrel::fuzz::UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < vantrel::kHeaderSize) return -1;
  const vantrel::fuzz::CliInput input = vantrel::fuzz::ParseCliInput(
      {reinterpret_cast<const char*>(data + vantrel::kHeaderSize), size - vantrel::kHeaderSize});
  if (!vantrel::StaysInside(input.args) || !vantrel::ImportsByKey(input.args)) return -1;
  const unsigned outLimit = data[4] | data[5] << 8u;
  std::optional<std::size_t> outFailsAfter;
  if (outLimit != 0) outFailsAfter = outLimit - 1;
  vantrel::CheckRun(input, {vantrel::FaultOf(data), vantrel::FaultOf(data + 2)}, outFailsAfter);
  return 0;
}
