#include <csignal>
#include <iostream>

#include "command_line.h"
#include "vantrel_app.h"

int main(int argc, char** argv) {
  if (vantrel::AnswerInfoOption(argc, argv, std::cout)) return std::cout.flush() ? 0 : 1;
  if (vantrel::RefuseUnknownArguments(argc, argv, std::cerr)) return 2;
  // Over a file size limit, a write then fails with "File too large" and takes the ordinary
  // error path instead of ending the program with a half-written new file.
  std::signal(SIGXFSZ, SIG_IGN);
  vantrel::CVantrelApp app(argc, argv);
  // Qt has taken its own options out of argv by now.
  if (vantrel::RefuseLeftoverArguments(argc, argv, std::cerr)) return 2;
  return app.InitInstance();
}
