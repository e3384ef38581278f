// Scaling the display's picture on the processor, for renderers without a
// graphics card (virtual X servers, remote desktops): the picture is scaled
// straight to the window's pixels in its 32-bit format, as the graphics
// card path does in two steps (a whole-number enlargement with hard edges,
// then a smooth reduction), and only where it changed since the last pass.
// With the GUI hidden only the game's picture changes, a fraction of the
// screen.
#pragma once
#include <cstdint>
#include <vector>

// One output column or row: the two source pixels it mixes and the second
// one's weight in 256ths (0: the first alone).
struct ScaleTap {
  uint16_t first, second;
  uint16_t weight;
};

struct ScaleArea {
  int x, y, width, height;  // in output pixels; width 0 when nothing changed
};

struct SoftwareScaler {
  int source_width = 0, source_height = 0, source_bytes = 0;  // 2 (RGB565) or 4 (XRGB8888)
  int width = 0, height = 0;                                  // the output
  std::vector<ScaleTap> columns, rows;
  std::vector<uint8_t> previous;   // the source as last scaled, rows packed
  std::vector<uint32_t> spread;    // each source row scaled across: width per row
  std::vector<uint32_t> output;    // width x height, 0x00RRGGBB
  bool primed = false;             // output holds a whole scaled picture
};

// Taps of one axis: `source` pixels onto `target`.
std::vector<ScaleTap> ScaleTaps(int source, int target);
// Prepares a scaler for the sizes; nothing is scaled yet. False for sizes
// outside 1..16384 or another pixel size.
bool PlanSoftwareScale(SoftwareScaler* scaler, int source_width, int source_height, int source_bytes, int width,
                       int height);
// Scales the parts of the source that changed since the last call (the
// whole picture on the first) into scaler->output; the area of the output
// that changed.
ScaleArea SoftwareScale(SoftwareScaler* scaler, const uint8_t* pixels, int pitch);
