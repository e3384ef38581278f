// The FM sound unit: its ports and its line and frame steps (the mix with
// the PSG's samples is in fm_mix.cpp).
#include "machine/fm_unit.h"

#include "machine/machine.h"
#include "machine/options.h"

void (*FmWriteHook)(uint8_t reg, uint8_t value) = nullptr;

namespace {

// The control register's choice: 0 PSG, 1 FM, 2 none, 3 both.
bool PsgAudible(uint8_t control) { return control == 0 || control == 3; }
bool FmAudible(uint8_t control) { return (control & 1) != 0; }

}  // namespace

bool FmUnitPresent() {
  return (MachineOptions & (OptFmUnit | OptGameGearIo)) == OptFmUnit;
}

void FmPortWrite(Machine* m, uint8_t port, uint8_t value) {
  switch (port) {
    case 0xF0:
      Ym2413WriteAddress(&m->Fm, value);
      break;
    case 0xF1:
      Ym2413WriteData(&m->Fm, value);
      if (FmWriteHook && m == &PrimaryMachine) FmWriteHook(m->Fm.Address, value);
      break;
    default:
      m->FmControl = value & FmControlMask;
      break;
  }
}

uint8_t FmReadControl(const Machine* m) { return m->FmControl & 1; }

void FmReset(Machine* m) {
  Ym2413Reset(&m->Fm);
  m->FmControl = FmControlPsg;
}

void FmSetupTiming(Machine* m) {
  Ym2413SetFrame(&m->Fm, uint16_t(m->Vdp.lines_per_frame), uint16_t(m->Psg.SamplesPerFrame));
}

void FmLineTick(Machine* m, bool sound) { Ym2413LineTick(&m->Fm, sound); }

void FmFrameEnd(Machine* m, bool sound) {
  const uint32_t made = Ym2413FrameEnd(&m->Fm, sound);
  if (made == 0) return;
  const uint8_t control = m->FmControl;
  // The PSG alone leaves its frame as it is.
  if (control == FmControlPsg) return;
  FmMixIntoRing(&m->Psg, FmAudible(control) ? m->Fm.Frame : nullptr, made, PsgAudible(control));
}
