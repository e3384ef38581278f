// The PNG writer: 8 bits per sample, one IDAT chunk, no filtering.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lumo/png.h"

namespace {

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

void PutBig32(uint8_t* at, uint32_t value) {
  at[0] = value >> 24, at[1] = value >> 16, at[2] = value >> 8, at[3] = value;
}

bool WriteChunk(FILE* file, const char* type, const uint8_t* data, uint32_t size) {
  uint8_t head[8];
  PutBig32(head, size);
  memcpy(head + 4, type, 4);
  uLong crc = crc32(0, head + 4, 4);
  if (size) crc = crc32(crc, data, size);
  uint8_t tail[4];
  PutBig32(tail, crc);
  return fwrite(head, 1, 8, file) == 8 && (size == 0 || fwrite(data, 1, size, file) == size) &&
         fwrite(tail, 1, 4, file) == 4;
}

// Rows of filter byte 0 followed by the samples.
bool FilterRows(const Surface* s, uint8_t* out, size_t row_bytes) {
  const PixelFormat& f = s->format;
  for (int y = 0; y < s->height; y++) {
    const uint8_t* in = s->pixels + (size_t)y * s->pitch;
    uint8_t* row = out + (size_t)y * (row_bytes + 1);
    *row++ = 0;
    if (f.bits == 8) {
      memcpy(row, in, s->width);
      continue;
    }
    for (int x = 0; x < s->width; x++, row += 3) {
      uint32_t pixel = ReadPixel(in + x * f.bytes, f.bytes);
      if (f.bits == 16) {  // fields widened by shifting; the low bits stay 0
        for (int i = 0; i < 3; i++)
          row[i] = ((pixel & f.mask[i]) >> f.shift[i]) << f.loss[i];
      } else {
        row[0] = pixel >> 16, row[1] = pixel >> 8, row[2] = pixel;
      }
    }
  }
  return true;
}

// The signature, the header, the palette (when given) and the rows as one
// IDAT chunk; `raw` holds the rows with their filter bytes.
bool WriteChunks(FILE* file, uint32_t width, uint32_t height, uint8_t color_type, const uint8_t* palette,
                 const uint8_t* raw, size_t raw_size) {
  uLongf packed_size = compressBound(raw_size);
  uint8_t* packed = static_cast<uint8_t*>(malloc(packed_size));
  bool ok = packed && compress(packed, &packed_size, raw, raw_size) == Z_OK;
  if (ok) {
    uint8_t header[13];
    PutBig32(header, width);
    PutBig32(header + 4, height);
    header[8] = 8;
    header[9] = color_type;
    header[10] = header[11] = header[12] = 0;
    ok = fwrite(kSignature, 1, 8, file) == 8 && WriteChunk(file, "IHDR", header, 13) &&
         (!palette || WriteChunk(file, "PLTE", palette, 768)) &&
         WriteChunk(file, "IDAT", packed, packed_size) && WriteChunk(file, "IEND", nullptr, 0);
  }
  free(packed);
  return ok;
}

bool WritePicture(FILE* file, Surface* s) {
  const bool palette = s->format.bits == 8;
  const size_t row_bytes = (size_t)s->width * (palette ? 1 : 3);
  const size_t raw_size = (row_bytes + 1) * s->height;
  uint8_t* raw = static_cast<uint8_t*>(malloc(raw_size));
  bool ok = raw && FilterRows(s, raw, row_bytes) &&
            WriteChunks(file, s->width, s->height, palette ? 3 : 2, palette ? s->format.palette : nullptr,
                        raw, raw_size);
  free(raw);
  return ok;
}

// A picture goes to a fresh file beside its target and replaces it only
// when complete, so a failed write never damages a picture already there.
// Targets that are not regular files (devices, pipes) are written directly.
template <typename Write>
bool WriteSafely(const char* file_name, Write write) {
  struct stat existing;
  const bool existed = stat(file_name, &existing) == 0;
  const bool direct = existed && !S_ISREG(existing.st_mode);
  const std::string temporary = std::string(file_name) + ".tmp";
  const char* written = direct ? file_name : temporary.c_str();
  if (!direct) remove(written);
  FILE* file = fopen(written, direct ? "wb" : "wbx");
  if (!file) return false;
  bool ok = write(file);
  ok = (fclose(file) == 0) && ok;
  if (!direct) {
    ok = ok && rename(written, file_name) == 0;
    if (!ok) remove(written);
  }
  return ok;
}

}  // namespace

bool SavePng(const char* file_name, Surface* surface) {
  if (!file_name || !surface) return false;
  if (surface->format.bits == 8 && !surface->format.palette) return false;
  if (!LockSurface(surface, LockReadOnly)) return false;
  const bool ok = WriteSafely(file_name, [&](FILE* file) { return WritePicture(file, surface); });
  UnlockSurface(surface);
  return ok;
}

bool SavePngRgba(const char* file_name, const uint8_t* rgba, int width, int height) {
  if (!file_name || !rgba || width <= 0 || height <= 0 || width > 0x10000 || height > 0x10000) return false;
  const size_t row_bytes = size_t(width) * 4;
  const size_t raw_size = (row_bytes + 1) * size_t(height);
  uint8_t* raw = static_cast<uint8_t*>(malloc(raw_size));
  if (!raw) return false;
  for (int y = 0; y < height; y++) {
    uint8_t* row = raw + size_t(y) * (row_bytes + 1);
    row[0] = 0;
    memcpy(row + 1, rgba + size_t(y) * row_bytes, row_bytes);
  }
  const bool ok = WriteSafely(file_name, [&](FILE* file) {
    return WriteChunks(file, uint32_t(width), uint32_t(height), 6, nullptr, raw, raw_size);
  });
  free(raw);
  return ok;
}
