// Surface lifetime, locking and the registry of live surfaces.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lumo/platform_sdl.h"
#include "lumo/surface.h"

namespace {

constexpr int kRegistryGrowth = 256;
constexpr int kMaxPitch = 0xFFFF;  // the pitch field is 16 bits

// Module state: every live surface; a destroyed one leaves a null entry.
struct SurfaceRegistry {
  Surface** entries = nullptr;
  int capacity = 0;
  int used = 0;  // entries handed out so far (free ones are reused)
  int live = 0;
};
SurfaceRegistry g_registry;

bool RegisterSurface(Surface* surface) {
  SurfaceRegistry& r = g_registry;
  for (int i = 0; i < r.used; i++) {
    if (!r.entries[i]) {
      r.entries[i] = surface;
      r.live++;
      return true;
    }
  }
  if (r.used == r.capacity) {
    int capacity = r.capacity + kRegistryGrowth;
    auto* entries = static_cast<Surface**>(realloc(r.entries, capacity * sizeof(Surface*)));
    if (!entries) return false;
    r.entries = entries;
    r.capacity = capacity;
  }
  r.entries[r.used] = surface;
  r.used++;
  r.live++;
  return true;
}

void ReleaseSurface(Surface* surface) {
  if (surface->display) PlatformDestroyTexture(surface->display);
  free(surface->raw);
  FreePixelFormat(&surface->format);
  free(surface);
}

}  // namespace

Surface* ViewPixelBuffer(Surface* view, const PixelBuffer* buffer) {
  if (!buffer) return nullptr;
  *view = Surface{};
  MakePixelFormat(&view->format, 16);
  view->width = buffer->width;
  view->height = buffer->height;
  view->pitch = buffer->pitch;
  view->pixels = buffer->pixels;
  view->clip = {0, 0, buffer->width - 1, buffer->height - 1};
  view->white = ColorToPixel(view->format, 255, 255, 255);
  view->color_key = ColorToPixel(view->format, 255, 0, 255);
  return view;
}

Surface* CreateSurface(int width, int height, int bits_per_pixel, unsigned flags) {
  if (width <= 0 || height <= 0) return nullptr;
  PixelFormat format;
  if (!MakePixelFormat(&format, bits_per_pixel)) return nullptr;
  long pitch = ((long)width * format.bytes + 3) & ~3L;
  if (pitch > kMaxPitch || (long)height * pitch > 0x7FFFFFFFL) {
    FreePixelFormat(&format);
    return nullptr;
  }
  auto* surface = static_cast<Surface*>(calloc(1, sizeof(Surface)));
  if (!surface) {
    FreePixelFormat(&format);
    return nullptr;
  }
  surface->width = width;
  surface->height = height;
  surface->format = format;
  surface->clip = {0, 0, width - 1, height - 1};
  if (flags & SurfaceDisplayMemory) {
    surface->display = PlatformCreateTexture(width, height, format);
    surface->display_memory = true;
    // The real pitch comes with each lock; until then the store's own.
    if (surface->display && surface->display->store->pitch <= kMaxPitch)
      surface->pitch = surface->display->store->pitch;
  } else {
    surface->pitch = pitch;
    size_t size = (size_t)pitch * height;
    surface->raw = static_cast<uint8_t*>(flags & SurfaceClear ? calloc(size + 15, 1)
                                                              : malloc(size + 15));
    if (surface->raw)
      surface->pixels = reinterpret_cast<uint8_t*>(((uintptr_t)surface->raw + 15) & ~(uintptr_t)15);
  }
  if ((surface->display_memory ? !surface->display : !surface->raw) ||
      !RegisterSurface(surface)) {
    ReleaseSurface(surface);
    return nullptr;
  }
  // An 8-bit palette starts black, so white and the key are chosen once it is
  // set; the default grey ramp makes them meaningful before that.
  if (bits_per_pixel == 8)
    for (int i = 0; i < 256; i++) memset(surface->format.palette + i * 3, i, 3);
  surface->white = ColorToPixel(surface->format, 255, 255, 255);
  surface->color_key = ColorToPixel(surface->format, 255, 0, 255);
  if (surface->display_memory && (flags & SurfaceClear)) {
    if (uint8_t* pixels = LockSurface(surface, LockWriteOnly)) {
      for (int y = 0; y < height; y++) memset(pixels + y * surface->pitch, 0, width * format.bytes);
      UnlockSurface(surface);
    }
  }
  return surface;
}

void DestroySurface(Surface* surface) {
  if (!surface) return;
  SurfaceRegistry& r = g_registry;
  int count = 0, index = -1;
  for (int i = 0; i < r.used; i++) {
    if (r.entries[i] == surface) {
      count++;
      index = i;
    }
  }
  if (count != 1) {
    printf("free error: %d (%d)\n", (int)(uintptr_t)surface, count);
    fflush(stdout);
    return;
  }
  r.entries[index] = nullptr;
  r.live--;
  ReleaseSurface(surface);
}

uint8_t* LockSurface(Surface* surface, LockMode mode) {
  if (!surface) return nullptr;
  if (surface->lock_count == 0xFF) return nullptr;  // the counter is one byte
  if (surface->display && surface->lock_count == 0) {
    int pitch = 0;
    uint8_t* pixels = PlatformLockTexture(surface->display, mode, &pitch);
    if (!pixels || pitch > kMaxPitch) {
      if (pixels) PlatformUnlockTexture(surface->display);
      surface->pixels = nullptr;
      return nullptr;
    }
    surface->pixels = pixels;
    surface->pitch = pitch;
  }
  surface->lock_count++;
  return surface->pixels;
}

void UnlockSurface(Surface* surface) {
  if (!surface || surface->lock_count == 0) return;
  surface->lock_count--;
  if (surface->display && surface->lock_count == 0) {
    PlatformUnlockTexture(surface->display);
    surface->pixels = nullptr;
  }
}

void SetSurfaceClip(Surface* surface, int left, int top, int right, int bottom) {
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (right > surface->width - 1) right = surface->width - 1;
  if (bottom > surface->height - 1) bottom = surface->height - 1;
  surface->clip = {left, top, right, bottom};
}

void PrintSurfaceList() {
  const SurfaceRegistry& r = g_registry;
  printf("Lumo Surface List:\n");
  for (int i = 0; i < r.used; i++) {
    const Surface* s = r.entries[i];
    if (!s || s->width <= 20) continue;
    printf("%4d: @%d: %dx%dx%d %d (allocated=1)\n", i, (int)(uintptr_t)s, s->width, s->height,
           s->format.bits, s->display_memory ? 1 : 0);
  }
  fflush(stdout);
}

int LiveSurfaceCount() { return g_registry.live; }

void ResetSurfaces() {
  SurfaceRegistry& r = g_registry;
  for (int i = 0; i < r.used; i++)
    if (r.entries[i]) ReleaseSurface(r.entries[i]);
  free(r.entries);
  r = SurfaceRegistry{};
}
