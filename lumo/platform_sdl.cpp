// SDL2 stands in for the display hardware: one window with a renderer, and
// display surfaces kept as SDL surfaces that present uploads to a texture.
#include "lumo/platform_sdl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "lumo/software_scaler.h"

namespace {

// Module state: the window and its renderer.
struct PlatformState {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  int renderer_generation = 0;  // counts renderers; textures of older ones are gone
  int logical_width = 0, logical_height = 0;
  // The picture enlarged by a whole factor, between present's two scaling
  // steps; it belongs to renderer `enlarged_generation`.
  SDL_Texture* enlarged = nullptr;
  int enlarged_width = 0, enlarged_height = 0, enlarged_generation = -1;
  uint32_t enlarged_format = 0;
  bool vsync = false;
  bool video_started = false;
  // Software renderers: the picture scaled by the processor to the window's
  // pixels, and the texture of that size it is shown from.
  SoftwareScaler scaler;
  SDL_Texture* scaled = nullptr;
  int scaled_generation = -1;
  SDL_Texture* shown = nullptr;  // the texture the last present copied from
};
PlatformState g_platform;

uint32_t SdlFormatFor(const PixelFormat& format) {
  switch (format.bits) {
    case 8: return SDL_PIXELFORMAT_INDEX8;
    case 16: return SDL_PIXELFORMAT_RGB565;
    case 24: return SDL_PIXELFORMAT_BGR24;  // bytes B, G, R: value 0xRRGGBB
    default: return SDL_PIXELFORMAT_ARGB8888;
  }
}

void ReportSdl(const char* what) { printf("%s: %s\n", what, SDL_GetError()); }

bool StartVideo() {
  if (g_platform.video_started) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    ReportSdl("SDL video");
    return false;
  }
  g_platform.video_started = true;
  return true;
}

// Mesa's software rasterisers (llvmpipe, softpipe, swrast) run OpenGL on
// the processor, without a graphics card (virtual machines, remote and
// virtual X servers): there SDL's own software renderer shows the picture
// for a fraction of their cost.
bool RasterisesInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || SDL_strncmp(info.name, "opengl", 6) != 0)
    return false;
  using GetString = const unsigned char* (*)(unsigned);
  const auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned GlRenderer = 0x1F01;
  const char* name = get_string ? reinterpret_cast<const char*>(get_string(GlRenderer)) : nullptr;
  return name && (SDL_strstr(name, "llvmpipe") || SDL_strstr(name, "softpipe") ||
                  SDL_strstr(name, "Software Rasterizer") || SDL_strstr(name, "swrast"));
}

// A renderer for the window, accelerated when the system has one.
bool CreateRenderer(bool vsync) {
  if (g_platform.renderer) SDL_DestroyRenderer(g_platform.renderer);  // with its textures
  g_platform.renderer_generation++;
  const Uint32 sync = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  g_platform.renderer = SDL_CreateRenderer(g_platform.window, -1, sync);
  // A renderer the user chose (SDL_RENDER_DRIVER) stays.
  if (g_platform.renderer && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && RasterisesInSoftware(g_platform.renderer)) {
    SDL_DestroyRenderer(g_platform.renderer);
    // The window's own pixels, not a texture of the software rasteriser.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    g_platform.renderer = nullptr;
  }
  if (!g_platform.renderer)  // no accelerated one: draw in software
    g_platform.renderer = SDL_CreateRenderer(g_platform.window, -1, SDL_RENDERER_SOFTWARE | sync);
  if (!g_platform.renderer) {
    ReportSdl("SDL renderer");
    return false;
  }
  g_platform.vsync = vsync;
  if (g_platform.logical_width > 0)
    SDL_RenderSetLogicalSize(g_platform.renderer, g_platform.logical_width, g_platform.logical_height);
  return true;
}

// Presentation vsync: switched on the renderer where SDL can, otherwise by
// a new renderer created with or without it.
void ApplyVsync(bool vsync) {
  if (vsync == g_platform.vsync) return;
  if (SDL_RenderSetVSync(g_platform.renderer, vsync) == 0) {
    g_platform.vsync = vsync;
    return;
  }
  if (!CreateRenderer(vsync)) CreateRenderer(!vsync);  // keep whatever works
}

// A render target of the given size for the enlarged picture, kept from
// present to present; none when the renderer cannot draw into textures of
// that size.
SDL_Texture* EnlargedTexture(SDL_Renderer* renderer, uint32_t format, int width, int height) {
  PlatformState& p = g_platform;
  if (p.enlarged && p.enlarged_generation == p.renderer_generation && p.enlarged_width == width &&
      p.enlarged_height == height && p.enlarged_format == format)
    return p.enlarged;
  if (p.enlarged && p.enlarged_generation == p.renderer_generation) SDL_DestroyTexture(p.enlarged);
  p.enlarged = nullptr;
  SDL_RendererInfo info;
  if (!SDL_RenderTargetSupported(renderer) || SDL_GetRendererInfo(renderer, &info) != 0) return nullptr;
  if ((info.max_texture_width && width > info.max_texture_width) ||
      (info.max_texture_height && height > info.max_texture_height))
    return nullptr;
  // Drawn by the processor, a large intermediate picture costs more time
  // per pass than sharpness is worth (640 x 480 doubled still pays).
  if ((info.flags & SDL_RENDERER_SOFTWARE) && (int64_t)width * height > 1'500'000) return nullptr;
  // In software the picture's own format copies without conversion; a
  // graphics card draws into its usual format.
  const uint32_t target_format = (info.flags & SDL_RENDERER_SOFTWARE) ? format : uint32_t(SDL_PIXELFORMAT_ARGB8888);
  p.enlarged = SDL_CreateTexture(renderer, target_format, SDL_TEXTUREACCESS_TARGET, width, height);
  if (!p.enlarged) return nullptr;
  SDL_SetTextureScaleMode(p.enlarged, SDL_ScaleModeLinear);
  SDL_SetTextureBlendMode(p.enlarged, SDL_BLENDMODE_NONE);
  p.enlarged_width = width;
  p.enlarged_height = height;
  p.enlarged_format = format;
  p.enlarged_generation = p.renderer_generation;
  return p.enlarged;
}

// Copies the picture into the window, scaled to the logical size's place
// in it. A whole-number scale keeps hard pixel edges. Any other size
// larger than the picture is reached in two steps: a whole-number
// enlargement past it with hard edges, then a smooth reduction, so text
// and game pixels stay crisp with at most one blended pixel at an edge
// rather than the blur of one smooth enlargement.
bool CopyScaled(SDL_Renderer* renderer, SDL_Texture* picture, int width, int height) {
  int out_width = 0, out_height = 0;
  double scale = 0;
  if (width > 0 && height > 0 && SDL_GetRendererOutputSize(renderer, &out_width, &out_height) == 0)
    scale = std::min((double)out_width / width, (double)out_height / height);
  const long whole = std::lround(scale);
  if (whole >= 1 && std::fabs(scale - whole) < 1e-3) {
    SDL_SetTextureScaleMode(picture, SDL_ScaleModeNearest);
    return SDL_RenderCopy(renderer, picture, nullptr, nullptr) == 0;
  }
  SDL_Texture* enlarged = nullptr;
  if (scale > 1) {
    const int factor = (int)std::ceil(scale);
    uint32_t format = 0;
    SDL_QueryTexture(picture, &format, nullptr, nullptr, nullptr);
    enlarged = EnlargedTexture(renderer, format, width * factor, height * factor);
  }
  if (!enlarged || SDL_SetRenderTarget(renderer, enlarged) != 0) {
    SDL_SetTextureScaleMode(picture, SDL_ScaleModeLinear);
    return SDL_RenderCopy(renderer, picture, nullptr, nullptr) == 0;
  }
  SDL_SetTextureScaleMode(picture, SDL_ScaleModeNearest);
  const bool enlarged_ok = SDL_RenderCopy(renderer, picture, nullptr, nullptr) == 0;
  // Back on the window, whose logical size SDL restores with it.
  if (SDL_SetRenderTarget(renderer, nullptr) != 0 || !enlarged_ok) return false;
  return SDL_RenderCopy(renderer, enlarged, nullptr, nullptr) == 0;
}

// The texture's pixel format. A software renderer scales fastest in the
// window's own format (no conversion and no temporary pictures per pass),
// so there the picture is converted once, as it is uploaded.
uint32_t TextureFormatFor(SDL_Renderer* renderer, const SDL_Surface* store) {
  SDL_RendererInfo info;
  const uint32_t own = store->format->format;
  if (SDL_ISPIXELFORMAT_INDEXED(own) || SDL_GetRendererInfo(renderer, &info) != 0 ||
      !(info.flags & SDL_RENDERER_SOFTWARE))
    return own;
  const uint32_t native = SDL_GetWindowPixelFormat(g_platform.window);
  if (native == SDL_PIXELFORMAT_UNKNOWN || SDL_ISPIXELFORMAT_INDEXED(native) || SDL_BYTESPERPIXEL(native) != 4)
    return own;
  return native;
}

bool UploadPicture(SDL_Texture* texture, const SDL_Surface* store) {
  uint32_t format = 0;
  if (SDL_QueryTexture(texture, &format, nullptr, nullptr, nullptr) != 0) return false;
  if (format == store->format->format) return SDL_UpdateTexture(texture, nullptr, store->pixels, store->pitch) == 0;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return false;
  const int converted = SDL_ConvertPixels(store->w, store->h, store->format->format, store->pixels, store->pitch,
                                          format, pixels, pitch);
  SDL_UnlockTexture(texture);
  return converted == 0;
}

bool SoftwareRenderer(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  return SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
}

// The window's pixels in a 32-bit 0x00RRGGBB layout, which the scaler writes.
bool ScalerCanWrite(uint32_t format) {
  return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
}

// A software renderer scales a picture of another size with a general
// stretch every pass; here the processor scales only what changed, once,
// into a texture of the window's size that is then copied unscaled. False
// when this path does not apply (the caller scales the usual way).
bool PresentScaledInSoftware(SDL_Renderer* renderer, const SDL_Surface* store) {
  PlatformState& p = g_platform;
  const uint32_t native = SDL_GetWindowPixelFormat(p.window);
  const uint32_t source = store->format->format;
  if (!ScalerCanWrite(native) || (source != SDL_PIXELFORMAT_RGB565 && source != SDL_PIXELFORMAT_ARGB8888))
    return false;
  int out_width = 0, out_height = 0;
  if (SDL_GetRendererOutputSize(renderer, &out_width, &out_height) != 0 || out_width < 1 || out_height < 1)
    return false;
  // The logical picture's place in the window: aspect kept, centred.
  const double scale = std::min(double(out_width) / store->w, double(out_height) / store->h);
  SDL_Rect place{0, 0, std::max(1, int(store->w * scale + 1e-6)), std::max(1, int(store->h * scale + 1e-6))};
  place.x = (out_width - place.w) / 2;
  place.y = (out_height - place.h) / 2;

  SoftwareScaler& s = p.scaler;
  const int bytes = SDL_BYTESPERPIXEL(source);
  const bool fresh_texture = !p.scaled || p.scaled_generation != p.renderer_generation;
  if (fresh_texture || s.width != place.w || s.height != place.h || s.source_width != store->w ||
      s.source_height != store->h || s.source_bytes != bytes) {
    if (p.scaled && p.scaled_generation == p.renderer_generation) SDL_DestroyTexture(p.scaled);
    p.scaled = SDL_CreateTexture(renderer, native, SDL_TEXTUREACCESS_STREAMING, place.w, place.h);
    if (!p.scaled || !PlanSoftwareScale(&s, store->w, store->h, bytes, place.w, place.h)) {
      if (p.scaled) SDL_DestroyTexture(p.scaled);
      p.scaled = nullptr;
      return false;
    }
    p.scaled_generation = p.renderer_generation;
    SDL_SetTextureBlendMode(p.scaled, SDL_BLENDMODE_NONE);
  }
  const ScaleArea area = SoftwareScale(&s, static_cast<const uint8_t*>(store->pixels), store->pitch);
  if (area.width > 0) {
    const SDL_Rect rect{area.x, area.y, area.width, area.height};
    const uint32_t* from = s.output.data() + size_t(area.y) * s.width + area.x;
    if (SDL_UpdateTexture(p.scaled, &rect, from, s.width * 4) != 0) return false;
  }
  // Copied in window pixels: the logical size is set aside for the copy and
  // back before the next events are read.
  SDL_RenderSetLogicalSize(renderer, 0, 0);
  SDL_RenderSetViewport(renderer, nullptr);
  SDL_RenderSetScale(renderer, 1, 1);
  bool ok = true;
  if (place.w != out_width || place.h != out_height) ok = SDL_RenderClear(renderer) == 0;
  ok = ok && SDL_RenderCopy(renderer, p.scaled, nullptr, &place) == 0;
  p.shown = p.scaled;
  SDL_RenderSetLogicalSize(renderer, p.logical_width, p.logical_height);
  if (ok) SDL_RenderPresent(renderer);
  return ok;
}

}  // namespace

DisplayTexture* PlatformCreateTexture(int width, int height, const PixelFormat& format) {
  SDL_Surface* store = SDL_CreateRGBSurfaceWithFormat(0, width, height, format.bits,
                                                      SdlFormatFor(format));
  if (!store) return nullptr;
  auto* texture = new DisplayTexture{store, nullptr, 0, 0, 0};
  return texture;
}

void PlatformDestroyTexture(DisplayTexture* texture) {
  if (!texture) return;
  if (texture->texture && texture->renderer_generation == g_platform.renderer_generation)
    SDL_DestroyTexture(texture->texture);
  SDL_FreeSurface(texture->store);
  delete texture;
}

uint8_t* PlatformLockTexture(DisplayTexture* texture, LockMode, int* pitch) {
  if (SDL_LockSurface(texture->store) != 0) return nullptr;
  texture->lock_calls++;
  *pitch = texture->store->pitch;
  return static_cast<uint8_t*>(texture->store->pixels);
}

void PlatformUnlockTexture(DisplayTexture* texture) {
  SDL_UnlockSurface(texture->store);
  texture->unlock_calls++;
}

bool PlatformOpenWindow(int width, int height, bool full_screen) {
  if (!StartVideo()) return false;
  if (!g_platform.window) {
    // Resizable: the picture is scaled into whatever size the user gives
    // the window.
    g_platform.window = SDL_CreateWindow("Tavo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                         width, height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!g_platform.window) {
      ReportSdl("SDL window");
      return false;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (!CreateRenderer(false)) {
      PlatformCloseWindow();
      return false;
    }
  }
  SDL_Window* window = g_platform.window;
  if (full_screen) {
    // Placed over the whole display first: without a window manager (a
    // bare X server) the full-screen request alone leaves the window where
    // and as large as it was, while the renderer draws for the desktop size.
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &bounds) == 0) {
      SDL_SetWindowPosition(window, bounds.x, bounds.y);
      SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      ReportSdl("SDL full screen");
      return false;
    }
  } else {
    if (SDL_SetWindowFullscreen(window, 0) != 0) {
      ReportSdl("SDL windowed");
      return false;
    }
    SDL_SetWindowSize(window, width, height);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  // The mode's size is the logical size; SDL scales it to the desktop or
  // the window with the aspect kept (black bars), and gives mouse positions
  // in its pixels.
  g_platform.logical_width = width;
  g_platform.logical_height = height;
  if (SDL_RenderSetLogicalSize(g_platform.renderer, width, height) != 0) {
    ReportSdl("SDL logical size");
    return false;
  }
  SDL_ShowWindow(window);
  return true;
}

void PlatformCloseWindow() {
  if (g_platform.renderer) SDL_DestroyRenderer(g_platform.renderer);
  if (g_platform.window) SDL_DestroyWindow(g_platform.window);
  g_platform.renderer = nullptr;
  g_platform.window = nullptr;
  g_platform.enlarged = nullptr;  // went with the renderer
  g_platform.scaled = g_platform.shown = nullptr;
  g_platform.renderer_generation++;
  g_platform.logical_width = g_platform.logical_height = 0;
  g_platform.vsync = false;
  if (g_platform.video_started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  g_platform.video_started = false;
}

bool PlatformStartVideo() { return StartVideo(); }

bool PlatformHasWindow() { return g_platform.window != nullptr; }

void PlatformRenderDeviceReset() {
  // The old textures stay with the renderer, which frees them when it goes.
  g_platform.renderer_generation++;
}

void PlatformMinimizeWindow() {
  if (g_platform.window) SDL_MinimizeWindow(g_platform.window);
}

bool PlatformDesktopSize(int* width, int* height) {
  if (!StartVideo()) return false;
  SDL_DisplayMode mode;
  const int display = g_platform.window ? SDL_GetWindowDisplayIndex(g_platform.window) : 0;
  if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) != 0) return false;
  *width = mode.w;
  *height = mode.h;
  return true;
}
SDL_Window* PlatformWindow() { return g_platform.window; }

bool PlatformPresent(DisplayTexture* texture, bool vsync) {
  SDL_Renderer* renderer = g_platform.renderer;
  if (!renderer || !texture) return false;
  SDL_Surface* store = texture->store;
  ApplyVsync(vsync);
  renderer = g_platform.renderer;
  if (SoftwareRenderer(renderer) && PresentScaledInSoftware(renderer, store)) return true;
  if (texture->renderer_generation != g_platform.renderer_generation) texture->texture = nullptr;
  if (!texture->texture) {
    texture->texture = SDL_CreateTexture(renderer, TextureFormatFor(renderer, store),
                                         SDL_TEXTUREACCESS_STREAMING, store->w, store->h);
    if (!texture->texture) {
      ReportSdl("SDL texture");
      return false;
    }
    texture->renderer_generation = g_platform.renderer_generation;
    SDL_SetTextureBlendMode(texture->texture, SDL_BLENDMODE_NONE);
  }
  if (!UploadPicture(texture->texture, store) ||
      SDL_RenderClear(renderer) != 0 || !CopyScaled(renderer, texture->texture, store->w, store->h)) {
    ReportSdl("SDL present");
    return false;
  }
  SDL_RenderPresent(renderer);
  g_platform.shown = texture->texture;
  return true;
}

SDL_Texture* PlatformShownTexture() { return g_platform.shown; }
