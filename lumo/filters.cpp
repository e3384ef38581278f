// The 2x filters, motion blur and the stretch rectangle.
#include "lumo/filters.h"

#include <cstring>
#include <vector>

namespace {

inline uint64_t Load8(const uint8_t* at) {
  uint64_t bytes;
  std::memcpy(&bytes, at, sizeof bytes);
  return bytes;
}

// Marks where two rows of pixels differ: 0xFF, else 0.
void Differ(uint8_t* __restrict marks, const uint16_t* __restrict a, const uint16_t* __restrict b,
            int count) {
  for (int x = 0; x < count; x++) marks[x] = a[x] != b[x] ? 0xFF : 0;
}

// Calls visit(x, code) for each x from 0 to `last` whose code byte is not 0,
// eight bytes per step: windows where no rule fires cost almost nothing.
template <typename Visit>
void ForCoded(const uint8_t* codes, int last, Visit&& visit) {
  for (int x = 0; x <= last; x += 8) {
    uint64_t marks = Load8(codes + x);
    while (marks) {
      const int bit = __builtin_ctzll(marks);
      const int at = x + (bit >> 3);
      if (at > last) break;
      visit(at, codes[at]);
      marks &= ~(uint64_t{0xFF} << (bit & ~7));
    }
  }
}

// M-Eagle's smoothing passes over the doubled picture. Each pass looks at
// windows of the source and rewrites a few output pixels where a uniform
// run meets a different colour; later passes overwrite earlier ones.
//
// Every rule compares pixels that are neighbours across, down or on a
// diagonal, or that equal such neighbours, so each window's rule follows
// from four rows of difference marks (set where two pixels differ). A
// pass first works out the rule of every window in a row with byte logic
// the compiler runs many windows at a time, then visits only the windows
// where one fires, taking the first rule that matches as written.
struct Eagle {
  const uint16_t* src;
  int sp;
  uint16_t* dst;
  int dp;
  int w, h;
  int stride;  // of the mark rows, with zeros past the picture
  // P(x, y) != P(x + 1, y); != P(x, y + 1); != P(x + 1, y + 1);
  // P(x + 1, y) != P(x, y + 1). 0xFF where they differ, so that byte logic
  // needs no masking.
  std::vector<uint8_t> across, down, diag, anti;
  std::vector<uint8_t> codes;  // the rule of each window of the current row

  Eagle(const uint16_t* s, int s_pitch, uint16_t* d, int d_pitch, int width, int height)
      : src(s), sp(s_pitch), dst(d), dp(d_pitch), w(width), h(height), stride(width + 16) {
    const size_t size = size_t(stride) * h;
    across.assign(size, 0);
    down.assign(size, 0);
    diag.assign(size, 0);
    anti.assign(size, 0);
    codes.assign(size_t(stride), 0);
    for (int y = 0; y < h; y++) {
      const uint16_t* row = src + y * sp;
      uint8_t* a = &across[size_t(y) * stride];
      Differ(a, row, row + 1, w - 1);
      if (y + 1 == h) continue;
      const uint16_t* below = row + sp;
      Differ(&down[size_t(y) * stride], row, below, w);
      Differ(&diag[size_t(y) * stride], row, below + 1, w - 1);
      Differ(&anti[size_t(y) * stride], row + 1, below, w - 1);
    }
  }

  uint16_t P(int x, int y) const { return src[y * sp + x]; }
  uint16_t& O(int x, int y) const { return dst[y * dp + x]; }
  const uint8_t* Across(int y) const { return &across[size_t(y) * stride]; }
  const uint8_t* Down(int y) const { return &down[size_t(y) * stride]; }
  const uint8_t* Diag(int y) const { return &diag[size_t(y) * stride]; }
  const uint8_t* Anti(int y) const { return &anti[size_t(y) * stride]; }

  // Codes 1, 2, 4, 8 for the first of four rules that fire (each 0 or 0xFF).
  static uint8_t FirstOf(uint8_t r1, uint8_t r2, uint8_t r3, uint8_t r4) {
    r2 &= uint8_t(~r1);
    r3 &= uint8_t(~(r1 | r2));
    r4 &= uint8_t(~(r1 | r2 | r3));
    return uint8_t((r1 & 1) | (r2 & 2) | (r3 & 4) | (r4 & 8));
  }

  // 2 x 2 windows, a b / c d: one corner differs from the other three.
  //   a = b = c != d: O(2x + 2, 2y + 2) := avg(a, d)
  //   b = c = d != a: O(2x + 1, 2y + 1) := avg(a, d)
  //   a = c = d != b: O(2x + 2, 2y + 1) := avg(a, b)
  //   a = b = d != c: O(2x + 1, 2y + 2) := avg(a, c)
  void Corners() {
    uint8_t* code = codes.data();
    for (int y = 0; y + 1 < h; y++) {
      const uint8_t *ab = Across(y), *cd = Across(y + 1), *ac = Down(y), *bd = Down(y) + 1;
      for (int x = 0; x + 1 < w; x++) {
        const uint8_t same_ab = ~ab[x], same_cd = ~cd[x], same_ac = ~ac[x], same_bd = ~bd[x];
        code[x] = FirstOf(same_ab & same_ac & cd[x], same_cd & same_bd & ab[x],
                          same_ac & same_cd & bd[x], same_ab & same_bd & cd[x]);
      }
      ForCoded(code, w - 2, [&](int x, uint8_t rule) {
        const uint16_t a = P(x, y), b = P(x + 1, y), c = P(x, y + 1), d = P(x + 1, y + 1);
        switch (rule) {
          case 1: O(2 * x + 2, 2 * y + 2) = Rgb565Mean(a, d); break;
          case 2: O(2 * x + 1, 2 * y + 1) = Rgb565Mean(a, d); break;
          case 4: O(2 * x + 2, 2 * y + 1) = Rgb565Mean(a, b); break;
          default: O(2 * x + 1, 2 * y + 2) = Rgb565Mean(a, c); break;
        }
      });
    }
  }

  // 2 wide, 3 tall, a b / c d / e f: steep diagonals.
  //   b = c = e, d != b, f != b: O(2x + 2, 2y + 2) := q(b, d); O(2x + 2, 2y + 3) := avg(b, d)
  //   b = d = e, a != b, c != b: O(2x + 1, 2y + 2) := avg(c, e); O(2x + 1, 2y + 3) := q(e, c)
  //   a = d = f, c != a, e != a: O(2x + 1, 2y + 2) := q(a, c); O(2x + 1, 2y + 3) := avg(a, c)
  //   a = c = f, b != a, d != a: O(2x + 2, 2y + 2) := avg(d, f); O(2x + 2, 2y + 3) := q(f, d)
  void Steep() {
    uint8_t* code = codes.data();
    for (int y = 0; y + 2 < h; y++) {
      const uint8_t *ab = Across(y), *cd = Across(y + 1), *ef = Across(y + 2);
      const uint8_t *ac = Down(y), *bd = Down(y) + 1, *ce = Down(y + 1), *df = Down(y + 1) + 1;
      const uint8_t *ad = Diag(y), *cf = Diag(y + 1), *bc = Anti(y), *de = Anti(y + 1);
      for (int x = 0; x + 1 < w; x++) {
        // With b = c = e, f != b is f != e; with b = d, c != b is c != d;
        // with a = d = f, e != a is e != f; with a = c, d != a is d != c.
        const uint8_t r1 = uint8_t(~bc[x] & ~ce[x] & bd[x] & ef[x]);
        const uint8_t r2 = uint8_t(~bd[x] & ~de[x] & ab[x] & cd[x]);
        const uint8_t r3 = uint8_t(~ad[x] & ~df[x] & ac[x] & ef[x]);
        const uint8_t r4 = uint8_t(~ac[x] & ~cf[x] & ab[x] & cd[x]);
        code[x] = FirstOf(r1, r2, r3, r4);
      }
      ForCoded(code, w - 2, [&](int x, uint8_t rule) {
        const uint16_t a = P(x, y), b = P(x + 1, y), c = P(x, y + 1), d = P(x + 1, y + 1);
        const uint16_t e = P(x, y + 2), f = P(x + 1, y + 2);
        switch (rule) {
          case 1:
            O(2 * x + 2, 2 * y + 2) = Rgb565Quarter(b, d);
            O(2 * x + 2, 2 * y + 3) = Rgb565Mean(b, d);
            break;
          case 2:
            O(2 * x + 1, 2 * y + 2) = Rgb565Mean(c, e);
            O(2 * x + 1, 2 * y + 3) = Rgb565Quarter(e, c);
            break;
          case 4:
            O(2 * x + 1, 2 * y + 2) = Rgb565Quarter(a, c);
            O(2 * x + 1, 2 * y + 3) = Rgb565Mean(a, c);
            break;
          default:
            O(2 * x + 2, 2 * y + 2) = Rgb565Mean(d, f);
            O(2 * x + 2, 2 * y + 3) = Rgb565Quarter(f, d);
            break;
        }
      });
    }
  }

  // 3 wide, 2 tall, a b c / d e f: shallow diagonals.
  //   b = c = d, e != b, f != b: O(2x + 2, 2y + 2) := q(d, e); O(2x + 3, 2y + 2) := avg(d, e)
  //   a = e = f, b != a, c != a: O(2x + 2, 2y + 1) := q(a, b); O(2x + 3, 2y + 1) := avg(a, b)
  //   a = b = f, d != a, e != a: O(2x + 2, 2y + 2) := avg(e, f); O(2x + 3, 2y + 2) := q(f, e)
  //   d = e = c, a != d, b != d: O(2x + 2, 2y + 1) := avg(b, c); O(2x + 3, 2y + 1) := q(c, b)
  void Shallow() {
    uint8_t* code = codes.data();
    for (int y = 0; y + 1 < h; y++) {
      const uint8_t *ab = Across(y), *bc = Across(y) + 1, *de = Across(y + 1), *ef = Across(y + 1) + 1;
      const uint8_t *ad = Down(y), *be = Down(y) + 1, *cf = Down(y) + 2;
      const uint8_t *ae = Diag(y), *bf = Diag(y) + 1, *bd = Anti(y), *ce = Anti(y) + 1;
      for (int x = 0; x + 2 < w; x++) {
        // With b = c, f != b is f != c; with a = e = f, c != a is c != f;
        // with a = b, e != a is e != b; with d = e, b != d is b != e.
        const uint8_t r1 = uint8_t(~bc[x] & ~bd[x] & be[x] & cf[x]);
        const uint8_t r2 = uint8_t(~ae[x] & ~ef[x] & ab[x] & cf[x]);
        const uint8_t r3 = uint8_t(~ab[x] & ~bf[x] & ad[x] & be[x]);
        const uint8_t r4 = uint8_t(~de[x] & ~ce[x] & ad[x] & be[x]);
        code[x] = FirstOf(r1, r2, r3, r4);
      }
      ForCoded(code, w - 3, [&](int x, uint8_t rule) {
        const uint16_t a = P(x, y), b = P(x + 1, y), c = P(x + 2, y);
        const uint16_t d = P(x, y + 1), e = P(x + 1, y + 1), f = P(x + 2, y + 1);
        switch (rule) {
          case 1:
            O(2 * x + 2, 2 * y + 2) = Rgb565Quarter(d, e);
            O(2 * x + 3, 2 * y + 2) = Rgb565Mean(d, e);
            break;
          case 2:
            O(2 * x + 2, 2 * y + 1) = Rgb565Quarter(a, b);
            O(2 * x + 3, 2 * y + 1) = Rgb565Mean(a, b);
            break;
          case 4:
            O(2 * x + 2, 2 * y + 2) = Rgb565Mean(e, f);
            O(2 * x + 3, 2 * y + 2) = Rgb565Quarter(f, e);
            break;
          default:
            O(2 * x + 2, 2 * y + 1) = Rgb565Mean(b, c);
            O(2 * x + 3, 2 * y + 1) = Rgb565Quarter(c, b);
            break;
        }
      });
    }
  }

  // 3 x 3 windows whose eight outer pixels equal a while the centre v
  // differs: a soft spot, v in the middle, avg(a, v) beside it and
  // q(a, v) on the corners. The ring is equal when each outer pixel equals
  // the next one round; then v != a is v != the pixel above it.
  void Spots() {
    uint8_t* code = codes.data();
    for (int y = 0; y + 2 < h; y++) {
      const uint8_t *top = Across(y), *bottom = Across(y + 2), *upper = Down(y), *lower = Down(y + 1);
      for (int x = 0; x + 2 < w; x++) {
        const uint8_t ring_differs = top[x] | top[x + 1] | bottom[x] | bottom[x + 1] | upper[x] |
                                     upper[x + 2] | lower[x] | lower[x + 2];
        code[x] = uint8_t(~ring_differs & upper[x + 1]);
      }
      ForCoded(code, w - 3, [&](int x, uint8_t) {
        const uint16_t a = P(x, y), v = P(x + 1, y + 1);
        const uint16_t edge = Rgb565Mean(a, v), corner = Rgb565Quarter(a, v);
        O(2 * x + 2, 2 * y + 2) = v;
        O(2 * x + 2, 2 * y + 1) = O(2 * x + 1, 2 * y + 2) = edge;
        O(2 * x + 3, 2 * y + 2) = O(2 * x + 2, 2 * y + 3) = edge;
        O(2 * x + 1, 2 * y + 1) = O(2 * x + 3, 2 * y + 1) = corner;
        O(2 * x + 1, 2 * y + 3) = O(2 * x + 3, 2 * y + 3) = corner;
      });
    }
  }
};

// One output row pair of Bilinear, for a source row and the one below it
// (`below` is the row itself on the last row, where the lower neighbours
// are the pixel itself).
void BilinearRow(const uint16_t* row, const uint16_t* below, bool last_row, int w, uint16_t* out,
                 uint16_t* out2) {
  for (int x = 0; x + 1 < w; x++) {
    const uint16_t e = row[x], r = row[x + 1];
    const uint16_t d = last_row ? e : below[x];
    const uint16_t rd = last_row ? e : below[x + 1];
    const uint16_t top = Rgb565Mean(r, e);
    out[2 * x] = e;
    out[2 * x + 1] = top;
    out2[2 * x] = Rgb565Mean(e, d);
    out2[2 * x + 1] = Rgb565Mean(Rgb565Mean(rd, d), top);
  }
  // The last column: the right neighbours are the pixel itself.
  const int x = w - 1;
  const uint16_t e = row[x], d = last_row ? e : below[x];
  const uint16_t top = Rgb565Mean(e, e);
  out[2 * x] = e;
  out[2 * x + 1] = top;
  out2[2 * x] = Rgb565Mean(e, d);
  out2[2 * x + 1] = Rgb565Mean(Rgb565Mean(e, d), top);
}

}  // namespace

void ScaleDouble(const Picture16& source, Picture16& target) {
  for (int y = 0; y < source.height; y++) {
    const uint16_t* in = source.pixels + y * source.pitch;
    uint16_t* out = target.pixels + 2 * y * target.pitch;
    for (int x = 0; x < source.width; x++) {
      out[2 * x] = in[x];
      out[2 * x + 1] = in[x];
    }
    std::memcpy(out + target.pitch, out, size_t(source.width) * 2 * sizeof(uint16_t));
  }
}

void ScaleBilinear(const Picture16& source, Picture16& target) {
  const int w = source.width, h = source.height;
  if (w <= 0) return;
  for (int y = 0; y < h; y++) {
    const uint16_t* row = source.pixels + y * source.pitch;
    uint16_t* out = target.pixels + 2 * y * target.pitch;
    if (y + 1 < h)
      BilinearRow(row, row + source.pitch, false, w, out, out + target.pitch);
    else
      BilinearRow(row, row, true, w, out, out + target.pitch);
  }
}

void ScaleMEagle(const Picture16& source, Picture16& target) {
  ScaleDouble(source, target);
  Eagle eagle(source.pixels, source.pitch, target.pixels, target.pitch, source.width, source.height);
  eagle.Corners();
  eagle.Steep();
  eagle.Shallow();
  eagle.Spots();
}

bool FilterPicture(SurfaceRect* out, Surface* filter_surface, Surface* source, int filter,
                   SurfaceRect r) {
  if (filter < 1 || filter > 3 || !filter_surface || !source) return false;
  if (source->format.bits != 16 || filter_surface->format.bits != 16 ||
      !SamePixelLayout(source->format, filter_surface->format))
    return false;
  if (r.width <= 0 || r.height <= 0 || r.x < 0 || r.y < 0 || r.x + r.width > source->width ||
      r.y + r.height > source->height)
    return false;
  if (filter_surface->width < 2 * r.width || filter_surface->height < 2 * r.height) return false;
  uint8_t* in = LockSurface(source, LockReadOnly);
  if (!in) return false;
  uint8_t* dest = filter_surface == source ? nullptr : LockSurface(filter_surface, LockWriteOnly);
  if (!dest) {
    UnlockSurface(source);
    return false;
  }
  const Picture16 picture{reinterpret_cast<uint16_t*>(in + r.y * source->pitch) + r.x,
                          source->pitch / 2, r.width, r.height};
  Picture16 target{reinterpret_cast<uint16_t*>(dest), filter_surface->pitch / 2, 2 * r.width,
                   2 * r.height};
  switch (filter) {
    case 1: ScaleDouble(picture, target); break;
    case 2: ScaleBilinear(picture, target); break;
    default: ScaleMEagle(picture, target); break;
  }
  UnlockSurface(filter_surface);
  UnlockSurface(source);
  *out = SurfaceRect{0, 0, 2 * r.width, 2 * r.height};
  return true;
}

void BlurRows(uint16_t* blur, const uint16_t* shown, const uint16_t* other, int count) {
  for (int i = 0; i < count; i++) blur[i] = Rgb565Blur(other[i], shown[i]);
}

bool BlurPicture(Surface* blur, Surface* shown, Surface* other) {
  if (!blur || !shown || !other) return false;
  const bool blend = blur->format.bits == 16 && shown->format.bits == 16 &&
                     other->format.bits == 16 && SamePixelLayout(shown->format, other->format) &&
                     SamePixelLayout(blur->format, shown->format) && blur->width == shown->width &&
                     blur->height == shown->height && other->width == shown->width &&
                     other->height == shown->height && blur != shown && blur != other;
  if (!blend) return CopySurface(blur, 0, 0, shown, SurfaceRect{0, 0, shown->width, shown->height});
  uint8_t* b = LockSurface(blur, LockWriteOnly);
  uint8_t* s = b ? LockSurface(shown, LockReadOnly) : nullptr;
  uint8_t* o = s ? LockSurface(other, LockReadOnly) : nullptr;
  if (o) {
    for (int y = 0; y < shown->height; y++)
      BlurRows(reinterpret_cast<uint16_t*>(b + y * blur->pitch),
               reinterpret_cast<const uint16_t*>(s + y * shown->pitch),
               reinterpret_cast<const uint16_t*>(o + y * other->pitch), shown->width);
    UnlockSurface(other);
  }
  if (s) UnlockSurface(shown);
  if (b) UnlockSurface(blur);
  return o != nullptr;
}

SurfaceRect StretchTarget(int stretching, int screen_width, int screen_height, int width,
                          int height) {
  int w = width, h = height;
  if (stretching == 1) {
    w = 2 * width;
    h = 2 * height;
  } else if ((stretching == 2 || stretching == 3) && width > 0 && height > 0) {
    const double share = stretching == 3 ? 0.75 : 1.0;
    const double sx = share * screen_width / width, sy = share * screen_height / height;
    const double s = sx < sy ? sx : sy;
    // Truncated, with a hair of slack so that an exact fit is not lost to
    // the rounding of the division.
    w = int(width * s + 1e-9);
    h = int(height * s + 1e-9);
  }
  return SurfaceRect{(screen_width - w) >> 1, (screen_height - h) >> 1, w, h};
}
