// Writes the benchmarks' full library file to the path given, and with a second path the order
// history import reads.
#include <fstream>
#include <iostream>

#include "bench_libraries.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: vantrel_bench_library FILE [ORDERS]\n";
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    std::ofstream out(argv[i], std::ios::binary);
    out << (i == 1 ? vantrel::bench::FullLibraryFileText()
                   : vantrel::bench::OrderHistoryFileText());
    out.close();
    if (!out) {
      std::cerr << "cannot write " << argv[i] << '\n';
      return 1;
    }
  }
  return 0;
}
