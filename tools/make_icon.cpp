// Draws the desktop icon, tavo.png, at every size a desktop asks for: a
// handheld console rising like the sun over a rounded tile in the dawn
// colours of the lark emblem, its screen showing a bright hill scene. Each
// size is drawn on its own from shapes laid out on a 256-unit grid, with
// every edge moved onto a whole pixel and small details dropped or kept at
// least a pixel wide, so the small sizes stay crisp; 5 x 5 samples a pixel
// smooth the curves. Outside the tile the picture is transparent.
//   make_icon FOLDER SIZE...   writes FOLDER/SIZExSIZE/apps/tavo.png
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "lumo/png.h"

namespace {

struct Colour {
  float r, g, b, a;
};

Colour Rgb(uint32_t rgb, float alpha = 1.0f) {
  return {float(rgb >> 16 & 255) / 255.0f, float(rgb >> 8 & 255) / 255.0f, float(rgb & 255) / 255.0f, alpha};
}

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// A shape answers whether a point (in grid units) is inside; a paint gives
// the colour there.
using Shape = std::function<bool(float x, float y)>;
using Paint = std::function<Colour(float x, float y)>;

struct Layer {
  Shape inside;
  Paint paint;
};

// Distance outside a rounded rectangle (negative inside).
float RoundRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius) {
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const float hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
  radius = std::min(radius, std::min(x1 - x0, y1 - y0) / 2);
  return [=](float x, float y) { return RoundRectDistance(x, y, x0, y0, x1, y1, radius) <= 0; };
}

Shape Circle(float cx, float cy, float radius) {
  return [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

Shape Both(Shape a, Shape b) {
  return [=](float x, float y) { return a(x, y) && b(x, y); };
}

Shape Either(Shape a, Shape b) {
  return [=](float x, float y) { return a(x, y) || b(x, y); };
}

Paint Solid(Colour c) {
  return [=](float, float) { return c; };
}

// Colour stops from top (y0) to bottom (y1).
Paint Vertical(float y0, float y1, std::vector<Colour> stops) {
  return [=](float, float y) {
    float t = std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f) * float(stops.size() - 1);
    const size_t i = std::min(size_t(t), stops.size() - 2);
    return Mix(stops[i], stops[i + 1], t - float(i));
  };
}

// The palette: the lark's dawn sky on the tile, a charcoal console, a
// sunny screen.
const Colour SkyTop = Rgb(0x1B2147), SkyHigh = Rgb(0x33366E), SkyMid = Rgb(0x6B4A8C), SkyLow = Rgb(0xC5637E),
             SkyGlow = Rgb(0xF2955F), SkyHorizon = Rgb(0xFFD28A);
const Colour SunCore = Rgb(0xFFF6CF), SunRim = Rgb(0xFFE08A);
const Colour Body = Rgb(0x2E2A38), BodyLight = Rgb(0x4A4458), BodyDark = Rgb(0x1E1B25);
const Colour Bezel = Rgb(0x15131A), Pad = Rgb(0x121016), PadLight = Rgb(0x3C3747);
const Colour Button = Rgb(0xE8574A), ButtonLight = Rgb(0xFF8F7A), StartButton = Rgb(0x4F7BD9);
const Colour ScreenSky = Rgb(0x7FD4F5), ScreenSkyLow = Rgb(0xC8F0FF), HillFar = Rgb(0x5CC06A),
             HillNear = Rgb(0x2F8F4E), Cloud = Rgb(0xFFFFFF), ScreenSun = Rgb(0xFFE45C);
const Colour Rim = Rgb(0xFFFFFF, 0.22f), Shadow = Rgb(0x0D0818, 0.45f), Grille = Rgb(0x15131A);

// Layout on the 256-unit grid, snapped to the pixels of one size.
class Grid {
 public:
  explicit Grid(int size) : size_(size), scale_(float(size) / 256.0f) {}
  int size() const { return size_; }
  float pixel() const { return 1.0f / scale_; }  // one pixel in grid units
  // A grid position moved onto the nearest pixel edge.
  float Edge(float v) const { return std::round(v * scale_) / scale_; }
  // A span of at least `min_pixels` whole pixels around a centre: [a, b].
  void Span(float centre, float width, float min_pixels, float* a, float* b) const {
    const float pixels = std::max(min_pixels, std::round(width * scale_));
    *a = std::round(centre * scale_ - pixels / 2) / scale_;
    *b = *a + pixels * pixel();
  }
  Shape Rect(float x0, float y0, float x1, float y1, float radius) const {
    return RoundRect(Edge(x0), Edge(y0), Edge(x1), Edge(y1), radius);
  }

 private:
  int size_;
  float scale_;
};

std::vector<Layer> Scene(const Grid& g) {
  const float px = g.pixel();
  const bool tiny = g.size() <= 24, small = g.size() <= 48;
  std::vector<Layer> layers;

  // The tile: the dawn sky, the sun rising behind the console and a light
  // rim along the top.
  const float margin = g.Edge(std::max(px, 12.0f)), tile_radius = std::max(2.5f * px, 46.0f);
  const Shape tile = g.Rect(margin, margin, 256 - margin, 256 - margin, tile_radius);
  layers.push_back({tile, Vertical(margin, 256 - margin, {SkyTop, SkyHigh, SkyMid, SkyLow, SkyGlow, SkyHorizon})});
  const float sun_y = 104, sun_r = tiny ? 64 : small ? 58 : 62;
  if (!tiny) {  // a glow fading out around the sun
    const float glow = small ? 16 : 26;
    layers.push_back({Both(tile, Circle(128, sun_y, sun_r + glow)), [=](float x, float y) {
                        const float d = std::hypot(x - 128, y - sun_y) - sun_r;
                        Colour c = SunRim;
                        c.a = 0.32f * std::clamp(1.0f - d / glow, 0.0f, 1.0f);
                        return c;
                      }});
  }
  layers.push_back({Both(tile, Circle(128, sun_y, sun_r)),
                    tiny ? Solid(SunRim) : Vertical(sun_y - sun_r, sun_y, {SunCore, SunRim})});
  if (!tiny) {
    const float rim = std::max(px, 3.0f);
    layers.push_back({[=](float x, float y) { return y < 128 && tile(x, y) && !tile(x, y - rim); }, Solid(Rim)});
  }

  // The console: a soft shadow below it, a body with rounded ends, lit
  // along its top.
  const float bx0 = g.Edge(tiny ? 28 : 30), bx1 = 256 - bx0, by0 = g.Edge(tiny ? 112 : 110),
              by1 = g.Edge(tiny ? 208 : 206);
  const float body_radius = tiny ? 4 * px : 40;
  const float drop = std::max(px, 8.0f), blur = std::max(px, 14.0f);
  auto shadow_distance = [=](float x, float y) {
    return RoundRectDistance(x, y, bx0, by0 + drop, bx1, by1 + drop, body_radius);
  };
  if (!tiny) {
    layers.push_back({Both(tile, [=](float x, float y) { return shadow_distance(x, y) <= blur; }),
                      [=](float x, float y) {
                        Colour c = Shadow;
                        c.a *= std::clamp(1.0f - shadow_distance(x, y) / blur, 0.0f, 1.0f);
                        return c;
                      }});
  }
  const Shape body = RoundRect(bx0, by0, bx1, by1, body_radius);
  layers.push_back({body, Vertical(by0, by1, {BodyLight, Body, Body, BodyDark})});
  if (!small) {  // a thin highlight just inside the top edge
    layers.push_back({[=](float x, float y) {
                        return body(x, y) && RoundRectDistance(x, y, bx0, by0 + 3, bx1, by1, body_radius) > 0 &&
                               y < by0 + body_radius;
                      },
                      Solid(Rgb(0x6A6380))});
  }

  // The screen in its bezel: sky, sun, cloud, two hills.
  const float sx0 = g.Edge(tiny ? 84 : 82), sx1 = 256 - sx0;
  const float sy0 = g.Edge(tiny ? 128 : 122), sy1 = g.Edge(tiny ? 192 : 194);
  const float bezel = tiny ? 0 : g.Edge(std::max(px, 8.0f));
  if (!tiny) layers.push_back({g.Rect(sx0 - bezel, sy0 - bezel, sx1 + bezel, sy1 + bezel, 10), Solid(Bezel)});
  const Shape screen = RoundRect(sx0, sy0, sx1, sy1, tiny ? 0 : 3);
  layers.push_back({screen, Vertical(sy0, sy1, {ScreenSky, ScreenSkyLow})});
  if (!tiny) {
    layers.push_back({Both(screen, Circle(sx1 - 22, sy0 + 18, small ? 10 : 9)), Solid(ScreenSun)});
    if (!small) {
      layers.push_back({Both(screen, Either(Circle(sx0 + 28, sy0 + 22, 7), Either(Circle(sx0 + 38, sy0 + 19, 9),
                                                                                  Circle(sx0 + 48, sy0 + 23, 6)))),
                        Solid(Cloud)});
    }
    layers.push_back({Both(screen, Circle(sx0 + 18, sy1 + 40, 62)), Solid(HillFar)});
    layers.push_back({Both(screen, Circle(sx1 - 4, sy1 + 52, 66)), Solid(HillNear)});
  } else {
    layers.push_back({Both(screen, [=](float, float y) { return y >= sy1 - px; }), Solid(HillNear)});
  }

  // The direction pad at the left, two buttons and the start button at the
  // right.
  const float pad_cx = (bx0 + sx0 - bezel) / 2 + (tiny ? 0 : 1), pad_cy = (by0 + by1) / 2 + (tiny ? 0 : 4);
  float ax0, ax1, ay0, ay1, wx0, wx1, wy0, wy1;
  g.Span(pad_cx, tiny ? 36 : 40, 3, &ax0, &ax1);
  g.Span(pad_cy, tiny ? 36 : 40, 3, &ay0, &ay1);
  g.Span(pad_cx, tiny ? 12 : 14, 1, &wx0, &wx1);
  g.Span(pad_cy, tiny ? 12 : 14, 1, &wy0, &wy1);
  const float arm_radius = tiny ? 0 : 3;
  const Shape pad = Either(RoundRect(ax0, wy0, ax1, wy1, arm_radius), RoundRect(wx0, ay0, wx1, ay1, arm_radius));
  layers.push_back({pad, Solid(Pad)});
  if (!small) {
    layers.push_back({[=](float x, float y) { return pad(x, y) && !pad(x, y - 3); }, Solid(PadLight)});
  }
  const float buttons_cx = (sx1 + bezel + bx1) / 2;
  const float button_r = tiny ? std::max(0.75f * px, 11.0f) : 11;
  const float b1x = g.Edge(buttons_cx - 11), b1y = g.Edge(pad_cy + 4), b2x = g.Edge(buttons_cx + 11),
              b2y = g.Edge(pad_cy - 14);
  const float centres[2][2] = {{b1x, b1y}, {b2x, b2y}};
  for (const auto& b : centres) {
    const float cx = tiny ? b[0] + px / 2 : b[0], cy = tiny ? b[1] + px / 2 : b[1];
    layers.push_back({Circle(cx, cy, button_r), Vertical(cy - button_r, cy + button_r, {ButtonLight, Button})});
  }
  if (!tiny) layers.push_back({Circle(g.Edge(buttons_cx), g.Edge(by0 + 18), small ? 5 : 4.5f), Solid(StartButton)});
  if (!small) {  // speaker slits under the buttons
    for (int i = 0; i < 3; i++) {
      const float x = buttons_cx - 12 + float(i) * 12;
      layers.push_back({RoundRect(x - 2, by1 - 19, x + 2, by1 - 8, 2), Solid(Grille)});
    }
  }
  return layers;
}

// Every pixel from 5 x 5 samples composited through the layers, averaged
// with premultiplied alpha.
std::vector<uint8_t> Draw(int size) {
  const Grid g(size);
  const std::vector<Layer> layers = Scene(g);
  constexpr int Samples = 5;
  std::vector<uint8_t> rgba(size_t(size) * size * 4);
  for (int py = 0; py < size; py++)
    for (int px = 0; px < size; px++) {
      float r = 0, gr = 0, b = 0, a = 0;
      for (int sy = 0; sy < Samples; sy++)
        for (int sx = 0; sx < Samples; sx++) {
          const float x = (float(px) + (float(sx) + 0.5f) / Samples) * g.pixel();
          const float y = (float(py) + (float(sy) + 0.5f) / Samples) * g.pixel();
          float cr = 0, cg = 0, cb = 0, ca = 0;  // premultiplied
          for (const Layer& layer : layers) {
            if (!layer.inside(x, y)) continue;
            const Colour c = layer.paint(x, y);
            cr = c.r * c.a + cr * (1 - c.a);
            cg = c.g * c.a + cg * (1 - c.a);
            cb = c.b * c.a + cb * (1 - c.a);
            ca = c.a + ca * (1 - c.a);
          }
          r += cr, gr += cg, b += cb, a += ca;
        }
      const float n = Samples * Samples;
      uint8_t* out = &rgba[(size_t(py) * size + px) * 4];
      const float alpha = a / n;
      auto channel = [&](float premultiplied) {
        return uint8_t(std::lround(std::clamp(alpha > 0 ? premultiplied / n / alpha : 0.0f, 0.0f, 1.0f) * 255));
      };
      out[0] = channel(r), out[1] = channel(gr), out[2] = channel(b);
      out[3] = uint8_t(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255));
    }
  return rgba;
}

bool MakeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); at++)
    if (at == path.size() || path[at] == '/')
      if (mkdir(path.substr(0, at).c_str(), 0755) != 0 && errno != EEXIST) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_icon FOLDER SIZE...\n");
    return 2;
  }
  for (int i = 2; i < argc; i++) {
    const int size = std::atoi(argv[i]);
    if (size < 16 || size > 1024) {
      std::fprintf(stderr, "make_icon: bad size %s\n", argv[i]);
      return 2;
    }
    const std::string folder = std::string(argv[1]) + "/" + argv[i] + "x" + argv[i] + "/apps";
    const std::vector<uint8_t> rgba = Draw(size);
    if (!MakeFolders(folder) || !SavePngRgba((folder + "/tavo.png").c_str(), rgba.data(), size, size)) {
      std::fprintf(stderr, "make_icon: couldn't write %s/tavo.png\n", folder.c_str());
      return 1;
    }
  }
  return 0;
}
