#include <unistd.h>
#include <csignal>
#include <iostream>

#include "cli_app.h"
#include "fd_output_buffer.h"
#include "posix_files.h"
#include "terminal_messages.h"

int main(int argc, char** argv) {
  // Over a file size limit, a write then fails with "File too large" and takes the ordinary
  // error path instead of ending the program with a half-written new file.
  std::signal(SIGXFSZ, SIG_IGN);
  // Results go out through a buffer that keeps the reason of a failed write; the commands stop
  // once their output stream has gone bad.
  vantrel::FdOutputBuffer output(STDOUT_FILENO);
  std::streambuf* const console = std::cout.rdbuf(&output);
  vantrel::TerminalMessageService messages(std::cerr);
  vantrel::PosixFileService files;
  vantrel::SystemClock clock;
  vantrel::Services services{messages, files, clock};
  int status = vantrel::RunCli({argv + 1, argv + argc}, services, std::cout, std::cerr);
  // Results that never reached their reader (a full disk, say) are no success, whatever the
  // command made of its work.
  if (!std::cout.flush()) {
    std::cerr << "vantrel-cli: cannot write to standard output: "
              << (output.Failure().empty() ? "write error" : output.Failure()) << '\n';
    status = vantrel::kExitFailure;
  }
  std::cout.rdbuf(console);
  return status;
}
