// The tile viewer: the 512 tiles of video memory in mode 4's planar layout,
// 32 to a row, optionally as 8 x 16 sprite pairs and with the sprite
// palette; the tile under the pointer enlarged; the set saved as a PNG.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/program_dir.h"
#include "config/config.h"
#include "debugger/viewers.h"
#include "lumo/messages.h"
#include "lumo/png.h"
#include "lumo/window_table.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"

TileViewState TileView;

namespace {

constexpr int Tiles = 512, TileBytes = 32;
constexpr int CanvasWidth = 256, CanvasHeight = 128;
constexpr int PictureNames = 256;

// What the canvas shows now, to redraw only tiles that changed.
struct TileCache {
  uint8_t vram[Tiles * TileBytes];
  uint16_t palette[32];
  bool tall, second_palette;
  bool valid;
  int zoomed;  // tile in the zoom canvas, -1 none
};
TileCache Cache;

void ReadTileBytes(uint8_t* bytes) {
  for (int i = 0; i < Tiles * TileBytes; ++i) bytes[i] = ReadVram(static_cast<uint32_t>(i));
}

// Colour indices 0-15 of one tile row from its four bit planes.
void DecodeRow(const uint8_t* planes, uint8_t* indices) {
  for (int x = 0; x < 8; ++x) {
    const int bit = 7 - x;
    indices[x] = static_cast<uint8_t>(((planes[0] >> bit) & 1) | ((planes[1] >> bit) & 1) << 1 |
                                      ((planes[2] >> bit) & 1) << 2 | ((planes[3] >> bit) & 1) << 3);
  }
}

void CellOfTile(int tile, bool tall, int* column, int* row) {
  if (!tall) {
    *column = tile % 32, *row = tile / 32;
    return;
  }
  const int rest = tile % 64;
  *column = rest / 2;
  *row = 2 * (tile / 64) + (rest & 1);
}

// Draws a tile at (x, y) of a locked surface, each pixel scale x scale,
// through a table of 16 pixel values.
void DrawTile(Surface* s, uint8_t* base, const uint8_t* bytes, int x, int y, int scale, const uint32_t* pixels) {
  const int size = s->format.bytes;
  for (int line = 0; line < 8; ++line) {
    uint8_t indices[8];
    DecodeRow(bytes + 4 * line, indices);
    for (int i = 0; i < 8 * scale; ++i) {
      const uint32_t pixel = pixels[indices[i / scale]];
      for (int j = 0; j < scale; ++j)
        WritePixel(base + (y + line * scale + j) * s->pitch + (x + i) * size, size, pixel);
    }
  }
}

void PalettePixels(const Surface* s, uint32_t* pixels) {
  const uint16_t* palette = PrimaryMachine.Vdp.palette + (TileView.second_palette ? 16 : 0);
  for (int i = 0; i < 16; ++i) pixels[i] = Rgb565Pixel(s, palette[i]);
}

void DrawZoom() {
  Surface* s = CanvasSurface(TileZoom);
  if (!s) return;
  uint32_t pixels[16];
  PalettePixels(s, pixels);
  const int tile = std::clamp(TileView.tile, 0, Tiles - 1);
  uint8_t* base = LockSurface(s, LockReadWrite);
  if (!base) return;
  DrawTile(s, base, Cache.vram + tile * TileBytes, 0, 0, 2, pixels);
  UnlockSurface(s);
  ShowCanvasArea(WinTileViewer, TileZoom, 5, 133, 0, 0, 16, 16);
  char text[24];
  std::snprintf(text, sizeof text, "%3d ($%03X)", tile, tile);
  SetGadgetText(TileText, text);
  Cache.zoomed = tile;
}

void DrawTiles(bool all) {
  Surface* s = CanvasSurface(TileCanvas);
  if (!s) return;
  static uint8_t now[Tiles * TileBytes];
  ReadTileBytes(now);
  uint16_t palette[32];
  std::memcpy(palette, PrimaryMachine.Vdp.palette, sizeof palette);
  all = all || !Cache.valid || Cache.tall != TileView.tall || Cache.second_palette != TileView.second_palette ||
        std::memcmp(palette, Cache.palette, sizeof palette) != 0;
  uint32_t pixels[16];
  PalettePixels(s, pixels);
  uint8_t* base = LockSurface(s, LockReadWrite);
  if (!base) return;
  int left = CanvasWidth, top = CanvasHeight, right = 0, bottom = 0;
  for (int tile = 0; tile < Tiles; ++tile) {
    const uint8_t* bytes = now + tile * TileBytes;
    if (!all && std::memcmp(bytes, Cache.vram + tile * TileBytes, TileBytes) == 0) continue;
    int column, row;
    CellOfTile(tile, TileView.tall, &column, &row);
    DrawTile(s, base, bytes, column * 8, row * 8, 1, pixels);
    left = std::min(left, column * 8), top = std::min(top, row * 8);
    right = std::max(right, column * 8 + 8), bottom = std::max(bottom, row * 8 + 8);
  }
  UnlockSurface(s);
  const bool zoom_changed = all || Cache.zoomed != TileView.tile ||
                            std::memcmp(now + TileView.tile * TileBytes, Cache.vram + TileView.tile * TileBytes,
                                        TileBytes) != 0;
  std::memcpy(Cache.vram, now, sizeof now);
  std::memcpy(Cache.palette, palette, sizeof palette);
  Cache.tall = TileView.tall, Cache.second_palette = TileView.second_palette, Cache.valid = true;
  if (right > left) ShowCanvasArea(WinTileViewer, TileCanvas, 0, 0, left, top, right - left, bottom - top);
  if (zoom_changed) DrawZoom();
}

// The tile under the pointer while it is over the tile canvas.
void FollowPointer() {
  if (GadgetUnderPointer() != TileCanvas) return;
  int x, y, wx, wy;
  ViewerPointer(&x, &y);
  WindowPosition(WinTileViewer, &wx, &wy);
  const int column = (x - wx - ClientLeft) / 8, row = (y - wy - ClientTop) / 8;
  if (column >= 0 && column < 32 && row >= 0 && row < 16) TileView.tile = TileAtCell(column, row, TileView.tall);
}

std::string FreePicturePath(std::string* name) {
  const std::string base = CartFileBase();
  if (base.empty()) return "";
  for (int n = 0; n < PictureNames; ++n) {
    *name = base + "." + std::to_string(n) + ".png";
    const std::string path = WorkingFilePath("Tiles", *name);
    struct stat info;
    if (path.empty()) return "";
    if (lstat(path.c_str(), &info) != 0) return path;
  }
  return "";
}

}  // namespace

int TileAtCell(int column, int row, bool tall) {
  return tall ? (row & 1) + 64 * (row / 2) + 2 * column : column + 32 * row;
}

std::string SaveTilesPicture() {
  std::string name;
  const std::string path = FreePicturePath(&name);
  if (path.empty()) {
    ShowMessage("Couldn't save tiles picture.");
    return "";
  }
  Surface* picture = CreateSurface(CanvasWidth, CanvasHeight, 8, SurfaceClear);
  bool ok = picture && picture->format.palette;
  if (ok) {
    for (int i = 0; i < 32; ++i) {
      const uint16_t c = PrimaryMachine.Vdp.palette[i];
      uint8_t* entry = picture->format.palette + 3 * i;
      entry[0] = static_cast<uint8_t>(((c >> 11) & 31) * 255 / 31);
      entry[1] = static_cast<uint8_t>(((c >> 5) & 63) * 255 / 63);
      entry[2] = static_cast<uint8_t>((c & 31) * 255 / 31);
    }
    static uint8_t bytes[Tiles * TileBytes];
    ReadTileBytes(bytes);
    const int offset = TileView.second_palette ? 16 : 0;
    for (int tile = 0; tile < Tiles; ++tile) {
      int column, row;
      CellOfTile(tile, TileView.tall, &column, &row);
      for (int line = 0; line < 8; ++line) {
        uint8_t indices[8];
        DecodeRow(bytes + tile * TileBytes + 4 * line, indices);
        uint8_t* out = picture->pixels + (row * 8 + line) * picture->pitch + column * 8;
        for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(indices[i] + offset);
      }
    }
    ok = SavePng(path.c_str(), picture);
  }
  DestroySurface(picture);
  if (ok)
    ShowMessage("Successfully saved tiles picture as '%s'.", name.c_str());
  else
    ShowMessage("Couldn't save tiles picture as '%s'.", name.c_str());
  return ok ? path : "";
}

void ToggleTileViewer() {
  Window* w = ToggleToolWindow(WinTileViewer);
  if (!w) return;
  AddCellCanvas(w, TileCanvas, 0, 0, CanvasWidth, CanvasHeight, 8, 8);
  AddCellCanvas(w, TileZoom, 5, 133, 16, 16, 16, 16);
  AddText(w, "", TileText, 25, 133, 75, 15);
  AddCheckBox(w, "8x16", TileTall, 0, 153, 75, 15, TileView.tall);
  AddCheckBox(w, "2nd palette", TileSecondPalette, 80, 153, 75, 15, TileView.second_palette);
  AddButton(w, "Save as picture", TileSave, 0, 173, 100, 15);
  Config.window_opened[WinTileViewer] = true;
  Cache.valid = false;
  DrawTiles(true);
}

void TileViewerEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    ToggleTileViewer();
    return;
  }
  switch (event.id) {
    case TileCanvas: {
      int column, row;
      GetCanvasCell(TileCanvas, &column, &row);
      if (column >= 0 && column < 32 && row >= 0 && row < 16) TileView.tile = TileAtCell(column, row, TileView.tall);
      break;
    }
    case TileTall: TileView.tall = GetChecked(TileTall) > 0; break;
    case TileSecondPalette: TileView.second_palette = GetChecked(TileSecondPalette) > 0; break;
    case TileSave:
      if (event.type == EventActivated) SaveTilesPicture();
      return;
    default: return;
  }
  DrawTiles(false);
}

void RefreshTileViewer() {
  if (!WindowOpen(WinTileViewer)) return;
  FollowPointer();
  DrawTiles(false);
}

void ResetTileViewer() {
  TileView = TileViewState{false, false, 0};
  Cache.valid = false;
  Cache.zoomed = -1;
}
