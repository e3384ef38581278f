// Fonts: 256 glyph pictures of an SSP file laid side by side in one strip,
// with a coverage mask through which text is drawn in any colour.
#pragma once
#include <cstdint>

#include "lumo/surface.h"

struct Font {
  Surface* strip;            // the glyphs left to right in code order, key-coloured ground
  uint16_t glyph_x[256];     // x of each glyph in the strip
  uint8_t glyph_width[256];  // 0 for codes the file lacks
  uint8_t height;            // the tallest glyph
  uint8_t* coverage;         // strip width x height: 1 where a glyph has ink
};

// Loads an SSP font (up to 256 pictures; SspFlags in flags). On failure the
// record is left empty.
bool LoadFont(Font* font, const char* path, unsigned flags);
void FreeFont(Font* font);

// Width in pixels: the sum of the glyph widths.
int TextWidth(const Font& font, const char* text);
int TextWidth(const Font& font, const char* text, int length);
// The longest head of text that fits max_width, followed by an ellipsis
// when it had to be cut; written to out (out_size bytes). Returns its width.
int FitText(const Font& font, const char* text, int max_width, char* out, int out_size);
// The same keeping the end: an ellipsis and the longest tail that fits (a
// path whose last folders matter most).
int FitTextTail(const Font& font, const char* text, int max_width, char* out, int out_size);

// Draws text with the top of its cells at (x, y) in the given pixel value,
// clipped to the surface's clip rectangle and, when given, to clip as well.
void DrawText(Surface* surface, const Font& font, int x, int y, const char* text, uint32_t pixel,
              const ClipRect* clip = nullptr);
// The same, cut with an ellipsis to max_width.
void DrawTextFitted(Surface* surface, const Font& font, int x, int y, const char* text,
                    int max_width, uint32_t pixel, const ClipRect* clip = nullptr);

// The character code of the ellipsis glyph.
constexpr unsigned char EllipsisCode = 0x85;
