// The "Emulation configuration" window: the machine option word as six
// pairs of radio buttons and two check boxes.
#include "app/option_windows.h"
#include "debugger/debugger_state.h"
#include "machine/console.h"
#include "machine/options.h"
#include "record/rewind.h"

namespace {

// The option word the controls were last set from: a cartridge or state
// load that changes it while the window is open shows in the controls.
uint32_t g_shown_word = 0;

struct OptionRow {
  const char* left;
  const char* right;
  uint32_t left_bit, right_bit;  // 0: the choice sets no bit
};

const OptionRow kRows[6] = {
    {"Game Gear", "Master System", OptGameGearIo, OptMasterSystemIo},
    {"NTSC", "PAL", OptNtscRate, OptPalLines},
    {"Game Gear palette", "Master System palette", OptGgPalette, OptSmsPalette},
    {"Game Gear screen", "Master System screen", OptGgScreen, OptSmsScreen},
    {"Standard mapper", "Code Masters mapper", 0, OptCodemastersMapper},
    {"European", "Japanese", 0, OptJapanese},
};

// The right button is chosen when its bit is set, or when neither is.
bool RightChosen(const OptionRow& row, uint32_t word) {
  if (row.right_bit & word) return true;
  return row.left_bit ? !(row.left_bit & word) : false;
}

void ApplyEmulationOptions() {
  uint32_t word = 0;
  for (int row = 0; row < 6; row++)
    word |= GetChecked(EmulationRadio(row, true)) == 1 ? kRows[row].right_bit : kRows[row].left_bit;
  if (GetChecked(EmulationGadget(EmulationSpriteFlickering)) == 1) word |= OptSpriteFlickering;
  if (GetChecked(EmulationGadget(EmulationVramWait)) == 1) word |= OptVramAccessWait;
  MachineOptions = g_shown_word = word;
  SetupConsoleTiming();
  ClearRewind();  // going back past here would bring the old options back
}

}  // namespace

void ShowEmulationOptions() {
  for (int row = 0; row < 6; row++) {
    const bool right = RightChosen(kRows[row], MachineOptions);
    SetChecked(EmulationRadio(row, right), 1);
  }
  SetChecked(EmulationGadget(EmulationSpriteFlickering), (MachineOptions & OptSpriteFlickering) != 0);
  SetChecked(EmulationGadget(EmulationVramWait), (MachineOptions & OptVramAccessWait) != 0);
  g_shown_word = MachineOptions;
}

void RefreshEmulationOptions() {
  EnableGadget(EmulationGadget(EmulationApply), !BreakState);
  if (MachineOptions != g_shown_word) ShowEmulationOptions();
}

void ToggleEmulationOptions() {
  Window* w = ToggleToolWindow(WinSystemOptions);
  if (!w) return;
  // The right column starts a little left of the middle: its longest
  // caption ("Master System palette") needs the room.
  for (int row = 0; row < 6; row++) {
    AddRadioButton(w, kRows[row].left, EmulationRadio(row, false), 0, 20 * row, 115, 15, false, row + 1);
    AddRadioButton(w, kRows[row].right, EmulationRadio(row, true), 120, 20 * row, 140, 15, false, row + 1);
  }
  AddCheckBox(w, "Sprite flickering", EmulationGadget(EmulationSpriteFlickering), 0, 120, 125, 15, false);
  AddCheckBox(w, "VRAM access wait", EmulationGadget(EmulationVramWait), 0, 140, 125, 15, false);
  AddButton(w, "Apply", EmulationGadget(EmulationApply), 0, 165, 125, 15);
  ShowEmulationOptions();
  RefreshEmulationOptions();
}

void EmulationOptionsEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseToolWindow(WinSystemOptions);
  } else if (event.type == EventActivated && event.id == EmulationGadget(EmulationApply) && !BreakState) {
    ApplyEmulationOptions();
  }
}
