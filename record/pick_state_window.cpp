// The "Pick state" window: ten toggles choosing the save-state slot.
#include "lumo/window_registry.h"
#include "record/recorder_windows.h"
#include "record/save_state.h"

namespace {

constexpr int SlotWidth = 25, SlotHeight = 15, SlotPitch = 30;

void PickStateEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseWindow(WinPickState);
    return;
  }
  const int slot = event.id - PickStateSlotId(0);
  if (event.type == EventActivated && slot >= 0 && slot < StateSlotCount) StateSlot = uint8_t(slot);
}

// F5/F6 and the menu use the slot too; the window follows it.
void PickStateRefresh() { SetChecked(PickStateSlotId(StateSlot), 1); }

}  // namespace

void TogglePickStateWindow() {
  Window* w = ToggleToolWindow(WinPickState);
  if (!w) return;
  for (int slot = 0; slot < StateSlotCount; ++slot) {
    const char caption[2] = {char('0' + slot), 0};
    AddToggleButton(w, caption, PickStateSlotId(slot), slot * SlotPitch, 0, SlotWidth, SlotHeight,
                    slot == StateSlot, 0);
  }
}

void RegisterPickStateWindow() { RegisterWindow(WinPickState, {TogglePickStateWindow, PickStateEvent, PickStateRefresh}); }
