// What the program asks of the desktop around its window: whether there is
// a display at all, the window's title and icon, message boxes for start-up
// failures, minimising, and opening web and mail addresses with the user's
// programs.
#pragma once
#include <string>

// A display server the program could open a window on: DISPLAY or
// WAYLAND_DISPLAY is set (SDL's own drivers, "dummy" included, when
// SDL_VIDEODRIVER names one).
bool DesktopAvailable();
// Starts the video library under the window; false when it cannot start.
bool StartDesktop();
void SetDesktopTitle(const char* title);
// Gives the window the picture in the PNG file as its icon, for task bars
// and window switchers; false (and the system's own icon stays) when the
// file is missing or not an RGB or RGBA picture.
bool SetDesktopIcon(const std::string& png_file);
// A box with the text and one OK button, titled "Tavo"; the text goes to
// standard error instead when no box can be shown.
void ShowMessageBox(const char* text);
void MinimizeDesktop();
// Hands an address ("https://...", "mailto:...") to the desktop's opener.
// False when none took it; nothing else happens then.
bool OpenDesktopUrl(const char* url);
