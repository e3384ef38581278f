#include "lumo/gui_paint.h"

#include <cstddef>

uint32_t RgbPixel(const Surface* s, uint32_t rgb) {
  return ColorToPixel(s->format, rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255);
}

uint32_t MixRgb(uint32_t a, uint32_t b, int t) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    int ca = a >> shift & 255, cb = b >> shift & 255;
    out |= (uint32_t)(ca + (cb - ca) * t / 256) << shift;
  }
  return out;
}

uint32_t ShadeRgb(uint32_t rgb, int percent) {
  if (percent > 100) return MixRgb(rgb, 0xFFFFFF, (percent - 100) * 256 / 100);
  // Nothing is darker than (near) black: edges, tracks and frames on it are
  // drawn that much lighter instead, or black themes would lose them.
  if (Luminance(rgb) < 24) return MixRgb(rgb, 0xFFFFFF, (100 - percent) * 256 / 100);
  return MixRgb(0, rgb, percent * 256 / 100);
}

int Luminance(uint32_t rgb) {
  return (int)((rgb >> 16 & 255) * 299 + (rgb >> 8 & 255) * 587 + (rgb & 255) * 114) / 1000;
}

uint32_t InkOn(uint32_t background) { return Luminance(background) >= 140 ? 0x141820 : 0xF0F2F6; }

uint32_t DimInkOn(uint32_t background) { return MixRgb(InkOn(background), background, 150); }

void FillBox(Surface* s, int x, int y, int w, int h, uint32_t rgb) {
  if (w > 0 && h > 0) FillRect(x, y, w, h, s, RgbPixel(s, rgb));
}

void FrameBox(Surface* s, int x, int y, int w, int h, uint32_t rgb) {
  if (w <= 0 || h <= 0) return;
  const uint32_t p = RgbPixel(s, rgb);
  FillRect(x, y, w, 1, s, p);
  FillRect(x, y + h - 1, w, 1, s, p);
  FillRect(x, y, 1, h, s, p);
  FillRect(x + w - 1, y, 1, h, s, p);
}

void RoundFrame(Surface* s, int x, int y, int w, int h, uint32_t rgb) {
  FillBox(s, x + 1, y, w - 2, 1, rgb);
  FillBox(s, x + 1, y + h - 1, w - 2, 1, rgb);
  FillBox(s, x, y + 1, 1, h - 2, rgb);
  FillBox(s, x + w - 1, y + 1, 1, h - 2, rgb);
}

namespace {

// Calls paint(dst pixel address, picture rgb) for every opaque pixel.
template <typename Paint>
void ForOpaque(Surface* s, const Surface* picture, int x, int y, Paint paint) {
  if (!s || !picture) return;
  auto* src = const_cast<Surface*>(picture);
  if (!LockSurface(src, LockReadOnly)) return;
  if (!LockSurface(s, LockReadWrite)) {
    UnlockSurface(src);
    return;
  }
  const int sb = src->format.bytes, db = s->format.bytes;
  for (int row = 0; row < src->height; row++) {
    const int ty = y + row;
    if (ty < s->clip.top || ty > s->clip.bottom) continue;
    for (int col = 0; col < src->width; col++) {
      const int tx = x + col;
      if (tx < s->clip.left || tx > s->clip.right) continue;
      uint32_t pixel = ReadPixel(src->pixels + row * src->pitch + col * sb, sb);
      if (pixel == src->color_key) continue;
      uint8_t c[3];
      PixelToColor(src->format, pixel, c);
      paint(s->pixels + (size_t)ty * s->pitch + (size_t)tx * db, (uint32_t)c[0] << 16 | c[1] << 8 | c[2]);
    }
  }
  UnlockSurface(s);
  UnlockSurface(src);
}

}  // namespace

void DrawMask(Surface* s, const Surface* picture, int x, int y, uint32_t rgb) {
  if (!s) return;
  const uint32_t p = RgbPixel(s, rgb);
  const int db = s->format.bytes;
  ForOpaque(s, picture, x, y, [&](uint8_t* at, uint32_t) { WritePixel(at, db, p); });
}

void DrawShaded(Surface* s, const Surface* picture, int x, int y, uint32_t tint) {
  if (!s) return;
  const int db = s->format.bytes;
  ForOpaque(s, picture, x, y, [&](uint8_t* at, uint32_t rgb) {
    const int grey = rgb & 255;
    uint32_t out = grey < 128 ? MixRgb(0, tint, grey * 2) : MixRgb(tint, 0xFFFFFF, (grey - 128) * 2);
    WritePixel(at, db, RgbPixel(s, out));
  });
}

void DrawPicture(Surface* s, Surface* picture, int x, int y) {
  if (!s || !picture) return;
  CopySurface(s, x, y, picture, {0, 0, picture->width, picture->height});
}

void FillGradient(Surface* s, int x, int y, int w, int h, uint32_t top, uint32_t bottom, int span) {
  if (span < 2) span = 2;
  for (int row = y; row < y + h; row++) {
    int at = row < 0 ? 0 : row >= span ? span - 1 : row;
    FillBox(s, x, row, w, 1, MixRgb(top, bottom, at * 256 / (span - 1)));
  }
}
