#include "lumo/message_bands.h"

#include <algorithm>

#include "lumo/display.h"
#include "lumo/gui.h"
#include "lumo/gui_graphics.h"
#include "lumo/messages.h"

namespace {

constexpr int kPadding = 2;  // above and below the text
constexpr int kTextLeft = 4;

// The shown bands from the bottom of the screen up: the status line first.
int ShownBands(const char* texts[2]) {
  int count = 0;
  if (StatusCounter > 0) texts[count++] = StatusText;
  if (MovieMessageCounter > 0) texts[count++] = MovieMessageText;
  return count;
}

// Each colour field at a quarter of its brightness: a mask that keeps the
// top bits of every field that survive a shift right by two.
uint32_t QuarterMask(const PixelFormat& f) {
  uint32_t mask = 0;
  for (int i = 0; i < 3; i++) mask |= (f.mask[i] >> 2) & f.mask[i];
  return mask;
}

void Darken(Surface* s, int y, int height) {
  if (s->format.bits == 8) {
    FillRect(0, y, s->width, height, s, ColorToPixel(s->format, 0, 0, 0));
    return;
  }
  const int top = std::max(y, s->clip.top), bottom = std::min(y + height - 1, s->clip.bottom);
  const int left = std::max(0, s->clip.left), right = std::min(s->width - 1, s->clip.right);
  if (top > bottom || left > right) return;
  uint8_t* pixels = LockSurface(s, LockReadWrite);
  if (!pixels) return;
  const int bytes = s->format.bytes;
  const uint32_t mask = QuarterMask(s->format);
  for (int row = top; row <= bottom; row++) {
    uint8_t* at = pixels + (size_t)row * s->pitch + (size_t)left * bytes;
    if (bytes == 2) {
      uint16_t* p = reinterpret_cast<uint16_t*>(at);
      for (int x = 0; x <= right - left; x++) p[x] = uint16_t((p[x] >> 2) & mask);
    } else {
      for (int x = 0; x <= right - left; x++, at += bytes) WritePixel(at, bytes, (ReadPixel(at, bytes) >> 2) & mask);
    }
  }
  UnlockSurface(s);
}

}  // namespace

int MessageBandHeight() { return std::max<int>(GuiFont.height, 8) + 2 * kPadding; }

int MessageBandsTop() {
  const char* texts[2];
  return ScreenHeight() - ShownBands(texts) * MessageBandHeight();
}

void DrawMessageBands(bool gui_shown) {
  Surface* target = DisplayDrawTarget();
  const char* texts[2];
  const int count = ShownBands(texts);
  if (!target || count == 0) return;
  const int height = MessageBandHeight(), width = ScreenWidth();
  for (int i = 0; i < count; i++) {
    const int y = ScreenHeight() - (i + 1) * height;
    if (!gui_shown) DrawDesktop(false, 0, y, width, height);
    Darken(target, y, height);
    if (GuiFont.strip)
      DrawTextFitted(target, GuiFont, kTextLeft, y + kPadding, texts[i], width - 2 * kTextLeft, target->white);
  }
}

void MarkMessageBandsDirty() {
  const int top = MessageBandsTop();
  if (top < ScreenHeight()) MarkScreenDirty(0, top, ScreenWidth(), ScreenHeight() - top);
}

bool CountDownMessageBands() {
  const int top = MessageBandsTop();
  bool gone = false;
  for (int* counter : {&StatusCounter, &MovieMessageCounter}) {
    if (*counter <= 0) continue;
    if (--*counter == 0) gone = true;
  }
  // Every band that showed is redrawn: the one above a vanished status band
  // moves down into its place.
  if (gone && top < ScreenHeight()) MarkScreenDirty(0, top, ScreenWidth(), ScreenHeight() - top);
  return gone;
}
