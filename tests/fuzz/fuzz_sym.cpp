// libFuzzer target for the NO$GMB symbol file reader.
#include "debugger/patch_file.h"
#include "tests/fuzz/debugger_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzInputFile(data, size);
  if (!path.empty()) ReadSymbolFile(path.c_str());
  ResetDebugLists();
  return 0;
}
