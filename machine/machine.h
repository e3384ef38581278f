// One emulated Master System / Game Gear: RAM, mapper state, Game Gear port
// registers, timing counters, the saved Z80 registers, the VDP, the PSG and
// the FM unit's chip (sounding only when the unit is fitted, machine/fm_unit.h).
// Two records exist for the whole run: the primary machine and the link
// partner (a second Game Gear that runs the same cartridge in lockstep when
// the link option is on). The Z80 core is one global instance; the record
// whose registers it holds is CurrentMachine.
#pragma once
#include <cstdint>

#include "machine/psg.h"
#include "machine/vdp.h"
#include "machine/ym2413.h"
#include "z80/z80.h"

struct PixelBuffer;

constexpr int MachineLineCycles = 228;  // Z80 cycles per scanline
constexpr int MachineRamSize = 0x2000;
constexpr int CartRamSize = 0x8000;  // two 16 KB banks

struct Machine {
  uint8_t* Ram;  // 8 KB, owned (CreateMachines)
  uint8_t RomBank0, RomBank1, RomBank2;  // already reduced modulo CartBanks
  uint8_t CartRamBank;     // 0 or 1
  uint8_t CartRamEnabled;  // cartridge RAM mapped at $8000-$BFFF
  uint8_t IoControl;       // port $3F; 0x3F after reset
  uint8_t GgParallelData;  // Game Gear port 1 (7 bits)
  uint8_t GgDataDirection; // port 2
  uint8_t GgSerialOut;     // port 3
  uint8_t GgSerialBusy;    // shown inverted in port 5 bit 0
  uint8_t GgSerialIn;      // port 4
  uint8_t GgSerialInFull;  // port 5 bit 1; cleared by reading port 4
  uint8_t GgSerialControl; // port 5 as written
  int16_t LineCycleStamp;    // line position 0..227 where the current slice ends
  int16_t SavedCycleCounter; // the core's counter while not loaded
  uint32_t CyclesPerFrame;   // lines per frame * 228
  uint32_t FrameCycle;       // position in the frame, kept by StepCycles
  uint32_t SerialAccumulator;
  int32_t SerialStep;        // serial clock per scanline, 16.16
  int32_t SavedIrqLine;      // the core's interrupt line while not loaded
  Z80Registers SavedRegisters;
  uint8_t SavedHalted;       // the core's halted flag and Q latch while not loaded
  uint8_t SavedQ;
  // A line run as one slice (see RunFrame): its interrupt update at 171 is
  // still to be made, or a port access before 171 split the line again.
  // Never set between frames.
  uint8_t LineTickPending, LineSplit;
  uint8_t SramDirty;         // a program enabled cartridge RAM since the image was loaded
  uint8_t* CartRam;          // 32 KB, owned by the cartridge module
  VdpState Vdp;
  PsgState Psg;
  Ym2413 Fm;
  uint8_t FmControl;         // port $F2: bits 1-0 as written
  Machine* LinkPartner;      // primary <-> partner
};

// The two records. Their cartridge RAM buffers are handed over by
// CreateCartridgeBuffers (set PrimaryMachine.CartRam / PartnerMachine.CartRam);
// a machine without a buffer behaves as if the cartridge had no RAM.
extern Machine PrimaryMachine;
extern Machine PartnerMachine;
extern Machine* CurrentMachine;  // whose registers the core holds, or none

// Start-up and shutdown: RAM, VDP surfaces, the partner links and the V/H
// counter tables. False when memory could not be had. Repeating is harmless.
bool CreateMachines();
void DestroyMachines();

// Core switching. Callers that ran the core save before selecting another.
void SelectMachine(Machine* machine);
void SaveCoreState(Machine* machine);
// Forget which machine the core holds, so the next SelectMachine reloads
// registers and page tables (after a state load).
void ForgetCurrentMachine();

// Line count and frame rate from the option word, the PSG clock, the FM
// unit's frame and the serial step. For both machines after a cartridge or a state is installed.
void SetupTiming(Machine* machine);
int32_t ComputeSerialStep(const Machine* machine);

void MachineReset(Machine* machine);  // the machine part of every reset
void SoftReset(Machine* machine);     // VDP and PSG reset, then MachineReset
void HardReset(Machine* machine);     // RAM cleared, VDP power-on, PSG reset

// Set by whoever wants the emulation stopped mid-frame (the debugger's
// breakpoints and commands); the scheduler returns as soon as it sees it
// after a CPU slice. Saved in state files as one byte.
extern bool BreakState;
// Called after every scanline of the primary machine, before its sound
// steps; none when nothing listens (the VGM logger sets it while it logs).
extern void (*LineEndHook)();

// One video frame; with the link option both machines advance line by
// line. Returns early, mid-line, when BreakState is set during a slice.
void RunFrame(Machine* machine, bool render, bool sound);
// Whether lines whose interrupt update at 171 cannot change the interrupt
// line run as one slice (on; tests turn it off to compare).
extern bool MergeQuietLines;
// Whether the core takes a frame's slices one after the other through its
// budget hook (on) or is called once per slice (tests compare the two).
extern bool SlicesThroughHook;
// The port callbacks' part in that: a port access in such a line first
// makes the update at 171 if the line is past it, or else splits the line
// back into its two slices.
void CatchUpLineTick(Machine* machine);
// Exactly one instruction with cycle-exact line events; the cycles advanced.
int StepCycles(Machine* machine);
// Moves the slice position into FrameCycle before stepping after frames.
void SyncStepPosition(Machine* machine);
// Makes the program return from the current subroutine.
void ForceReturn(Machine* machine);
// The non-maskable interrupt (Master System pause button).
void RaiseNmi(Machine* machine);
// 0: the primary machine's finished picture; 1: the partner's, only with
// the link option on. None otherwise.
PixelBuffer* GetScreen(int index);
