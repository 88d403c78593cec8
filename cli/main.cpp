#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>

#include "cli_app.h"
#include "posix_files.h"
#include "terminal_messages.h"

int main(int argc, char** argv) {
  // Over a file size limit, a write then fails with "File too large" and takes the ordinary
  // error path instead of ending the program with a half-written new file.
  std::signal(SIGXFSZ, SIG_IGN);
  vantrel::TerminalMessageService messages(std::cerr);
  vantrel::PosixFileService files;
  vantrel::Services services{messages, files};
  const int status = vantrel::RunCli({argv + 1, argv + argc}, services, std::cout, std::cerr);
  // Results that never reached their reader (a full disk, say) are no success. errno still
  // holds the reason from the failed write.
  if (!std::cout.flush() && status == vantrel::kExitOk) {
    std::cerr << "vantrel-cli: cannot write \"standard output\": "
              << (errno != 0 ? std::strerror(errno) : "write error") << '\n';
    return vantrel::kExitFailure;
  }
  return status;
}
