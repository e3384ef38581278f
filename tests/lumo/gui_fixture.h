// A headless screen with the GUI's graphics loaded and synthetic input
// for RunGui, shared by the toolkit's tests.
#pragma once
#include <gtest/gtest.h>

#include <cstring>

#include "config/config.h"
#include "lumo/display.h"
#include "lumo/file_requester.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_paint.h"
#include "lumo/messages.h"
#include "lumo/surface.h"
#include "lumo/theme.h"

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyConfigDefaults();
    ASSERT_TRUE(SetDisplayMode(640, 480, 16, false));
    ASSERT_TRUE(LoadGuiGraphics(false, TAVO_BUILD_DIR)) << "font.ssp and friends are built in " TAVO_BUILD_DIR;
    ResetGui();
    now_ = 1000;
  }
  void TearDown() override {
    ResetFileRequesters();
    ResetGui();
    MessagesChanged = nullptr;
    ResetMessages();
    FreeGuiGraphics();
    CloseDisplay();
    ResetSurfaces();
  }

  // One pass with the pointer at (x, y) and the given buttons and keys.
  bool Pass(int x, int y, bool left = false, bool right = false) {
    GuiInput in{};
    in.pointer_x = x, in.pointer_y = y, in.left = left, in.right = right;
    in.now_ms = now_;
    in.double_click = double_click_;
    double_click_ = false;
    px_ = x, py_ = y;
    return RunGui(in);
  }
  void Click(int x, int y) {
    Pass(x, y, true);
    Pass(x, y, false);
  }
  bool Key(int code, int character = 0, uint16_t modifiers = 0) {
    GuiInput in{};
    in.pointer_x = px_, in.pointer_y = py_;
    in.keys[0] = {(uint16_t)code, (uint8_t)character, true, modifiers};
    in.key_count = 1;
    in.modifiers = modifiers;
    in.now_ms = now_;
    return RunGui(in);
  }
  void Type(const char* text) {
    for (; *text; text++) Key(0, *text);
  }
  // Screen position of a gadget's centre.
  static void Centre(int window_id, int cx, int cy, int* x, int* y) {
    int wx, wy;
    WindowPosition(window_id, &wx, &wy);
    *x = wx + ClientLeft + cx;
    *y = wy + ClientTop + cy;
  }
  static void DrainEvents() {
    GuiEvent e;
    while (NextGuiEvent(&e)) {
    }
  }
  static std::vector<GuiEvent> Events() {
    std::vector<GuiEvent> all;
    GuiEvent e;
    while (NextGuiEvent(&e)) all.push_back(e);
    return all;
  }
  static uint32_t ScreenRgb(int x, int y) {
    Surface* s = DisplayDrawTarget();
    uint8_t* p = LockSurface(s, LockReadOnly);
    uint32_t pixel = ReadPixel(p + y * s->pitch + x * s->format.bytes, s->format.bytes);
    UnlockSurface(s);
    uint8_t c[3];
    PixelToColor(s->format, pixel, c);
    return (uint32_t)c[0] << 16 | c[1] << 8 | c[2];
  }
  // Pixels equal to rgb (as the screen's format stores it) in a rectangle.
  static int CountRgb(int x, int y, int w, int h, uint32_t rgb) {
    Surface* s = DisplayDrawTarget();
    const uint32_t want = ColorToPixel(s->format, rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255);
    uint8_t* p = LockSurface(s, LockReadOnly);
    int n = 0;
    for (int row = y; row < y + h; row++)
      for (int col = x; col < x + w; col++)
        n += ReadPixel(p + row * s->pitch + col * s->format.bytes, s->format.bytes) == want;
    UnlockSurface(s);
    return n;
  }

  uint32_t now_ = 1000;
  bool double_click_ = false;
  int px_ = 0, py_ = 0;
};
