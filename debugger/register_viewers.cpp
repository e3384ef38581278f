// The small viewers: the palette as two rows of colour bars, the VDP's
// registers in hex and binary, the PSG's channels and the FM unit's
// registers.
#include <cstdio>
#include <cstring>

#include "config/config.h"
#include "debugger/viewers.h"
#include "lumo/window_table.h"
#include "machine/machine.h"

namespace {

constexpr int VdpLines = 11, PsgLines = 5;

uint16_t ShownPalette[32];
bool PaletteShown = false;

// The VDP and PSG viewers: one line of the fixed font per register or
// channel, 15 pixels apart.
void ToggleLineViewer(int window, int width, int first_id, int count, void (*refresh)()) {
  Window* w = ToggleToolWindow(window, width, 15 * count);
  if (!w) return;
  for (int i = 0; i < count; ++i) {
    AddText(w, "", first_id + i, 0, 15 * i, width, 15);
    SetGadgetFlags(first_id + i, GadgetSecondFont);
  }
  Config.window_opened[window] = true;
  refresh();
}

void DrawPaletteHalf(int canvas, int canvas_x, const uint16_t* colours) {
  Surface* s = CanvasSurface(canvas);
  if (!s) return;
  for (int i = 0; i < 16; ++i) FillRect(8 * i, 0, 8, 32, s, Rgb565Pixel(s, colours[i]));
  ShowCanvasArea(WinPaletteViewer, canvas, canvas_x, 0, 0, 0, 128, 32);
}

}  // namespace

void TogglePaletteViewer() {
  Window* w = ToggleToolWindow(WinPaletteViewer, 264, 32);
  if (!w) return;
  AddCellCanvas(w, PaletteBackground, 0, 0, 128, 32, 8, 32);
  AddCellCanvas(w, PaletteSprites, 136, 0, 128, 32, 8, 32);
  Config.window_opened[WinPaletteViewer] = true;
  PaletteShown = false;
  RefreshPaletteViewer();
}

void RefreshPaletteViewer() {
  if (!WindowOpen(WinPaletteViewer)) return;
  const uint16_t* palette = PrimaryMachine.Vdp.palette;
  if (PaletteShown && std::memcmp(ShownPalette, palette, sizeof ShownPalette) == 0) return;
  std::memcpy(ShownPalette, palette, sizeof ShownPalette);
  PaletteShown = true;
  DrawPaletteHalf(PaletteBackground, 0, ShownPalette);
  DrawPaletteHalf(PaletteSprites, 136, ShownPalette + 16);
}

std::string VdpRegisterLine(int reg) {
  const uint8_t value = PrimaryMachine.Vdp.regs[reg & 15];
  char text[32];
  int n = std::snprintf(text, sizeof text, "%2d: $%02X = %%", reg, value);
  for (int bit = 7; bit >= 0; --bit) text[n++] = (value >> bit) & 1 ? '1' : '0';
  text[n] = 0;
  return text;
}

void ToggleVdpViewer() { ToggleLineViewer(WinVdpViewer, 120, VdpLine, VdpLines, RefreshVdpViewer); }

void RefreshVdpViewer() {
  if (!WindowOpen(WinVdpViewer)) return;
  for (int i = 0; i < VdpLines; ++i) SetGadgetText(VdpLine + i, VdpRegisterLine(i).c_str());
}

std::string PsgChannelLine(int channel) {
  const PsgRegisters& chip = PrimaryMachine.Psg.Chip;
  char text[48];
  if (channel < 0) return "Ch. Freq.  Vol.  Type";
  if (channel < 3) {
    std::snprintf(text, sizeof text, "%d:  %4d   %2d", channel, chip.Tone[channel], chip.Volume[channel]);
    return text;
  }
  static const char* const Rates[4] = {"high", "mid ", "low ", "ch2 "};
  // Three blanks after the volume put the type under its heading and keep
  // the longest line ("periodic") inside the window.
  std::snprintf(text, sizeof text, "3:  %s   %2d   %s", Rates[chip.NoiseRate & 3], chip.Volume[3],
                chip.NoiseWhite ? "white" : "periodic");
  return text;
}

void TogglePsgViewer() { ToggleLineViewer(WinPsgViewer, 150, PsgLine, PsgLines, RefreshPsgViewer); }

void RefreshPsgViewer() {
  if (!WindowOpen(WinPsgViewer)) return;
  for (int i = 0; i < PsgLines; ++i) SetGadgetText(PsgLine + i, PsgChannelLine(i - 1).c_str());
}

// "Ch.  0  1 ...  8", then rows $1x, $2x and $3x (F-number low; sustain,
// key, block and F-number high; instrument and volume) by channel, the
// user instrument $00-$07, and $0E (rhythm) and $0F (test).
std::string FmRegisterLine(int line) {
  const uint8_t* regs = PrimaryMachine.Fm.Regs;
  std::string text;
  char cell[16];
  if (line == 0) {
    text = "Ch.";
    for (int c = 0; c < 9; ++c) std::snprintf(cell, sizeof cell, "%3d", c), text += cell;
  } else if (line <= 3) {
    std::snprintf(cell, sizeof cell, "$%dx", line);
    text = cell;
    for (int c = 0; c < 9; ++c) std::snprintf(cell, sizeof cell, " %02X", regs[line * 16 + c]), text += cell;
  } else if (line == 4) {
    text = "$00:";
    for (int r = 0; r < 8; ++r) std::snprintf(cell, sizeof cell, " %02X", regs[r]), text += cell;
  } else if (line == 5) {
    std::snprintf(cell, sizeof cell, "$0E: %02X", regs[0x0E]);
    text = cell;
    std::snprintf(cell, sizeof cell, "  $0F: %02X", regs[0x0F]);
    text += cell;
  }
  return text;
}

void ToggleFmViewer() { ToggleLineViewer(WinFmViewer, 190, FmLine, FmLines, RefreshFmViewer); }

void RefreshFmViewer() {
  if (!WindowOpen(WinFmViewer)) return;
  for (int i = 0; i < FmLines; ++i) SetGadgetText(FmLine + i, FmRegisterLine(i).c_str());
}

void ResetMemoryViewer();
void ResetTileViewer();
void ResetTilemapViewer();

void ResetViewers() {
  ResetMemoryViewer();
  ResetTileViewer();
  ResetTilemapViewer();
  PaletteShown = false;
}
