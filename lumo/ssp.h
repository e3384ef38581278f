// SSP picture sets: a numbered series of raw pictures of one depth, the
// format of the GUI's fonts and small pictures.
//
// File: "SSP " magic, then u32 LE count, bits per pixel (8, 16 or 32) and
// 16 reserved bytes; then per picture u32 width, height, flags (bit 0: the
// picture uses the colour key) and its rows, each width x bytes per pixel
// rounded up to a multiple of 4.
#pragma once
#include <cstddef>
#include <cstdint>

struct Surface;

constexpr int SspHeaderSize = 28;
constexpr int SspPictureHeaderSize = 12;

enum SspFlags : unsigned {
  SspToScreen = 1,  // convert every picture to the display's pixel format
};

// Reads up to max_count pictures into table[0..]. Returns the number loaded,
// 0 on any fault (unreadable file, wrong magic or depth, a picture past the
// end of the file, a surface refused); then nothing is left allocated and
// the table is all null. A picture of width or height 0 loads as a null
// entry (an empty glyph).
int LoadSsp(const char* path, Surface** table, int max_count, unsigned flags);
int DecodeSsp(const uint8_t* data, size_t size, Surface** table, int max_count, unsigned flags);
// Destroys the pictures of a table and nulls the entries.
void FreeSspPictures(Surface** table, int count);
