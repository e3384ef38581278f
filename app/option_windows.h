// The windows of the Options menu that edit settings in memory and apply
// them at once: video options, theme, emulation configuration, sound,
// controller keys and the BIOS file. Each toggles: its command closes it
// when it is open. The video and theme windows have headers of their own.
#pragma once
#include <string>

#include "config/config.h"
#include "lumo/gui.h"
#include "lumo/window_table.h"

// Registers the six windows in the window registry (lumo/window_registry.h).
void RegisterOptionWindows();

// --- Emulation configuration (system_options) ---------------------------
// Parts: the six radio pairs (left button 2 x row, right 2 x row + 1), the
// two check boxes, Apply.
enum EmulationPart { EmulationSpriteFlickering = 12, EmulationVramWait = 13, EmulationApply = 14 };
constexpr int EmulationGadget(int part) { return WinSystemOptions * 100 + part; }
constexpr int EmulationRadio(int row, bool right) { return EmulationGadget(2 * row + (right ? 1 : 0)); }
void ToggleEmulationOptions();
void EmulationOptionsEvent(const GuiEvent& event);
// Every control from the option word.
void ShowEmulationOptions();
// Once per pass: "Apply" is disabled while the debugger holds the machine,
// and the controls follow an option word changed from elsewhere.
void RefreshEmulationOptions();

// --- Sound options (sound_options) --------------------------------------
enum SoundPart { SoundEnabled, SoundVolume, SoundVolumeText, SoundReverseStereo };
constexpr int SoundGadget(int part) { return WinSoundOptions * 100 + part; }
// The slider runs 0-100 (percent of full volume); the PSG's volume setting
// runs 0-75, its loudest mix. These convert between the two.
int VolumePercent(int sound_volume);
int SoundVolumeOfPercent(int percent);
void ToggleSoundOptions();
void SoundOptionsEvent(const GuiEvent& event);

// --- Controller configuration (control_options) --------------------------
// Parts 0-19: the buttons of key_1_left ... key_2_select; 20-39 their key
// texts; then the status text, Reset, the two port frames, and the button
// and key text of the rewind key (waiting slot ControllerRewindSlot).
constexpr int ControllerKeyText = 20, ControllerStatus = 40, ControllerReset = 41, ControllerPort1 = 42,
              ControllerPort2 = 43, ControllerRewind = 44, ControllerRewindText = 45;
constexpr int ControllerRewindSlot = KeyBindingCount;
constexpr int ControllerGadget(int part) { return WinControlOptions * 100 + part; }
void ToggleControllerOptions();
void ControllerOptionsEvent(const GuiEvent& event);
// Once per pass: while waiting, the first input code that went down becomes
// the waiting control's key.
void RefreshControllerOptions();
// The binding slot waiting for a key, -1 when none.
int ControllerWaitingSlot();

// --- BIOS options (bios_options) --------------------------------------------
enum BiosPart { BiosPath, BiosApply };
constexpr int BiosGadget(int part) { return WinBiosOptions * 100 + part; }
void ToggleBiosOptions();
void BiosOptionsEvent(const GuiEvent& event);
