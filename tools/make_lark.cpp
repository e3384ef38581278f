// Draws lark.png, the picture of the info window: a crested lark singing
// on a wheat stalk at dawn, the emblem of Lark, Tavo's sibling project. The
// scene is pixel art on a 100 x 75 grid, every grid cell shown as 2 x 2
// pixels, with a limited palette, ordered dithering in the sky and a dark
// outline around the bird; the corners are magenta, the colour key, so the
// window shows through them.
//   make_lark OUT.png
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "lumo/png.h"
#include "lumo/surface.h"

namespace {

constexpr int GridWidth = 100, GridHeight = 75, Scale = 2;
constexpr uint32_t Key = 0xFF00FF;

// The palette.
constexpr uint32_t SkyTop = 0x1B2147, SkyHigh = 0x33366E, SkyMid = 0x6B4A8C, SkyLow = 0xC5637E,
                   SkyGlow = 0xF2955F, SkyHorizon = 0xFFD28A;
constexpr uint32_t Star = 0xF4F0FF, StarDim = 0x9A9CD8;
constexpr uint32_t SunCore = 0xFFF6CF, SunRim = 0xFFE08A;
constexpr uint32_t HillFar = 0x7A4C7E, HillNear = 0x4E3357;
constexpr uint32_t FieldLight = 0xE0A23F, Field = 0xB77A2A, FieldDark = 0x7F4F1E, FieldDeep = 0x5A3518;
constexpr uint32_t Stalk = 0xD9A845, StalkDark = 0x9C6B24, Ear = 0xF3C760, EarDark = 0xB88331;
constexpr uint32_t Outline = 0x24160F, BirdDark = 0x5C3B22, Bird = 0x8E6238, BirdLight = 0xBE925C,
                   Belly = 0xF0DDB4, BellyShade = 0xD7BC8E, Streak = 0x6A4527, BeakHorn = 0xB59F86, BeakShade = 0x7C6852,
                   EyeWhite = 0xFFFFFF, PostLight = 0x9C8A78, LegPink = 0xC08A6A, PostWood = 0x6E5E50, PostDark = 0x4A3D35, Note = 0xFFF3D6, NoteShade = 0xE7B98A, Frame = 0x2A1C2E;

using Grid = std::vector<uint32_t>;

uint32_t& At(Grid& g, int x, int y) {
  static uint32_t nowhere;
  if (x < 0 || y < 0 || x >= GridWidth || y >= GridHeight) return nowhere;
  return g[size_t(y) * GridWidth + size_t(x)];
}

// 4 x 4 Bayer matrix, thresholds 0..15.
int Bayer(int x, int y) {
  static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return m[y & 3][x & 3];
}

// Deterministic per-cell noise in [0, 1).
float Noise(int x, int y) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + 1013904223u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return float((h ^ (h >> 16)) & 0xFFFF) / 65536.0f;
}

void Sky(Grid& g) {
  // Bands from the top, each dithered into the next over its lower part.
  const uint32_t bands[] = {SkyTop, SkyHigh, SkyMid, SkyLow, SkyGlow, SkyHorizon};
  const int band_count = 6;
  const float horizon = 52.0f;
  for (int y = 0; y < GridHeight; y++) {
    const float t = std::fmin(1.0f, float(y) / horizon) * float(band_count - 1);
    const int band = int(t) < band_count - 2 ? int(t) : band_count - 2;
    // Solid colour over most of each band; the dither only in between.
    float within = (t - float(band) - 0.3f) / 0.55f;
    within = within < 0 ? 0 : within > 1 ? 1 : within;
    for (int x = 0; x < GridWidth; x++)
      At(g, x, y) = within * 16.0f > float(Bayer(x, y)) + 0.5f ? bands[band + 1] : bands[band];
  }
  const int stars[][3] = {{8, 4, 1}, {23, 9, 0}, {41, 3, 1}, {57, 11, 0}, {66, 5, 1},
                          {84, 8, 1}, {93, 3, 0}, {14, 15, 0}, {75, 16, 0}, {50, 18, 0}};
  for (const auto& s : stars) {
    At(g, s[0], s[1]) = s[2] ? Star : StarDim;
    if (s[2]) {  // a little twinkle cross
      At(g, s[0] - 1, s[1]) = StarDim;
      At(g, s[0] + 1, s[1]) = StarDim;
      At(g, s[0], s[1] - 1) = StarDim;
      At(g, s[0], s[1] + 1) = StarDim;
    }
  }
}

void Sun(Grid& g) {
  const float cx = 71.5f, cy = 50.5f;
  for (int y = 36; y < 56; y++)
    for (int x = 58; x < 86; x++) {
      const float d = std::hypot(float(x) - cx, float(y) - cy);
      if (d < 8.2f) At(g, x, y) = SunCore;
      else if (d < 9.4f) At(g, x, y) = SunRim;
      else if (d < 11.0f && Bayer(x, y) < 6) At(g, x, y) = SunRim;
    }
}

void Hills(Grid& g) {
  for (int x = 0; x < GridWidth; x++) {
    const float fx = float(x);
    const int far = int(47.0f + 3.0f * std::sin(fx * 0.09f + 0.6f) + 1.5f * std::sin(fx * 0.23f));
    const int near = int(53.0f + 2.5f * std::sin(fx * 0.06f + 2.2f) + 1.0f * std::sin(fx * 0.31f + 1.0f));
    for (int y = far; y < GridHeight; y++) At(g, x, y) = HillFar;
    for (int y = near; y < GridHeight; y++) At(g, x, y) = HillNear;
  }
}

// The wheat field: rows of ears that get larger and warmer towards the
// viewer, over a dark ground.
void WheatField(Grid& g) {
  const int top = 57;
  for (int y = top; y < GridHeight; y++)
    for (int x = 0; x < GridWidth; x++) {
      const float depth = float(y - top) / float(GridHeight - top);  // 0 far, 1 near
      const float n = Noise(x, y);
      uint32_t c = depth < 0.25f ? Field : FieldDark;
      const int period = depth < 0.3f ? 2 : depth < 0.65f ? 3 : 4;
      const bool ear = ((x + (y / 2) * 3) % period) == 0;
      if (ear) c = n < 0.5f + depth * 0.3f ? FieldLight : Field;
      else if (n < 0.12f) c = FieldDeep;
      if (y == top) c = (x % 2) ? FieldDark : Field;  // the far edge
      At(g, x, y) = c;
    }
}

// A stalk from the ground to (x, top) bending by `lean` cells over its
// height, with an ear of grain at the top.
void WheatStalk(Grid& g, int x, int top, float lean) {
  const int bottom = GridHeight;
  for (int y = top + 6; y < bottom; y++) {
    const float t = float(bottom - y) / float(bottom - top);
    const int sx = x + int(std::round(lean * t * t));
    At(g, sx, y) = (y % 5 == 0) ? StalkDark : Stalk;
  }
  // The ear: grains in pairs up the tip, each pair leaning outwards.
  const int ex = x + int(std::round(lean));
  for (int i = 0; i < 6; i++) {
    const int y = top + i;
    At(g, ex, y) = i == 0 ? Ear : (i % 2 ? EarDark : Ear);
    if (i > 0) {
      At(g, ex - 1, y) = (i % 2) ? Ear : EarDark;
      At(g, ex + 1, y) = (i % 2) ? EarDark : Ear;
    }
  }
  At(g, ex, top - 1) = StalkDark;  // the awns
  At(g, ex - 1, top - 2) = StalkDark;
  At(g, ex + 1, top - 2) = StalkDark;
}

// The bird, facing right and singing: filled shapes first (in a mask of
// part numbers), then shading, markings and the outline around the mask.
enum Part : uint8_t { None, Body, Head, Tail, Wing, Breast, Beak, Leg };

void Lark(Grid& g, int ox, int oy) {
  constexpr int W = 34, H = 26;
  uint8_t mask[H][W] = {};
  auto set = [&](int x, int y, Part p) {
    if (x >= 0 && y >= 0 && x < W && y < H) mask[y][x] = p;
  };
  auto ellipse = [&](float cx, float cy, float rx, float ry, Part p, float tilt) {
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++) {
        const float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
        const float u = dx * std::cos(tilt) + dy * std::sin(tilt);
        const float v = -dx * std::sin(tilt) + dy * std::cos(tilt);
        if ((u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0f) set(x, y, p);
      }
  };
  // Tail: a narrow wedge down to the left.
  for (int i = 0; i < 9; i++)
    for (int j = 0; j <= 1 + i / 4; j++) set(8 - i, 16 + (i * 2) / 3 + j, Tail);
  // Body tilted up towards the breast, the singing posture.
  ellipse(15.0f, 14.0f, 8.0f, 4.8f, Body, -0.45f);
  ellipse(19.5f, 13.0f, 4.2f, 4.0f, Breast, -0.5f);
  ellipse(21.5f, 8.2f, 3.4f, 3.2f, Head, 0.0f);
  ellipse(20.5f, 10.5f, 2.6f, 2.2f, Head, 0.0f);  // the neck
  // The crest: one spike back and up.
  set(20, 4, Head), set(19, 4, Head), set(18, 4, Head), set(18, 3, Head), set(17, 3, Head);
  ellipse(13.0f, 13.6f, 6.6f, 2.9f, Wing, -0.35f);
  // Open beak pointing up and forward.
  // (The outline fills the gap between the mandibles: the open mouth.)
  set(25, 6, Beak), set(25, 7, Beak), set(26, 6, Beak), set(26, 7, Beak), set(27, 6, Beak), set(28, 5, Beak);
  set(25, 9, Beak), set(26, 9, Beak), set(27, 9, Beak);
  // Legs down to the post.
  set(15, 19, Leg), set(15, 20, Leg), set(18, 19, Leg), set(18, 20, Leg);
  set(14, 21, Leg), set(15, 21, Leg), set(16, 21, Leg), set(17, 21, Leg), set(18, 21, Leg), set(19, 21, Leg);

  auto filled = [&](int x, int y) { return x >= 0 && y >= 0 && x < W && y < H && mask[y][x] != None; };
  auto part = [&](int x, int y) { return filled(x, y) ? Part(mask[y][x]) : None; };
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      const Part p = part(x, y);
      if (p == None) {
        if (filled(x - 1, y) || filled(x + 1, y) || filled(x, y - 1) || filled(x, y + 1))
          At(g, ox + x, oy + y) = Outline;
        continue;
      }
      // Light from the upper left.
      const bool top_edge = !filled(x, y - 1);
      const bool bottom_edge = !filled(x, y + 1);
      uint32_t c = Bird;
      switch (p) {
        case Body: c = top_edge ? BirdLight : bottom_edge ? BirdDark : Bird; break;
        case Head:
          c = top_edge ? BirdLight : Bird;
          if (y <= 6 && x >= 19 && x <= 22 && (x + y) % 2 == 0) c = BirdDark;  // crown streaks
          break;
        case Tail: c = y == 16 + ((8 - x) * 2) / 3 ? Bird : BirdDark; break;
        case Wing:
          // Folded feathers: a dark upper line, pale edges between the
          // feathers and along the bottom, darker primaries to the tail.
          if (part(x, y - 1) != Wing) c = BirdDark;
          else if (part(x, y + 1) != Wing || x % 3 == 0) c = BirdLight;
          else c = x < 11 ? BirdDark : Bird;
          break;
        case Breast:
          c = bottom_edge ? BellyShade : Belly;
          if (y <= 14 && x >= 18 && ((x + 2 * y) % 4) == 0) c = Streak;  // the speckled breast
          break;
        case Beak: c = y <= 6 ? BeakHorn : BeakShade; break;
        case Leg: c = LegPink; break;
        default: break;
      }
      At(g, ox + x, oy + y) = c;
    }
  // Pale stripe over the eye, the eye with its glint, a light throat.
  At(g, ox + 20, oy + 6) = BirdLight, At(g, ox + 21, oy + 6) = Belly, At(g, ox + 22, oy + 6) = Belly,
  At(g, ox + 23, oy + 6) = BirdLight;
  At(g, ox + 22, oy + 7) = Outline, At(g, ox + 23, oy + 7) = Outline;
  At(g, ox + 22, oy + 8) = Outline, At(g, ox + 23, oy + 8) = Outline;
  At(g, ox + 22, oy + 7) = EyeWhite;
  At(g, ox + 23, oy + 10) = Belly, At(g, ox + 24, oy + 10) = Belly, At(g, ox + 22, oy + 11) = Belly;
  At(g, ox + 23, oy + 9) = BellyShade;
}

// A weathered fence post from the ground up to (x, top), `width` cells wide.
void Post(Grid& g, int x, int top, int width) {
  for (int y = top; y < GridHeight; y++)
    for (int dx = -1; dx <= width; dx++) {
      uint32_t c;
      if (dx < 0 || dx == width) c = Outline;
      else if (y == top) c = PostLight;
      else if (dx == 0) c = PostLight;
      else if (dx == width - 1) c = PostDark;
      else c = ((y * 7 + dx * 3) % 9 == 0) ? PostDark : PostWood;
      At(g, x + dx, y) = c;
    }
  for (int dx = -1; dx <= width; dx++) At(g, x + dx, top - 1) = Outline;
}

// An eighth note with its stem up: head at (x, y).
void NoteAt(Grid& g, int x, int y, bool flag) {
  for (int dy = 0; dy < 2; dy++)
    for (int dx = 0; dx < 3; dx++) At(g, x + dx, y + dy) = dy == 1 && dx == 0 ? NoteShade : Note;
  for (int dy = 1; dy <= 6; dy++) At(g, x + 2, y - dy) = Note;
  if (flag) {
    At(g, x + 3, y - 6) = Note;
    At(g, x + 4, y - 5) = Note;
    At(g, x + 4, y - 4) = NoteShade;
  }
}

// Two notes joined by a beam.
void BeamedNotes(Grid& g, int x, int y) {
  NoteAt(g, x, y, false);
  NoteAt(g, x + 6, y - 2, false);
  for (int i = 0; i <= 6; i++) {
    At(g, x + 2 + i, y - 6 - (i * 2) / 6) = Note;
    At(g, x + 2 + i, y - 7 - (i * 2) / 6) = Note;
  }
}

// A dark frame with rounded corners; outside them the colour key.
void RoundedFrame(Grid& g) {
  const int radius = 4;
  for (int y = 0; y < GridHeight; y++)
    for (int x = 0; x < GridWidth; x++) {
      const int cx = x < radius ? radius : x >= GridWidth - radius ? GridWidth - 1 - radius : x;
      const int cy = y < radius ? radius : y >= GridHeight - radius ? GridHeight - 1 - radius : y;
      const float d = std::hypot(float(x - cx), float(y - cy));
      if (d > float(radius) + 0.3f) At(g, x, y) = Key;
      else if (d > float(radius) - 0.7f || x == 0 || y == 0 || x == GridWidth - 1 || y == GridHeight - 1)
        At(g, x, y) = Frame;
    }
}

Grid DrawScene() {
  Grid g(size_t(GridWidth) * GridHeight, 0);
  Sky(g);
  Sun(g);
  Hills(g);
  WheatField(g);
  WheatStalk(g, 88, 44, -2.0f);
  WheatStalk(g, 8, 48, 1.5f);
  WheatStalk(g, 95, 52, -1.0f);
  WheatStalk(g, 38, 50, 1.0f);
  WheatStalk(g, 70, 56, -1.0f);
  Post(g, 23, 48, 6);  // the lark's perch
  Lark(g, 9, 26);
  BeamedNotes(g, 47, 20);
  NoteAt(g, 59, 11, true);
  NoteAt(g, 42, 9, true);
  RoundedFrame(g);
  return g;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_lark OUT.png\n");
    return 2;
  }
  const Grid grid = DrawScene();
  Surface* picture = CreateSurface(GridWidth * Scale, GridHeight * Scale, 24, SurfaceClear);
  if (!picture) return 1;
  uint8_t* pixels = LockSurface(picture, LockWriteOnly);
  for (int y = 0; y < picture->height; y++)
    for (int x = 0; x < picture->width; x++) {
      const uint32_t c = grid[size_t(y / Scale) * GridWidth + size_t(x / Scale)];
      WritePixel(pixels + y * picture->pitch + x * picture->format.bytes, picture->format.bytes,
                 ColorToPixel(picture->format, int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)));
    }
  UnlockSurface(picture);
  const bool saved = SavePng(argv[1], picture);
  DestroySurface(picture);
  if (!saved) {
    std::fprintf(stderr, "make_lark: couldn't write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
