// Surfaces: pixel buffers in memory or on the display, with their pixel
// format, clip rectangle, colour key and lock count, kept in a registry.
#pragma once
#include <cstdint>

struct PixelFormat {
  uint32_t mask[4];   // red, green, blue, alpha
  int bits;           // 8, 16, 24 or 32
  int bytes;          // bits / 8
  int kind;           // 0 palette, 1 16-bit, 2 24-bit, 3 32-bit
  int max[4];         // per component: maximum value
  int step[4];        // 1 << loss
  int shift[4];
  int loss[4];
  uint8_t* palette;   // 256 x 3 bytes, 8-bit formats only
};

struct ClipRect {
  int left, top, right, bottom;  // inclusive
};

struct DisplayTexture;  // the platform layer's handle for a display surface

struct Surface {
  DisplayTexture* display;  // none for a memory surface
  int32_t width, height;
  uint16_t pitch;           // bytes per row
  uint8_t lock_count;
  uint8_t* pixels;          // 16-byte aligned
  uint8_t* raw;             // allocation behind pixels (memory surfaces)
  bool display_memory;
  uint32_t white;           // pixel value of (255, 255, 255)
  uint32_t color_key;       // pixel value of (255, 0, 255)
  bool color_key_enabled;
  ClipRect clip;
  PixelFormat format;
};

enum SurfaceFlags : unsigned {
  SurfaceDisplayMemory = 1,  // bit 0
  SurfaceClear = 2,          // bit 1
};

enum LockMode { LockReadWrite, LockReadOnly, LockWriteOnly };

Surface* CreateSurface(int width, int height, int bits_per_pixel, unsigned flags);
void DestroySurface(Surface* surface);
uint8_t* LockSurface(Surface* surface, LockMode mode);
void UnlockSurface(Surface* surface);
