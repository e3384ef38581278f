// The "Video options" window (video_options): the full-screen mode, the
// window size, windowed and vsync, the filter and motion blur with and
// without the GUI, and the stretching of the full-screen picture. "Apply"
// stores them and sets a new display mode when the mode changed.
#pragma once
#include "config/config.h"
#include "lumo/gui.h"

// Gadget ids: window id x 100 + part.
enum VideoOptionsPart {
  VideoModeList, VideoModeScroll, VideoWidth, VideoHeight, VideoWindowed, VideoVsync,
  VideoFilterNoGui,           // + 0 to 3: Normal, Double, Bilinear, M-Eagle
  VideoBlurNoGui = VideoFilterNoGui + 4,
  VideoStretching,            // + 0 to 3: None, Double, Maximize, Maximize 75%
  VideoFilterGui = VideoStretching + 4,
  VideoBlurGui = VideoFilterGui + 4,
  VideoApply, VideoCancel,
  VideoFrameModes, VideoFrameWindow, VideoFrameNoGui, VideoFrameStretching, VideoFrameGui,
};
constexpr int VideoGadget(int part) { return WinVideoOptions * 100 + part; }

// Window sizes Apply accepts; others are brought into this range.
constexpr int VideoWindowMinWidth = 320, VideoWindowMinHeight = 240, VideoWindowMax = 7680;

void ToggleVideoOptions();
void OpenVideoOptions();
void CloseVideoOptions();
void VideoOptionsEvent(const GuiEvent& event);
// Mouse wheel over the window: scrolls the mode list when over it.
void VideoOptionsWheel(int steps);
// Stores the window's choices and changes the display mode when needed.
void ApplyVideoOptions();
// Alt+Enter: between the configured window and full-screen mode.
void ToggleFullScreen();
