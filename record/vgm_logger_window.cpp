// The "VGM logger" window: Start and Stop, the logger's options, the log
// time, and the Gd3 texts of the file (game, track, package).
#include <cstdio>

#include "lumo/window_registry.h"
#include "record/recorder_windows.h"
#include "record/vgm_logger.h"

namespace {

struct OptionBox {
  int id;
  const char* caption;
  bool* value;
};
const OptionBox Options[] = {
    {VgmWaitId, "Wait before sound starts", &WaitForSound},
    {VgmTrimEndId, "Trim end automatically", &TrimEnd},
    {VgmTrimLoopsId, "Trim loops automatically", &TrimLoops},
    {VgmSampleAccurateId, "Sample accurate", &SampleAccurate},
};

struct TextField {
  int id;
  const char* caption;
  std::string VgmGd3Texts::*text;
};
const TextField Fields[] = {
    {VgmNameId, "Name:", &VgmGd3Texts::GameName},       {VgmSystemId, "System:", &VgmGd3Texts::System},
    {VgmDateId, "Release date:", &VgmGd3Texts::ReleaseDate}, {VgmTitleId, "Title:", &VgmGd3Texts::TrackTitle},
    {VgmAuthorId, "Author:", &VgmGd3Texts::Author},     {VgmCreatorId, "Creator:", &VgmGd3Texts::Creator},
};

// Start while idle, Stop while logging or waiting.
void ShowLoggerState() {
  if (!WindowOpen(WinVgmLogger)) return;
  EnableGadget(VgmStartId, VgmLogState == VgmLogIdle);
  EnableGadget(VgmStopId, VgmLogState != VgmLogIdle);
}

void VgmLoggerRefresh() {
  char text[64] = "Log time:";
  if (VgmLogState == VgmLogLogging) VgmLogTimeText(text, sizeof text);
  if (VgmLogState == VgmLogWaiting) snprintf(text, sizeof text, "Log time: waiting for sound");
  SetGadgetText(VgmLogTimeId, text);
  // Typing goes into the texts at once, not only when a field is left.
  for (const TextField& field : Fields) VgmGd3.*field.text = GetGadgetText(field.id);
  ShowLoggerState();
}

void VgmLoggerEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseWindow(WinVgmLogger);
    return;
  }
  if (event.type != EventActivated) return;
  if (event.id == VgmStartId) StartVgmLogging();
  if (event.id == VgmStopId) StopVgmLog();
  for (const OptionBox& option : Options)
    if (event.id == option.id) *option.value = GetChecked(option.id) == 1;
  VgmLoggerRefresh();
}

void AddField(Window* w, const TextField& field, int x, int y, int width) {
  AddInput(w, (VgmGd3.*field.text).c_str(), field.id, x, y, width, 15, field.caption);
}

}  // namespace

void ToggleVgmLoggerWindow() {
  Window* w = ToggleToolWindow(WinVgmLogger);
  if (!w) return;
  AddButton(w, "Start", VgmStartId, 0, 0, 80, 15);
  AddButton(w, "Stop", VgmStopId, 95, 0, 80, 15);
  int y = 22;
  for (const OptionBox& option : Options) {
    AddCheckBox(w, option.caption, option.id, 0, y, 175, 15, *option.value);
    y += 17;
  }
  AddText(w, "", VgmLogTimeId, 0, 93, 175, 15);
  AddFrame(w, "Game", VgmGameFrameId, 185, 0, 240, 69);
  AddField(w, Fields[0], 272, 14, 145);
  AddField(w, Fields[1], 272, 32, 145);
  AddField(w, Fields[2], 272, 50, 145);
  AddFrame(w, "Track", VgmTrackFrameId, 185, 74, 240, 51);
  AddField(w, Fields[3], 272, 88, 145);
  AddField(w, Fields[4], 272, 106, 145);
  AddFrame(w, "VGM package", VgmPackageFrameId, 0, 112, 175, 33);
  AddField(w, Fields[5], 55, 126, 112);
  VgmLoggerChanged = ShowLoggerState;
  VgmLoggerRefresh();
}

void RegisterVgmLoggerWindow() { RegisterWindow(WinVgmLogger, {ToggleVgmLoggerWindow, VgmLoggerEvent, VgmLoggerRefresh}); }
