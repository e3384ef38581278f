// The presenter's picture filters on RGB565 pictures: the three 2x
// enlargements (Double, Bilinear, M-Eagle), the two-frame motion blur, and
// where the full-screen picture goes for each stretching mode.
#pragma once
#include <cstdint>

#include "lumo/surface.h"

// RGB565 blends by mask arithmetic, without unpacking the fields.
// The mean of each field rounded down: the common bits plus half the
// differing ones, with each field's low bit masked off before the shift so
// nothing crosses into the field below. A colour blended with itself stays
// itself.
inline uint16_t Rgb565Mean(uint16_t a, uint16_t b) {
  return uint16_t((a & b) + (((a ^ b) & 0xF7DE) >> 1));
}
// Three quarters a, one quarter b.
inline uint16_t Rgb565Quarter(uint16_t a, uint16_t b) { return Rgb565Mean(a, Rgb565Mean(a, b)); }
// Motion blur's half-sum: the low bit of each field is lost.
inline uint16_t Rgb565Blur(uint16_t a, uint16_t b) {
  return uint16_t(((a >> 1) & 0x7BEF) + ((b >> 1) & 0x7BEF));
}

// A 16-bit picture in memory: `pitch` is in pixels.
struct Picture16 {
  uint16_t* pixels;
  int pitch;
  int width, height;
};

// The 2x filters: source w x h into a destination of at least 2w x 2h.
void ScaleDouble(const Picture16& source, Picture16& target);
void ScaleBilinear(const Picture16& source, Picture16& target);
void ScaleMEagle(const Picture16& source, Picture16& target);
// Runs filter 1 (Double), 2 (Bilinear) or 3 (M-Eagle) on source_rect of the
// source into the filter surface at (0, 0) and sets *out to (0, 0, 2w, 2h).
// False for another filter number, a surface that is not RGB565, a rectangle
// outside the source, or a filter surface smaller than 2w x 2h.
bool FilterPicture(SurfaceRect* out, Surface* filter_surface, Surface* source, int filter,
                   SurfaceRect source_rect);

// Motion blur: blur := shown, then each pixel := Rgb565Blur(other, pixel),
// so the picture is the mean of the last two frames. When the three are not
// all RGB565 of one size only the copy happens. False when a lock fails.
bool BlurPicture(Surface* blur, Surface* shown, Surface* other);
void BlurRows(uint16_t* blur, const uint16_t* shown, const uint16_t* other, int count);

// The full-screen picture's rectangle for `stretching` (0 none, 1 double,
// 2 maximize, 3 maximize 75%) and a picture of width x height, centred on
// the screen. The position is negative when the picture is larger.
SurfaceRect StretchTarget(int stretching, int screen_width, int screen_height, int width, int height);
