// Drawing between surfaces: fill, copy with format conversion and colour
// key, the RGB565 blend and the nearest-pixel stretch.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lumo/surface.h"

namespace {

// Intersects the rectangle (x, y, w, h) with the clip rectangle; false when
// nothing is left.
bool ClipToSurface(const Surface* s, int* x, int* y, int* w, int* h) {
  long left = *x, top = *y, right = (long)*x + *w - 1, bottom = (long)*y + *h - 1;
  if (left < s->clip.left) left = s->clip.left;
  if (top < s->clip.top) top = s->clip.top;
  if (right > s->clip.right) right = s->clip.right;
  if (bottom > s->clip.bottom) bottom = s->clip.bottom;
  if (left > right || top > bottom) return false;
  *x = left, *y = top, *w = right - left + 1, *h = bottom - top + 1;
  return true;
}

// Narrows 8-bit components into a pixel of a direct-colour format.
uint32_t PackColor(const PixelFormat& f, const uint8_t rgb[3]) {
  if (f.bits == 8) return ColorToPixel(f, rgb[0], rgb[1], rgb[2]);
  uint32_t pixel = 0;
  for (int i = 0; i < 3; i++) pixel |= (uint32_t)(rgb[i] >> f.loss[i]) << f.shift[i];
  return pixel;
}

// Pixel conversion between two formats, with a fast path for the
// emulator's RGB565 pictures on a 32-bit display.
struct Converter {
  const PixelFormat* from;
  const PixelFormat* to;
  enum { Same, Rgb565To32, Generic } kind;
};

Converter MakeConverter(const PixelFormat& from, const PixelFormat& to) {
  Converter c{&from, &to, Converter::Generic};
  bool same_palette = from.bits == 8 && to.bits == 8 && from.palette && to.palette &&
                      memcmp(from.palette, to.palette, 768) == 0;
  if ((from.bits != 8 && SamePixelLayout(from, to)) || same_palette)
    c.kind = Converter::Same;
  else if (from.kind == 1 && from.mask[0] == 0xF800 && to.kind == 3 && to.mask[0] == 0xFF0000)
    c.kind = Converter::Rgb565To32;
  return c;
}

inline uint32_t Rgb565To32(uint32_t pixel) {
  uint32_t r = pixel >> 11 & 31, g = pixel >> 5 & 63, b = pixel & 31;
  return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

inline uint32_t Convert(const Converter& c, uint32_t pixel) {
  switch (c.kind) {
    case Converter::Same:
      return pixel;
    case Converter::Rgb565To32:
      return Rgb565To32(pixel);
    default: {
      uint8_t rgb[3];
      PixelToColor(*c.from, pixel, rgb);
      return PackColor(*c.to, rgb);
    }
  }
}

// One row of pixels, each taken from in[column(i)]; typed loops for the
// formats the presenter uses every frame, the general one for the rest.
template <typename In, typename Out, typename Map, typename Op>
inline void RowLoop(const uint8_t* in, uint8_t* out, int count, Map column, bool keyed,
                    uint32_t key, Op op) {
  const In* from = reinterpret_cast<const In*>(in);
  Out* to = reinterpret_cast<Out*>(out);
  for (int i = 0; i < count; i++) {
    uint32_t pixel = from[column(i)];
    if (keyed && pixel == key) continue;
    to[i] = op(pixel);
  }
}

template <typename Map>
void ConvertRow(const Converter& c, int sb, int db, const uint8_t* in, uint8_t* out, int count,
                Map column, bool keyed, uint32_t key) {
  auto same = [](uint32_t p) { return p; };
  if (c.kind == Converter::Same && sb == 2)
    return RowLoop<uint16_t, uint16_t>(in, out, count, column, keyed, key, same);
  if (c.kind == Converter::Same && sb == 4)
    return RowLoop<uint32_t, uint32_t>(in, out, count, column, keyed, key, same);
  if (c.kind == Converter::Rgb565To32)
    return RowLoop<uint16_t, uint32_t>(in, out, count, column, keyed, key, Rgb565To32);
  for (int i = 0; i < count; i++) {
    uint32_t pixel = ReadPixel(in + (size_t)column(i) * sb, sb);
    if (keyed && pixel == key) continue;
    WritePixel(out + i * db, db, Convert(c, pixel));
  }
}

// Locks a pair of surfaces (possibly the same one) and unlocks on scope exit.
struct LockPair {
  Surface* a;
  Surface* b;
  bool ok;
  LockPair(Surface* first, LockMode first_mode, Surface* second, LockMode second_mode)
      : a(first), b(second) {
    ok = LockSurface(a, a == b ? LockReadWrite : first_mode) != nullptr;
    if (ok && !LockSurface(b, a == b ? LockReadWrite : second_mode)) {
      UnlockSurface(a);
      ok = false;
    }
  }
  ~LockPair() {
    if (ok) {
      UnlockSurface(b);
      UnlockSurface(a);
    }
  }
};

// Cuts a source rectangle to the source surface's bounds.
bool ClampToBounds(const Surface* s, SurfaceRect* r) {
  int left = r->x < 0 ? 0 : r->x, top = r->y < 0 ? 0 : r->y;
  long right = (long)r->x + r->width, bottom = (long)r->y + r->height;
  if (right > s->width) right = s->width;
  if (bottom > s->height) bottom = s->height;
  if (right <= left || bottom <= top) return false;
  *r = {left, top, (int)(right - left), (int)(bottom - top)};
  return true;
}

}  // namespace

bool FillRect(int x, int y, int width, int height, Surface* surface, uint32_t pixel) {
  if (!surface) return false;
  if (!ClipToSurface(surface, &x, &y, &width, &height)) return true;
  uint8_t* pixels = LockSurface(surface, LockWriteOnly);
  if (!pixels) return false;
  const int bytes = surface->format.bytes;
  for (int row = 0; row < height; row++) {
    uint8_t* at = pixels + (size_t)(y + row) * surface->pitch + (size_t)x * bytes;
    switch (bytes) {
      case 1: memset(at, pixel, width); break;
      case 2: for (int i = 0; i < width; i++) reinterpret_cast<uint16_t*>(at)[i] = pixel; break;
      case 4: for (int i = 0; i < width; i++) reinterpret_cast<uint32_t*>(at)[i] = pixel; break;
      default: for (int i = 0; i < width; i++) WritePixel(at + i * 3, 3, pixel);
    }
  }
  UnlockSurface(surface);
  return true;
}

bool CopySurface(Surface* dst, int x, int y, Surface* src, SurfaceRect r) {
  if (!dst || !src) return false;
  int sx0 = r.x, sy0 = r.y;
  if (!ClampToBounds(src, &r)) return true;
  x += r.x - sx0, y += r.y - sy0;
  int w = r.width, h = r.height, cx = x, cy = y;
  if (!ClipToSurface(dst, &cx, &cy, &w, &h)) return true;
  r.x += cx - x, r.y += cy - y;
  x = cx, y = cy;

  LockPair locks(src, LockReadOnly, dst, src->color_key_enabled ? LockReadWrite : LockWriteOnly);
  if (!locks.ok) return false;
  const int sb = src->format.bytes, db = dst->format.bytes;
  // A copy within one surface goes through a buffer, as the areas may overlap.
  std::vector<uint8_t> staging;
  const uint8_t* from = src->pixels + (size_t)r.y * src->pitch + (size_t)r.x * sb;
  size_t from_pitch = src->pitch;
  if (src == dst) {
    staging.resize((size_t)w * sb * h);
    for (int row = 0; row < h; row++)
      memcpy(&staging[(size_t)row * w * sb], from + row * from_pitch, (size_t)w * sb);
    from = staging.data();
    from_pitch = (size_t)w * sb;
  }
  const Converter c = MakeConverter(src->format, dst->format);
  const bool keyed = src->color_key_enabled;
  const uint32_t key = src->color_key;
  for (int row = 0; row < h; row++) {
    const uint8_t* in = from + row * from_pitch;
    uint8_t* out = dst->pixels + (size_t)(y + row) * dst->pitch + (size_t)x * db;
    if (c.kind == Converter::Same && !keyed) {
      memcpy(out, in, (size_t)w * sb);
      continue;
    }
    ConvertRow(c, sb, db, in, out, w, [](int i) { return i; }, keyed, key);
  }
  return true;
}

bool BlendSurfaces(Surface* out, Surface* a, Surface* b) {
  if (!out || !a || !b) return false;
  for (const Surface* s : {a, b}) {
    if (s->width != out->width || s->height != out->height || !SamePixelLayout(s->format, out->format))
      return false;
  }
  if (out->format.bits != 16) return false;
  if (!LockSurface(out, LockReadWrite)) return false;
  bool ok;
  {
    LockPair inputs(a, LockReadOnly, b, LockReadOnly);
    ok = inputs.ok;
    for (int y = 0; ok && y < out->height; y++) {
      auto* o = reinterpret_cast<uint16_t*>(out->pixels + (size_t)y * out->pitch);
      auto* pa = reinterpret_cast<const uint16_t*>(a->pixels + (size_t)y * a->pitch);
      auto* pb = reinterpret_cast<const uint16_t*>(b->pixels + (size_t)y * b->pitch);
      for (int x = 0; x < out->width; x++)
        o[x] = ((pa[x] >> 1) & 0x7BEF) + ((pb[x] >> 1) & 0x7BEF);
    }
  }
  UnlockSurface(out);
  return ok;
}

bool StretchSurface(Surface* dst, SurfaceRect d, Surface* src, SurfaceRect s) {
  if (!dst || !src || src == dst) return false;
  if (d.width <= 0 || d.height <= 0 || !ClampToBounds(src, &s)) return true;
  int cx = d.x, cy = d.y, cw = d.width, ch = d.height;
  if (!ClipToSurface(dst, &cx, &cy, &cw, &ch)) return true;

  LockPair locks(src, LockReadOnly, dst, src->color_key_enabled ? LockReadWrite : LockWriteOnly);
  if (!locks.ok) return false;
  const int sb = src->format.bytes, db = dst->format.bytes;
  // Each target pixel takes the source pixel its position maps to, so the
  // part of the target cut by the clip drops the same share of the source.
  std::vector<int> column(cw);
  for (int i = 0; i < cw; i++)
    column[i] = s.x + (int)((long long)(cx + i - d.x) * s.width / d.width);
  const Converter c = MakeConverter(src->format, dst->format);
  const bool keyed = src->color_key_enabled;
  int previous_sy = -1;
  for (int row = 0; row < ch; row++) {
    int sy = s.y + (int)((long long)(cy + row - d.y) * s.height / d.height);
    const uint8_t* in = src->pixels + (size_t)sy * src->pitch;
    uint8_t* out = dst->pixels + (size_t)(cy + row) * dst->pitch + (size_t)cx * db;
    if (sy == previous_sy && !keyed) {  // an enlarged row repeats the one above
      memcpy(out, out - dst->pitch, (size_t)cw * db);
      continue;
    }
    previous_sy = sy;
    const int* map = column.data();
    ConvertRow(c, sb, db, in, out, cw, [map](int i) { return map[i]; }, keyed, src->color_key);
  }
  return true;
}
