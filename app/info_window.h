// The info window: the program's name and version, its makers with their
// homepage and mail address, and the picture and words of Lark, the sibling
// project, with a button to its page.
#pragma once

// Gadget ids: window id x 100 + part.
enum InfoPart { InfoTitle, InfoPicture, InfoHomepage, InfoMail, InfoLark };

// The addresses the buttons hand to the desktop.
extern const char* const TavoHomepage;
extern const char* const TavoMail;
extern const char* const LarkHomepage;
// The version text under the name.
extern const char* const TavoVersionText;

void ToggleInfoWindow();
// Registers the window with the main loop (lumo/window_registry.h).
void RegisterInfoWindow();
// Frees the title and picture surfaces (shutdown, tests).
void FreeInfoPictures();
