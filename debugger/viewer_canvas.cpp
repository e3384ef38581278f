// Drawing helpers shared by the viewers' canvases.
#include "config/config.h"
#include "debugger/viewers.h"
#include "lumo/gui_paint.h"
#include "lumo/theme.h"

void ShowCanvasArea(int window, int canvas, int canvas_x, int canvas_y, int x, int y, int width, int height) {
  Surface* picture = CanvasSurface(canvas);
  Surface* target = WindowSurface(window);
  if (!picture || !target) return;
  const int gadget_x = ClientLeft + canvas_x, gadget_y = ClientTop + canvas_y;
  CopySurface(target, gadget_x + x, gadget_y + y, picture, {x, y, width, height});
  MarkWindowAreaChanged(window, gadget_x + x, gadget_y + y, width, height);
}

uint32_t Rgb565Pixel(const Surface* surface, uint16_t colour) {
  const int red = (colour >> 11) & 31, green = (colour >> 5) & 63, blue = colour & 31;
  return ColorToPixel(surface->format, red * 255 / 31, green * 255 / 63, blue * 255 / 31);
}

uint32_t ViewerPaper(const Surface* surface) { return RgbPixel(surface, CurrentColours[ColListGadget]); }
uint32_t ViewerInk(const Surface* surface) { return RgbPixel(surface, InkOn(CurrentColours[ColListGadget])); }
