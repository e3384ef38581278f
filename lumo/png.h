// PNG pictures: surfaces written as PNG files and PNG files read into
// surfaces, with zlib doing the compression and the CRCs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lumo/surface.h"

// Header fields and side chunks of a PNG as read.
struct PngInfo {
  uint32_t width, height;
  int bit_depth, color_type, compression, filter, interlace;
  uint8_t palette[256 * 3];
  int palette_entries;
  uint8_t transparency[256];
  int transparency_size;
  double gamma;  // 0 when the file has no gAMA chunk
  uint32_t pixels_per_unit_x, pixels_per_unit_y;
  int unit;
};

// 8-bit surfaces become palette pictures, all others 8-bit RGB.
bool SavePng(const char* file_name, Surface* surface);
// A picture with an alpha channel (the desktop icons): rows of R, G, B, A
// bytes, width x 4 bytes each, written as 8-bit RGBA with the same safe
// replacement of an existing file.
bool SavePngRgba(const char* file_name, const uint8_t* rgba, int width, int height);
// Loads a picture into a new surface of the given format (the file's own
// one when format is none: palette pictures 8 bits, grey 16, colour 24).
// None for any fault in the file.
Surface* LoadPng(const char* file_name, const PixelFormat* format, unsigned flags);
// Loads an RGB or RGBA picture as rows of R, G, B, A bytes (alpha 255 where
// the file has none), for the window icon. False for any fault in the file
// or another colour type; the outputs are then unspecified.
bool LoadPngRgba(const char* file_name, std::vector<uint8_t>* rgba, int* width, int* height);
// The same for a PNG file already in memory; info, when given, receives the
// header fields even when the pixels cannot be decoded.
Surface* DecodePng(const uint8_t* data, size_t size, const PixelFormat* format, unsigned flags,
                   PngInfo* info = nullptr);
