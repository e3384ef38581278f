// The SSP reader. Every size is checked against the bytes left before it is
// used, so short, truncated or oversized files fail without touching memory
// they do not own.
#include "lumo/ssp.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "lumo/display.h"
#include "lumo/surface.h"

namespace {

constexpr uint32_t kMaxSide = 4096;        // no GUI picture is larger
constexpr size_t kMaxFileSize = 64 << 20;  // far above any real picture set

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

// A picture converted into the display's format, or none.
Surface* ToScreenFormat(Surface* picture) {
  const PixelFormat& screen = DisplayFormat();
  if (screen.bits == 0 || SamePixelLayout(picture->format, screen)) return picture;
  Surface* converted = CreateSurface(picture->width, picture->height, screen.bits, 0);
  if (!converted) return nullptr;
  bool keyed = picture->color_key_enabled;
  picture->color_key_enabled = false;  // copy the key pixels too; they stay the key
  bool ok = CopySurface(converted, 0, 0, picture, {0, 0, picture->width, picture->height});
  picture->color_key_enabled = keyed;
  if (!ok) {
    DestroySurface(converted);
    return nullptr;
  }
  // Key-coloured pixels map onto the new format's key.
  if (picture->format.bits != 8) {
    LockSurface(converted, LockReadWrite);
    LockSurface(picture, LockReadOnly);
    const int sb = picture->format.bytes, db = converted->format.bytes;
    for (int y = 0; y < picture->height; y++)
      for (int x = 0; x < picture->width; x++)
        if (ReadPixel(picture->pixels + y * picture->pitch + x * sb, sb) == picture->color_key)
          WritePixel(converted->pixels + y * converted->pitch + x * db, db, converted->color_key);
    UnlockSurface(picture);
    UnlockSurface(converted);
  }
  return converted;
}

}  // namespace

void FreeSspPictures(Surface** table, int count) {
  for (int i = 0; i < count; i++) {
    if (table[i]) DestroySurface(table[i]);
    table[i] = nullptr;
  }
}

int DecodeSsp(const uint8_t* data, size_t size, Surface** table, int max_count, unsigned flags) {
  if (max_count <= 0) return 0;
  for (int i = 0; i < max_count; i++) table[i] = nullptr;
  if (!data || size < (size_t)SspHeaderSize || memcmp(data, "SSP ", 4) != 0) return 0;
  const uint32_t count = U32(data + 4), bits = U32(data + 8);
  if (bits != 8 && bits != 16 && bits != 32) return 0;
  const uint32_t bytes = bits / 8;
  const int wanted = count < (uint32_t)max_count ? (int)count : max_count;
  size_t at = SspHeaderSize;
  for (int i = 0; i < wanted; i++) {
    if (size - at < (size_t)SspPictureHeaderSize) goto fail;
    {
      const uint32_t width = U32(data + at), height = U32(data + at + 4), pflags = U32(data + at + 8);
      at += SspPictureHeaderSize;
      if (width == 0 || height == 0) continue;  // an empty picture: null entry
      if (width > kMaxSide || height > kMaxSide) goto fail;
      const size_t stride = ((size_t)width * bytes + 3) & ~(size_t)3;
      if (stride * height > size - at) goto fail;
      Surface* picture = CreateSurface((int)width, (int)height, (int)bits, flags & ~3u);
      if (!picture) goto fail;
      table[i] = picture;
      if (!LockSurface(picture, LockWriteOnly)) goto fail;
      const size_t row = stride < picture->pitch ? stride : picture->pitch;
      for (uint32_t y = 0; y < height; y++)
        memcpy(picture->pixels + y * picture->pitch, data + at + y * stride, row);
      UnlockSurface(picture);
      at += stride * height;
      if (flags & SspToScreen) {
        Surface* converted = ToScreenFormat(picture);
        if (!converted) goto fail;
        if (converted != picture) {
          DestroySurface(picture);
          table[i] = converted;
        }
      }
      if (pflags & 1) table[i]->color_key_enabled = true;
    }
  }
  // A set of only empty pictures still counts as loaded.
  return wanted;
fail:
  FreeSspPictures(table, max_count);
  return 0;
}

int LoadSsp(const char* path, Surface** table, int max_count, unsigned flags) {
  if (max_count > 0)
    for (int i = 0; i < max_count; i++) table[i] = nullptr;
  FILE* file = path ? fopen(path, "rb") : nullptr;
  if (!file) return 0;
  std::vector<uint8_t> data;
  uint8_t chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (data.size() + got > kMaxFileSize) {
      fclose(file);
      return 0;
    }
    data.insert(data.end(), chunk, chunk + got);
  }
  fclose(file);
  return DecodeSsp(data.data(), data.size(), table, max_count, flags);
}
