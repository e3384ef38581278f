// --expect-png: the last frame against a reference picture, pixel by pixel,
// in the 8-bit components a PNG of the frame holds.
#include <cstdio>
#include <string>

#include "app/headless_verdict.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "record/screenshot.h"

namespace {

Surface* Reference = nullptr;
PixelFormat ReferenceFormat;
bool FormatReady = false;

// An RGB565 pixel widened as the PNG writer widens it (low bits zero).
void FrameColour(const Surface* s, int x, int y, uint8_t rgb[3]) {
  const uint8_t* p = s->pixels + y * s->pitch + x * 2;
  const unsigned pixel = p[0] | p[1] << 8;
  rgb[0] = uint8_t((pixel >> 11) << 3);
  rgb[1] = uint8_t(((pixel >> 5) & 0x3F) << 2);
  rgb[2] = uint8_t((pixel & 0x1F) << 3);
}

void ReferenceColour(int x, int y, uint8_t rgb[3]) {
  const uint8_t* p = Reference->pixels + y * Reference->pitch + x * Reference->format.bytes;
  PixelToColor(Reference->format, ReadPixel(p, Reference->format.bytes), rgb);
}

// The frame dimmed to grey, with the differing pixels in pure red.
bool WriteDiffPicture(const std::string& path, const Surface* frame, const std::vector<bool>& differs, int width,
                      int height) {
  Surface* diff = CreateSurface(width, height, 16, SurfaceClear);
  if (!diff) return false;
  for (int y = 0; y < height; ++y) {
    uint16_t* row = reinterpret_cast<uint16_t*>(diff->pixels + y * diff->pitch);
    for (int x = 0; x < width; ++x) {
      if (differs[size_t(y) * width + x]) {
        row[x] = 0xF800;
      } else if (x < frame->width && y < frame->height) {
        uint8_t rgb[3];
        FrameColour(frame, x, y, rgb);
        const unsigned grey = (rgb[0] + rgb[1] + rgb[2]) / 9;  // a third of the brightness
        row[x] = uint16_t((grey >> 3) << 11 | (grey >> 2) << 5 | grey >> 3);
      }
    }
  }
  bool ok = SavePng(path.c_str(), diff);
  DestroySurface(diff);
  return ok;
}

}  // namespace

bool LoadReferencePicture(const std::string& path) {
  ReleaseReferencePicture();
  if (!FormatReady) FormatReady = MakePixelFormat(&ReferenceFormat, 32);
  if (FormatReady) Reference = LoadPng(path.c_str(), &ReferenceFormat, 0);
  return Reference != nullptr;
}

void ReleaseReferencePicture() {
  DestroySurface(Reference);
  Reference = nullptr;
}

bool PictureMatchesReference(const std::string& reference_name, const std::string& diff_png) {
  Surface* frame = CopyEmulatedPicture();
  if (!frame || !Reference) {
    DestroySurface(frame);
    std::fprintf(stderr, "picture differs from '%s': there is no last frame\n", reference_name.c_str());
    return false;
  }
  // Over both pictures: a pixel that only one of them has differs.
  const int width = frame->width > Reference->width ? frame->width : Reference->width;
  const int height = frame->height > Reference->height ? frame->height : Reference->height;
  std::vector<bool> differs(size_t(width) * height);
  long count = 0;
  int left = width, top = height, right = -1, bottom = -1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bool in_frame = x < frame->width && y < frame->height;
      bool in_reference = x < Reference->width && y < Reference->height;
      bool differ = in_frame != in_reference;
      if (in_frame && in_reference) {
        uint8_t a[3], b[3];
        FrameColour(frame, x, y, a);
        ReferenceColour(x, y, b);
        differ = a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
      }
      if (!differ) continue;
      differs[size_t(y) * width + x] = true;
      ++count;
      if (x < left) left = x;
      if (x > right) right = x;
      if (y < top) top = y;
      if (y > bottom) bottom = y;
    }
  }
  if (count) {
    std::fprintf(stderr, "picture differs from '%s': %ld pixels differ within (%d,%d)-(%d,%d)", reference_name.c_str(),
                 count, left, top, right, bottom);
    if (frame->width != Reference->width || frame->height != Reference->height)
      std::fprintf(stderr, "; the last frame is %dx%d, the reference %dx%d", frame->width, frame->height,
                   Reference->width, Reference->height);
    std::fputc('\n', stderr);
    if (!diff_png.empty() && !WriteDiffPicture(diff_png, frame, differs, width, height))
      std::fprintf(stderr, "Couldn't write '%s'.\n", diff_png.c_str());
  }
  DestroySurface(frame);
  return count == 0;
}
