// libFuzzer target for the SSP reader: picture sets of any depth, as they
// are and converted to the screen format, and the same bytes as a font.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "lumo/font.h"
#include "lumo/ssp.h"
#include "lumo/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Surface* table[256];
  for (unsigned flags : {0u, (unsigned)SspToScreen}) {
    if (DecodeSsp(data, size, table, 256, flags)) FreeSspPictures(table, 256);
  }
  if (DecodeSsp(data, size, table, 3, 0)) FreeSspPictures(table, 3);
  static const std::string path = "/tmp/fuzz_ssp_" + std::to_string(getpid()) + ".ssp";
  if (FILE* f = fopen(path.c_str(), "wb")) {
    fwrite(data, 1, size, f);
    fclose(f);
    Font font;
    if (LoadFont(&font, path.c_str(), 0)) {
      TextWidth(font, "Tavo");
      FreeFont(&font);
    }
  }
  return 0;
}
