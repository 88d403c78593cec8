#include <csignal>

#include "vantrel_app.h"

int main(int argc, char** argv) {
  // Over a file size limit, a write then fails with "File too large" and takes the ordinary
  // error path instead of ending the program with a half-written new file.
  std::signal(SIGXFSZ, SIG_IGN);
  vantrel::CVantrelApp app(argc, argv);
  return app.InitInstance();
}
