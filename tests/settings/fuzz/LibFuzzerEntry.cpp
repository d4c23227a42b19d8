// The libFuzzer entry for the parameter file reader (built only with clang).
#include "ReadParamsTarget.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!ReadParamsOnBytes(data, size)) std::abort();
  return 0;
}
