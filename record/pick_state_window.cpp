// The "Pick state" window: ten toggles choosing the save-state slot, and
// a line naming the slots that hold a state of this cartridge.
#include <sys/stat.h>

#include <string>

#include "base/program_dir.h"
#include "lumo/window_registry.h"
#include "record/recorder_windows.h"
#include "record/save_state.h"

namespace {

constexpr int SlotWidth = 25, SlotHeight = 15, SlotPitch = 30;
constexpr int SavedTextId = WinPickState * 100 + StateSlotCount;
constexpr int RecheckPasses = 30;  // the slots' files are looked at twice a second
int g_passes_to_recheck = 0;

std::string SavedSlotsText() {
  std::string slots;
  int count = 0;
  for (int slot = 0; slot < StateSlotCount; ++slot) {
    const std::string name = StateFileName(slot);
    const std::string path = name.empty() ? "" : WorkingFilePath("States", name);
    struct stat info;
    if (!path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      slots += (count ? ", " : " ") + std::to_string(slot);
      ++count;
    }
  }
  if (!count) return "No saved states of this game yet.";
  return (count == 1 ? "A saved state in slot" : "Saved states in slots") + slots + ".";
}

void ShowSavedSlots() {
  SetGadgetText(SavedTextId, SavedSlotsText().c_str());
  g_passes_to_recheck = RecheckPasses;
}

void PickStateEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseWindow(WinPickState);
    return;
  }
  const int slot = event.id - PickStateSlotId(0);
  if (event.type == EventActivated && slot >= 0 && slot < StateSlotCount) StateSlot = uint8_t(slot);
}

// F5/F6 and the menu use the slot too; the window follows it.
void PickStateRefresh() {
  SetChecked(PickStateSlotId(StateSlot), 1);
  if (--g_passes_to_recheck <= 0) ShowSavedSlots();
}

}  // namespace

void TogglePickStateWindow() {
  Window* w = ToggleToolWindow(WinPickState);
  if (!w) return;
  for (int slot = 0; slot < StateSlotCount; ++slot) {
    const char caption[2] = {char('0' + slot), 0};
    AddToggleButton(w, caption, PickStateSlotId(slot), slot * SlotPitch, 0, SlotWidth, SlotHeight,
                    slot == StateSlot, 0);
  }
  AddText(w, "", SavedTextId, 0, SlotHeight + 5, StateSlotCount * SlotPitch - 5, 15);
  ShowSavedSlots();
}

void RegisterPickStateWindow() { RegisterWindow(WinPickState, {TogglePickStateWindow, PickStateEvent, PickStateRefresh}); }
