// Test support for save states: the whole emulated system as bytes (to prove
// a refused file changed nothing), and a cartridge started in a fresh run.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "debugger/debugger_state.h"
#include "debugger/sdsc.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "z80/z80.h"

// Everything a state load may touch: both machine records as they lie in
// memory (VDP and PSG included), their buffers, the core, the console, the
// option word and the console timing.
inline std::vector<uint8_t> SnapshotSystem() {
  std::vector<uint8_t> bytes;
  auto add = [&bytes](const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  };
  for (const Machine* m : {&PrimaryMachine, &PartnerMachine}) {
    add(m, sizeof *m);
    if (m->Ram) add(m->Ram, MachineRamSize);
    if (m->CartRam) add(m->CartRam, CartRamSize);
    if (m->Vdp.vram) add(m->Vdp.vram, VdpVramSize);
  }
  add(&Console, sizeof Console);
  add(&MachineOptions, sizeof MachineOptions);
  add(&BreakState, sizeof BreakState);
  add(&Z80Regs, sizeof Z80Regs);
  add(&CycleCounter, sizeof CycleCounter);
  add(&IrqLine, sizeof IrqLine);
  add(&Z80MemPtr, sizeof Z80MemPtr);
  add(&Z80Halted, sizeof Z80Halted);
  add(&EiWatch, sizeof EiWatch);
  const uint8_t q = Z80GetQ();
  add(&q, 1);
  add(&CurrentMachine, sizeof CurrentMachine);
  add(FetchPages, sizeof FetchPages);
  add(ReadPages, sizeof ReadPages);
  add(WritePages, sizeof WritePages);
  add(&FrameRate, sizeof FrameRate);
  add(&SamplesPerFrame, sizeof SamplesPerFrame);
  add(&CyclesPerFrameAll, sizeof CyclesPerFrameAll);
  return bytes;
}

// A fresh run: new machines, the cartridge loaded, a hard reset, a blank
// console.
inline bool StartFresh(const std::string& rom, uint32_t options) {
  DestroyConsoles();
  ResetConsole();
  BreakState = false;
  MachineOptions = options;
  if (!CreateConsoles() || !LoadCartridge(rom.c_str())) return false;
  HardResetConsole();
  return true;
}
