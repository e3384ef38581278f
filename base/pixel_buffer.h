// A picture in memory: 16-bit RGB565 pixels (0xF800 red, 0x07E0 green,
// 0x001F blue), rows `pitch` bytes apart, the first pixel 16-byte aligned.
// The VDP draws its frames into these; the presentation library shows them
// through a surface that views the same pixels.
#pragma once
#include <cstdint>

struct PixelBuffer {
  int32_t width, height;
  uint16_t pitch;   // bytes per row
  uint8_t* pixels;  // 16-byte aligned
  uint8_t* raw;     // the allocation behind pixels
};

// A cleared buffer of the size; none when memory was refused or the size is
// empty or beyond 8192 pixels a side.
PixelBuffer* CreatePixelBuffer(int width, int height);
void DestroyPixelBuffer(PixelBuffer* buffer);
// Every pixel 0 (black).
void ClearPixelBuffer(PixelBuffer* buffer);
