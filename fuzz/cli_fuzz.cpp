// libFuzzer target for vantrel-cli: a command line runs in-process on in-memory stock files,
// Inventory.csv and a file to import, and its exit status, output and writes are checked. The input
// is a command line and its files as ParseCliInput reads them.

#include <fcntl.h>
#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "cli_app.h"
#include "cli_run.h"
#include "fake_services.h"
#include "fuzz_checks.h"

namespace vantrel {
namespace {

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

void CheckRun(const fuzz::CliInput& input) {
  testing::FakeFileService files;
  files.files = input.files;
  const fuzz::CliOutcome outcome = fuzz::RunCliIn(ScratchDirectory(), input.args, files);
  fuzz::CheckOutcome(input.args, outcome);
  fuzz::CheckWrites(input.args, outcome, input.files, files.files);
  const std::string path = fuzz::WritablePath(input.args);
  const auto written = files.files.find(path);
  const auto old = input.files.find(path);
  if (written == files.files.end() || (old != input.files.end() && old->second == written->second))
    return;
  if (const StockKind* kind = fuzz::WritableKind(input.args)) {
    fuzz::CheckStable(ScratchDirectory(), *kind, written->second);
  } else {
    fuzz::CheckInventoryStable(ScratchDirectory(), written->second);
  }
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vantrel::fuzz::UseCommaLocale();
  vantrel::ScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::CheckRun(vantrel::fuzz::ParseCliInput({reinterpret_cast<const char*>(data), size}));
  return 0;
}
