#include "lumo/gui_graphics.h"

#include <cstdio>
#include <string>

#include "base/program_dir.h"
#include "lumo/gui.h"
#include "lumo/ssp.h"

Font GuiFont;
Font GuiFixedFont;
Surface* GuiPictures[256];
Surface* GuiPicturesRaw[256];
Surface* GuiPictures2[31];
Surface* GlyphMask;

void FreeGuiGraphics() {
  FreeFont(&GuiFont);
  FreeFont(&GuiFixedFont);
  FreeSspPictures(GuiPictures, 256);
  FreeSspPictures(GuiPicturesRaw, 256);
  FreeSspPictures(GuiPictures2, 31);
  if (GlyphMask) DestroySurface(GlyphMask);
  GlyphMask = nullptr;
}

namespace {

bool BuildGlyphMask() {
  const Font& f = GuiFixedFont;
  GlyphMask = CreateSurface(f.strip->width, f.height, 8, SurfaceClear);
  if (!GlyphMask) return false;
  uint8_t* palette = GlyphMask->format.palette;
  for (int i = 0; i < 768; i++) palette[i] = 0;
  palette[3] = palette[4] = palette[5] = 255;
  if (!LockSurface(GlyphMask, LockWriteOnly)) return false;
  for (int y = 0; y < f.height; y++)
    for (int x = 0; x < f.strip->width; x++)
      GlyphMask->pixels[y * GlyphMask->pitch + x] = f.coverage[y * f.strip->width + x];
  UnlockSurface(GlyphMask);
  return true;
}

}  // namespace

bool LoadGuiGraphics(bool redraw, const char* dir) {
  FreeGuiGraphics();
  const std::string base = dir ? dir : ProgramDirectory;
  auto path = [&](const char* name) { return base.empty() ? std::string(name) : base + "/" + name; };
  if (!LoadFont(&GuiFixedFont, path("fontp.ssp").c_str(), 0)) {
    printf("Couldn't load fontp.ssp.\n");
    fflush(stdout);
    return false;
  }
  if (!LoadFont(&GuiFont, path("font.ssp").c_str(), 0)) {
    printf("Couldn't load font.ssp.\n");
    fflush(stdout);
    FreeGuiGraphics();
    return false;
  }
  if (!LoadSsp(path("gui.ssp").c_str(), GuiPictures, 256, SspToScreen) ||
      !LoadSsp(path("gui.ssp").c_str(), GuiPicturesRaw, 256, 0) ||
      !LoadSsp(path("gui2.ssp").c_str(), GuiPictures2, 31, 0) || !BuildGlyphMask()) {
    FreeGuiGraphics();
    return false;
  }
  if (redraw) RedrawGui();
  return true;
}
