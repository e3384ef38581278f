// One fuzz input for the state file reader: a cartridge is installed once,
// then every input is offered as a state file; one that is taken is run for a
// frame, so hostile values that slipped through would reach the machine.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "debugger/debugger_state.h"
#include "debugger/sdsc.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/options.h"
#include "record/save_state.h"

inline bool PrepareStateFuzzMachine() {
  MachineOptions = OptInitial | OptLink;
  if (!CreateConsoles()) return false;
  // Three banks: bank numbers 3 and above are impossible.
  std::vector<uint8_t> image(3 * 0x4000, 0);
  image[0] = 0xF3, image[1] = 0x18, image[2] = 0xFE;  // di; jr $-0
  InstallImage(static_cast<uint32_t>(image.size()), image.data(), "fuzz.gg");
  HardResetConsole();
  ConsoleBreakHook = nullptr;
  return true;
}

inline void RunStateFuzzInput(const uint8_t* data, size_t size) {
  static bool ready = PrepareStateFuzzMachine();
  if (!ready) return;
  bool break_request = false;
  if (InstallStateImage(data, size, &break_request)) {
    BreakState = false;
    RunConsoleFrame(true, true);
  }
}
