// The info window: the program's name and version, its makers, where its
// files and its manual are (with buttons that open them on the desktop),
// and the picture and words of Lark, the sibling project.
#pragma once
#include <string>

// Gadget ids: window id x 100 + part.
enum InfoPart { InfoTitle, InfoPicture, InfoManual, InfoFolder, InfoLark };

// The README beside the shipped data (share/doc/tavo of an installed copy)
// or in the source tree of a build; "" when neither is there.
std::string ReadmePath();
// The version text under the name.
extern const char* const TavoVersionText;

void ToggleInfoWindow();
// Registers the window with the main loop (lumo/window_registry.h).
void RegisterInfoWindow();
// Frees the title and picture surfaces (shutdown, tests).
void FreeInfoPictures();
