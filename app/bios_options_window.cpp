// The "BIOS options" window: the BIOS file of the GBA core; applying it
// loads the file and resets the console.
#include "app/option_windows.h"
#include "debugger/debugger_state.h"
#include "machine/console.h"
#include "record/rewind.h"

void ToggleBiosOptions() {
  Window* w = ToggleToolWindow(WinBiosOptions);
  if (!w) return;
  AddInput(w, Config.bios0000.c_str(), BiosGadget(BiosPath), 30, 0, 370, 15, "GBA:");
  AddButton(w, "Apply and reset", BiosGadget(BiosApply), 0, 25, 160, 15);
}

void BiosOptionsEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    CloseToolWindow(WinBiosOptions);
    return;
  }
  if (event.type != EventActivated || event.id != BiosGadget(BiosApply)) return;
  Config.bios0000 = FieldText(BiosGadget(BiosPath), Config.bios0000);
  LoadBios(Config.bios0000.c_str());
  ClearRewind();
  HardResetConsole();
  RefreshDebugger();
  RefreshMemoryRegions();
}
