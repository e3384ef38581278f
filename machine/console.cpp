#include "machine/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/program_dir.h"
#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/psg.h"
#include "machine/vdp.h"
#include "z80/z80.h"

int CyclesPerLine = 228;
uint32_t CyclesPerFrameAll = 59736;
int FrameRate = 60;
int SamplesPerFrame = 735;
uint32_t FrameCyclePos = 0;
int32_t InstrCarry = 0;
uint8_t* BiosImage = nullptr;
void (*ConsoleMessageHook)(const char* text) = nullptr;
void (*StepInstructionHook)() = nullptr;
int (*Z80DisassemblerHook)(uint16_t address, char* text, int text_size) = nullptr;

namespace {

// One console kind's operations. Multi-byte accesses are built on read8 and
// write8 by the dispatchers.
struct ConsoleOps {
  void (*hard_reset)();
  void (*soft_reset)();
  void (*run_frame)(bool render, bool sound);
  int (*step)();
  void (*force_return)();
  uint32_t (*get_pc)();
  void (*set_pc)(uint32_t address);
  uint8_t (*read8)(uint32_t address);
  void (*write8)(uint32_t address, uint8_t value);
  uint8_t (*read_vram)(uint32_t address);
  void (*write_vram)(uint32_t address, uint8_t value);
  bool (*memory_region)(int index, MemoryRegionInfo* region);
  uint32_t (*absolute_address)(uint32_t address);
  int (*disassemble)(uint32_t address, char* text, int text_size);
  PixelBuffer* (*get_screen)(int index);
  bool (*read_sound)(void* buffer, uint32_t bytes);
  uint32_t address_mask;  // where multi-byte accesses wrap
  int cycles_per_line;
  int lines_per_frame;    // 0: the primary machine's own frame
};

// Kind 1: the Master System / Game Gear machine. The machine never runs
// without an installed image (bank numbers are reduced modulo its banks).
bool MachineHasImage() { return CartImage && CartBanks; }

void SmsHardReset() {
  if (!MachineHasImage()) return;
  HardReset(&PrimaryMachine);
  HardReset(&PartnerMachine);
}
void SmsSoftReset() {
  if (!MachineHasImage()) return;
  SoftReset(&PrimaryMachine);
  SoftReset(&PartnerMachine);
}
void SmsRunFrame(bool render, bool sound) {
  if (MachineHasImage()) RunFrame(&PrimaryMachine, render, sound);
}
int SmsStep() { return MachineHasImage() ? StepCycles(&PrimaryMachine) : 0; }
void SmsForceReturn() {
  if (MachineHasImage()) ForceReturn(&PrimaryMachine);
}
// While halted the CPU is on the HALT: the debugger shows and stops there,
// and moving PC away wakes the CPU.
uint32_t SmsGetPc() {
  SelectMachine(&PrimaryMachine);
  return Z80InstructionPc();
}
void SmsSetPc(uint32_t address) {
  SelectMachine(&PrimaryMachine);
  Z80Regs.pc = static_cast<uint16_t>(address);
  Z80Halted = 0;
  SaveCoreState(&PrimaryMachine);
}
uint8_t SmsRead8(uint32_t address) {
  SelectMachine(&PrimaryMachine);
  return PeekByte(uint16_t(address));
}
void SmsWrite8(uint32_t address, uint8_t value) {
  SelectMachine(&PrimaryMachine);
  uint16_t a = static_cast<uint16_t>(address);
  if (uint8_t* page = WritePages[a >> 8])
    page[a & 0xFF] = value;
  else
    MemoryWrite(&PrimaryMachine, a, value);
}
uint8_t SmsReadVram(uint32_t address) {
  const VdpState& vdp = PrimaryMachine.Vdp;
  return vdp.vram ? vdp.vram[address & 0x3FFF] : 0;
}
void SmsWriteVram(uint32_t address, uint8_t value) {
  VdpState& vdp = PrimaryMachine.Vdp;
  if (!vdp.vram) return;
  vdp.vram[address & 0x3FFF] = value;
  vdp.tile_dirty[(address & 0x3FFF) >> 2] = 1;
}
uint32_t SmsAbsoluteAddress(uint32_t address) { return AbsoluteAddress(static_cast<uint16_t>(address)); }
int SmsDisassemble(uint32_t address, char* text, int text_size) {
  SelectMachine(&PrimaryMachine);
  if (Z80DisassemblerHook) return Z80DisassemblerHook(static_cast<uint16_t>(address), text, text_size);
  if (text && text_size > 0) text[0] = 0;
  return 0;
}
bool SmsReadSound(void* buffer, uint32_t bytes) { return PsgReadSamples(&PrimaryMachine.Psg, buffer, bytes); }

// Kinds 2 and 3: the cores are not built in.
void NoCoreAction() {}
void NoCoreFrame(bool, bool) {}
int NoCoreStep() { return 0; }
uint32_t NoCorePc() { return 0; }
void NoCoreSetPc(uint32_t) {}
uint8_t NoCoreRead(uint32_t) { return 0; }
void NoCoreWrite(uint32_t, uint8_t) {}
uint32_t SameAddress(uint32_t address) { return address; }
int NoCoreDisassemble(uint32_t, char* text, int text_size) {
  if (text && text_size > 0) text[0] = 0;
  return 0;
}
PixelBuffer* NoCoreScreen(int) { return nullptr; }
bool Silence(void* buffer, uint32_t bytes) {
  std::memset(buffer, 0, bytes);
  return true;
}

// NES: below $8000 addresses are themselves; the ROM windows map through the
// mapper, which without a core is mapper 0's 16 KB mirror.
uint32_t NesAbsoluteAddress(uint32_t address) {
  address &= 0xFFFF;
  return address < 0x8000 ? address : address & 0x3FFF;
}

const MemoryRegionInfo NesRegions[] = {
    {"RAM", 0x0000, 0x1000, false},          {"IO-registers", 0x2000, 0x3000, false},
    {"Expansions", 0x5000, 0x1000, false},   {"SRAM", 0x6000, 0x2000, false},
    {"ROM bank 0", 0x8000, 0x4000, false},   {"ROM bank 1", 0xC000, 0x4000, false},
    {"VRAM", 0x0000, 0x4000, true},
};
const MemoryRegionInfo GbaRegions[] = {
    {"BIOS", 0x0, 0x4000, false},
    {"External RAM", 0x2000000, 0x40000, false},
    {"Internal RAM", 0x3000000, 0x8000, false},
    {"IO-registers", 0x4000000, 0x400, false},
    {"Color RAM", 0x5000000, 0x400, false},
    {"Video RAM", 0x6000000, 0x18000, false},
    {"Sprite RAM", 0x7000000, 0x400, false},
    {"ROM", 0x8000000, 0x2000000, false},
    {"SRAM", 0xE000000, 0x10000, false},
};

template <size_t N>
bool TableRegion(const MemoryRegionInfo (&table)[N], int index, MemoryRegionInfo* region) {
  if (index < 0 || index >= static_cast<int>(N)) return false;
  *region = table[index];
  return true;
}
bool NesRegion(int index, MemoryRegionInfo* region) { return TableRegion(NesRegions, index, region); }
bool GbaRegion(int index, MemoryRegionInfo* region) { return TableRegion(GbaRegions, index, region); }

const ConsoleOps KindOps[4] = {
    {},  // no kind 0
    {SmsHardReset, SmsSoftReset, SmsRunFrame, SmsStep, SmsForceReturn, SmsGetPc, SmsSetPc, SmsRead8,
     SmsWrite8, SmsReadVram, SmsWriteVram, MemoryRegion, SmsAbsoluteAddress, SmsDisassemble, GetScreen,
     SmsReadSound,
     0xFFFF, 228, 0},
    {NoCoreAction, NoCoreAction, NoCoreFrame, NoCoreStep, NoCoreAction, NoCorePc, NoCoreSetPc, NoCoreRead,
     NoCoreWrite, NoCoreRead, NoCoreWrite, NesRegion, NesAbsoluteAddress, NoCoreDisassemble, NoCoreScreen,
     Silence,
     0xFFFFFFFF, 1364, 262},
    {NoCoreAction, NoCoreAction, NoCoreFrame, NoCoreStep, NoCoreAction, NoCorePc, NoCoreSetPc, NoCoreRead,
     NoCoreWrite, NoCoreRead, NoCoreWrite, GbaRegion, SameAddress, NoCoreDisassemble, NoCoreScreen,
     Silence,
     0xFFFFFFFF, 1232, 228},
};

const ConsoleOps& Ops() { return KindOps[ConsoleKind >= 1 && ConsoleKind <= 3 ? ConsoleKind : 1]; }

void ClearSteppingState() {
  FrameCyclePos = 0;
  InstrCarry = 0;
}

// ARM exception vectors: reset branches to a jump into the cartridge at
// $08000000; the other vectors return from their exception.
constexpr uint32_t BiosStub[] = {
    0xEA000006,  // $00 reset: B $20
    0xE1B0F00E,  // $04 undefined instruction: MOVS PC, LR
    0xE1B0F00E,  // $08 software interrupt: MOVS PC, LR
    0xE25EF004,  // $0C prefetch abort: SUBS PC, LR, #4
    0xE25EF008,  // $10 data abort: SUBS PC, LR, #8
    0xE25EF004,  // $14 reserved: SUBS PC, LR, #4
    0xE25EF004,  // $18 IRQ: SUBS PC, LR, #4
    0xE25EF004,  // $1C FIQ: SUBS PC, LR, #4
    0xE3A0E302,  // $20 MOV LR, #$08000000
    0xE1A0F00E,  // $24 MOV PC, LR
};

}  // namespace

void ShowConsoleMessage(const char* format, ...) {
  if (!ConsoleMessageHook) return;
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  ConsoleMessageHook(text);
}

bool CreateConsoles() {
  if (!CreateMachines() || !CreateCartridgeBuffers()) return false;
  SetupConsoleTiming();
  return true;
}

void DestroyConsoles() {
  DestroyCartridgeBuffers();
  DestroyMachines();
  std::free(BiosImage);
  BiosImage = nullptr;
}

void ResetConsoleState() {
  CyclesPerLine = 228;
  CyclesPerFrameAll = 59736;
  FrameRate = 60;
  SamplesPerFrame = 735;
  ClearSteppingState();
  ConsoleMessageHook = nullptr;
}

void SetupConsoleTiming() {
  if (ConsoleKind == 1) {
    SetupTiming(&PrimaryMachine);
    SetupTiming(&PartnerMachine);
  }
  UpdateConsoleRates();
}

void UpdateConsoleRates() {
  const ConsoleOps& ops = Ops();
  CyclesPerLine = ops.cycles_per_line;
  CyclesPerFrameAll = ops.lines_per_frame ? static_cast<uint32_t>(ops.cycles_per_line * ops.lines_per_frame)
                                          : PrimaryMachine.CyclesPerFrame;
  if (CyclesPerFrameAll == 0) CyclesPerFrameAll = 228 * 262;
  bool ntsc = MachineOptions & OptNtscRate;
  FrameRate = ntsc ? 60 : 50;
  SamplesPerFrame = ntsc ? 735 : 882;
}

void HardResetConsole() {
  Ops().hard_reset();
  ClearSteppingState();
}

void SoftResetConsole() {
  Ops().soft_reset();
  ClearSteppingState();
}

void RunConsoleFrame(bool render, bool sound) { Ops().run_frame(render, sound); }

int StepInstruction() {
  int cycles = Ops().step();
  if (CyclesPerFrameAll)
    FrameCyclePos = static_cast<uint32_t>((int64_t{FrameCyclePos} + cycles) % CyclesPerFrameAll);
  if (StepInstructionHook) StepInstructionHook();
  return cycles;
}

void ForceReturnConsole() { Ops().force_return(); }
uint32_t GetPc() { return Ops().get_pc(); }
void SetPc(uint32_t address) { Ops().set_pc(address); }

void SkipInstruction() {
  char text[64];
  int length = Disassemble(GetPc(), text, sizeof text);
  if (length > 0) SetPc(GetPc() + length);
}

int Disassemble(uint32_t address, char* text, int text_size) {
  return Ops().disassemble(address, text, text_size);
}

uint8_t Read8(uint32_t address) { return Ops().read8(address); }

uint16_t Read16(uint32_t address) {
  uint32_t mask = Ops().address_mask;
  return static_cast<uint16_t>(Read8(address & mask) | Read8((address + 1) & mask) << 8);
}

uint32_t Read32(uint32_t address) {
  uint32_t mask = Ops().address_mask, value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | Read8((address + i) & mask);
  return value;
}

void Write8(uint32_t address, uint8_t value) { Ops().write8(address, value); }

void Write16(uint32_t address, uint16_t value) {
  uint32_t mask = Ops().address_mask;
  Write8(address & mask, static_cast<uint8_t>(value));
  Write8((address + 1) & mask, static_cast<uint8_t>(value >> 8));
}

void Write32(uint32_t address, uint32_t value) {
  uint32_t mask = Ops().address_mask;
  for (int i = 0; i < 4; ++i) Write8((address + i) & mask, static_cast<uint8_t>(value >> (8 * i)));
}

uint8_t ReadVram(uint32_t address) { return Ops().read_vram(address); }
void WriteVram(uint32_t address, uint8_t value) { Ops().write_vram(address, value); }
bool ConsoleMemoryRegion(int index, MemoryRegionInfo* region) { return Ops().memory_region(index, region); }
uint32_t ConsoleAbsoluteAddress(uint32_t address) { return Ops().absolute_address(address); }
PixelBuffer* ConsoleGetScreen(int index) { return Ops().get_screen(index); }

bool ReadSoundSamples(void* buffer, uint32_t bytes) {
  if (Ops().read_sound(buffer, bytes)) return true;
  std::memset(buffer, 0, bytes);
  return false;
}

void LoadBios(const char* path) {
  if (!BiosImage) BiosImage = static_cast<uint8_t*>(std::calloc(BiosSize + 3, 1));
  if (!BiosImage) return;
  if (!path || !*path) {
    for (size_t i = 0; i < sizeof BiosStub / sizeof BiosStub[0]; ++i)
      for (int b = 0; b < 4; ++b) BiosImage[i * 4 + b] = static_cast<uint8_t>(BiosStub[i] >> (8 * b));
    std::memcpy(BiosImage + BiosSize, BiosImage, 3);
    return;
  }
  std::string full = path;
  if (path[0] != '/' && !ProgramDirectory.empty()) full = ProgramDirectory + "/" + path;
  // Read into a scratch copy so a short file leaves zeros, not stale bytes,
  // and a file that gives nothing (a folder, a read error, an empty file)
  // leaves the buffer as it was.
  FILE* file = std::fopen(full.c_str(), "rb");
  uint8_t* scratch = file ? static_cast<uint8_t*>(std::calloc(BiosSize, 1)) : nullptr;
  size_t got = scratch ? std::fread(scratch, 1, BiosSize, file) : 0;
  bool read = got > 0 && !std::ferror(file);
  if (file) std::fclose(file);
  if (read) {
    std::memcpy(BiosImage, scratch, BiosSize);
    std::memcpy(BiosImage + BiosSize, BiosImage, 3);
  } else {
    ShowConsoleMessage("Couldn't load BIOS '%s'.", path);
  }
  std::free(scratch);
}
