#include "record/state_extras.h"

#include <cstring>

#include "base/byte_order.h"
#include "machine/fm_unit.h"
#include "machine/machine.h"
#include "z80/z80.h"

namespace {

const uint8_t Tag[4] = {'T', 'X', 'S', 1};
// Offsets after the tag.
constexpr size_t MemPtrAt = 4;
constexpr size_t VdpAt = 6;         // last access position, bad access count, grace flag
constexpr size_t SynthAt = VdpAt + 9;  // the synthesiser's registers, 16 bytes
constexpr size_t GeneratorsAt = SynthAt + 16;  // 4 x (counter, flip-flop)
constexpr size_t NoiseShiftAt = GeneratorsAt + 20;
constexpr size_t WaitAt = NoiseShiftAt + 2;     // pending wait, time accumulator
constexpr size_t FlagsAt = WaitAt + 8;          // any write, tone, stereo, noise (line)
// The output ring's write position: frames are synthesised in pieces split
// where the ring wraps, so it decides where a piece starts.
constexpr size_t RingAt = FlagsAt + 4;
// The machine's halted flag (bit 0) with bit 7 saying the byte is written
// (blocks from before it hold 0), then its Q latch.
constexpr size_t CoreFlagsAt = RingAt + 2;
constexpr uint8_t CoreFlagsKept = 0x80, CoreHalted = 0x01;
// The FM unit's part at the very end leaves the bytes between free.
constexpr size_t FmAt = StateExtrasFmAt;
static_assert(CoreFlagsAt + 2 <= FmAt, "the extras fit the reserved bytes");

bool Tagged(const uint8_t* bytes) { return std::memcmp(bytes, Tag, sizeof Tag) == 0; }
bool CoreFlagsWritten(const uint8_t* b) { return Tagged(b) && (b[CoreFlagsAt] & CoreFlagsKept); }

void PutSynth(uint8_t* at, const PsgRegisters& r) {
  for (int i = 0; i < 3; ++i) PutLe16(at + 2 * i, r.Tone[i]);
  PutLe16(at + 6, r.NoisePeriod);
  std::memcpy(at + 8, r.Volume, 4);
  at[12] = r.NoiseWhite, at[13] = r.NoiseRate, at[14] = r.Stereo, at[15] = r.Spare;
}

PsgRegisters GetSynth(const uint8_t* at) {
  PsgRegisters r;
  for (int i = 0; i < 3; ++i) r.Tone[i] = GetLe16(at + 2 * i);
  r.NoisePeriod = GetLe16(at + 6);
  std::memcpy(r.Volume, at + 8, 4);
  r.NoiseWhite = at[12], r.NoiseRate = at[13], r.Stereo = at[14], r.Spare = at[15];
  return r;
}

}  // namespace

void WriteStateExtras(const Machine& m, uint8_t* b) {
  std::memset(b, 0, StateExtrasSize);
  std::memcpy(b, Tag, sizeof Tag);
  PutLe16(b + MemPtrAt, Z80MemPtr);
  PutLe32(b + VdpAt, m.Vdp.last_access_pos);
  PutLe32(b + VdpAt + 4, m.Vdp.bad_access_count);
  b[VdpAt + 8] = m.Vdp.access_grace;
  const PsgState& psg = m.Psg;
  PutSynth(b + SynthAt, psg.Synth);
  for (int i = 0; i < 4; ++i) {
    PutLe32(b + GeneratorsAt + 5 * i, uint32_t(psg.Gen[i].Counter));
    b[GeneratorsAt + 5 * i + 4] = psg.Gen[i].FlipFlop;
  }
  PutLe16(b + NoiseShiftAt, psg.NoiseShift);
  PutLe32(b + WaitAt, psg.PendingWait);
  PutLe32(b + WaitAt + 4, psg.TimeAccumulator);
  const uint8_t flags[4] = {psg.AnyWrite, psg.ToneChanged, psg.StereoChanged, psg.NoiseChangedLine};
  std::memcpy(b + FlagsAt, flags, 4);
  PutLe16(b + RingAt, uint16_t(psg.RingWrite));
  b[CoreFlagsAt] = uint8_t(CoreFlagsKept | (m.SavedHalted ? CoreHalted : 0));
  b[CoreFlagsAt + 1] = m.SavedQ;
  if (FmUnitPresent()) {
    b[FmAt] = 1;
    b[FmAt + 1] = m.FmControl;
    Ym2413WriteState(&m.Fm, b + FmAt + 2);
  }
}

bool CheckStateExtras(const uint8_t* b) {
  if (!Tagged(b)) return true;
  if (b[VdpAt + 8] > 1) return false;
  const PsgRegisters r = GetSynth(b + SynthAt);
  for (uint16_t tone : r.Tone)
    if (tone > 0x3FF) return false;
  for (uint8_t volume : r.Volume)
    if (volume > 15) return false;
  if (r.NoiseWhite > 1 || r.NoiseRate > 3) return false;
  for (int i = 0; i < 4; ++i)
    if (b[GeneratorsAt + 5 * i + 4] > 1) return false;
  for (int i = 0; i < 4; ++i)
    if (b[FlagsAt + i] > 1) return false;
  const uint16_t ring = GetLe16(b + RingAt);
  if (ring >= PsgRingBytes || ring % 4 != 0) return false;
  if (b[CoreFlagsAt] & ~(CoreFlagsKept | CoreHalted)) return false;
  if (b[FmAt] == 0) return true;
  static Ym2413 scratch;  // the reader checks the block whole on its own copy
  return b[FmAt] == 1 && b[FmAt + 1] <= FmControlMask &&
         Ym2413ReadState(&scratch, b + FmAt + 2, Ym2413StateSize);
}

void ReadStateExtras(Machine* m, const uint8_t* b) {
  if (!Tagged(b)) return;
  m->Vdp.last_access_pos = GetLe32(b + VdpAt);
  m->Vdp.bad_access_count = GetLe32(b + VdpAt + 4);
  m->Vdp.access_grace = b[VdpAt + 8];
  PsgState& psg = m->Psg;
  psg.Synth = GetSynth(b + SynthAt);
  for (int i = 0; i < 4; ++i) {
    psg.Gen[i].Counter = int32_t(GetLe32(b + GeneratorsAt + 5 * i));
    psg.Gen[i].FlipFlop = b[GeneratorsAt + 5 * i + 4];
  }
  psg.NoiseShift = GetLe16(b + NoiseShiftAt);
  psg.PendingWait = GetLe32(b + WaitAt);
  psg.TimeAccumulator = GetLe32(b + WaitAt + 4);
  // The synthesiser already holds the registers: nothing to log again.
  psg.AnyWrite = b[FlagsAt], psg.ToneChanged = b[FlagsAt + 1];
  psg.StereoChanged = b[FlagsAt + 2], psg.NoiseChangedLine = b[FlagsAt + 3];
  // Empty, but writing where it would have written next.
  psg.RingWrite = psg.RingRead = GetLe16(b + RingAt);
  psg.RingFill = 0;
  if (CoreFlagsWritten(b)) {
    m->SavedHalted = b[CoreFlagsAt] & CoreHalted;
    m->SavedQ = b[CoreFlagsAt + 1];
  }
  // Without its part the unit stays as the machine's reset left it.
  if (b[FmAt] == 1) {
    m->FmControl = b[FmAt + 1];
    Ym2413ReadState(&m->Fm, b + FmAt + 2, Ym2413StateSize);  // checked: cannot fail
  }
}

void InstallCoreExtras(const uint8_t* b) {
  if (Tagged(b)) Z80MemPtr = GetLe16(b + MemPtrAt);
}

void AdoptOldHalt(Machine* m, const uint8_t* b) {
  if (CoreFlagsWritten(b) || Z80Halted || PeekByte(Z80Regs.pc) != 0x76) return;
  Z80Regs.pc = uint16_t(Z80Regs.pc + 1);
  Z80Halted = 1;
  SaveCoreState(m);
}
