// The debugger's windows on the real display layer (headless): the
// debugger window's breakpoint toggle and close box, the list windows'
// actions and wheel, the viewers' pictures of a known VDP state, and the
// tile picture written and read back.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/app_state.h"
#include "debugger/debugger_fixture.h"
#include "debugger/debugger_state.h"
#include "debugger/debugger_window.h"
#include "debugger/debugger_windows.h"
#include "debugger/list_windows.h"
#include "debugger/viewers.h"
#include "lumo/display.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "lumo/window_registry.h"

namespace {

class DebuggerWindows : public DebuggerFixture {
 protected:
  void SetUp() override {
    DebuggerFixture::SetUp();
    ResetAppState();
    ResetDebuggerState();
    ResetViewers();
    ASSERT_TRUE(SetDisplayMode(640, 480, 16, false));
    ASSERT_TRUE(LoadGuiGraphics(false, TAVO_BUILD_DIR));
    ResetGui();
    ResetWindowRegistry();
    RegisterWindows();
    ASSERT_NO_FATAL_FAILURE(BreakAtStepsProgram());
  }
  void TearDown() override {
    ResetGui();
    ResetWindowRegistry();
    FreeGuiGraphics();
    CloseDisplay();
    ResetViewers();
    ResetDebuggerState();
    ResetAppState();
    DebuggerFixture::TearDown();  // the consoles free their own surfaces
    ResetSurfaces();
  }

  static void Open(int id, int x = 10, int y = 30) {
    Config.window_x[id] = x;
    Config.window_y[id] = y;
    ToggleWindowById(id);
    ASSERT_TRUE(WindowOpen(id));
  }
  // One GUI pass with the pointer at a client position of a window, then
  // every queued event dispatched as the main loop does.
  static void Pass(int window, int cx, int cy, bool left, bool right) {
    int wx, wy;
    WindowPosition(window, &wx, &wy);
    GuiInput in{};
    in.pointer_x = wx + ClientLeft + cx, in.pointer_y = wy + ClientTop + cy;
    in.left = left, in.right = right;
    RunGui(in);
    Dispatch();
  }
  static void Dispatch() {
    GuiEvent event;
    while (NextGuiEvent(&event)) DispatchWindowEvent(event);
  }
  static void Send(int type, int id) {
    PostGuiEvent(type, id);
    Dispatch();
  }
  static uint32_t CanvasPixel(int canvas, int x, int y) {
    Surface* s = CanvasSurface(canvas);
    uint8_t* p = LockSurface(s, LockReadOnly);
    const uint32_t pixel = ReadPixel(p + y * s->pitch + x * s->format.bytes, s->format.bytes);
    UnlockSurface(s);
    return pixel;
  }
  static uint32_t PaletteColour(int canvas, int index) {
    return Rgb565Pixel(CanvasSurface(canvas), PrimaryMachine.Vdp.palette[index]);
  }
  // A palette of 32 different colours and tile 1: row 0 all colour 1, row
  // 1 colour 2 on the left half and 1 on the right.
  static void KnownVideoState() {
    VdpState* vdp = &PrimaryMachine.Vdp;
    VdpWriteControl(vdp, 0x00);
    VdpWriteControl(vdp, 0xC0);
    for (int i = 0; i < 32; ++i) VdpWriteData(vdp, static_cast<uint8_t>((i * 7 + 1) & 0x3F));
    const uint8_t rows[8] = {0xFF, 0x00, 0x00, 0x00, 0x0F, 0xF0, 0x00, 0x00};
    for (int i = 0; i < 8; ++i) WriteVram(32 + i, rows[i]);
  }
};

TEST_F(DebuggerWindows, DebuggerWindowRowsBreakpointsAndCloseBox) {
  Open(WinDebugger);
  EXPECT_STREQ(GetGadgetText(DebuggerRegisterLine + 1), "PC = 0100 SP = DFF0");
  EXPECT_STREQ(GetGadgetText(DebuggerRegisterLine + 2), "Mapper:  0: 0: 0");  // one bank
  // Rows from the PC: $0100 (2 bytes), $0102 (3), $0105.
  EXPECT_EQ(RowAddress[2], ConsoleAbsoluteAddress(0x105));

  // Right-clicking row 2 twice sets and removes its breakpoint; the
  // breakpoint window follows.
  Open(WinBreakpointViewer, 400, 420);
  const int row_y = 170 + 2 + 8 * 2 + 4;
  Pass(WinDebugger, 100, row_y, false, true);
  Pass(WinDebugger, 100, row_y, false, false);
  EXPECT_TRUE(HasBreakpoint(RowAddress[2]));
  EXPECT_EQ(SelectedDebuggerRow(), 2);
  Pass(WinDebugger, 100, row_y, false, true);
  Pass(WinDebugger, 100, row_y, false, false);
  EXPECT_FALSE(HasBreakpoint(RowAddress[2]));

  // "Run until cursor" on the selected row.
  Send(EventActivated, DebuggerRunToCursor);
  EXPECT_TRUE(DebugRun && RunToCursor);
  RunPass();
  EXPECT_EQ(GetPc(), 0x105u);

  // The "Log" box starts the trace log and stays ticked while it runs.
  SetChecked(DebuggerLog, 1);
  Send(EventActivated, DebuggerLog);
  EXPECT_TRUE(DebugLogOn);
  SetChecked(DebuggerLog, 0);
  Send(EventActivated, DebuggerLog);
  EXPECT_FALSE(DebugLogOn);

  // The close box finishes the frame, leaves the break state and closes.
  Send(EventClose, WinDebugger);
  EXPECT_FALSE(WindowOpen(WinDebugger));
  EXPECT_FALSE(BreakState);

  // Enable opens it again; F9 closes it and clears the run flags at once.
  EnableDebugger();
  EXPECT_TRUE(WindowOpen(WinDebugger));
  DebugRunStart();
  ToggleWindowById(WinDebugger);
  EXPECT_FALSE(WindowOpen(WinDebugger) || BreakState || DebugRun);
}

TEST_F(DebuggerWindows, LogBoxUntickedWhenTheLogCannotStart) {
  Open(WinDebugger);
  std::system(("rm -rf '" + Path("DebugLogs") + "'").c_str());
  SetChecked(DebuggerLog, 1);
  Send(EventActivated, DebuggerLog);
  EXPECT_FALSE(DebugLogOn);
  EXPECT_EQ(GetChecked(DebuggerLog), 0);
}

TEST_F(DebuggerWindows, LabelWindowNamesAddressesAndWheel) {
  Open(WinLabelViewer);
  Send(EventActivated, LabelGadget(PartAdd));
  EXPECT_STREQ(StatusText, "Label needs a name.");
  EXPECT_EQ(LabelCount(), 0);

  SetGadgetText(LabelGadget(PartName), "start");
  SetGadgetText(LabelGadget(PartAddress), "$4100");
  SetChecked(LabelGadget(PartAbsolute), 0);
  Send(EventActivated, LabelGadget(PartAbsolute));
  Send(EventActivated, LabelGadget(PartAdd));
  ASSERT_EQ(LabelCount(), 1);
  EXPECT_EQ(LabelEntry(0)->address, ConsoleAbsoluteAddress(0x4100));  // banked: bank 1
  SetChecked(LabelGadget(PartAbsolute), 1);
  Send(EventActivated, LabelGadget(PartAbsolute));
  EXPECT_TRUE(Config.labels_address_absolute);

  for (int i = 0; i < 39; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "l%d", i);
    AddLabel(0x1000 + i, name);
  }
  RefreshLabelWindow();
  EXPECT_TRUE(WheelOverWindow(WinLabelViewer, -1));
  EXPECT_EQ(ListScroll(LabelListWindow), ListWheelStep);
  WheelOverWindow(WinLabelViewer, -10);
  EXPECT_EQ(ListScroll(LabelListWindow), 40 - ListVisibleRows);
  WheelOverWindow(WinLabelViewer, 1);
  EXPECT_EQ(ListScroll(LabelListWindow), 8);

  // Selecting row 1 shows entry 9; Delete removes it and scrolls up by one.
  SelectRow(LabelGadget(PartList), 1);
  Send(EventChanged, LabelGadget(PartList));
  EXPECT_STREQ(GetGadgetText(LabelGadget(PartName)), "l8");
  EXPECT_STREQ(GetGadgetText(LabelGadget(PartAddress)), "$1008");
  Send(EventActivated, LabelGadget(PartDelete));
  EXPECT_EQ(LabelCount(), 39);
  EXPECT_EQ(ListScroll(LabelListWindow), 7);
  EXPECT_EQ(GetSelectedRow(LabelGadget(PartList)), -1);
  Send(EventActivated, LabelGadget(PartSet));  // nothing selected: nothing changes
  EXPECT_EQ(LabelEntry(9)->name, "l9");

  Send(EventActivated, LabelGadget(PartDeleteAll));
  EXPECT_EQ(LabelCount(), 0);
  EXPECT_EQ(ListScroll(LabelListWindow), 0);
  Send(EventClose, WinLabelViewer);
  EXPECT_FALSE(WindowOpen(WinLabelViewer));
}

TEST_F(DebuggerWindows, VariableAndBreakpointWindows) {
  Open(WinVariableViewer);
  Send(EventActivated, VariableGadget(PartAdd));
  EXPECT_STREQ(StatusText, "Variable needs a name.");
  EXPECT_EQ(VariableCount(), 0);

  SetGadgetText(VariableGadget(PartName), "score");
  SetGadgetText(VariableGadget(PartAddress), "$C010");
  SetChecked(VariableGadget(PartWord), 1);
  Send(EventActivated, VariableGadget(PartAdd));
  ASSERT_EQ(VariableCount(), 1);
  EXPECT_EQ(VariableEntry(0)->kind, VarWord);

  Write16(0xC010, 0xBEEF);
  SetChecked(VariableGadget(PartByte), 1);
  SelectRow(VariableGadget(PartList), 0);
  Send(EventChanged, VariableGadget(PartList));
  EXPECT_EQ(GetChecked(VariableGadget(PartWord)), 1);
  EXPECT_STREQ(GetGadgetText(VariableGadget(PartNewValue)), "$BEEF");
  SetGadgetText(VariableGadget(PartNewValue), "$1234");
  Send(EventActivated, VariableGadget(PartChangeValue));
  EXPECT_EQ(Read16(0xC010), 0x1234);
  EXPECT_EQ(Read8(0xC012), 0);

  Open(WinBreakpointViewer, 300, 30);
  SetGadgetText(BreakpointGadget(PartAddress), "$105");
  Send(EventActivated, BreakpointGadget(PartAdd));
  Send(EventActivated, BreakpointGadget(PartAdd));  // once only
  EXPECT_EQ(BreakpointCount(), 1);
  EXPECT_TRUE(HasBreakpoint(0x105));

  Open(WinDebuggerOptions, 300, 420);
  SetChecked(DebuggerOptionsOverwrite, 1);
  Send(EventActivated, DebuggerOptionsOverwrite);
  EXPECT_TRUE(Config.var_overwrite);
}

TEST_F(DebuggerWindows, ViewersShowAKnownVideoState) {
  KnownVideoState();
  Open(WinTileViewer);
  RefreshOpenWindows();
  EXPECT_EQ(CanvasPixel(TileCanvas, 8, 0), PaletteColour(TileCanvas, 1));
  EXPECT_EQ(CanvasPixel(TileCanvas, 8, 1), PaletteColour(TileCanvas, 2));
  EXPECT_EQ(CanvasPixel(TileCanvas, 15, 1), PaletteColour(TileCanvas, 1));
  EXPECT_EQ(CanvasPixel(TileCanvas, 8, 2), PaletteColour(TileCanvas, 0));
  // A click on tile 1 enlarges it.
  Pass(WinTileViewer, 12, 4, true, false);
  Pass(WinTileViewer, 12, 4, false, false);
  EXPECT_EQ(TileView.tile, 1);
  RefreshOpenWindows();
  EXPECT_STREQ(GetGadgetText(TileText), "  1 ($001)");
  EXPECT_EQ(CanvasPixel(TileZoom, 1, 3), PaletteColour(TileZoom, 2));
  // A changed tile is redrawn in the next pass; the sprite palette.
  WriteVram(32 + 8, 0xFF);
  SetChecked(TileSecondPalette, 1);
  Send(EventActivated, TileSecondPalette);
  EXPECT_EQ(CanvasPixel(TileCanvas, 8, 2), PaletteColour(TileCanvas, 17));
  EXPECT_EQ(TileAtCell(0, 1, true), 1);
  EXPECT_EQ(TileAtCell(0, 2, true), 64);

  Open(WinPaletteViewer, 300, 250);
  RefreshOpenWindows();
  EXPECT_EQ(CanvasPixel(PaletteBackground, 8 * 3 + 4, 16), PaletteColour(PaletteBackground, 3));
  EXPECT_EQ(CanvasPixel(PaletteSprites, 8 * 5, 31), PaletteColour(PaletteSprites, 21));

  // The tilemap: entry 0 shows tile 1, flipped horizontally.
  VdpState* vdp = &PrimaryMachine.Vdp;
  vdp->regs[2] = 0xFF;
  WriteVram(0x3800, 0x01);
  WriteVram(0x3801, 0x02);
  Open(WinTilemapViewer, 300, 30);
  EXPECT_EQ(CanvasSurface(TilemapCanvas)->height, 192);
  EXPECT_EQ(CanvasPixel(TilemapCanvas, 0, 1), PaletteColour(TilemapCanvas, 1));
  EXPECT_EQ(CanvasPixel(TilemapCanvas, 7, 1), PaletteColour(TilemapCanvas, 2));
  // On the Game Gear the visible window is outlined at the scroll position,
  // wrapping round the map's edges.
  MachineOptions |= OptGgScreen;
  vdp->regs[8] = 0xF0;  // left edge 48 - $F0 wraps to 64
  vdp->regs[9] = 0;     // top edge (192 - 144) / 2
  RefreshOpenWindows();
  const Surface* map = CanvasSurface(TilemapCanvas);
  const uint32_t black = ColorToPixel(map->format, 0, 0, 0), white = ColorToPixel(map->format, 255, 255, 255);
  EXPECT_EQ(CanvasPixel(TilemapCanvas, 64, 24), black);
  EXPECT_EQ(CanvasPixel(TilemapCanvas, 65, 25), white);
  EXPECT_EQ(CanvasPixel(TilemapCanvas, 64 + 159, 24 + 143), black);
  vdp->regs[8] = 0x80;  // left edge -80: the window wraps to the map's right
  RefreshOpenWindows();
  EXPECT_EQ(CanvasPixel(TilemapCanvas, 176, 100), black);
  EXPECT_EQ(CanvasPixel(TilemapCanvas, 79, 100), black);
  MachineOptions &= ~OptGgScreen;

  vdp->regs[1] = 0xA0;
  EXPECT_EQ(VdpRegisterLine(1), " 1: $A0 = %10100000");
  PrimaryMachine.Psg.Chip.Tone[1] = 254;
  PrimaryMachine.Psg.Chip.Volume[1] = 3;
  PrimaryMachine.Psg.Chip.NoiseRate = 3;
  PrimaryMachine.Psg.Chip.NoiseWhite = 1;
  EXPECT_EQ(PsgChannelLine(1), "1:   254    3");
  EXPECT_EQ(PsgChannelLine(3).substr(0, 8), "3:  ch2 ");
  Open(WinVdpViewer, 500, 30);
  Open(WinPsgViewer, 450, 300);
  EXPECT_STREQ(GetGadgetText(VdpLine + 1), " 1: $A0 = %10100000");
  EXPECT_STREQ(GetGadgetText(PsgLine), "Ch. Freq.  Vol.  Type");
}

TEST_F(DebuggerWindows, MemoryViewerGoTypeWheelAndRegions) {
  Open(WinMemoryViewer);
  MemoryViewerGo("$C123");
  EXPECT_EQ(MemoryView.view_base, 0xC100u);
  EXPECT_EQ(MemoryView.column, 3);
  EXPECT_EQ(MemoryView.row, 2);
  EXPECT_STREQ(GetGadgetText(MemoryAddressText), "Current address: $0000C123");
  MemoryViewerDigit(0xA);
  MemoryViewerDigit(5);
  EXPECT_EQ(Read8(0xC123), 0xA5);
  EXPECT_EQ(MemoryView.column, 4);
  EXPECT_EQ(MemoryView.nibble, 0);

  // The last byte of a page moves the view to the next page; the last byte
  // of the space keeps the cursor.
  MemoryViewerGo("$C1FF");
  MemoryViewerDigit(1);
  MemoryViewerDigit(2);
  EXPECT_EQ(MemoryView.view_base, 0xC200u);
  EXPECT_EQ(MemoryView.row * 16 + MemoryView.column, 0);
  MemoryViewerGo("$FFFF");
  MemoryViewerDigit(3);
  MemoryViewerDigit(4);
  EXPECT_EQ(MemoryView.view_base, 0xFF00u);
  EXPECT_EQ(MemoryView.row * 16 + MemoryView.column, 255);

  // A click on the canvas: column 9 (right half), row 5.
  MemoryViewerClick(61 + 18 * 9 + 6 + 1, 1 + 10 * 5 + 2);
  EXPECT_EQ(MemoryView.column, 9);
  EXPECT_EQ(MemoryView.row, 5);

  // The wheel moves by a page and wraps.
  MemoryViewerGo("$0000");
  EXPECT_TRUE(WheelOverWindow(WinMemoryViewer, 1));
  EXPECT_EQ(MemoryView.view_base, 0xFF00u);
  WheelOverWindow(WinMemoryViewer, -2);
  EXPECT_EQ(MemoryView.view_base, 0x100u);

  // The VRAM region: a 16 KB space read from video memory.
  SelectRow(MemoryRegionList, 4);
  Send(EventChanged, MemoryRegionList);
  EXPECT_TRUE(MemoryView.vram);
  EXPECT_EQ(MemoryView.view_space, 0x4000u);
  WriteVram(0x123, 0x5A);
  MemoryViewerGo("$4123");
  EXPECT_EQ(MemoryView.view_base, 0x100u);
  EXPECT_EQ(MemoryViewerByte(0x123), 0x5A);
  RefreshOpenWindows();
  RefreshOpenWindows();
}

TEST_F(DebuggerWindows, TilePictureSavedAndReadBack) {
  KnownVideoState();
  const std::string path = SaveTilesPicture();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path, Path("Tiles/debugger_steps.sms.0.png"));
  EXPECT_STREQ(StatusText, "Successfully saved tiles picture as 'debugger_steps.sms.0.png'.");
  PngInfo info{};
  std::string bytes = ReadText("Tiles/debugger_steps.sms.0.png");
  Surface* picture = DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nullptr, 0, &info);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->width, 256);
  EXPECT_EQ(picture->height, 128);
  EXPECT_EQ(info.color_type, 3);
  EXPECT_EQ(picture->pixels[8], 1);
  EXPECT_EQ(picture->pixels[picture->pitch + 8], 2);
  EXPECT_EQ(picture->pixels[picture->pitch + 15], 1);
  const uint16_t c = PrimaryMachine.Vdp.palette[2];
  EXPECT_EQ(info.palette[6], ((c >> 11) & 31) * 255 / 31);
  EXPECT_EQ(info.palette[8], (c & 31) * 255 / 31);
  DestroySurface(picture);

  EXPECT_EQ(SaveTilesPicture(), Path("Tiles/debugger_steps.sms.1.png"));
  InstallImage(0, nullptr, "");
  EXPECT_EQ(SaveTilesPicture(), "");
  EXPECT_STREQ(StatusText, "Couldn't save tiles picture.");
}

}  // namespace
