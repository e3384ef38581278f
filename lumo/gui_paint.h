// Drawing helpers of the GUI: colours given as $RRGGBB, converted to the
// target surface's pixel format.
#pragma once
#include <cstdint>

#include "lumo/surface.h"

uint32_t RgbPixel(const Surface* s, uint32_t rgb);
// a..b by t of 256.
uint32_t MixRgb(uint32_t a, uint32_t b, int t);
// Darker (percent < 100) or lighter (percent > 100: towards white). Near
// black, a darker shade comes out as the same step lighter.
uint32_t ShadeRgb(uint32_t rgb, int percent);
int Luminance(uint32_t rgb);  // 0-255
// A text colour readable on the background: a dark tone on light colours,
// a light tone on dark ones.
uint32_t InkOn(uint32_t background);
// The same, dimmed for disabled gadgets.
uint32_t DimInkOn(uint32_t background);

void FillBox(Surface* s, int x, int y, int w, int h, uint32_t rgb);
void FrameBox(Surface* s, int x, int y, int w, int h, uint32_t rgb);
// A rounded rectangle outline (corners cut by one pixel).
void RoundFrame(Surface* s, int x, int y, int w, int h, uint32_t rgb);
// Every non-transparent pixel of the picture in one colour.
void DrawMask(Surface* s, const Surface* picture, int x, int y, uint32_t rgb);
// Greys of the picture as shades of the tint (mid grey = the tint).
void DrawShaded(Surface* s, const Surface* picture, int x, int y, uint32_t tint);
// The picture as it is, its colour key transparent.
void DrawPicture(Surface* s, Surface* picture, int x, int y);
// Vertical gradient from top to bottom colour over a rectangle of a
// surface, as if the gradient spanned rows 0..span-1.
void FillGradient(Surface* s, int x, int y, int w, int h, uint32_t top, uint32_t bottom, int span);
