// The state file format in memory: building it from the running system, and
// checking a file whole before installing it.
#include <cstring>

#include "base/byte_order.h"
#include "debugger/debugger_state.h"
#include "debugger/sdsc.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/memory.h"
#include "machine/options.h"
#include "record/save_state.h"
#include "record/state_extras.h"
#include "z80/z80.h"

namespace {

const char Magic[] = "Tavo State\n";
const char PrimaryHeader[] = "[GG/SMS]\n";
const char PartnerHeader[] = "[GG/SMS2]\n";
const char ConsoleHeader[] = "[CON80x25]\n";
const char MiscHeader[] = "[MISC]\n";
static_assert(StateFileSize == sizeof Magic + sizeof PrimaryHeader + MachineStateBlockSize + sizeof ConsoleHeader +
                                   ConsoleStateSize + sizeof MiscHeader + 1 - 4,
              "the sections fill the file");
constexpr size_t LineLimit = 15;  // characters of one header line read at a time

// Offsets in the machine block.
constexpr size_t RamAt = 4;
constexpr size_t CartRamAt = RamAt + MachineRamSize;
constexpr size_t BanksAt = CartRamAt + CartRamSize;  // 40964
constexpr size_t CountersAt = BanksAt + 7;           // LineCycleStamp
constexpr size_t RegistersAt = CountersAt + 8;       // 40979
constexpr size_t BreakAt = RegistersAt + 30;
constexpr size_t FrameCycleAt = BreakAt + 1;
constexpr size_t GgPortsAt = FrameCycleAt + 4;
constexpr size_t SerialAt = GgPortsAt + 7;
constexpr size_t ReservedAt = SerialAt + 8;  // 41029
constexpr size_t VdpAt = ReservedAt + StateExtrasSize;
constexpr size_t PsgAt = VdpAt + VdpStateBlockSize;
static_assert(ReservedAt == 41029 && VdpAt == 41262 && PsgAt == 58002, "machine block layout");
static_assert(PsgAt + PsgSaveStateSize == MachineStateBlockSize, "machine block size");
constexpr uint32_t KnownOptionBits = 0x3FFF;

void PutRegisters(uint8_t* at, const Z80Registers& r) {
  const uint16_t words[12] = {r.af, r.bc, r.de, r.hl, r.ix, r.iy, r.pc, r.sp, r.af2, r.bc2, r.de2, r.hl2};
  for (int i = 0; i < 12; ++i) PutLe16(at + 2 * i, words[i]);
  const uint8_t bytes[6] = {r.r, r.i, r.iff1, r.iff2, r.im, r.spare};
  std::memcpy(at + 24, bytes, 6);
}

Z80Registers GetRegisters(const uint8_t* at) {
  Z80Registers r;
  uint16_t* words[12] = {&r.af, &r.bc, &r.de, &r.hl, &r.ix, &r.iy, &r.pc, &r.sp, &r.af2, &r.bc2, &r.de2, &r.hl2};
  for (int i = 0; i < 12; ++i) *words[i] = GetLe16(at + 2 * i);
  r.r = at[24], r.i = at[25], r.iff1 = at[26], r.iff2 = at[27], r.im = at[28], r.spare = at[29];
  return r;
}

// Every byte of the block is written (the parts zero themselves), so that
// an image rebuilt in the same buffer, as the rewind ring does every frame,
// is not cleared first.
void WriteMachineBlock(const Machine& m, uint8_t* b) {
  PutLe32(b, MachineOptions);
  std::memcpy(b + RamAt, m.Ram, MachineRamSize);
  if (m.CartRam)
    std::memcpy(b + CartRamAt, m.CartRam, CartRamSize);
  else
    std::memset(b + CartRamAt, 0, CartRamSize);
  const uint8_t banks[7] = {m.RomBank0, m.RomBank1, m.RomBank2, m.CartRamBank, m.CartRamEnabled,
                            m.SramDirty, m.IoControl};
  std::memcpy(b + BanksAt, banks, 7);
  PutLe16(b + CountersAt, uint16_t(m.LineCycleStamp));
  PutLe16(b + CountersAt + 2, uint16_t(m.SavedCycleCounter));
  PutLe32(b + CountersAt + 4, uint32_t(m.SavedIrqLine));
  PutRegisters(b + RegistersAt, m.SavedRegisters);
  b[BreakAt] = BreakState ? 1 : 0;
  PutLe32(b + FrameCycleAt, m.FrameCycle);
  const uint8_t ports[7] = {m.GgParallelData, m.GgDataDirection, m.GgSerialOut, m.GgSerialBusy,
                            m.GgSerialIn, m.GgSerialInFull, m.GgSerialControl};
  std::memcpy(b + GgPortsAt, ports, 7);
  PutLe32(b + SerialAt, m.SerialAccumulator);
  PutLe32(b + SerialAt + 4, uint32_t(m.SerialStep));
  WriteStateExtras(m, b + ReservedAt);
  VdpWriteStateBlock(&m.Vdp, b + VdpAt);
  PsgWriteStateBlock(&m.Psg, b + PsgAt);
}

uint8_t* Put(uint8_t* at, const char* text) {
  const size_t length = std::strlen(text);
  std::memcpy(at, text, length);
  return at + length;
}

// The sections found in a file: where each block starts (last one wins, as
// when the sections are read in turn).
struct StateSections {
  const uint8_t* machine[2] = {nullptr, nullptr};
  const uint8_t* console = nullptr;
  const uint8_t* misc = nullptr;
};

// One header line: up to and including a line feed, at most 15 characters.
size_t LineLength(const uint8_t* data, size_t size, size_t at) {
  size_t n = 0;
  while (at + n < size && n < LineLimit) {
    if (data[at + n++] == '\n') break;
  }
  return n;
}

bool LineIs(const uint8_t* line, size_t length, const char* header) {
  return length == std::strlen(header) && std::memcmp(line, header, length) == 0;
}

bool FindSections(const uint8_t* data, size_t size, StateSections* s) {
  if (size > LinkedStateFileSize) return false;
  size_t at = LineLength(data, size, 0);
  if (!LineIs(data, at, Magic)) return false;
  while (at < size) {
    const size_t length = LineLength(data, size, at);
    const uint8_t* line = data + at;
    at += length;
    const uint8_t** block = nullptr;
    size_t block_size = MachineStateBlockSize;
    if (LineIs(line, length, PrimaryHeader)) {
      block = &s->machine[0];
    } else if (LineIs(line, length, PartnerHeader)) {
      block = &s->machine[1];
    } else if (LineIs(line, length, ConsoleHeader)) {
      block = &s->console, block_size = ConsoleStateSize;
    } else if (LineIs(line, length, MiscHeader)) {
      block = &s->misc, block_size = 1;
    } else {
      continue;  // not a section of ours
    }
    if (size - at < block_size) return false;  // cut short
    *block = data + at;
    at += block_size;
  }
  return true;
}

uint32_t LinesPerFrame(uint32_t options) { return (options & OptPalLines) ? 313 : 262; }

// The VDP block through the VDP's own reader, on a scratch VDP set up for the
// file's video standard.
bool CheckVdpBlock(const uint8_t* block, uint32_t options) {
  static uint8_t vram[VdpVramSize];
  static VdpState scratch;
  scratch = VdpState{};
  scratch.vram = vram;
  const uint32_t live_options = MachineOptions;
  MachineOptions = options;
  VdpApplyMode(&scratch);
  const bool ok = VdpReadStateBlock(&scratch, block);
  MachineOptions = live_options;
  return ok;
}

bool CheckMachineBlock(const uint8_t* b) {
  const uint32_t options = GetLe32(b);
  const uint32_t banks = MapperBankCount();
  const uint8_t* bank = b + BanksAt;
  if (bank[0] >= banks || bank[1] >= banks || bank[2] >= banks) return false;
  if (bank[3] > 1 || bank[4] > 1 || bank[5] > 1) return false;
  const int16_t stamp = int16_t(GetLe16(b + CountersAt));
  const int16_t counter = int16_t(GetLe16(b + CountersAt + 2));
  const int32_t irq = int32_t(GetLe32(b + CountersAt + 4));
  if (stamp < 0 || stamp >= MachineLineCycles) return false;
  if (counter < -MachineLineCycles || counter > MachineLineCycles) return false;
  if (irq < -1 || irq > 255) return false;
  const Z80Registers r = GetRegisters(b + RegistersAt);
  if (r.iff1 > 1 || r.iff2 > 1 || r.im > 2) return false;
  if (b[BreakAt] > 1) return false;
  if (GetLe32(b + FrameCycleAt) >= LinesPerFrame(options) * MachineLineCycles) return false;
  const uint8_t* ports = b + GgPortsAt;
  if (ports[0] > 0x7F || ports[3] > 1 || ports[5] > 1) return false;
  return CheckStateExtras(b + ReservedAt) && CheckVdpBlock(b + VdpAt, options);
}

bool CheckSections(const StateSections& s) {
  if (!s.machine[0] || !s.console || !s.misc) return false;
  const uint32_t options = GetLe32(s.machine[0]);
  if (options & ~KnownOptionBits) return false;
  // Both blocks are written with the one option word; the partner's is there
  // exactly when the word says link play.
  if (bool(s.machine[1]) != bool(options & OptLink)) return false;
  if (s.machine[1] && GetLe32(s.machine[1]) != options) return false;
  for (const uint8_t* block : s.machine)
    if (block && !CheckMachineBlock(block)) return false;
  return CheckConsoleBlock(s.console) && *s.misc <= 1;
}

// The load of one checked machine block, in the order of a machine reset.
void InstallMachineBlock(Machine* m, const uint8_t* b) {
  MachineOptions = GetLe32(b);
  SetupTiming(m);
  std::memset(m->Ram, 0, MachineRamSize);
  VdpReset(&m->Vdp);
  PsgReset(&m->Psg);
  MachineReset(m);

  std::memcpy(m->Ram, b + RamAt, MachineRamSize);
  if (m->CartRam) std::memcpy(m->CartRam, b + CartRamAt, CartRamSize);
  const uint8_t* bank = b + BanksAt;
  m->RomBank0 = bank[0], m->RomBank1 = bank[1], m->RomBank2 = bank[2];
  m->CartRamBank = bank[3], m->CartRamEnabled = bank[4], m->SramDirty = bank[5], m->IoControl = bank[6];
  m->LineCycleStamp = int16_t(GetLe16(b + CountersAt));
  m->SavedCycleCounter = int16_t(GetLe16(b + CountersAt + 2));
  m->SavedIrqLine = int32_t(GetLe32(b + CountersAt + 4));
  m->SavedRegisters = GetRegisters(b + RegistersAt);
  BreakState = b[BreakAt] != 0;
  m->FrameCycle = GetLe32(b + FrameCycleAt);
  const uint8_t* ports = b + GgPortsAt;
  m->GgParallelData = ports[0], m->GgDataDirection = ports[1], m->GgSerialOut = ports[2];
  m->GgSerialBusy = ports[3], m->GgSerialIn = ports[4], m->GgSerialInFull = ports[5];
  m->GgSerialControl = ports[6];
  m->SerialAccumulator = GetLe32(b + SerialAt);
  m->SerialStep = int32_t(GetLe32(b + SerialAt + 4));

  VdpReadStateBlock(&m->Vdp, b + VdpAt);  // checked: cannot fail
  // The sprites of the line about to be drawn were found at the end of the
  // line before; find them again rather than draw the line without them.
  if (m->Vdp.line < m->Vdp.active_lines) VdpEvaluateSprites(&m->Vdp);
  PsgReadStateBlock(&m->Psg, b + PsgAt);
  ReadStateExtras(m, b + ReservedAt);
  ForgetCurrentMachine();
  SelectMachine(m);
  AdoptOldHalt(m, b + ReservedAt);
}

}  // namespace

bool CanHoldState() { return ConsoleKind == 1 && CartImage && CartBanks; }

void BuildStateImage(std::vector<uint8_t>* image) {
  if (CurrentMachine) SaveCoreState(CurrentMachine);
  ForgetCurrentMachine();
  const bool link = MachineOptions & OptLink;
  image->resize(link ? LinkedStateFileSize : StateFileSize);  // a buffer of the size already is not cleared
  uint8_t* at = Put(image->data(), Magic);
  at = Put(at, PrimaryHeader);
  WriteMachineBlock(PrimaryMachine, at);
  at += MachineStateBlockSize;
  if (link) {
    at = Put(at, PartnerHeader);
    WriteMachineBlock(PartnerMachine, at);
    at += MachineStateBlockSize;
  }
  at = Put(at, ConsoleHeader);
  WriteConsoleBlock(at);
  at = Put(at + ConsoleStateSize, MiscHeader);
  *at = BreakState ? 1 : 0;
}

bool InstallStateImage(const uint8_t* data, size_t size, bool* break_request) {
  StateSections sections;
  if (!CanHoldState() || !PrimaryMachine.Ram || !FindSections(data, size, &sections) ||
      !CheckSections(sections))
    return false;
  InstallMachineBlock(&PrimaryMachine, sections.machine[0]);
  if (sections.machine[1]) InstallMachineBlock(&PartnerMachine, sections.machine[1]);
  InstallCoreExtras(sections.machine[0] + ReservedAt);
  ReadConsoleBlock(sections.console);
  UpdateConsoleRates();
  *break_request = *sections.misc != 0;
  return true;
}
