// Draws the pictures of the themes shipped with the program: procedural
// desktop backgrounds (gradients, soft light, quiet patterns) and window
// textures, written with the program's own PNG writer.
//   make_theme_pictures OUT_DIR NAME.png...
// Each NAME is one of the pictures below. The colours are rounded to the
// 16-bit display format with an ordered dither, so gradients stay smooth
// without banding on a 16-bit screen.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lumo/png.h"
#include "lumo/surface.h"

namespace {

struct Rgb {
  float r, g, b;
};

Rgb Hex(uint32_t c) { return {float(c >> 16 & 255), float(c >> 8 & 255), float(c & 255)}; }
Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
float Clamp01(float x) { return x < 0 ? 0 : x > 1 ? 1 : x; }
float SmoothStep(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
constexpr float kPi = 3.14159265f;

// A fixed pseudo-random sequence: the pictures are the same on every build.
struct Random {
  uint32_t state;
  float Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return float(state & 0xFFFFFF) / float(0x1000000);
  }
};

// A per-pixel value in [0, 1) that tiles with any power-of-two period.
float Grain(int x, int y) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return float((h ^ (h >> 16)) & 0xFFFF) / 65536.0f;
}

using Canvas = std::vector<Rgb>;

struct Picture {
  const char* name;
  int width, height;
  void (*draw)(Canvas& c, int w, int h);
};

// Soft round lights added toward a colour.
void SoftLights(Canvas& c, int w, int h, uint32_t seed, int count, Rgb tint, float strength) {
  Random random{seed};
  for (int i = 0; i < count; i++) {
    const float cx = random.Next() * w, cy = random.Next() * h;
    const float radius = (0.05f + random.Next() * 0.12f) * w;
    const float amount = strength * (0.4f + 0.6f * random.Next());
    const int x0 = std::max(0, int(cx - radius)), x1 = std::min(w - 1, int(cx + radius));
    const int y0 = std::max(0, int(cy - radius)), y1 = std::min(h - 1, int(cy + radius));
    for (int y = y0; y <= y1; y++)
      for (int x = x0; x <= x1; x++) {
        const float d = std::hypot(x - cx, y - cy) / radius;
        const float t = amount * (1 - SmoothStep(0.55f, 1.0f, d));
        Rgb& p = c[y * w + x];
        p = Mix(p, tint, t);
      }
  }
}

void LightBackground(Canvas& c, int w, int h) {
  const Rgb top = Hex(0x9CCFF5), bottom = Hex(0x4F82B8);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const float u = float(x) / w, v = float(y) / h;
      Rgb p = Mix(top, bottom, std::pow(v, 1.2f));
      // Two slow light waves across the lower half.
      for (int k = 0; k < 2; k++) {
        const float centre = 0.62f + 0.12f * k + 0.05f * std::sin(2 * kPi * (u * (1.1f + 0.4f * k) + 0.3f * k));
        const float band = std::exp(-std::pow((v - centre) / (0.035f + 0.015f * k), 2.0f));
        p = Mix(p, Hex(0xE8F4FF), 0.16f * band);
      }
      c[y * w + x] = p;
    }
  SoftLights(c, w, h, 0x5EED1u, 14, Hex(0xFFFFFF), 0.10f);
}

void DarkBackground(Canvas& c, int w, int h) {
  const Rgb top = Hex(0x1E2740), bottom = Hex(0x080B14);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const float u = float(x) / w, v = float(y) / h;
      Rgb p = Mix(top, bottom, v);
      // Faint aurora ribbons, teal and violet.
      const float teal = 0.32f + 0.07f * std::sin(2 * kPi * (u * 1.3f + 0.15f));
      const float violet = 0.45f + 0.06f * std::sin(2 * kPi * (u * 0.9f + 0.6f));
      const float shimmer = 0.6f + 0.4f * std::sin(u * 23.0f + v * 4.0f);
      p = Mix(p, Hex(0x2FA8A0), 0.22f * shimmer * std::exp(-std::pow((v - teal) / 0.05f, 2.0f)));
      p = Mix(p, Hex(0x7A5CC8), 0.16f * std::exp(-std::pow((v - violet) / 0.07f, 2.0f)));
      c[y * w + x] = p;
    }
  // Small stars, dimmer toward the bottom.
  Random random{0xDA4Cu};
  for (int i = 0; i < 220; i++) {
    const int x = int(random.Next() * w), y = int(random.Next() * h * 0.8f);
    const float bright = (0.25f + 0.55f * random.Next()) * (1 - float(y) / h);
    for (int dy = -1; dy <= 1; dy++)
      for (int dx = -1; dx <= 1; dx++) {
        if (x + dx < 0 || x + dx >= w || y + dy < 0 || y + dy >= h) continue;
        const float t = bright * ((dx == 0 && dy == 0) ? 1.0f : (dx == 0 || dy == 0) ? 0.35f : 0.1f);
        Rgb& p = c[(y + dy) * w + x + dx];
        p = Mix(p, Hex(0xEAF0FF), t);
      }
  }
}

// The desktop while the GUI is hidden frames the game: dark and calm.
void Vignette(Canvas& c, int w, int h, uint32_t top_colour, uint32_t bottom_colour) {
  const Rgb top = Hex(top_colour), bottom = Hex(bottom_colour);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const float u = float(x) / w - 0.5f, v = float(y) / h - 0.5f;
      const float fade = 1 - 0.55f * SmoothStep(0.1f, 0.55f, std::sqrt(u * u + v * v));
      Rgb p = Mix(top, bottom, v + 0.5f);
      c[y * w + x] = {p.r * fade, p.g * fade, p.b * fade};
    }
}

void LightBackgroundNoGui(Canvas& c, int w, int h) { Vignette(c, w, h, 0x1A2233, 0x06080D); }
void DarkBackgroundNoGui(Canvas& c, int w, int h) { Vignette(c, w, h, 0x0E1220, 0x020306); }

// Thin diagonal hatching on black: texture without stealing contrast.
void Hatch(Canvas& c, int w, int h, int period, int sign, uint32_t line) {
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const int d = ((x + sign * y) % period + period) % period;
      c[y * w + x] = d < 2 ? Hex(line) : Hex(0x000000);
    }
}

void ContrastBackground(Canvas& c, int w, int h) { Hatch(c, w, h, 24, 1, 0x1C1C1C); }
void ContrastBackgroundNoGui(Canvas& c, int w, int h) { Hatch(c, w, h, 32, -1, 0x0C0C0C); }

// Window textures: the window colour with a pattern of a few levels, so the
// text colour chosen for the window colour stays readable on them.
void LightWindow(Canvas& c, int w, int h) {
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const float line = ((x + y) % 8 == 0) ? 5.0f : 0.0f;
      const float grain = (Grain(x, y) - 0.5f) * 3.0f;
      Rgb p = Hex(0xD4DEEA);
      c[y * w + x] = {p.r + line + grain, p.g + line + grain, p.b + line + grain};
    }
}

void DarkWindow(Canvas& c, int w, int h) {
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const float grain = (Grain(x, y) - 0.5f) * 4.0f;
      const float dot = (x % 16 == 8 && y % 16 == 8) ? 6.0f : 0.0f;
      Rgb p = Hex(0x2A303C);
      c[y * w + x] = {p.r + grain + dot, p.g + grain + dot, p.b + grain + dot};
    }
}

const Picture kPictures[] = {
    {"light_background.png", 640, 480, LightBackground},
    {"light_background_nogui.png", 640, 480, LightBackgroundNoGui},
    {"light_window.png", 256, 256, LightWindow},
    {"dark_background.png", 640, 480, DarkBackground},
    {"dark_background_nogui.png", 640, 480, DarkBackgroundNoGui},
    {"dark_window.png", 256, 256, DarkWindow},
    {"high_contrast_background.png", 640, 480, ContrastBackground},
    {"high_contrast_background_nogui.png", 640, 480, ContrastBackgroundNoGui},
};

// Rounds to 5-6-5 with a 4 x 4 ordered dither and widens back to 8 bits.
uint8_t Dither(float value, int bits, float threshold) {
  const int levels = (1 << bits) - 1;
  const float step = 256.0f / (1 << bits);
  int q = int(std::floor(value / step + threshold));
  q = q < 0 ? 0 : q > levels ? levels : q;
  return uint8_t(q << (8 - bits) | q >> (2 * bits - 8));
}

bool Write(const Picture& picture, const std::string& path) {
  const int w = picture.width, h = picture.height;
  Canvas canvas(size_t(w) * h, Rgb{0, 0, 0});
  picture.draw(canvas, w, h);
  Surface* surface = CreateSurface(w, h, 32, 0);
  if (!surface) return false;
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  uint8_t* pixels = LockSurface(surface, LockWriteOnly);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const Rgb& p = canvas[size_t(y) * w + x];
      const float t = (bayer[y & 3][x & 3] + 0.5f) / 16.0f;
      const uint32_t value = uint32_t(Dither(p.r, 5, t)) << 16 | uint32_t(Dither(p.g, 6, t)) << 8 |
                             Dither(p.b, 5, t);
      WritePixel(pixels + size_t(y) * surface->pitch + size_t(x) * 4, 4, value);
    }
  UnlockSurface(surface);
  const bool ok = SavePng(path.c_str(), surface);
  DestroySurface(surface);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT_DIR NAME.png...\n", argv[0]);
    return 2;
  }
  for (int i = 2; i < argc; i++) {
    const Picture* found = nullptr;
    for (const Picture& picture : kPictures)
      if (std::strcmp(picture.name, argv[i]) == 0) found = &picture;
    if (!found) {
      std::fprintf(stderr, "no picture named %s\n", argv[i]);
      return 1;
    }
    const std::string path = std::string(argv[1]) + "/" + argv[i];
    if (!Write(*found, path)) {
      std::fprintf(stderr, "couldn't write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
