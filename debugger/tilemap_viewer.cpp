// The tilemap viewer: the name table as the VDP lays it out in mode 4, one
// screen of the active lines' height, the table chosen by a slider or
// following VDP register 2; on the Game Gear the visible window is outlined
// at the scroll position.
#include <cstring>

#include "config/config.h"
#include "debugger/viewers.h"
#include "lumo/window_table.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

constexpr int MapWidth = 256;

struct MapCache {
  uint8_t vram[0x4000];
  uint16_t palette[32];
  uint32_t base;
  uint8_t scroll_x, scroll_y;
  bool valid;
};
MapCache Cache;
int MapHeight = 0;  // of the open window: the active lines it was made for
bool Auto = true;
int Position = 0;

int ActiveLines() {
  const int lines = PrimaryMachine.Vdp.active_lines;
  return lines == 224 || lines == 240 ? lines : 192;
}

int PositionCount(int lines) { return lines == 192 ? 8 : 4; }

int AutoPosition(int lines) {
  const uint8_t r2 = PrimaryMachine.Vdp.regs[2];
  return lines == 192 ? (r2 >> 1) & 7 : (r2 >> 2) & 3;
}

bool GameGearWindow() { return (MachineOptions & OptGgScreen) != 0; }

// A one-pixel rectangle outline, clipped to the surface.
void Outline(Surface* s, int x, int y, int width, int height, uint32_t pixel) {
  FillRect(x, y, width, 1, s, pixel);
  FillRect(x, y + height - 1, width, 1, s, pixel);
  FillRect(x, y, 1, height, s, pixel);
  FillRect(x + width - 1, y, 1, height, s, pixel);
}

void DrawWindowOutline(Surface* s, int height) {
  const VdpState& vdp = PrimaryMachine.Vdp;
  const int left = (48 - vdp.regs[8]) & 255;
  const int top = (vdp.regs[9] + (height - 144) / 2) % height;
  const uint32_t black = ColorToPixel(s->format, 0, 0, 0), white = ColorToPixel(s->format, 255, 255, 255);
  for (int dx : {0, -MapWidth})
    for (int dy : {0, -height}) {
      Outline(s, left + dx, top + dy, 160, 144, black);
      Outline(s, left + dx + 1, top + dy + 1, 158, 142, white);
    }
}

void DrawMap(const uint8_t* vram, uint32_t base) {
  Surface* s = CanvasSurface(TilemapCanvas);
  if (!s) return;
  VdpState* vdp = &PrimaryMachine.Vdp;
  uint32_t pixels[32];
  for (int i = 0; i < 32; ++i) pixels[i] = Rgb565Pixel(s, vdp->palette[i]);
  uint8_t* out = LockSurface(s, LockReadWrite);
  if (!out) return;
  const int size = s->format.bytes;
  const int rows = MapHeight / 8;
  for (int k = 0; k < rows * 32; ++k) {
    const uint32_t at = base + 2 * static_cast<uint32_t>(k);
    const uint16_t entry = static_cast<uint16_t>(vram[at & 0x3FFF] | vram[(at + 1) & 0x3FFF] << 8);
    const int tile = entry & 0x1FF;
    const uint8_t attributes = static_cast<uint8_t>(entry >> 8);
    const int x = (k % 32) * 8, y = (k / 32) * 8;
    for (int line = 0; line < 8; ++line) {
      uint8_t indices[8];
      VdpTileRowIndices(vdp, tile * 8 + ((attributes & 0x04) ? 7 - line : line), attributes, indices);
      uint8_t* row = out + (y + line) * s->pitch + x * size;
      for (int i = 0; i < 8; ++i) WritePixel(row + i * size, size, pixels[indices[i] & 31]);
    }
  }
  UnlockSurface(s);
  if (GameGearWindow()) DrawWindowOutline(s, MapHeight);
  ShowCanvasArea(WinTilemapViewer, TilemapCanvas, 0, 0, 0, 0, MapWidth, MapHeight);
}

void OpenTilemapViewer() {
  const int lines = ActiveLines();
  const int height = lines + 35;
  Window* w = OpenToolWindow(WinTilemapViewer, MapWidth, height, WindowNoBackBuffer);
  if (!w) return;
  MapHeight = lines;
  const int positions = PositionCount(lines);
  if (Position >= positions) Position = 0;
  AddCellCanvas(w, TilemapCanvas, 0, 0, MapWidth, lines, 8, 8);
  AddText(w, "Select tilemap", TilemapText, 0, lines + 5, 100, 12);
  AddSlider(w, TilemapSlider, 0, lines + 20, 160, 15, Auto ? AutoPosition(lines) : Position, positions - 1);
  AddCheckBox(w, "Auto", TilemapAuto, 165, lines + 20, 50, 15, Auto);
  EnableGadget(TilemapSlider, !Auto);
  Config.window_opened[WinTilemapViewer] = true;
  Cache.valid = false;
  RefreshTilemapViewer();
}

}  // namespace

uint32_t TilemapBase(int position, int active_lines) {
  return active_lines == 192 ? static_cast<uint32_t>(position) * 0x800
                             : static_cast<uint32_t>(position) * 0x1000 + 0x700;
}

void ToggleTilemapViewer() {
  if (WindowOpen(WinTilemapViewer))
    CloseToolWindow(WinTilemapViewer);
  else
    OpenTilemapViewer();
}

void TilemapViewerEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseToolWindow(WinTilemapViewer);
    return;
  }
  if (event.id == TilemapAuto && event.type == EventActivated) {
    Auto = GetChecked(TilemapAuto) > 0;
    EnableGadget(TilemapSlider, !Auto);
    if (!Auto) Position = GetSlider(TilemapSlider);
  } else if (event.id == TilemapSlider && event.type == EventChanged && !Auto) {
    Position = GetSlider(TilemapSlider);
  }
  RefreshTilemapViewer();
}

void RefreshTilemapViewer() {
  if (!WindowOpen(WinTilemapViewer)) return;
  const int lines = ActiveLines();
  if (lines != MapHeight) {  // the map's size changed: a window of the new size
    CloseToolWindow(WinTilemapViewer);
    OpenTilemapViewer();
    return;
  }
  if (Auto) {
    Position = AutoPosition(lines);
    SetSlider(TilemapSlider, Position, PositionCount(lines) - 1);
  }
  const uint32_t base = TilemapBase(Position, lines);
  static uint8_t vram[0x4000];
  for (uint32_t i = 0; i < sizeof vram; ++i) vram[i] = ReadVram(i);
  const VdpState& vdp = PrimaryMachine.Vdp;
  if (Cache.valid && Cache.base == base && Cache.scroll_x == vdp.regs[8] && Cache.scroll_y == vdp.regs[9] &&
      std::memcmp(Cache.palette, vdp.palette, sizeof Cache.palette) == 0 &&
      std::memcmp(Cache.vram, vram, sizeof vram) == 0)
    return;
  std::memcpy(Cache.vram, vram, sizeof vram);
  std::memcpy(Cache.palette, vdp.palette, sizeof Cache.palette);
  Cache.base = base, Cache.scroll_x = vdp.regs[8], Cache.scroll_y = vdp.regs[9], Cache.valid = true;
  DrawMap(vram, base);
}

void ResetTilemapViewer() {
  Cache.valid = false;
  MapHeight = 0;
  Auto = true;
  Position = 0;
}
