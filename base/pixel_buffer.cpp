#include "base/pixel_buffer.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int MaxSide = 8192;
}

PixelBuffer* CreatePixelBuffer(int width, int height) {
  if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide) return nullptr;
  auto* buffer = static_cast<PixelBuffer*>(std::calloc(1, sizeof(PixelBuffer)));
  if (!buffer) return nullptr;
  buffer->width = width;
  buffer->height = height;
  buffer->pitch = uint16_t((width * 2 + 3) & ~3);
  buffer->raw = static_cast<uint8_t*>(std::calloc(size_t(buffer->pitch) * height + 15, 1));
  if (!buffer->raw) {
    std::free(buffer);
    return nullptr;
  }
  buffer->pixels = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(buffer->raw) + 15) & ~uintptr_t{15});
  return buffer;
}

void DestroyPixelBuffer(PixelBuffer* buffer) {
  if (!buffer) return;
  std::free(buffer->raw);
  std::free(buffer);
}

void ClearPixelBuffer(PixelBuffer* buffer) {
  if (buffer) std::memset(buffer->pixels, 0, size_t(buffer->pitch) * buffer->height);
}
