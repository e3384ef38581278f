#include "lumo/theme.h"

#include "lumo/surface.h"

Surface* ThemeBackground = nullptr;
Surface* ThemeBackgroundNoGui = nullptr;
Surface* ThemeWindowPicture = nullptr;

void ResetThemePictures() {
  for (Surface** picture : {&ThemeBackground, &ThemeBackgroundNoGui, &ThemeWindowPicture}) {
    if (*picture) DestroySurface(*picture);
    *picture = nullptr;
  }
}
