#include "record/screenshot.h"

#include <sys/stat.h>

#include <cstring>

#include "base/app_state.h"
#include "base/program_dir.h"
#include "config/config.h"
#include "lumo/display.h"
#include "lumo/messages.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

constexpr int ScreenshotNames = 256;

void CopyWindow(Surface* picture, int x, const VdpWindow& window) {
  const PixelBuffer* source = window.finished;
  for (int y = 0; y < window.height; ++y)
    std::memcpy(picture->pixels + y * picture->pitch + x * 2,
                source->pixels + (window.y + y) * source->pitch + window.x * 2, size_t(window.width) * 2);
}

// Every pixel twice in both directions.
Surface* DoublePicture(Surface* picture) {
  Surface* doubled = CreateSurface(picture->width * 2, picture->height * 2, 16, 0);
  if (doubled) {
    for (int y = 0; y < doubled->height; ++y) {
      const uint16_t* in = reinterpret_cast<const uint16_t*>(picture->pixels + (y / 2) * picture->pitch);
      uint16_t* out = reinterpret_cast<uint16_t*>(doubled->pixels + y * doubled->pitch);
      for (int x = 0; x < doubled->width; ++x) out[x] = in[x / 2];
    }
  }
  DestroySurface(picture);
  return doubled;
}

// The whole display with the GUI on it, at the display's depth.
Surface* CopyDisplay(Surface* display) {
  Surface* copy = CreateSurface(display->width, display->height, display->format.bits, 0);
  if (copy && !CopySurface(copy, 0, 0, display, {0, 0, display->width, display->height})) {
    DestroySurface(copy);
    return nullptr;
  }
  return copy;
}

// What the screenshot holds: the screen while the GUI is shown; otherwise
// the emulated picture itself (never the status line or the borders), twice
// the size when the picture is shown enlarged without the GUI.
Surface* ScreenshotPicture() {
  Surface* display = DisplayDrawTarget();
  if (GuiVisible && display) return CopyDisplay(display);
  Surface* picture = CopyEmulatedPicture();
  if (picture && Config.fullscreen_video_mode != FilterNormal) picture = DoublePicture(picture);
  return picture;
}

}  // namespace

Surface* CopyEmulatedPicture() {
  VdpWindow windows[2];
  int count = (MachineOptions & OptLink) ? 2 : 1;
  const Machine* machines[2] = {&PrimaryMachine, &PartnerMachine};
  int width = 0, height = 0;
  for (int i = 0; i < count; ++i) {
    windows[i] = VdpVisibleWindow(&machines[i]->Vdp);
    if (!windows[i].finished || !windows[i].finished->pixels) return nullptr;
    width += windows[i].width;
    if (windows[i].height > height) height = windows[i].height;
  }
  Surface* picture = CreateSurface(width, height, 16, SurfaceClear);
  if (!picture) return nullptr;
  for (int i = 0, x = 0; i < count; x += windows[i].width, ++i) CopyWindow(picture, x, windows[i]);
  return picture;
}

std::string FreeScreenshotPath() {
  if (CartName.empty()) return "";
  for (int n = 0; n < ScreenshotNames; ++n) {
    std::string path = WorkingFilePath("Screenshots", CartName + "." + std::to_string(n) + ".png");
    struct stat info;
    if (path.empty()) return "";
    if (lstat(path.c_str(), &info) != 0) return path;
  }
  return "";
}

bool TakeScreenshot() {
  if (CartName.empty()) return false;
  const std::string path = FreeScreenshotPath();
  if (path.empty()) {
    ShowMessage("Couldn't save screenshot.");
    return false;
  }
  const std::string name = path.substr(path.find_last_of('/') + 1);
  Surface* picture = ScreenshotPicture();
  const bool ok = picture && SavePng(path.c_str(), picture);
  DestroySurface(picture);
  ShowMessage(ok ? "Saved screenshot as '%s'." : "Couldn't save screenshot as '%s'.", name.c_str());
  return ok;
}
