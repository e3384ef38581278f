// The "VGM Player" window: the loaded file's track title and game name,
// play, stop and rewind, where the music stands, and Load (the VGM file
// requester, whose load event the main loop handles).
#include <cstdio>

#include "lumo/file_requester.h"
#include "lumo/gui_pictures.h"
#include "lumo/window_registry.h"
#include "record/recorder_windows.h"
#include "record/vgm_player.h"

namespace {

constexpr int SampleRate = 44100;

void VgmPlayerRefresh() {
  SetGadgetText(VgmTitleTextId, VgmLoaded ? VgmTitle.c_str() : "No VGM file loaded.");
  SetGadgetText(VgmGameTextId, VgmLoaded ? VgmGameName.c_str() : "");
  char text[48] = "";
  if (VgmLoaded) {
    const VgmPlayerPosition at = GetVgmPlayerPosition();
    const unsigned played = unsigned(at.samples / SampleRate), total = at.total_samples / SampleRate;
    std::snprintf(text, sizeof text, "%u:%02u / %u:%02u%s", played / 60, played % 60, total / 60, total % 60,
                  VgmPlaying ? "" : " (stopped)");
  }
  SetGadgetText(VgmPositionId, text);
}

// Closing keeps the file and its position but stops the music.
void CloseVgmPlayerWindow() {
  StopVgm();
  CloseWindow(WinVgmPlayer);
}

void VgmPlayerEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseVgmPlayerWindow();
    return;
  }
  if (event.type != EventActivated) return;
  if (event.id == VgmPlayId) PlayVgm();
  if (event.id == VgmStopPlayId) StopVgm();
  if (event.id == VgmRewindId) RewindVgm();
  if (event.id == VgmLoadId) ToggleFileRequester(WinFileRequesterVgm, Config.vgm_directory);
  VgmPlayerRefresh();
}

}  // namespace

void ToggleVgmPlayerWindow() {
  if (WindowOpen(WinVgmPlayer)) {
    CloseVgmPlayerWindow();
    return;
  }
  Window* w = OpenToolWindow(WinVgmPlayer);
  if (!w) return;
  AddText(w, "", VgmTitleTextId, 0, 0, 240, 13);
  AddText(w, "", VgmGameTextId, 0, 15, 240, 13);
  AddSymbolButton(w, VgmPlayId, 0, 40, 18, 18, PicPlay);
  AddSymbolButton(w, VgmStopPlayId, 22, 40, 18, 18, PicStop);
  AddSymbolButton(w, VgmRewindId, 44, 40, 18, 18, PicRewind);
  AddText(w, "", VgmPositionId, 70, 41, 105, 15);
  AddButton(w, "Load", VgmLoadId, 180, 41, 60, 15);
  VgmPlayerRefresh();
}

void RegisterVgmPlayerWindow() { RegisterWindow(WinVgmPlayer, {ToggleVgmPlayerWindow, VgmPlayerEvent, VgmPlayerRefresh}); }
