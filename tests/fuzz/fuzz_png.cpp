// libFuzzer target for the PNG reader, in the file's own format and
// converted to RGB565 as the emulator's pictures are. Each input is also
// tried with every chunk CRC repaired, so that mutations reach past the CRC
// check into the chunk and pixel decoding.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "lumo/png.h"
#include "lumo/surface.h"

namespace {

void Decode(const uint8_t* data, size_t size) {
  static PixelFormat rgb565;
  static bool ready = MakePixelFormat(&rgb565, 16);
  if (!ready) return;
  for (const PixelFormat* format : {(const PixelFormat*)nullptr, (const PixelFormat*)&rgb565}) {
    if (Surface* s = DecodePng(data, size, format, 0)) DestroySurface(s);
  }
}

// Rewrites each whole chunk's CRC to match its type and data.
bool RepairCrcs(std::vector<uint8_t>* png) {
  bool changed = false;
  uint8_t* p = png->data();
  for (size_t at = 8; at + 12 <= png->size();) {
    uint32_t length = (uint32_t)p[at] << 24 | p[at + 1] << 16 | p[at + 2] << 8 | p[at + 3];
    if (length > png->size() - at - 12) break;
    uint32_t crc = crc32(0, p + at + 4, length + 4);
    uint8_t* tail = p + at + 8 + length;
    uint8_t want[4] = {(uint8_t)(crc >> 24), (uint8_t)(crc >> 16), (uint8_t)(crc >> 8), (uint8_t)crc};
    for (int i = 0; i < 4; i++) {
      changed |= tail[i] != want[i];
      tail[i] = want[i];
    }
    at += 12 + (size_t)length;
  }
  return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Decode(data, size);
  std::vector<uint8_t> repaired(data, data + size);
  if (RepairCrcs(&repaired)) Decode(repaired.data(), repaired.size());
  return 0;
}
