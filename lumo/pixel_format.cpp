// Pixel format records and the conversions between colours and pixel values.
#include <cstdlib>
#include <cstring>

#include "lumo/surface.h"

namespace {

void SetComponent(PixelFormat* format, int index, uint32_t mask, int max, int shift, int loss) {
  format->mask[index] = mask;
  format->max[index] = max;
  format->shift[index] = shift;
  format->loss[index] = loss;
  format->step[index] = 1 << loss;
}

// A field of `bits` bits widened to 8 by repeating its high bits.
int Widen(uint32_t value, int bits) {
  if (bits >= 8) return value & 0xFF;
  int shift = 8 - bits;
  uint32_t out = value << shift;
  while (shift > 0) {
    shift -= bits;
    out |= shift >= 0 ? value << shift : value >> -shift;
  }
  return out & 0xFF;
}

}  // namespace

bool MakePixelFormat(PixelFormat* format, int bits_per_pixel) {
  PixelFormat made{};
  made.bits = bits_per_pixel;
  made.bytes = bits_per_pixel / 8;
  switch (bits_per_pixel) {
    case 8:
      made.kind = 0;
      made.palette = static_cast<uint8_t*>(calloc(256, 3));
      if (!made.palette) return false;
      break;
    case 16:
      made.kind = 1;
      SetComponent(&made, 0, 0xF800, 31, 11, 3);
      SetComponent(&made, 1, 0x07E0, 63, 5, 2);
      SetComponent(&made, 2, 0x001F, 31, 0, 3);
      SetComponent(&made, 3, 0, 255, 0, 0);
      break;
    case 24:
    case 32:
      made.kind = bits_per_pixel == 24 ? 2 : 3;
      SetComponent(&made, 0, 0xFF0000, 255, 16, 0);
      SetComponent(&made, 1, 0x00FF00, 255, 8, 0);
      SetComponent(&made, 2, 0x0000FF, 255, 0, 0);
      if (bits_per_pixel == 32)
        SetComponent(&made, 3, 0xFF000000, 255, 24, 0);
      else
        SetComponent(&made, 3, 0, 255, 0, 0);
      break;
    default:
      return false;
  }
  *format = made;
  return true;
}

void FreePixelFormat(PixelFormat* format) {
  free(format->palette);
  format->palette = nullptr;
}

bool SamePixelLayout(const PixelFormat& a, const PixelFormat& b) {
  return a.bits == b.bits && a.mask[0] == b.mask[0] && a.mask[1] == b.mask[1] &&
         a.mask[2] == b.mask[2];
}

uint32_t ColorToPixel(const PixelFormat& format, int red, int green, int blue) {
  if (format.bits == 8) {
    if (!format.palette) return 0;
    int best = 0, best_distance = 1 << 30;
    for (int i = 0; i < 256 && best_distance; i++) {
      const uint8_t* entry = format.palette + i * 3;
      int dr = entry[0] - red, dg = entry[1] - green, db = entry[2] - blue;
      int distance = dr * dr + dg * dg + db * db;
      if (distance < best_distance) best = i, best_distance = distance;
    }
    return best;
  }
  const int rgb[3] = {red, green, blue};
  uint32_t pixel = 0;
  for (int i = 0; i < 3; i++)
    pixel |= (uint32_t)(format.max[i] * rgb[i] / 255) << format.shift[i];
  return pixel;
}

void PixelToColor(const PixelFormat& format, uint32_t pixel, uint8_t rgb[3]) {
  if (format.bits == 8) {
    if (format.palette)
      memcpy(rgb, format.palette + (pixel & 0xFF) * 3, 3);
    else
      rgb[0] = rgb[1] = rgb[2] = 0;
    return;
  }
  for (int i = 0; i < 3; i++) {
    uint32_t field = (pixel & format.mask[i]) >> format.shift[i];
    rgb[i] = Widen(field, 8 - format.loss[i]);
  }
}

uint32_t ReadPixel(const uint8_t* at, int bytes) {
  switch (bytes) {
    case 1: return at[0];
    case 2: return at[0] | at[1] << 8;
    case 3: return at[0] | at[1] << 8 | at[2] << 16;
    default: return at[0] | at[1] << 8 | at[2] << 16 | (uint32_t)at[3] << 24;
  }
}

void WritePixel(uint8_t* at, int bytes, uint32_t pixel) {
  for (int i = 0; i < bytes; i++) at[i] = pixel >> (8 * i);
}
