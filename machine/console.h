// The console operations: the application, the debugger and the viewers
// reach whichever console is active (ConsoleKind: 1 Master System / Game
// Gear, 2 NES, 3 GBA) only through these. Each kind has a table of
// operations; the NES and GBA cores are not built in, so their tables answer
// 0, do nothing and give silence, while their images still install.
#pragma once
#include <cstdint>

#include "machine/memory.h"

struct PixelBuffer;

// Timing of the active console, set by SetupConsoleTiming.
extern int CyclesPerLine;
extern uint32_t CyclesPerFrameAll;
extern int FrameRate;        // 60 with the NTSC option bit, else 50
extern int SamplesPerFrame;  // 735 or 882 stereo samples at 44100 Hz

// Debugger stepping state; every console reset clears it.
extern uint32_t FrameCyclePos;
extern int32_t InstrCarry;

// The GBA BIOS: 16 KB + 3 bytes, allocated by the first LoadBios.
constexpr uint32_t BiosSize = 0x4000;
extern uint8_t* BiosImage;

// Where the console layer and the cartridge loader show their message lines
// (status line and Messages window). None: the lines are dropped.
extern void (*ConsoleMessageHook)(const char* text);
void ShowConsoleMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What the debugger hangs on the console layer; none by default.
// After every StepInstruction (the trace log).
extern void (*StepInstructionHook)();
// The Z80 instruction at an address as text (cut to text_size - 1
// characters) and its length; without it the Master System's Disassemble
// gives 0 and "".
extern int (*Z80DisassemblerHook)(uint16_t address, char* text, int text_size);

// Start-up / shutdown: both machines, the cartridge RAM buffers and the empty
// image. False when memory could not be had.
bool CreateConsoles();
void DestroyConsoles();
void ResetConsoleState();  // the globals above back to their start values (tests)

void SetupConsoleTiming();
// The globals above from the machines' current timing and the option word,
// without touching the machines (after a state load).
void UpdateConsoleRates();
void HardResetConsole();
void SoftResetConsole();
void RunConsoleFrame(bool render, bool sound);
// Exactly one instruction; the cycles it took. Keeps FrameCyclePos and
// calls StepInstructionHook.
int StepInstruction();
void ForceReturnConsole();
uint32_t GetPc();
void SetPc(uint32_t address);
// Moves the PC past the instruction there without executing it, by the
// length the disassembler reports.
void SkipInstruction();
// The instruction at a CPU address as text (cut to text_size - 1
// characters) and its length in bytes; kinds without a core give 0 and "".
int Disassemble(uint32_t address, char* text, int text_size);

uint8_t Read8(uint32_t address);
uint16_t Read16(uint32_t address);
uint32_t Read32(uint32_t address);
void Write8(uint32_t address, uint8_t value);
void Write16(uint32_t address, uint16_t value);
void Write32(uint32_t address, uint32_t value);
uint8_t ReadVram(uint32_t address);
void WriteVram(uint32_t address, uint8_t value);

bool ConsoleMemoryRegion(int index, MemoryRegionInfo* region);
uint32_t ConsoleAbsoluteAddress(uint32_t address);
PixelBuffer* ConsoleGetScreen(int index);
// Fills `bytes` bytes of 16-bit stereo samples; false (and silence) when the
// console had fewer ready.
bool ReadSoundSamples(void* buffer, uint32_t bytes);

// Reads the configured BIOS file's first 16 KB (`path` relative to the
// program directory, empty for none) or, without one, writes the built-in
// exception-vector stub.
void LoadBios(const char* path);
