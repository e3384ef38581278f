// The "Video recorder" window: frame rate and motion blur, Record and Stop,
// what is being recorded, and the codec list (descriptions, with the short
// names) whose selected entry gives the codec.
#include <cstdio>

#include "lumo/window_registry.h"
#include "record/recorder_windows.h"
#include "record/video_recorder.h"

namespace {

// The options of the next recording, kept while the window is closed.
VideoRecordOptions NextRecording;

void ShowRecorderState() {
  if (!WindowOpen(WinVideoRecorder)) return;
  EnableGadget(VideoStopId, VideoRecording);
  SetGadgetText(VideoStateTextId, VideoRecording ? "Recording to" : "Not recording.");
  char name[96] = "";
  if (VideoRecording) std::snprintf(name, sizeof name, "'%s'.", VideoRecordingName());
  SetGadgetText(VideoFileTextId, name);
}

void FillCodecList() {
  const int rows = ListRowCount(VideoCodecListId);
  for (int row = 0; row < rows; ++row) {
    const VideoCodec* codec = VideoCodecAt(row);
    char text[160] = "";
    if (codec) std::snprintf(text, sizeof text, "%s (%s)", codec->description, codec->name);
    SetListRow(VideoCodecListId, row, text, codec != nullptr, false);
    if (codec && codec->code == NextRecording.codec) SelectRow(VideoCodecListId, row);
  }
}

void VideoRecorderEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseWindow(WinVideoRecorder);
    return;
  }
  if (event.id == VideoCodecListId && event.type == EventChanged) {
    if (const VideoCodec* codec = VideoCodecAt(GetSelectedRow(VideoCodecListId))) NextRecording.codec = codec->code;
    return;
  }
  if (event.type != EventActivated) return;
  switch (event.id) {
    case VideoFullRateId: NextRecording.full_frame_rate = true; break;
    case VideoHalfRateId: NextRecording.full_frame_rate = false; break;
    case VideoBlurId: NextRecording.motion_blur = GetChecked(VideoBlurId) == 1; break;
    case VideoRecordId: StartVideoRecording(NextRecording); break;
    case VideoStopId: StopVideoRecording(); break;
    default: break;
  }
  ShowRecorderState();
}

}  // namespace

void ToggleVideoRecorderWindow() {
  Window* w = ToggleToolWindow(WinVideoRecorder);
  if (!w) return;
  AddFrame(w, "Options", VideoOptionsFrameId, 0, 0, 130, 72);
  AddRadioButton(w, "Full framerate", VideoFullRateId, 8, 14, 115, 15, NextRecording.full_frame_rate, 1);
  AddRadioButton(w, "Half framerate", VideoHalfRateId, 8, 31, 115, 15, !NextRecording.full_frame_rate, 1);
  AddCheckBox(w, "Motion blur", VideoBlurId, 8, 50, 115, 15, NextRecording.motion_blur);
  AddButton(w, "Record", VideoRecordId, 0, 80, 60, 15);
  AddButton(w, "Stop", VideoStopId, 70, 80, 60, 15);
  AddText(w, "", VideoStateTextId, 0, 102, 130, 15);
  AddText(w, "", VideoFileTextId, 0, 117, 130, 15);
  AddFrame(w, "Codec", VideoCodecFrameId, 140, 0, 230, 150);
  AddList(w, 128, VideoCodecListId, 148, 15, 214, GadgetNoTab);
  FillCodecList();
  VideoRecorderChanged = ShowRecorderState;
  ShowRecorderState();
}

void RegisterVideoRecorderWindow() { RegisterWindow(WinVideoRecorder, {ToggleVideoRecorderWindow, VideoRecorderEvent}); }
