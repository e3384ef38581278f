// The memory viewer: a page of 256 bytes in hex, a cursor that typed
// digits edit, the memory regions of the console to jump to, and an
// address field. Reads never disturb the machine (unmapped pages show 00).
#include <cstdio>
#include <cstring>

#include "config/config.h"
#include "debugger/debugger_state.h"
#include "debugger/number_syntax.h"
#include "debugger/viewers.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_paint.h"
#include "lumo/theme.h"
#include "lumo/window_table.h"
#include "machine/cartridge.h"
#include "machine/console.h"

MemoryViewState MemoryView;

namespace {

constexpr int CanvasWidth = 354, CanvasHeight = 163;
constexpr int RowPitch = 10;
constexpr uint32_t CpuSpace = 0x10000, VramSpace = 0x4000, WideSpace = 0x10000000;

struct RegionTable {
  MemoryRegionInfo regions[MemoryRegionsMax];
  int count;
};
RegionTable Regions;

uint32_t CpuSpaceSize() { return ConsoleKind == 3 ? WideSpace : CpuSpace; }

int ByteX(int column) { return 61 + 18 * column + (column >= 8 ? 6 : 0); }
int RowTop(int row) { return 1 + RowPitch * row; }

uint32_t CursorAddress() {
  return MemoryView.view_base + static_cast<uint32_t>(MemoryView.row * 16 + MemoryView.column);
}

void DrawRow(Surface* s, int row) {
  const uint32_t paper = ViewerPaper(s), ink = ViewerInk(s);
  const int top = RowTop(row);
  FillRect(0, top, CanvasWidth, RowPitch, s, paper);
  const uint32_t address = MemoryView.view_base + static_cast<uint32_t>(row * 16);
  char text[80];
  int n = std::snprintf(text, sizeof text, "%08X  ", address);
  uint8_t bytes[16];
  for (int c = 0; c < 16; ++c) {
    bytes[c] = MemoryViewerByte(address + c);
    n += std::snprintf(text + n, sizeof text - n, c == 7 ? "%02X  " : "%02X ", bytes[c]);
  }
  DrawText(s, GuiFixedFont, 1, top, text, ink);
  if (row != MemoryView.row) return;
  // The byte under the cursor on its highlight, and the nibble's bar.
  const uint32_t selected = CurrentColours[ColGadgetSelected];
  const int x = ByteX(MemoryView.column);
  FillRect(x - 2, top, 16, 9, s, RgbPixel(s, selected));
  char byte[3];
  std::snprintf(byte, sizeof byte, "%02X", bytes[MemoryView.column]);
  DrawText(s, GuiFixedFont, x, top, byte, RgbPixel(s, InkOn(selected)));
  if (MemoryView.focused) FillRect(x + 6 * MemoryView.nibble - 1, top + 9, 8, 1, s, ink);
}

void DrawRows(int first, int count) {
  Surface* s = CanvasSurface(MemoryCanvas);
  if (!s) return;
  for (int row = first; row < first + count; ++row) DrawRow(s, row);
  ShowCanvasArea(WinMemoryViewer, MemoryCanvas, 0, 0, 0, RowTop(first), CanvasWidth, RowPitch * count);
}

void UpdateTexts() {
  char text[48];
  std::snprintf(text, sizeof text, "Current address: $%08X", CursorAddress());
  SetGadgetText(MemoryAddressText, text);
  SetScrollBar(MemoryScrollBar, static_cast<int>(MemoryView.view_base / 256), 1,
               static_cast<int>(MemoryView.view_space / 256));
}

// After the page or the cursor moved: everything at once.
void Redraw() {
  if (!WindowOpen(WinMemoryViewer)) return;
  UpdateTexts();
  DrawRows(0, 16);
}

void FillRegionList() {
  for (int i = 0; i < MemoryRegionsMax; ++i) {
    char text[96] = "";
    if (i < Regions.count)
      std::snprintf(text, sizeof text, "$%08X: %s", Regions.regions[i].start, Regions.regions[i].name);
    SetListRow(MemoryRegionList, i, text, i < Regions.count, false);
  }
}

void SelectRegion(int index) {
  if (index < 0 || index >= Regions.count) return;
  const MemoryRegionInfo& region = Regions.regions[index];
  MemoryView.vram = region.in_vdp;
  MemoryView.view_space = region.in_vdp ? VramSpace : CpuSpaceSize();
  MemoryView.view_base = (region.start & (MemoryView.view_space - 1)) & ~0xFFu;
  Redraw();
}

void SetFocused(bool focused) {
  if (MemoryView.focused == focused) return;
  MemoryView.focused = focused;
  Redraw();
}

}  // namespace

uint8_t MemoryViewerByte(uint32_t address) {
  return MemoryView.vram ? ReadVram(address & 0x3FFF) : Read8(address);
}

void RefreshMemoryRegions() {
  Regions.count = 0;
  MemoryRegionInfo region;
  while (Regions.count < MemoryRegionsMax && ConsoleMemoryRegion(Regions.count, &region))
    Regions.regions[Regions.count++] = region;
  // A space that no longer exists (another console kind) starts over.
  const uint32_t space = MemoryView.vram ? VramSpace : CpuSpaceSize();
  if (MemoryView.view_space != space) {
    MemoryView.view_space = space;
    MemoryView.view_base &= space - 1;
  }
  if (!WindowOpen(WinMemoryViewer)) return;
  FillRegionList();
  Redraw();
}

void ToggleMemoryViewer() {
  Window* w = ToggleToolWindow(WinMemoryViewer);
  if (!w) return;
  AddCellCanvas(w, MemoryCanvas, 0, 0, CanvasWidth, CanvasHeight, 1, 1);
  AddScrollBar(w, MemoryScrollBar, 359, 0, 15, 163, 0, 1, 1);
  AddText(w, "", MemoryAddressText, 380, 10, 170, 15);
  AddList(w, 100, MemoryRegionList, 380, 25, 170, GadgetSecondFont | GadgetNoTab);
  AddInput(w, "$0", MemoryAddressInput, 400, 140, 80, 15, "");
  AddButton(w, "Go", MemoryGo, 485, 140, 40, 15);
  if (Surface* s = CanvasSurface(MemoryCanvas)) FillRect(0, 0, s->width, s->height, s, ViewerPaper(s));
  Config.window_opened[WinMemoryViewer] = true;
  MemoryView.focused = false;
  RefreshMemoryRegions();
  FillRegionList();
  Redraw();
}

void MemoryViewerEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    ToggleMemoryViewer();
    return;
  }
  switch (event.id) {
    case MemoryCanvas:
      if (event.type == EventChanged) {
        int x, y;
        GetCanvasCell(MemoryCanvas, &x, &y);
        MemoryView.focused = true;
        MemoryViewerClick(x, y);
      }
      break;
    case MemoryScrollBar:
      if (event.type == EventChanged) {
        MemoryView.view_base = static_cast<uint32_t>(GetScrollFirst(MemoryScrollBar)) * 256;
        MemoryView.focused = true;
        Redraw();
      }
      break;
    case MemoryRegionList:
      if (event.type == EventChanged) {
        SetFocused(false);
        SelectRegion(GetSelectedRow(MemoryRegionList));
      }
      break;
    case MemoryGo:
      if (event.type == EventActivated) {
        SetFocused(false);
        MemoryViewerGo(GetGadgetText(MemoryAddressInput));
      }
      break;
    case MemoryAddressInput:
      SetFocused(false);
      break;
    default:
      break;
  }
}

void MemoryViewerClick(int x, int y) {
  if (x <= 60 || y <= 0 || y > 160 || (x >= 205 && x <= 210)) return;
  const int column = x < 205 ? (x - 61) / 18 : (x - 67) / 18;
  if (column < 0 || column > 15) return;
  MemoryView.column = column;
  MemoryView.row = (y - 1) / RowPitch;
  MemoryView.nibble = 0;
  Redraw();
}

void MemoryViewerGo(const char* text) {
  uint32_t value = 0;
  ParseNumber(text, &value);
  MemoryView.view_base = (value & (MemoryView.view_space - 1)) & ~0xFFu;
  MemoryView.column = static_cast<int>(value & 0xF);
  MemoryView.row = static_cast<int>((value >> 4) & 0xF);
  MemoryView.nibble = 0;
  Redraw();
}

void MemoryViewerDigit(int digit) {
  if (digit < 0 || digit > 15) return;
  const uint32_t address = CursorAddress();
  uint8_t byte = MemoryViewerByte(address);
  byte = MemoryView.nibble == 0 ? static_cast<uint8_t>((byte & 0x0F) | digit << 4)
                                : static_cast<uint8_t>((byte & 0xF0) | digit);
  if (MemoryView.vram)
    WriteVram(address & 0x3FFF, byte);
  else
    Write8(address, byte);
  if (MemoryView.nibble == 0) {
    MemoryView.nibble = 1;
  } else if (address + 1 >= MemoryView.view_space) {
    MemoryView.nibble = 0;  // the last byte of the space: the cursor stays
  } else {
    MemoryView.nibble = 0;
    if (++MemoryView.column == 16) {
      MemoryView.column = 0;
      if (++MemoryView.row == 16) {
        MemoryView.row = 0;
        MemoryView.view_base += 256;
      }
    }
  }
  Redraw();
}

void MemoryViewerWheel(int steps) {
  const int64_t space = MemoryView.view_space ? MemoryView.view_space : CpuSpace;
  int64_t base = (int64_t{MemoryView.view_base} - int64_t{steps} * 256) % space;
  if (base < 0) base += space;
  MemoryView.view_base = static_cast<uint32_t>(base);
  Redraw();
}

void RefreshMemoryViewer() {
  if (!WindowOpen(WinMemoryViewer)) return;
  if (MemoryView.focused && TopWindowId() == WinMemoryViewer && FocusedGadget() < 0) {
    const int digit = TypedHexDigit();
    if (digit >= 0) MemoryViewerDigit(digit);
  }
  UpdateTexts();
  DrawRows(MemoryView.half * 8, 8);
  MemoryView.half ^= 1;
}

void ResetMemoryViewer() {
  MemoryView = MemoryViewState{0, 0, 0, 0, CpuSpace, false, false, 0};
  Regions.count = 0;
}
