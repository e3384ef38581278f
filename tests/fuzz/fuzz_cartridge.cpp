// libFuzzer target: cartridge loading from plain files and zip archives.
#include "tests/fuzz/cartridge_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RunCartridgeFuzzInput(data, size);
  return 0;
}
