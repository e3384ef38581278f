#include <sys/stat.h>

#include <string>

#include "base/program_dir.h"
#include "lumo/display.h"
#include "lumo/messages.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "lumo/theme.h"

Surface* ThemeBackground = nullptr;
Surface* ThemeBackgroundNoGui = nullptr;
Surface* ThemeWindowPicture = nullptr;
void (*ThemePicturesChanged)() = nullptr;

namespace {

struct PictureSlot {
  Surface** picture;
  const std::string* path;
  const char* description;
  bool fill_screen;
};

// Paths are relative to the program directory unless absolute.
std::string PicturePath(const std::string& path) {
  if (path[0] == '/' || ProgramDirectory.empty()) return path;
  return ProgramDirectory + "/" + path;
}

// A picture in the display's format (the file's own before a mode is set),
// scaled to the screen when asked and its size differs.
Surface* LoadPicture(const std::string& path, bool fill_screen) {
  // Only a regular file: opening a pipe or a device named in a theme would
  // wait for a writer forever.
  const std::string file = PicturePath(path);
  struct stat info;
  if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  const PixelFormat& display = DisplayFormat();
  const bool have_display = display.bits != 0;
  Surface* picture = LoadPng(file.c_str(), have_display ? &display : nullptr, 0);
  if (!picture || !fill_screen || !have_display) return picture;
  const int width = ScreenWidth(), height = ScreenHeight();
  if (picture->width == width && picture->height == height) return picture;
  Surface* scaled = CreateSurface(width, height, display.bits, 0);
  if (scaled && !StretchSurface(scaled, {0, 0, width, height}, picture,
                                {0, 0, picture->width, picture->height})) {
    DestroySurface(scaled);
    scaled = nullptr;
  }
  DestroySurface(picture);
  return scaled;
}

}  // namespace

void LoadPictures() {
  const PictureSlot slots[3] = {
      {&ThemeBackground, &Config.bg_picture, "background picture (with GUI)", true},
      {&ThemeBackgroundNoGui, &Config.bg_picture2, "background picture (without GUI)", true},
      {&ThemeWindowPicture, &Config.win_picture, "window background picture", false},
  };
  for (const PictureSlot& slot : slots) {
    if (*slot.picture) DestroySurface(*slot.picture);
    *slot.picture = nullptr;
    if (slot.path->empty()) continue;
    *slot.picture = LoadPicture(*slot.path, slot.fill_screen);
    if (!*slot.picture) ShowMessage("Couldn't load %s '%s'.", slot.description, slot.path->c_str());
  }
  if (ThemePicturesChanged) ThemePicturesChanged();
}

void ResetThemePictures() {
  for (Surface** picture : {&ThemeBackground, &ThemeBackgroundNoGui, &ThemeWindowPicture}) {
    if (*picture) DestroySurface(*picture);
    *picture = nullptr;
  }
}
