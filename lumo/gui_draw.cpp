// Drawing a window and its gadgets into the window's own surface.
#include <algorithm>
#include <cstring>

#include "config/config.h"
#include "lumo/gui_graphics.h"
#include "lumo/gui_internal.h"
#include "lumo/gui_paint.h"
#include "lumo/theme.h"

namespace {

const uint32_t* C() { return Gui.colours; }
// Outlines of boxes and fields: towards the window's ink, so that they
// stand out on light and dark themes alike.
uint32_t Border() { return MixRgb(C()[ColGadget], InkOn(C()[ColWindow]), 110); }

void DottedBox(Surface* s, int x, int y, int w, int h, uint32_t rgb) {
  const uint32_t p = RgbPixel(s, rgb);
  for (int i = 0; i < w; i += 2) {
    FillRect(x + i, y, 1, 1, s, p);
    FillRect(x + i, y + h - 1, 1, 1, s, p);
  }
  for (int i = 0; i < h; i += 2) {
    FillRect(x, y + i, 1, 1, s, p);
    FillRect(x + w - 1, y + i, 1, 1, s, p);
  }
}

uint32_t TextInk(uint32_t back, bool enabled) { return enabled ? InkOn(back) : DimInkOn(back); }

int TextTop(const Gadget* g, const Font& f) { return g->y + (g->height - f.height + 1) / 2; }

// A push face: buttons, step arrows, scroll arrows and knobs.
uint32_t FaceColour(const Gadget* g, bool pressed, bool hover) {
  if (pressed) return C()[ColGadgetSelected];
  if (hover && g->enabled) return C()[ColGadgetRollover];
  return C()[ColGadget];
}

void DrawFace(Surface* s, int x, int y, int w, int h, uint32_t face, bool pressed) {
  if (w <= 2 || h <= 2) return;
  FillBox(s, x, y, w, h, face);
  RoundFrame(s, x, y, w, h, ShadeRgb(face, 55));
  if (!pressed) {
    FillBox(s, x + 1, y + 1, w - 2, 1, ShadeRgb(face, 125));
    FillBox(s, x + 1, y + h - 2, w - 2, 1, ShadeRgb(face, 88));
  } else {
    FillBox(s, x + 1, y + 1, w - 2, 1, ShadeRgb(face, 85));
  }
}

void DrawArrow(Surface* s, int direction, int x, int y, int w, int h, uint32_t rgb) {
  const Surface* pic = GuiPicturesRaw[PicArrowUp + direction];
  if (pic) DrawMask(s, pic, x + (w - pic->width) / 2, y + (h - pic->height) / 2, rgb);
}

// A push face with its caption or symbol, moved a pixel down and right
// while the face is in.
void DrawPushButton(Surface* s, const Gadget* g, uint32_t face, bool in) {
  DrawFace(s, g->x, g->y, g->width, g->height, face, in);
  const Font& f = GadgetFont(g);
  const int shift = in ? 1 : 0;
  const Surface* symbol = g->symbol >= 0 && g->symbol < 256 ? GuiPicturesRaw[g->symbol] : nullptr;
  if (symbol) {
    DrawMask(s, symbol, g->x + (g->width - symbol->width) / 2 + shift,
             g->y + (g->height - symbol->height) / 2 + shift, TextInk(face, g->enabled));
  } else {
    const int tw = std::min(g->text_width, g->width - 6);
    DrawTextFitted(s, f, g->x + (g->width - tw) / 2 + shift, TextTop(g, f) + shift, g->text, g->width - 6,
                   RgbPixel(s, TextInk(face, g->enabled)));
  }
  if (g->window->focus == g)
    DottedBox(s, g->x + 3, g->y + 3, g->width - 6, g->height - 6, MixRgb(InkOn(face), face, 110));
}

void DrawButton(Surface* s, const Gadget* g) {
  DrawPushButton(s, g, FaceColour(g, g->pressed, Gui.hover == g), g->pressed);
}

void DrawCheck(Surface* s, const Gadget* g) {
  const uint32_t* c = C();
  const int box = 11, bx = g->x, by = g->y + (g->height - box) / 2;
  const uint32_t fill = Gui.hover == g && g->enabled ? MixRgb(c[ColInputGadget], c[ColGadgetRollover], 140)
                                                     : c[ColInputGadget];
  const uint32_t ink = TextInk(fill, g->enabled);
  if (g->kind == KindCheckBox) {
    FillBox(s, bx, by, box, box, fill);
    FrameBox(s, bx, by, box, box, Border());
    if (g->value) DrawMask(s, GuiPicturesRaw[PicCheckMark], bx + 2, by + 3, ink);
  } else {
    DrawMask(s, GuiPicturesRaw[PicRadioFill], bx, by, fill);
    DrawMask(s, GuiPicturesRaw[PicRadioRing], bx, by, Border());
    if (g->value) DrawMask(s, GuiPicturesRaw[PicRadioDot], bx + 3, by + 3, ink);
  }
  const Font& f = GadgetFont(g);
  const uint32_t window = c[ColWindow];
  const int tx = bx + box + 5, room = g->width - box - 5;
  DrawTextFitted(s, f, tx, TextTop(g, f), g->text, room, RgbPixel(s, TextInk(window, g->enabled)));
  if (g->window->focus == g)
    DottedBox(s, tx - 2, TextTop(g, f) - 1, std::min(g->text_width, room) + 4, f.height + 2,
              MixRgb(InkOn(window), window, 110));
}

// A radio button with the toggle face: held in (the selected colour) while
// chosen, a plain button face otherwise.
void DrawToggle(Surface* s, const Gadget* g) {
  const uint32_t face = g->value ? C()[ColGadgetSelected] : FaceColour(g, g->pressed, Gui.hover == g);
  DrawPushButton(s, g, face, g->value || g->pressed);
}

void DrawTextGadget(Surface* s, const Gadget* g) {
  const Font& f = GadgetFont(g);
  const int tw = std::min(g->text_width, g->width);
  int x = g->x;
  if (g->flags & TextRight) x += g->width - tw;
  else if (g->flags & TextCentred) x += (g->width - tw) / 2;
  DrawTextFitted(s, f, x, TextTop(g, f), g->text, g->width, RgbPixel(s, TextInk(C()[ColWindow], g->enabled)));
}

void DrawSlider(Surface* s, const Gadget* g) {
  const uint32_t* c = C();
  const int track_y = g->y + g->height / 2 - 2;
  FillBox(s, g->x + 2, track_y, g->width - 4, 4, ShadeRgb(c[ColWindow], 78));
  FillBox(s, g->x + 3, track_y + 1, g->width - 6, 2, ShadeRgb(c[ColWindow], 60));
  const Surface* knob = GuiPicturesRaw[PicSliderKnob];
  if (!knob) return;
  uint32_t tint = FaceColour(g, Gui.pressed == g, Gui.hover == g);
  if (!g->enabled) tint = MixRgb(tint, c[ColWindow], 128);
  DrawShaded(s, knob, SliderKnobX(g), g->y + (g->height - knob->height) / 2, tint);
  if (g->window->focus == g) DottedBox(s, g->x, g->y, g->width, g->height, InkOn(c[ColWindow]));
}

void DrawScrollBar(Surface* s, const Gadget* g) {
  const uint32_t* c = C();
  FillBox(s, g->x, g->y, g->width, g->height, ShadeRgb(c[ColWindow], 88));
  FrameBox(s, g->x, g->y, g->width, g->height, Border());
  const bool hover = Gui.hover == g, held = Gui.pressed == g;
  const int a = ScrollArrowSize;
  const uint32_t face = FaceColour(g, false, false);
  const uint32_t ink = TextInk(face, g->enabled);
  DrawFace(s, g->x, g->y, g->width, a, face, false);
  DrawFace(s, g->x, g->y + g->height - a, g->width, a, face, false);
  DrawArrow(s, ArrowUp, g->x, g->y, g->width, a, ink);
  DrawArrow(s, ArrowDown, g->x, g->y + g->height - a, g->width, a, ink);
  if (g->range <= g->visible || !g->enabled) return;  // nothing to scroll: no knob
  int top, size;
  ScrollKnob(g, &top, &size);
  const uint32_t knob = FaceColour(g, held, hover);
  DrawFace(s, g->x + 1, top, g->width - 2, size, knob, false);
  const Surface* grip = GuiPictures2[Pic2KnobGrip];
  if (grip && size > grip->height + 4)
    DrawMask(s, grip, g->x + (g->width - grip->width) / 2, top + (size - grip->height) / 2, ShadeRgb(knob, 60));
}

void DrawList(Surface* s, const Gadget* g) {
  const uint32_t* c = C();
  const uint32_t back = c[ColListGadget];
  FillBox(s, g->x, g->y, g->width, g->height, back);
  FrameBox(s, g->x, g->y, g->width, g->height, Border());
  const Font& f = GadgetFont(g);
  const int rh = ListRowHeight(g), top = g->y + ListTopOffset(g);
  const ClipRect clip{g->x + 1, g->y + 1, g->x + g->width - 2, g->y + g->height - 2};
  for (int i = 0; i < (int)g->rows.size(); i++) {
    const ListRow& r = g->rows[i];
    uint32_t row_back = back;
    if (i == g->selected) row_back = c[ColGadgetSelected];
    else if (r.highlighted) row_back = MixRgb(back, c[ColGadgetRollover], 170);
    const int y = top + i * rh;
    if (row_back != back) FillBox(s, g->x + 1, y, g->width - 2, rh, row_back);
    if (r.text[0])
      DrawTextFitted(s, f, g->x + 3, y, r.text, g->width - 6, RgbPixel(s, TextInk(row_back, g->enabled)), &clip);
  }
}

void DrawCanvas(Surface* s, const Gadget* g) {
  if (!g->canvas) return;
  CopySurface(s, g->x, g->y, g->canvas,
              {0, 0, std::min(g->width, (int)g->canvas->width), std::min(g->height, (int)g->canvas->height)});
}

void DrawInput(Surface* s, Gadget* g) {
  const uint32_t* c = C();
  const Font& f = GadgetFont(g);
  if (g->caption[0]) {
    const int cw = TextWidth(f, g->caption);
    DrawText(s, f, g->x - 5 - cw, TextTop(g, f), g->caption, RgbPixel(s, TextInk(c[ColWindow], g->enabled)));
  }
  const bool focused = g->window->focus == g;
  const uint32_t back = c[ColInputGadget];
  FillBox(s, g->x, g->y, g->width, g->height, back);
  FrameBox(s, g->x, g->y, g->width, g->height, focused ? ShadeRgb(c[ColGadgetSelected], 55) : Border());
  if (focused) FrameBox(s, g->x + 1, g->y + 1, g->width - 2, g->height - 2, MixRgb(back, c[ColGadgetSelected], 200));
  // Keep the cursor in view.
  const int room = g->width - 6;
  g->scroll = std::clamp(g->scroll, 0, g->cursor);
  while (g->scroll < g->cursor && TextWidth(f, g->text + g->scroll, g->cursor - g->scroll) > room) g->scroll++;
  const ClipRect clip{g->x + 2, g->y + 1, g->x + g->width - 3, g->y + g->height - 2};
  const uint32_t ink = RgbPixel(s, TextInk(back, g->enabled));
  DrawText(s, f, g->x + 3, TextTop(g, f), g->text + g->scroll, ink, &clip);
  if (focused) {
    const int cx = g->x + 3 + TextWidth(f, g->text + g->scroll, g->cursor - g->scroll);
    FillRect(cx - 1, g->y + 2, 1, g->height - 4, s, ink);
  }
}

void DrawFrame(Surface* s, const Gadget* g) {
  const uint32_t window = C()[ColWindow];
  const Font& f = GadgetFont(g);
  const int line_y = g->y + f.height / 2;
  RoundFrame(s, g->x, line_y, g->width, g->height - (line_y - g->y), ShadeRgb(window, 72));
  if (!g->text[0]) return;
  const int tw = std::min(g->text_width, g->width - 20);
  FillBox(s, g->x + 6, g->y, tw + 6, f.height, window);
  DrawTextFitted(s, f, g->x + 9, g->y, g->text, g->width - 20, RgbPixel(s, TextInk(window, g->enabled)));
}

void DrawStepArrow(Surface* s, const Gadget* g) {
  const uint32_t face = FaceColour(g, g->pressed, Gui.hover == g);
  DrawFace(s, g->x, g->y, g->width, g->height, face, g->pressed);
  DrawArrow(s, g->direction, g->x, g->y, g->width, g->height, TextInk(face, g->enabled));
}

void DrawPictureButton(Surface* s, const Gadget* g) {
  int state = 0;
  if (g->pressed) state = 2;
  else if (Gui.hover == g) state = 1;
  Surface* pic = GuiPictures[g->pictures[state] & 255];
  if (pic) DrawPicture(s, pic, g->x + (g->width - pic->width) / 2, g->y + (g->height - pic->height) / 2);
}

void DrawGadget(Surface* s, Gadget* g) {
  switch (g->kind) {
    case KindButton: DrawButton(s, g); break;
    case KindPictureButton: DrawPictureButton(s, g); break;
    case KindCheckBox: DrawCheck(s, g); break;
    case KindRadio:
      if (g->flags & RadioToggleFace) DrawToggle(s, g);
      else DrawCheck(s, g);
      break;
    case KindText: DrawTextGadget(s, g); break;
    case KindSlider: DrawSlider(s, g); break;
    case KindScrollBar: DrawScrollBar(s, g); break;
    case KindList: DrawList(s, g); break;
    case KindCanvas:
    case KindCellCanvas: DrawCanvas(s, g); break;
    case KindInput: DrawInput(s, g); break;
    case KindFrame: DrawFrame(s, g); break;
    case KindStepArrowVertical:
    case KindStepArrowHorizontal: DrawStepArrow(s, g); break;
    default: break;
  }
  g->dirty = false;
}

void TilePicture(Surface* s, Surface* picture, int x, int y, int w, int h) {
  const ClipRect saved = s->clip;
  SetSurfaceClip(s, x, y, x + w - 1, y + h - 1);
  for (int ty = y; ty < y + h; ty += picture->height)
    for (int tx = x; tx < x + w; tx += picture->width) DrawPicture(s, picture, tx, ty);
  s->clip = saved;
}

}  // namespace

void DrawWindow(Window* w) {
  Surface* s = w->surface;
  if (!s) return;
  const uint32_t* c = C();
  const bool lit = w->active && TopWindow() == w;
  const uint32_t bar = lit ? c[ColWindowBar] : c[ColWindowBarInactive];
  const int cw = w->width - WindowExtraWidth, ch = w->height - WindowExtraHeight;
  if (w->id != 0) {
    FillBox(s, 0, 0, w->width, w->height, bar);
  } else {  // around the presenter's picture only
    FillBox(s, 0, 0, w->width, ClientTop, bar);
    FillBox(s, 0, ClientTop + ch, w->width, w->height - ClientTop - ch, bar);
    FillBox(s, 0, ClientTop, ClientLeft, ch, bar);
    FillBox(s, ClientLeft + cw, ClientTop, w->width - ClientLeft - cw, ch, bar);
  }
  FillGradient(s, 1, 0, w->width - 2, TitleBarHeight, ShadeRgb(bar, 112), bar, TitleBarHeight);
  FrameBox(s, 0, 0, w->width, w->height, ShadeRgb(bar, 50));
  const int title_room = w->width - 14 - ((w->flags & WindowCloseBox) ? 16 : 0);
  DrawTextFitted(s, GuiFont, 7, 1 + (TitleBarHeight - GuiFont.height) / 2, w->title, title_room,
                 RgbPixel(s, lit ? InkOn(bar) : DimInkOn(bar)));
  const int px = 3, py = TitleBarHeight + 1, pw = w->width - 6, ph = w->height - TitleBarHeight - 4;
  FrameBox(s, px - 1, py - 1, pw + 2, ph + 2, ShadeRgb(bar, 72));
  if (w->id != 0) {
    FillBox(s, px, py, pw, ph, c[ColWindow]);
    if (ThemeWindowPicture) TilePicture(s, ThemeWindowPicture, px, py, pw, ph);
  } else {
    FillBox(s, px, py, pw, ClientTop - py, c[ColWindow]);
    FillBox(s, px, ClientTop + ch, pw, py + ph - ClientTop - ch, c[ColWindow]);
    FillBox(s, px, ClientTop, ClientLeft - px, ch, c[ColWindow]);
    FillBox(s, ClientLeft + cw, ClientTop, px + pw - ClientLeft - cw, ch, c[ColWindow]);
  }
  for (Gadget* g : w->gadgets) DrawGadget(s, g);
  w->dirty = false;
}
