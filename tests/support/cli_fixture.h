#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli_app.h"
#include "fake_services.h"
#include "library_file.h"
#include "terminal_messages.h"

namespace vantrel::testing {

// vantrel-cli on an in-memory library, with messages going to err as in the program.
class CliFixture : public ::testing::Test {
 protected:
  void SetFile(std::string content) { files.files[kLibraryPath] = std::move(content); }
  std::string File() const { return files.files.at(kLibraryPath); }

  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunCli(args, services, out, err);
  }

  std::ostringstream out;
  std::ostringstream err;
  TerminalMessageService messages{err};
  FakeFileService files;
  FakeClock clock;
  Services services{messages, files, clock};
};

}  // namespace vantrel::testing
