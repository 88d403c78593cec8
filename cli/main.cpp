#include <iostream>

#include "cli_app.h"
#include "posix_files.h"
#include "terminal_messages.h"

int main(int argc, char** argv) {
  vantrel::TerminalMessageService messages(std::cerr);
  vantrel::PosixFileService files;
  vantrel::Services services{messages, files};
  return vantrel::RunCli({argv + 1, argv + argc}, services, std::cout, std::cerr);
}
