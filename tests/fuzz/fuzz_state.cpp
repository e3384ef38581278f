// libFuzzer target for state files.
#include "tests/fuzz/state_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RunStateFuzzInput(data, size);
  return 0;
}
