// libFuzzer target for movie files.
#include "tests/fuzz/movie_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RunMovieFuzzInput(data, size);
  return 0;
}
