// The "Movie Logger" window: the movie slot, the message sent into the
// recording, Record, Play and Stop, and a line telling what the movie
// recorder is doing.
#include <cstdio>

#include "lumo/window_registry.h"
#include "record/movie.h"
#include "record/recorder_windows.h"

namespace {

constexpr int SlotCount = 10;
constexpr int SlotWidth = 25, SlotHeight = 15, SlotPitch = 30;

void MovieRefresh() {
  SetChecked(MovieSlotId(MovieSlot), 1);
  char text[96];
  if (MovieState == MovieRecording)
    std::snprintf(text, sizeof text, "Recording: %ld frames", MovieFrameCount());
  else if (MovieState == MoviePlaying)
    std::snprintf(text, sizeof text, "Playing: frame %ld of %ld", MovieFramesPlayed(), MovieFrameCount());
  else
    std::snprintf(text, sizeof text, "Idle");
  SetGadgetText(MovieStateTextId, text);
  EnableGadget(MovieStopId, MovieState != MovieIdle);
}

void MovieEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseWindow(WinMovieLogger);
    return;
  }
  if (event.type != EventActivated) return;
  const int slot = event.id - MovieSlotId(0);
  if (slot >= 0 && slot < SlotCount) {
    MovieSlot = uint8_t(slot);
  } else if (event.id == MovieSendId) {
    SendMovieMessage(GetGadgetText(MovieMessageId));
  } else if (event.id == MovieRecordId) {
    StartMovieRecording();
  } else if (event.id == MoviePlayId) {
    StartMoviePlayback();
  } else if (event.id == MovieStopId) {
    StopMovieRecording();
    StopMoviePlayback();
  }
  MovieRefresh();
}

}  // namespace

void ToggleMovieWindow() {
  Window* w = ToggleToolWindow(WinMovieLogger);
  if (!w) return;
  for (int slot = 0; slot < SlotCount; ++slot) {
    const char caption[2] = {char('0' + slot), 0};
    AddToggleButton(w, caption, MovieSlotId(slot), slot * SlotPitch, 0, SlotWidth, SlotHeight,
                    slot == MovieSlot, 0);
  }
  AddInput(w, "", MovieMessageId, 55, 20, 270, 15, "Message:");
  AddButton(w, "Send", MovieSendId, 335, 20, 60, 15);
  AddText(w, "", MovieStateTextId, 0, 40, 395, 15);
  AddButton(w, "Record", MovieRecordId, 0, 60, 125, 15);
  AddButton(w, "Play", MoviePlayId, 135, 60, 125, 15);
  AddButton(w, "Stop", MovieStopId, 270, 60, 125, 15);
  MovieRefresh();
}

void RegisterMovieWindow() { RegisterWindow(WinMovieLogger, {ToggleMovieWindow, MovieEvent, MovieRefresh}); }
