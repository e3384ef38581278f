// libFuzzer target for the patch file reader: any bytes as a .pat file,
// read into empty lists over a small cartridge image.
#include "debugger/patch_file.h"
#include "tests/fuzz/debugger_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzCartridge();
  const std::string path = FuzzInputFile(data, size);
  bool had_errors;
  if (!path.empty()) ReadPatchFile(path.c_str(), true, &had_errors);
  ResetDebugLists();
  return 0;
}
