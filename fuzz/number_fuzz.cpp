// libFuzzer target for the number conversion: the input is one text, as typed into an input
// box or found in a piece of the library file.

#include <cstdint>
#include <string_view>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vantrel::fuzz::UseCommaLocale();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::fuzz::CheckNumberText({reinterpret_cast<const char*>(data), size});
  return 0;
}
