#include "lumo/presenter.h"

#include <algorithm>

#include "base/app_state.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/filters.h"
#include "lumo/game_window.h"
#include "lumo/gui.h"
#include "lumo/message_bands.h"
#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

constexpr int kFilterWidth = 512, kFilterHeight = 480;  // twice the largest picture

// One machine's part of the picture: the surface to show and where in it.
struct Part {
  Surface* surface;
  SurfaceRect rect;
};

// The picture of this pass: one part, two with link play side by side.
struct Picture {
  Part parts[2];
  int count;
  int width, height;  // after the filter's enlargement
  int filter;         // 0 none, else the 2x filter
};

// Module state.
struct PresenterState {
  Surface* blur[2] = {nullptr, nullptr};
  Surface* filter = nullptr;
  Surface* stretch = nullptr;  // the full-screen picture before stretching
  bool full_redraw = true;
  bool gui_was_visible = false;
  SurfaceRect last_target{0, 0, 0, 0};
  // The machines' finished and drawn pictures as surfaces, per pass.
  Surface finished_view[2] = {};
  Surface drawn_view[2] = {};
};
PresenterState g_state;

// The visible rectangles of the machines that run, blurred when asked. The
// shown surface is the frame completed last, the one screenshots take too;
// the surface being drawn holds the frame before it, which the blur mixes in.
bool TakePicture(Picture* picture, int filter, bool blur) {
  *picture = Picture{};
  if (ConsoleKind != 1) return false;
  Machine* machines[2] = {&PrimaryMachine, &PartnerMachine};
  const int count = (MachineOptions & OptLink) ? 2 : 1;
  for (int i = 0; i < count; i++) {
    const VdpWindow window = VdpVisibleWindow(&machines[i]->Vdp);
    Surface* finished = ViewPixelBuffer(&g_state.finished_view[i], window.finished);
    Surface* drawn = ViewPixelBuffer(&g_state.drawn_view[i], window.drawn);
    if (!finished || window.width <= 0 || window.height <= 0) return false;
    Part& part = picture->parts[i];
    part.surface = finished;
    part.rect = {window.x, window.y, window.width, window.height};
    if (blur && g_state.blur[i] && drawn && BlurPicture(g_state.blur[i], finished, drawn))
      part.surface = g_state.blur[i];
    picture->width += window.width;
    picture->height = std::max(picture->height, window.height);
  }
  picture->count = count;
  if (filter >= FilterDouble && filter <= FilterMEagle && g_state.filter) {
    picture->filter = filter;
    picture->width *= 2;
    picture->height *= 2;
  }
  return true;
}

// Draws the picture's parts side by side with the top left corner at (x, y),
// each filtered first when a filter is on.
void DrawPicture(const Picture& picture, Surface* target, int x, int y) {
  for (int i = 0; i < picture.count; i++) {
    const Part& part = picture.parts[i];
    SurfaceRect enlarged;
    if (picture.filter && FilterPicture(&enlarged, g_state.filter, part.surface, picture.filter, part.rect)) {
      CopySurface(target, x, y, g_state.filter, enlarged);
      x += enlarged.width;
    } else {
      CopySurface(target, x, y, part.surface, part.rect);
      x += picture.filter ? 2 * part.rect.width : part.rect.width;
    }
  }
}

void PresentWithGui(const Picture* picture) {
  if (picture && OpenGameWindow(picture->width, picture->height)) {
    if (Surface* window = GameWindowSurface()) {
      int x, y;
      GameWindowClientOrigin(&x, &y);
      DrawPicture(*picture, window, x, y);
      GameWindowPictureChanged();
    }
  }
  MarkMessageBandsDirty();
  ComposeGui();
  DrawMessageBands(true);
  PresentDisplay(Config.vsync);
}

// The four areas around the picture's rectangle, in the background shown
// while the GUI is hidden.
void PaintBorders(const SurfaceRect& target) {
  const int sw = ScreenWidth(), sh = ScreenHeight();
  const int left = std::clamp(target.x, 0, sw), right = std::clamp(target.x + target.width, left, sw);
  const int top = std::clamp(target.y, 0, sh), bottom = std::clamp(target.y + target.height, top, sh);
  if (top > 0) DrawDesktop(false, 0, 0, sw, top);
  if (bottom < sh) DrawDesktop(false, 0, bottom, sw, sh - bottom);
  if (left > 0) DrawDesktop(false, 0, top, left, bottom - top);
  if (right < sw) DrawDesktop(false, right, top, sw - right, bottom - top);
}

Surface* StretchSurfaceOf(int width, int height) {
  Surface*& s = g_state.stretch;
  if (s && s->width == width && s->height == height) return s;
  if (s) DestroySurface(s);
  s = CreateSurface(width, height, 16, 0);
  return s;
}

void PresentFullScreen(const Picture* picture) {
  Surface* back = DisplayDrawTarget();
  const int sw = ScreenWidth(), sh = ScreenHeight();
  SurfaceRect target{0, 0, 0, 0};
  if (picture) target = StretchTarget(Config.stretching, sw, sh, picture->width, picture->height);
  // A picture that moved or changed size leaves parts of itself behind.
  if (target.x != g_state.last_target.x || target.y != g_state.last_target.y ||
      target.width != g_state.last_target.width || target.height != g_state.last_target.height)
    g_state.full_redraw = true;
  g_state.last_target = target;
  if (g_state.full_redraw) {
    g_state.full_redraw = false;
    if (picture) PaintBorders(target);
    else DrawDesktop(false, 0, 0, sw, sh);
  }
  if (picture) {
    const ClipRect saved = back->clip;
    // The picture stays above the message bands.
    SetSurfaceClip(back, 0, 0, sw - 1, std::min(sh, MessageBandsTop()) - 1);
    if (Config.stretching == 0 || Config.stretching > 3) {
      DrawPicture(*picture, back, target.x, target.y);
    } else if (Surface* stretch = StretchSurfaceOf(picture->width, picture->height)) {
      DrawPicture(*picture, stretch, 0, 0);
      StretchSurface(back, target, stretch, {0, 0, picture->width, picture->height});
    }
    back->clip = saved;
  }
  DrawMessageBands(false);
  PresentDisplay(Config.vsync);
}

}  // namespace

bool CreatePresenterSurfaces() {
  DestroyPresenterSurfaces();
  g_state.blur[0] = CreateSurface(VdpSurfaceWidth, VdpSurfaceHeight, 16, SurfaceClear);
  g_state.blur[1] = CreateSurface(VdpSurfaceWidth, VdpSurfaceHeight, 16, SurfaceClear);
  g_state.filter = CreateSurface(kFilterWidth, kFilterHeight, 16, SurfaceClear);
  if (g_state.blur[0] && g_state.blur[1] && g_state.filter) return true;
  DestroyPresenterSurfaces();
  return false;
}

void DestroyPresenterSurfaces() {
  for (Surface** s : {&g_state.blur[0], &g_state.blur[1], &g_state.filter, &g_state.stretch}) {
    if (*s) DestroySurface(*s);
    *s = nullptr;
  }
}

void Present() {
  if (!DisplayDrawTarget()) return;
  const bool gui = GuiVisible;
  if (gui != g_state.gui_was_visible) {
    // The GUI's windows cover the old screen; leaving it, the whole screen
    // is the picture's again.
    if (gui) RedrawGui();
    else g_state.full_redraw = true;
    g_state.gui_was_visible = gui;
  }
  const int filter = gui ? Config.gui_video_mode : Config.fullscreen_video_mode;
  const bool blur = gui ? Config.gui_motion_blur : Config.fullscreen_motion_blur;
  Picture picture;
  const bool have = TakePicture(&picture, filter, blur);
  if (gui) PresentWithGui(have ? &picture : nullptr);
  else PresentFullScreen(have ? &picture : nullptr);
  // A band that goes is painted over by the next composition or full redraw.
  if (CountDownMessageBands() && !gui) g_state.full_redraw = true;
}

void RequestFullRedraw() { g_state.full_redraw = true; }
bool FullRedrawPending() { return g_state.full_redraw; }

void ResetPresenter() {
  DestroyPresenterSurfaces();
  g_state = PresenterState{};
}
