// The "Sound options" window: output on or off, the volume and the swap of
// the stereo sides, each taking effect at once.
#include <cstdio>

#include "app/option_windows.h"
#include "lumo/audio_output.h"
#include "machine/psg.h"

namespace {

constexpr int kLoudest = 75;  // the PSG's volume setting at full scale

void ShowVolumeText() {
  char text[8];
  snprintf(text, sizeof text, "%d%%", GetSlider(SoundGadget(SoundVolume)));
  SetGadgetText(SoundGadget(SoundVolumeText), text);
}

}  // namespace

int VolumePercent(int volume) {
  if (volume <= 0) return 0;
  if (volume >= kLoudest) return 100;
  return (volume * 100 + kLoudest / 2) / kLoudest;
}

int SoundVolumeOfPercent(int percent) {
  if (percent <= 0) return 0;
  if (percent >= 100) return kLoudest;
  return (percent * kLoudest + 50) / 100;
}

void ToggleSoundOptions() {
  Window* w = ToggleToolWindow(WinSoundOptions);
  if (!w) return;
  AddCheckBox(w, "Enabled", SoundGadget(SoundEnabled), 0, 0, 130, 15, Config.sound_enabled);
  // The position is the volume in percent.
  AddSlider(w, SoundGadget(SoundVolume), 0, 20, 132, 15, VolumePercent(sound_volume), 100);
  AddText(w, "", SoundGadget(SoundVolumeText), 140, 20, 30, 15);
  AddCheckBox(w, "Reverse stereo", SoundGadget(SoundReverseStereo), 0, 40, 130, 15, sound_reverse_stereo);
  ShowVolumeText();
}

void SoundOptionsEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseToolWindow(WinSoundOptions);
    return;
  }
  const int part = event.id - SoundGadget(0);
  if (part == SoundEnabled && event.type == EventActivated) {
    Config.sound_enabled = GetChecked(event.id) == 1;
    AudioApplySoundEnabled();  // a device that fails to start leaves the program silent
  } else if (part == SoundVolume && event.type == EventChanged) {
    sound_volume = (uint8_t)SoundVolumeOfPercent(GetSlider(event.id));
    ShowVolumeText();
  } else if (part == SoundReverseStereo && event.type == EventActivated) {
    sound_reverse_stereo = GetChecked(event.id) == 1;
  }
}
