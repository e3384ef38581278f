// The PNG reader: every chunk's CRC checked, the IDAT stream inflated in one
// go, rows unfiltered, and the samples converted into a surface.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lumo/png.h"

namespace {

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// Far beyond any picture the program shows; keeps hostile headers from
// asking for gigabytes.
constexpr uint32_t kMaxSide = 8192;
constexpr uint64_t kMaxPixels = 16u << 20;
constexpr long kMaxFileSize = 256L << 20;

uint32_t Big32(const uint8_t* at) {
  return (uint32_t)at[0] << 24 | at[1] << 16 | at[2] << 8 | at[3];
}

int Channels(int color_type) {
  switch (color_type) {
    case 0: return 1;  // grey
    case 2: return 3;  // RGB
    case 3: return 1;  // palette
    case 4: return 2;  // grey with alpha
    case 6: return 4;  // RGBA
    default: return 0;
  }
}

bool ValidDepth(int color_type, int depth) {
  switch (color_type) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2: case 4: case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

// Growable byte buffer for the IDAT data, without exceptions.
struct Bytes {
  uint8_t* data = nullptr;
  size_t size = 0, capacity = 0;
  ~Bytes() { free(data); }
  bool Append(const uint8_t* from, size_t count) {
    if (count == 0) return true;
    if (size + count > capacity) {
      size_t wanted = capacity ? capacity : 4096;
      while (wanted < size + count) wanted *= 2;
      auto* grown = static_cast<uint8_t*>(realloc(data, wanted));
      if (!grown) return false;
      data = grown, capacity = wanted;
    }
    memcpy(data + size, from, count);
    size += count;
    return true;
  }
};

// Walks the chunks up to IEND, filling info and collecting the IDAT data.
bool ReadChunks(const uint8_t* data, size_t size, PngInfo* info, Bytes* idat) {
  if (size < 8 || memcmp(data, kSignature, 8) != 0) return false;
  size_t at = 8;
  bool have_header = false;
  for (;;) {
    if (size - at < 12) return false;  // short read
    uint32_t length = Big32(data + at);
    if (length > 0x7FFFFFFF || length > size - at - 12) return false;
    const uint8_t* type = data + at + 4;
    const uint8_t* body = type + 4;
    if (crc32(crc32(0, nullptr, 0), type, length + 4) != Big32(body + length)) return false;
    at += 12 + (size_t)length;
    if (!have_header && memcmp(type, "IHDR", 4) != 0) return false;
    if (memcmp(type, "IHDR", 4) == 0) {
      if (length != 13 || have_header) return false;
      info->width = Big32(body);
      info->height = Big32(body + 4);
      info->bit_depth = body[8];
      info->color_type = body[9];
      info->compression = body[10];
      info->filter = body[11];
      info->interlace = body[12];
      have_header = true;
    } else if (memcmp(type, "PLTE", 4) == 0) {
      if (length == 0 || length % 3 != 0 || length > 256 * 3) return false;
      memcpy(info->palette, body, length);
      info->palette_entries = length / 3;
    } else if (memcmp(type, "tRNS", 4) == 0) {
      info->transparency_size = length > 256 ? 256 : length;
      memcpy(info->transparency, body, info->transparency_size);
    } else if (memcmp(type, "gAMA", 4) == 0) {
      if (length >= 4) info->gamma = Big32(body) * 0.00001;
    } else if (memcmp(type, "pHYs", 4) == 0) {
      if (length >= 9) {
        info->pixels_per_unit_x = Big32(body);
        info->pixels_per_unit_y = Big32(body + 4);
        info->unit = body[8];
      }
    } else if (memcmp(type, "IDAT", 4) == 0) {
      if (!idat->Append(body, length)) return false;
    } else if (memcmp(type, "IEND", 4) == 0) {
      return true;
    }
    // tIME, tEXt and every other chunk: checked and skipped.
  }
}

inline int Paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes the per-row filters in place; false on an unknown filter type.
bool Unfilter(uint8_t* rows, size_t row_bytes, uint32_t height, int pixel_bytes) {
  const uint8_t* previous = nullptr;
  for (uint32_t y = 0; y < height; y++) {
    uint8_t* row = rows + (size_t)y * (row_bytes + 1);
    const int filter = row[0];
    uint8_t* cur = row + 1;
    if (filter > 4) return false;
    for (size_t i = 0; i < row_bytes; i++) {
      int left = i >= (size_t)pixel_bytes ? cur[i - pixel_bytes] : 0;
      int up = previous ? previous[i] : 0;
      int up_left = previous && i >= (size_t)pixel_bytes ? previous[i - pixel_bytes] : 0;
      int predictor = 0;
      switch (filter) {
        case 1: predictor = left; break;
        case 2: predictor = up; break;
        case 3: predictor = (left + up) >> 1; break;
        case 4: predictor = Paeth(left, up, up_left); break;
      }
      cur[i] = cur[i] + predictor;
    }
    previous = cur;
  }
  return true;
}

// Sample `index` of a row, reduced to 8 bits (narrow grey scaled up, 16-bit
// samples by their high byte, palette indices as they are).
inline int Sample(const uint8_t* row, size_t index, int depth, bool scale) {
  if (depth == 8) return row[index];
  if (depth == 16) return row[index * 2];
  size_t bit = index * depth;
  int value = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
  return scale ? value * 255 / ((1 << depth) - 1) : value;
}

// Gives an 8-bit surface its palette (the entries given, the rest black) and
// the white and key pixel values that palette makes.
void SetPalette(Surface* s, const uint8_t* colours, int entries) {
  memset(s->format.palette, 0, 768);
  memcpy(s->format.palette, colours, entries * 3);
  s->white = ColorToPixel(s->format, 255, 255, 255);
  s->color_key = ColorToPixel(s->format, 255, 0, 255);
}

// Builds the surface in the file's own format from the unfiltered rows.
Surface* BuildSurface(const PngInfo& info, const uint8_t* rows, size_t row_bytes) {
  const int type = info.color_type, depth = info.bit_depth, channels = Channels(type);
  const int bits = type == 3 ? 8 : type == 0 ? 16 : 24;
  Surface* s = CreateSurface(info.width, info.height, bits, 0);
  if (!s) return nullptr;
  if (type == 3) SetPalette(s, info.palette, info.palette_entries);
  for (uint32_t y = 0; y < info.height; y++) {
    const uint8_t* row = rows + (size_t)y * (row_bytes + 1) + 1;
    uint8_t* out = s->pixels + (size_t)y * s->pitch;
    for (uint32_t x = 0; x < info.width; x++) {
      size_t first = (size_t)x * channels;
      if (type == 3) {
        out[x] = Sample(row, first, depth, false);
      } else if (type == 0) {
        uint32_t grey = Sample(row, first, depth, true);
        WritePixel(out + x * 2, 2, (grey >> 3) << 11 | (grey >> 2) << 5 | grey >> 3);
      } else {  // RGB or RGBA, alpha dropped
        uint32_t pixel = Sample(row, first, depth, false) << 16 |
                         Sample(row, first + 1, depth, false) << 8 | Sample(row, first + 2, depth, false);
        WritePixel(out + x * 3, 3, pixel);
      }
    }
  }
  return s;
}

// Converts a surface to the requested format and flags (consuming it); with
// no format asked for, the flags still apply to the file's own format.
Surface* ConvertSurface(Surface* native, const PixelFormat* format, unsigned flags) {
  if (!format) format = &native->format;
  if (SamePixelLayout(native->format, *format) && flags == 0) return native;
  Surface* target = CreateSurface(native->width, native->height, format->bits, flags);
  if (target && target->format.bits == 8) {
    // Palette pictures keep their own colours; others are matched to the
    // requested palette (the default grey ramp when it has none).
    const uint8_t* palette = native->format.bits == 8 ? native->format.palette : format->palette;
    if (palette) SetPalette(target, palette, 256);
  }
  if (target && !CopySurface(target, 0, 0, native, {0, 0, native->width, native->height})) {
    DestroySurface(target);
    target = nullptr;
  }
  DestroySurface(native);
  return target;
}

// Reads the chunks and inflates and unfilters the rows of a picture the
// reader takes (no interlacing, a known type and depth, sizes in bounds):
// the rows come back malloc'ed, each behind its filter byte; none on a fault.
uint8_t* ReadRows(const uint8_t* data, size_t size, PngInfo* info, size_t* row_bytes_out) {
  Bytes idat;
  if (!ReadChunks(data, size, info, &idat) || idat.size == 0) return nullptr;
  const int channels = Channels(info->color_type);
  if (info->width == 0 || info->height == 0 || info->width > kMaxSide || info->height > kMaxSide ||
      (uint64_t)info->width * info->height > kMaxPixels)
    return nullptr;
  if (info->compression != 0 || info->filter != 0 || info->interlace != 0) return nullptr;
  if (!ValidDepth(info->color_type, info->bit_depth) || info->color_type == 4) return nullptr;
  if (info->color_type == 3 && info->palette_entries == 0) return nullptr;

  const int pixel_bits = channels * info->bit_depth;
  const size_t row_bytes = ((size_t)info->width * pixel_bits + 7) / 8;
  const size_t expected = (row_bytes + 1) * info->height;
  uLongf inflated = expected;
  auto* rows = static_cast<uint8_t*>(malloc(expected));
  if (!rows) return nullptr;
  if (uncompress(rows, &inflated, idat.data, idat.size) != Z_OK || inflated != expected ||
      !Unfilter(rows, row_bytes, info->height, pixel_bits >= 8 ? pixel_bits / 8 : 1)) {
    free(rows);
    return nullptr;
  }
  *row_bytes_out = row_bytes;
  return rows;
}

// The whole file in memory (malloc'ed); none when it cannot be read or is
// empty or beyond any picture's size.
uint8_t* ReadWholeFile(const char* file_name, long* size_out) {
  FILE* file = fopen(file_name, "rb");
  if (!file) return nullptr;
  uint8_t* data = nullptr;
  long size = -1;
  if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
  if (size > 0 && size <= kMaxFileSize && fseek(file, 0, SEEK_SET) == 0) {
    data = static_cast<uint8_t*>(malloc(size));
    if (data && fread(data, 1, size, file) != (size_t)size) {
      free(data);
      data = nullptr;
    }
  }
  fclose(file);
  *size_out = size;
  return data;
}

}  // namespace

Surface* DecodePng(const uint8_t* data, size_t size, const PixelFormat* format, unsigned flags,
                   PngInfo* info_out) {
  PngInfo info{};
  size_t row_bytes = 0;
  uint8_t* rows = ReadRows(data, size, &info, &row_bytes);
  if (info_out) *info_out = info;
  if (!rows) return nullptr;
  const bool known_format =
      !format || format->bits == 8 || format->bits == 16 || format->bits == 24 || format->bits == 32;
  Surface* surface = known_format ? BuildSurface(info, rows, row_bytes) : nullptr;
  free(rows);
  return surface ? ConvertSurface(surface, format, flags) : nullptr;
}

Surface* LoadPng(const char* file_name, const PixelFormat* format, unsigned flags) {
  long size = 0;
  uint8_t* data = ReadWholeFile(file_name, &size);
  if (!data) return nullptr;
  Surface* surface = DecodePng(data, size, format, flags);
  free(data);
  return surface;
}

bool LoadPngRgba(const char* file_name, std::vector<uint8_t>* rgba, int* width, int* height) {
  long size = 0;
  uint8_t* data = ReadWholeFile(file_name, &size);
  if (!data) return false;
  PngInfo info{};
  size_t row_bytes = 0;
  uint8_t* rows = ReadRows(data, size, &info, &row_bytes);
  free(data);
  if (!rows) return false;
  const int type = info.color_type, depth = info.bit_depth;
  if (type != 2 && type != 6) {
    free(rows);
    return false;
  }
  const int channels = Channels(type);
  rgba->assign((size_t)info.width * info.height * 4, 255);
  for (uint32_t y = 0; y < info.height; y++) {
    const uint8_t* row = rows + (size_t)y * (row_bytes + 1) + 1;
    uint8_t* out = rgba->data() + (size_t)y * info.width * 4;
    for (uint32_t x = 0; x < info.width; x++)
      for (int c = 0; c < channels; c++) out[x * 4 + c] = Sample(row, (size_t)x * channels + c, depth, false);
  }
  free(rows);
  *width = (int)info.width;
  *height = (int)info.height;
  return true;
}
