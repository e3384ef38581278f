#include "lumo/software_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int MaxSide = 16384;

inline uint32_t Widen565(uint16_t p) {
  const uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
  return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

// a and b mixed, b weighing w/256; two channels per multiply.
inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t v = 256 - w;
  const uint32_t rb = ((a & 0xFF00FF) * v + (b & 0xFF00FF) * w) >> 8 & 0xFF00FF;
  const uint32_t g = ((a & 0x00FF00) * v + (b & 0x00FF00) * w) >> 8 & 0x00FF00;
  return rb | g;
}

uint32_t SourcePixel(const uint8_t* row, int x, int bytes) {
  if (bytes == 2) {
    uint16_t p;
    std::memcpy(&p, row + 2 * x, 2);
    return Widen565(p);
  }
  uint32_t p;
  std::memcpy(&p, row + 4 * x, 4);
  return p & 0xFFFFFF;
}

// The first and last pixel where two rows differ; false when they agree.
bool ChangedSpan(const uint8_t* a, const uint8_t* b, int pixels, int bytes, int* first, int* last) {
  const size_t size = size_t(pixels) * bytes;
  if (std::memcmp(a, b, size) == 0) return false;
  size_t lo = 0, hi = size;
  while (a[lo] == b[lo]) ++lo;
  while (a[hi - 1] == b[hi - 1]) --hi;
  *first = int(lo / bytes);
  *last = int((hi - 1) / bytes);
  return true;
}

// The taps [from, to] of an axis that read a source pixel in [lo, hi].
void TapsReading(const std::vector<ScaleTap>& taps, int lo, int hi, int* from, int* to) {
  *from = int(taps.size());
  *to = -1;
  for (int i = 0; i < int(taps.size()); ++i) {
    const ScaleTap& t = taps[i];
    if (t.second >= lo && t.first <= hi) {
      *from = std::min(*from, i);
      *to = i;
    }
  }
}

}  // namespace

std::vector<ScaleTap> ScaleTaps(int source, int target) {
  std::vector<ScaleTap> taps(size_t(std::max(target, 0)));
  if (source <= 0 || target <= 0) return taps;
  if (target % source == 0) {  // whole-number enlargement: hard edges
    const int factor = target / source;
    for (int j = 0; j < target; ++j) taps[j] = {uint16_t(j / factor), uint16_t(j / factor), 0};
    return taps;
  }
  // Enlarged by the next whole factor first, then reduced smoothly.
  const int factor = target > source ? (target + source - 1) / source : 1;
  const int enlarged = source * factor;
  for (int j = 0; j < target; ++j) {
    double u = (j + 0.5) * enlarged / target - 0.5;
    if (u < 0) u = 0;
    int k = int(u);
    double f = u - k;
    if (k >= enlarged - 1) k = enlarged - 1, f = 0;
    const int first = k / factor, second = std::min(k + 1, enlarged - 1) / factor;
    int weight = first == second ? 0 : int(std::lround(f * 256));
    ScaleTap& t = taps[j];
    if (weight >= 256)
      t = {uint16_t(second), uint16_t(second), 0};
    else
      t = {uint16_t(first), uint16_t(weight ? second : first), uint16_t(weight)};
  }
  return taps;
}

bool PlanSoftwareScale(SoftwareScaler* s, int source_width, int source_height, int source_bytes, int width,
                       int height) {
  if (source_width < 1 || source_height < 1 || width < 1 || height < 1 || source_width > MaxSide ||
      source_height > MaxSide || width > MaxSide || height > MaxSide || (source_bytes != 2 && source_bytes != 4))
    return false;
  s->source_width = source_width, s->source_height = source_height, s->source_bytes = source_bytes;
  s->width = width, s->height = height;
  s->columns = ScaleTaps(source_width, width);
  s->rows = ScaleTaps(source_height, height);
  s->previous.assign(size_t(source_width) * source_bytes * source_height, 0);
  s->spread.assign(size_t(width) * source_height, 0);
  s->output.assign(size_t(width) * height, 0);
  s->primed = false;
  return true;
}

ScaleArea SoftwareScale(SoftwareScaler* s, const uint8_t* pixels, int pitch) {
  const int sw = s->source_width, sh = s->source_height, bytes = s->source_bytes, row_bytes = sw * bytes;
  // Which source rows changed, and the columns they changed in.
  std::vector<uint8_t> changed(size_t(sh), 0);
  int lo_x = sw, hi_x = -1, lo_y = sh, hi_y = -1;
  for (int y = 0; y < sh; ++y) {
    const uint8_t* row = pixels + size_t(y) * pitch;
    uint8_t* kept = s->previous.data() + size_t(y) * row_bytes;
    int first = 0, last = sw - 1;
    if (s->primed && !ChangedSpan(row, kept, sw, bytes, &first, &last)) continue;
    changed[y] = 1;
    lo_x = std::min(lo_x, first), hi_x = std::max(hi_x, last);
    lo_y = std::min(lo_y, y), hi_y = y;
    std::memcpy(kept, row, size_t(row_bytes));
  }
  if (hi_y < 0) return {0, 0, 0, 0};
  int from_x, to_x, from_y, to_y;
  TapsReading(s->columns, lo_x, hi_x, &from_x, &to_x);
  TapsReading(s->rows, lo_y, hi_y, &from_y, &to_y);
  if (to_x < from_x || to_y < from_y) return {0, 0, 0, 0};

  for (int y = lo_y; y <= hi_y; ++y) {
    if (!changed[y]) continue;
    const uint8_t* row = s->previous.data() + size_t(y) * row_bytes;
    uint32_t* out = s->spread.data() + size_t(y) * s->width;
    for (int x = from_x; x <= to_x; ++x) {
      const ScaleTap& t = s->columns[x];
      const uint32_t a = SourcePixel(row, t.first, bytes);
      out[x] = t.weight ? Mix(a, SourcePixel(row, t.second, bytes), t.weight) : a;
    }
  }
  for (int y = from_y; y <= to_y; ++y) {
    const ScaleTap& t = s->rows[y];
    if (!changed[t.first] && !changed[t.second]) continue;
    const uint32_t* a = s->spread.data() + size_t(t.first) * s->width;
    const uint32_t* b = s->spread.data() + size_t(t.second) * s->width;
    uint32_t* out = s->output.data() + size_t(y) * s->width;
    if (!t.weight) {
      std::memcpy(out + from_x, a + from_x, size_t(to_x - from_x + 1) * 4);
    } else {
      for (int x = from_x; x <= to_x; ++x) out[x] = Mix(a[x], b[x], t.weight);
    }
  }
  s->primed = true;
  return {from_x, from_y, to_x - from_x + 1, to_y - from_y + 1};
}
