// Font loading and text drawing.
#include "lumo/font.h"

#include <cstdlib>
#include <cstring>

#include "lumo/ssp.h"

namespace {

template <typename Pixel>
void DrawGlyphs(uint8_t* pixels, int pitch, const Font& font, int x, int y, const uint8_t* text,
                const ClipRect& c, uint32_t colour) {
  const int strip_width = font.strip->width;
  for (; *text; text++) {
    const int w = font.glyph_width[*text];
    if (x > c.right) return;
    if (w && x + w > c.left) {
      const int x0 = x < c.left ? c.left - x : 0, x1 = x + w - 1 > c.right ? c.right - x : w - 1;
      const int y0 = y < c.top ? c.top - y : 0;
      const int y1 = y + font.height - 1 > c.bottom ? c.bottom - y : font.height - 1;
      for (int row = y0; row <= y1; row++) {
        const uint8_t* ink = font.coverage + (size_t)row * strip_width + font.glyph_x[*text];
        Pixel* out = reinterpret_cast<Pixel*>(pixels + (size_t)(y + row) * pitch) + x;
        for (int col = x0; col <= x1; col++)
          if (ink[col]) out[col] = (Pixel)colour;
      }
    }
    x += w;
  }
}

void DrawGlyphs24(uint8_t* pixels, int pitch, const Font& font, int x, int y, const uint8_t* text,
                  const ClipRect& c, uint32_t colour) {
  for (; *text; text++) {
    const int w = font.glyph_width[*text];
    for (int row = 0; row < font.height; row++) {
      if (y + row < c.top || y + row > c.bottom) continue;
      const uint8_t* ink = font.coverage + (size_t)row * font.strip->width + font.glyph_x[*text];
      for (int col = 0; col < w; col++)
        if (ink[col] && x + col >= c.left && x + col <= c.right)
          WritePixel(pixels + (size_t)(y + row) * pitch + (size_t)(x + col) * 3, 3, colour);
    }
    x += w;
  }
}

}  // namespace

void FreeFont(Font* font) {
  if (font->strip) DestroySurface(font->strip);
  free(font->coverage);
  memset(font, 0, sizeof *font);
}

bool LoadFont(Font* font, const char* path, unsigned flags) {
  memset(font, 0, sizeof *font);
  Surface* glyphs[256];
  const int count = LoadSsp(path, glyphs, 256, flags);
  if (count == 0) return false;
  int width = 0, height = 0, bits = 0;
  for (int i = 0; i < count; i++) {
    if (!glyphs[i]) continue;
    if (glyphs[i]->width > 255 || glyphs[i]->height > 255) {
      FreeSspPictures(glyphs, count);
      return false;
    }
    font->glyph_x[i] = (uint16_t)width;
    font->glyph_width[i] = (uint8_t)glyphs[i]->width;
    width += glyphs[i]->width;
    if (glyphs[i]->height > height) height = glyphs[i]->height;
    if (!bits || i == ' ') bits = glyphs[i]->format.bits;
  }
  font->height = (uint8_t)height;
  font->strip = width ? CreateSurface(width, height, bits, 0) : nullptr;
  font->coverage = width ? static_cast<uint8_t*>(calloc((size_t)width * height, 1)) : nullptr;
  if (!font->strip || !font->coverage) {
    FreeSspPictures(glyphs, count);
    FreeFont(font);
    return false;
  }
  FillRect(0, 0, width, height, font->strip, font->strip->color_key);
  font->strip->color_key_enabled = true;
  for (int i = 0; i < count; i++) {
    Surface* g = glyphs[i];
    if (!g || !LockSurface(g, LockReadOnly)) continue;
    for (int y = 0; y < g->height; y++)
      for (int x = 0; x < g->width; x++) {
        uint32_t pixel = ReadPixel(g->pixels + y * g->pitch + x * g->format.bytes, g->format.bytes);
        font->coverage[(size_t)y * width + font->glyph_x[i] + x] = pixel != g->color_key;
      }
    UnlockSurface(g);
    const bool keyed = g->color_key_enabled;
    g->color_key_enabled = true;  // the strip keeps its key where glyphs have none
    CopySurface(font->strip, font->glyph_x[i], 0, g, {0, 0, g->width, g->height});
    g->color_key_enabled = keyed;
  }
  FreeSspPictures(glyphs, count);
  return true;
}

int TextWidth(const Font& font, const char* text, int length) {
  int width = 0;
  for (int i = 0; i < length && text[i]; i++) width += font.glyph_width[(uint8_t)text[i]];
  return width;
}

int TextWidth(const Font& font, const char* text) { return TextWidth(font, text, 1 << 30); }

namespace {

// The text whole when it fits, else as many characters as fit beside an
// ellipsis: the first ones with the ellipsis after them, or with keep_tail
// the last ones after the ellipsis.
int FitWithEllipsis(const Font& font, const char* text, int max_width, char* out, int out_size,
                    bool keep_tail) {
  if (out_size <= 0) return 0;
  const int width = TextWidth(font, text);
  const int length = (int)strlen(text);
  if (width <= max_width && length < out_size) {
    memcpy(out, text, length + 1);
    return width;
  }
  const int ellipsis = font.glyph_width[EllipsisCode];
  int used = 0, n = 0;
  while (n < length && n < out_size - 2) {
    const int w = font.glyph_width[(uint8_t)text[keep_tail ? length - 1 - n : n]];
    if (used + w + ellipsis > max_width) break;
    used += w;
    n++;
  }
  if (keep_tail) {
    out[0] = (char)EllipsisCode;
    memcpy(out + 1, text + length - n, n);
  } else {
    memcpy(out, text, n);
    out[n] = (char)EllipsisCode;
  }
  out[n + 1] = 0;
  return used + ellipsis;
}

}  // namespace

int FitText(const Font& font, const char* text, int max_width, char* out, int out_size) {
  return FitWithEllipsis(font, text, max_width, out, out_size, false);
}

int FitTextTail(const Font& font, const char* text, int max_width, char* out, int out_size) {
  return FitWithEllipsis(font, text, max_width, out, out_size, true);
}

void DrawText(Surface* surface, const Font& font, int x, int y, const char* text, uint32_t pixel,
              const ClipRect* clip) {
  if (!surface || !font.strip || !text) return;
  ClipRect c = surface->clip;
  if (clip) {
    if (clip->left > c.left) c.left = clip->left;
    if (clip->top > c.top) c.top = clip->top;
    if (clip->right < c.right) c.right = clip->right;
    if (clip->bottom < c.bottom) c.bottom = clip->bottom;
  }
  if (c.left > c.right || c.top > c.bottom || y > c.bottom || y + font.height <= c.top) return;
  uint8_t* pixels = LockSurface(surface, LockReadWrite);
  if (!pixels) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  switch (surface->format.bytes) {
    case 1: DrawGlyphs<uint8_t>(pixels, surface->pitch, font, x, y, bytes, c, pixel); break;
    case 2: DrawGlyphs<uint16_t>(pixels, surface->pitch, font, x, y, bytes, c, pixel); break;
    case 4: DrawGlyphs<uint32_t>(pixels, surface->pitch, font, x, y, bytes, c, pixel); break;
    default: DrawGlyphs24(pixels, surface->pitch, font, x, y, bytes, c, pixel);
  }
  UnlockSurface(surface);
}

void DrawTextFitted(Surface* surface, const Font& font, int x, int y, const char* text,
                    int max_width, uint32_t pixel, const ClipRect* clip) {
  char cut[512];
  FitText(font, text, max_width, cut, sizeof cut);
  DrawText(surface, font, x, y, cut, pixel, clip);
}
