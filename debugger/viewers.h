// The viewers: the memory viewer and editor, the tile set, the tilemap, the
// palette, and the VDP, PSG and FM unit registers. Each is a toggle window refreshed
// once per main-loop pass while it is open, and redraws only what changed.
// They show the Master System's mode 4 layout of the video memory whatever
// display mode the VDP is in.
#pragma once
#include <cstdint>
#include <string>

#include "lumo/gui.h"

// Gadget ids: window id x 100 + part.
enum ViewerGadget {
  MemoryCanvas = 701, MemoryScrollBar, MemoryAddressText, MemoryRegionList, MemoryAddressInput, MemoryGo,
  TilemapCanvas = 801, TilemapText, TilemapSlider, TilemapAuto,
  TileCanvas = 901, TileZoom, TileText, TileTall, TileSecondPalette, TileSave,
  PsgLine = 1001,      // 1001..1005
  VdpLine = 1101,      // 1101..1111
  PaletteBackground = 1201, PaletteSprites,
  FmLine = 2801,       // 2801..2806
};

// --- Memory viewer ---------------------------------------------------------
constexpr int MemoryRegionsMax = 12;  // rows of the region list
struct MemoryViewState {
  uint32_t view_base;   // first address of the page shown, a multiple of 256
  int column, row;      // cursor, 0-15 each
  int nibble;           // 0 high, 1 low
  uint32_t view_space;  // size of the address space shown
  bool vram;            // the page lies in video memory
  bool focused;         // the canvas or its scroll bar was clicked last
  int half;             // rows 0-7 or 8-15 are drawn in the next pass
};
extern MemoryViewState MemoryView;

void ToggleMemoryViewer();
void MemoryViewerEvent(const GuiEvent& event);
void RefreshMemoryViewer();
// The wheel moves the page by 256 bytes per step, wrapping in the space.
void MemoryViewerWheel(int steps);
// A typed hexadecimal digit (0-15) replaces the nibble under the cursor,
// which then moves on.
void MemoryViewerDigit(int digit);
// "Go" with a typed address.
void MemoryViewerGo(const char* text);
// A click on the hex canvas at pixel (x, y) of the canvas.
void MemoryViewerClick(int x, int y);
// The byte the viewer shows at an address of its current space.
uint8_t MemoryViewerByte(uint32_t address);

// --- Tile viewer -------------------------------------------------------------
struct TileViewState {
  bool tall;            // "8x16": tiles in sprite pairs
  bool second_palette;  // colours 16-31
  int tile;             // the tile under the pointer
};
extern TileViewState TileView;
// The tile a cell of the 32 x 16 grid shows.
int TileAtCell(int column, int row, bool tall);
void ToggleTileViewer();
void TileViewerEvent(const GuiEvent& event);
void RefreshTileViewer();
// "Save as picture": the tile set as an 8-bit PNG in "Tiles", named after
// the cartridge with the first free number 0-255. The file's path, "" on
// failure; the outcome is shown as a message.
std::string SaveTilesPicture();

// --- Tilemap, palette, VDP, PSG and FM viewers -------------------------------
void ToggleTilemapViewer();
void TilemapViewerEvent(const GuiEvent& event);
void RefreshTilemapViewer();
// The name table's VRAM address for a slider position with the active lines.
uint32_t TilemapBase(int position, int active_lines);
void TogglePaletteViewer();
void RefreshPaletteViewer();
void ToggleVdpViewer();
void RefreshVdpViewer();
void TogglePsgViewer();
void RefreshPsgViewer();
// The FM unit's registers $00-$38 as written (all 0 while no unit is
// fitted): the channel registers by channel, then the user instrument and
// the rhythm and test registers.
void ToggleFmViewer();
void RefreshFmViewer();
// The text lines of the register viewers.
std::string VdpRegisterLine(int reg);
std::string PsgChannelLine(int channel);  // 0-3; -1 the header
constexpr int FmLines = 6;
std::string FmRegisterLine(int line);     // 0 .. FmLines - 1

void ResetViewers();  // the states of a fresh start (tests)

// Shared by the viewers' files: the pointer's screen position and the
// hexadecimal digit typed in this pass (-1: none).
void ViewerPointer(int* x, int* y);
int TypedHexDigit();
// Puts a changed rectangle of a canvas's surface (the canvas placed at
// canvas_x, canvas_y of the client area) on the screen without redrawing
// the rest of the window.
void ShowCanvasArea(int window, int canvas, int canvas_x, int canvas_y, int x, int y, int width, int height);
// An RGB565 colour as a pixel of the surface.
uint32_t Rgb565Pixel(const Surface* surface, uint16_t colour);
// The GUI colours the viewers' canvases draw their text with.
uint32_t ViewerPaper(const Surface* surface);
uint32_t ViewerInk(const Surface* surface);
