#include "vantrel_app.h"

int main(int argc, char** argv) {
  vantrel::CVantrelApp app(argc, argv);
  return app.InitInstance();
}
