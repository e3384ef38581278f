// Surfaces: pixel buffers in memory or on the display, with their pixel
// format, clip rectangle, colour key and lock count, kept in a registry.
#pragma once
#include <cstdint>

#include "base/pixel_buffer.h"

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

// A rectangle by origin and size, as the drawing operations take it.
struct SurfaceRect {
  int x, y, width, height;
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

// Pixel formats. MakePixelFormat fills the record for 8, 16, 24 or 32 bits
// (false for other depths); an 8-bit format gets a zeroed palette that the
// caller releases with FreePixelFormat.
bool MakePixelFormat(PixelFormat* format, int bits_per_pixel);
void FreePixelFormat(PixelFormat* format);
bool SamePixelLayout(const PixelFormat& a, const PixelFormat& b);
// Colour to pixel value: max x c / 255 per component, the nearest palette
// entry for 8 bits.
uint32_t ColorToPixel(const PixelFormat& format, int red, int green, int blue);
// Pixel value to 8-bit components; narrow fields are widened by repeating
// their high bits, so that white stays white.
void PixelToColor(const PixelFormat& format, uint32_t pixel, uint8_t rgb[3]);
uint32_t ReadPixel(const uint8_t* at, int bytes);
void WritePixel(uint8_t* at, int bytes, uint32_t pixel);

// Lifetime. Creation fails (none) for other depths, empty or oversized
// surfaces, or when memory or the display refuse.
Surface* CreateSurface(int width, int height, int bits_per_pixel, unsigned flags);
void DestroySurface(Surface* surface);
uint8_t* LockSurface(Surface* surface, LockMode mode);
void UnlockSurface(Surface* surface);
void SetSurfaceClip(Surface* surface, int left, int top, int right, int bottom);

// A memory surface over a pixel buffer's RGB565 pixels, for the drawing
// operations: it owns nothing and is not in the registry, so it simply goes
// out of scope. None for a missing buffer.
Surface* ViewPixelBuffer(Surface* view, const PixelBuffer* buffer);

// Registry of live surfaces, for leak checks.
void PrintSurfaceList();
int LiveSurfaceCount();
void ResetSurfaces();  // destroys every live surface and empties the registry

// Drawing. All of them clip to the target's clip rectangle and lock the
// surfaces they touch; false when a lock or a format is refused.
bool FillRect(int x, int y, int width, int height, Surface* surface, uint32_t pixel);
// Copies src_rect of src to (x, y) in dst, converting the pixel format and
// skipping key-coloured pixels when the source's colour key is enabled.
bool CopySurface(Surface* dst, int x, int y, Surface* src, SurfaceRect src_rect);
// out := ((a >> 1) & 0x7BEF) + ((b >> 1) & 0x7BEF) per pixel; all three
// 16-bit, same size and layout (out may be a or b).
bool BlendSurfaces(Surface* out, Surface* a, Surface* b);
// Scales src_rect of src onto dst_rect of dst (nearest pixel). When dst_rect
// sticks out of the clip rectangle the source rectangle is cut in proportion.
bool StretchSurface(Surface* dst, SurfaceRect dst_rect, Surface* src, SurfaceRect src_rect);
