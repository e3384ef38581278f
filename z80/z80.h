// The Z80 execution core: one global instance, a threaded interpreter that
// runs a budget of T-states. Everything outside plain memory goes through
// the four callbacks; the machine supplies budgets, the interrupt line and
// the NMI entry.
#pragma once
#include <cstdint>

// The 30-byte register block, in the order it is saved, traced and shown:
// little-endian words AF BC DE HL IX IY PC SP AF' BC' DE' HL', then R, I,
// IFF1, IFF2, IM and one spare byte.
struct Z80Registers {
  uint16_t af, bc, de, hl, ix, iy, pc, sp;
  uint16_t af2, bc2, de2, hl2;
  uint8_t r, i, iff1, iff2, im, spare;
};
static_assert(sizeof(Z80Registers) == 30, "the register block is 30 bytes");

using Z80PortOutFn = void (*)(void* context, uint16_t port, uint8_t value);
using Z80PortInFn = uint8_t (*)(void* context, uint16_t port);
using Z80MemWriteFn = void (*)(void* context, uint16_t address, uint8_t value);
using Z80MemReadFn = uint8_t (*)(void* context, uint16_t address);

// Core state. The register block is authoritative between Z80Run calls and
// is brought up to date before every callback.
extern Z80Registers Z80Regs;
extern int32_t CycleCounter;  // remaining budget; overshoot stays negative
extern int32_t IrqLine;       // -1 released, 0..255 asserted with that data byte
// 2 after an EI that ended a slice: the instruction after it runs before
// any interrupt is accepted; 0 otherwise.
extern uint8_t EiWatch;
// The internal MEMPTR (WZ) register; it only shows in bits 5 and 3 of the
// flags after BIT n,(HL). Not part of the register block; reset to 0.
extern uint16_t Z80MemPtr;
// 1 from a HALT until an interrupt or the NMI: PC points past the HALT and
// the CPU idles, one opcode fetch (R + 1) per 4 T-states. Reset to 0.
extern uint8_t Z80Halted;
// The address of the instruction the CPU is on: the HALT itself while
// halted, PC otherwise (what the debugger shows and stops at).
inline uint16_t Z80InstructionPc() { return uint16_t(Z80Regs.pc - Z80Halted); }
// Q, the latch behind bits 5 and 3 of the flags after SCF and CCF: F when the
// last instruction set the flags, 0 when it left them alone. Read and set
// with the registers in place (it is kept relative to PC).
uint8_t Z80GetQ();
void Z80SetQ(uint8_t q);
// The core skips the rounds of a polling loop that cannot change anything
// (a short loop that only reads memory and has come back to the registers
// it started from); calls end in the same state either way. Whoever changes
// memory or registers from outside between calls calls Z80ForgetLoop first.
// Z80IdleLoops (on by default) lets tests compare with the skip off.
extern bool Z80IdleLoops;
void Z80ForgetLoop();

// Page tables indexed by address bits 8-15. A null ReadPages / WritePages
// entry sends the access to the memory callbacks; FetchPages is never null.
extern uint8_t* FetchPages[256];
extern uint8_t* ReadPages[256];
extern uint8_t* WritePages[256];
// The byte the read pages show at the address, without the side effects of
// the memory callbacks; 0 where no page is mapped.
inline uint8_t PeekByte(uint16_t address) {
  const uint8_t* page = ReadPages[address >> 8];
  return page ? page[address & 0xFF] : 0;
}

extern Z80PortOutFn Z80PortOut;
extern Z80PortInFn Z80PortIn;
extern Z80MemWriteFn Z80MemWrite;
extern Z80MemReadFn Z80MemRead;
extern void* Z80Context;  // first argument of every callback

// Called when a budget is spent, instead of returning, while installed: it
// adds the next budget to CycleCounter (and may change IrqLine, the page
// tables and the registers, which are up to date) and returns true to run
// it in the same call, false to return. Z80Run then runs exactly as the
// same sequence of separate calls would.
using Z80BudgetHookFn = bool (*)(void* context);
extern Z80BudgetHookFn Z80BudgetHook;

void Z80Run();    // execute the budget in CycleCounter
void Z80Reset();  // registers to their power-on values
// Enter the NMI; returns the 12 T-states of the response. Taken while
// halted it pushes the HALT's own address, so RETN halts again.
int Z80Nmi();
