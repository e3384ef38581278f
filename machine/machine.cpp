#include "machine/machine.h"

#include <cstdlib>
#include <cstring>

#include "machine/fm_unit.h"
#include "machine/memory.h"
#include "machine/options.h"
#include "machine/ports.h"

Machine PrimaryMachine;
Machine PartnerMachine;
Machine* CurrentMachine = nullptr;

namespace {

void CorePortOut(void* context, uint16_t port, uint8_t value) {
  Machine* m = static_cast<Machine*>(context);
  if (m->LineTickPending) CatchUpLineTick(m);
  PortOut(m, port, value);
}
uint8_t CorePortIn(void* context, uint16_t port) {
  Machine* m = static_cast<Machine*>(context);
  if (m->LineTickPending) CatchUpLineTick(m);
  return PortIn(m, port);
}
void CoreMemWrite(void* context, uint16_t address, uint8_t value) {
  MemoryWrite(static_cast<Machine*>(context), address, value);
}
uint8_t CoreMemRead(void* context, uint16_t address) {
  return MemoryRead(static_cast<Machine*>(context), address);
}

}  // namespace

bool CreateMachines() {
  VdpBuildCounterTables();
  Machine* machines[2] = {&PrimaryMachine, &PartnerMachine};
  for (Machine* m : machines) {
    if (!m->Ram) {
      m->Ram = static_cast<uint8_t*>(std::calloc(MachineRamSize, 1));
      if (!m->Ram) return false;
      if (!VdpCreate(&m->Vdp, m)) return false;
    }
  }
  PrimaryMachine.LinkPartner = &PartnerMachine;
  PartnerMachine.LinkPartner = &PrimaryMachine;
  return true;
}

void DestroyMachines() {
  Machine* machines[2] = {&PrimaryMachine, &PartnerMachine};
  for (Machine* m : machines) {
    if (!m->Ram) continue;
    VdpDestroy(&m->Vdp);
    std::free(m->Ram);
    m->Ram = nullptr;
  }
  CurrentMachine = nullptr;
}

void SelectMachine(Machine* m) {
  if (m == CurrentMachine) return;
  CurrentMachine = m;
  RebuildPageTables(m);
  Z80Regs = m->SavedRegisters;
  Z80ForgetLoop();  // the watched loop was the other machine's
  Z80Halted = m->SavedHalted;
  Z80SetQ(m->SavedQ);  // after PC, which it is kept against
  IrqLine = m->SavedIrqLine;
  CycleCounter = m->SavedCycleCounter;
  Z80PortOut = CorePortOut;
  Z80PortIn = CorePortIn;
  Z80MemWrite = CoreMemWrite;
  Z80MemRead = CoreMemRead;
  Z80Context = m;
}

void SaveCoreState(Machine* m) {
  m->SavedRegisters = Z80Regs;
  m->SavedHalted = Z80Halted;
  m->SavedQ = Z80GetQ();
  m->SavedIrqLine = IrqLine;
  m->SavedCycleCounter = int16_t(CycleCounter);
}

void ForgetCurrentMachine() { CurrentMachine = nullptr; }

int32_t ComputeSerialStep(const Machine* m) {
  static const int32_t rates[4] = {4800, 2400, 1200, 300};
  const int32_t lines = m->Vdp.lines_per_frame;
  const int32_t fps = m->Vdp.frames_per_second;
  if (lines == 0 || fps == 0) return 0;  // VDP mode not applied yet
  return rates[m->GgSerialControl >> 6] * 65536 / lines / fps;
}

void SetupTiming(Machine* m) {
  VdpApplyMode(&m->Vdp);
  m->CyclesPerFrame = uint32_t(m->Vdp.lines_per_frame) * MachineLineCycles;
  PsgInit(&m->Psg, m->Vdp.frames_per_second * m->CyclesPerFrame);
  FmSetupTiming(m);
  // A unit taken out keeps nothing for when it is fitted again.
  if (!FmUnitPresent()) FmReset(m);
  m->SerialStep = ComputeSerialStep(m);
  // A new image may have replaced the one the core's pages point into.
  if (m == CurrentMachine) RebuildPageTables(m);
}

void MachineReset(Machine* m) {
  // SramDirty survives resets: RAM a game saved into before the player
  // pressed reset must still reach its file. A new image clears it.
  m->SerialAccumulator = 0;
  m->GgParallelData = m->GgDataDirection = m->GgSerialOut = 0;
  m->GgSerialBusy = m->GgSerialIn = m->GgSerialInFull = m->GgSerialControl = 0;
  m->SerialStep = ComputeSerialStep(m);
  FmReset(m);  // with the console's other sound chip
  m->CartRamEnabled = 0;
  m->CartRamBank = 0;
  m->RomBank0 = 0;
  m->LineCycleStamp = 0;
  m->SavedCycleCounter = 0;
  m->IoControl = 0x3F;
  m->RomBank1 = 1 % MapperBankCount();
  m->RomBank2 = 2 % MapperBankCount();
  // The RAM mirror of the mapper registers.
  m->Ram[0x1FFE] = m->RomBank1;
  m->Ram[0x1FFF] = m->RomBank2;

  Z80Reset();
  Z80Regs.sp = 0xDFF0;
  // Left asserted with data byte 0 until the VDP first drives the line.
  IrqLine = 0;
  CycleCounter = 0;
  m->FrameCycle = 0;
  SaveCoreState(m);
  // Reload even when this machine is already in the core: its banks changed.
  CurrentMachine = nullptr;
  SelectMachine(m);
}

void SoftReset(Machine* m) {
  VdpReset(&m->Vdp);
  PsgReset(&m->Psg);
  MachineReset(m);
}

void HardReset(Machine* m) {
  std::memset(m->Ram, 0, MachineRamSize);
  VdpPowerOn(&m->Vdp);
  PsgReset(&m->Psg);
  MachineReset(m);
}

void RaiseNmi(Machine* m) {
  SelectMachine(m);
  Z80Nmi();  // the response's cycles are not charged
  SaveCoreState(m);
}

PixelBuffer* GetScreen(int index) {
  const Machine* m;
  if (index == 0) {
    m = &PrimaryMachine;
  } else if (index == 1 && (MachineOptions & OptLink)) {
    m = &PartnerMachine;
  } else {
    return nullptr;
  }
  const VdpState& vdp = m->Vdp;
  return vdp.draw_surface == vdp.surfaces[0] ? vdp.surfaces[1] : vdp.surfaces[0];
}
