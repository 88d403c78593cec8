// Writes the benchmarks' full library file to the path given.
#include <fstream>
#include <iostream>

#include "bench_libraries.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: vantrel_bench_library FILE\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << vantrel::bench::FullLibraryFileText();
  out.close();
  if (!out) {
    std::cerr << "cannot write " << argv[1] << '\n';
    return 1;
  }
  return 0;
}
