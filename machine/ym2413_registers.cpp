// YM2413 registers: reset, writes, and the operator settings and keys the
// registers give.
#include <cstring>

#include "machine/ym2413_internal.h"

namespace {

bool RhythmMode(const Ym2413* chip) { return (chip->Regs[0x0E] & 0x20) != 0; }

// The eight instrument bytes channel `c` plays.
const uint8_t* ChannelPatch(const Ym2413* chip, int c) {
  if (c >= 6 && RhythmMode(chip)) return Ym2413RomPatches[Ym2413PatchBassDrum + c - 6];
  int instrument = chip->Regs[0x30 + c] >> 4;
  return instrument == 0 ? chip->Regs : Ym2413RomPatches[instrument];
}

// The volume nibble of a rhythm slot in 3 dB steps: $36 low bass drum, $37
// high hi-hat and low snare drum, $38 high tom-tom and low top cymbal.
int RhythmVolume(const Ym2413* chip, int c, int slot) {
  uint8_t reg = chip->Regs[0x30 + c];
  return slot == 0 ? reg >> 4 : reg & 0x0F;
}

// Key scale level in 0.375 dB: none, 1.5, 3 or 6 dB per octave.
int KeyScaleLevel(int ksl, int fnum, int block) {
  if (ksl == 0) return 0;
  int base = Ym2413GetTables().KslBase[fnum >> 5] - 8 * (7 - block);
  if (base < 0) base = 0;
  return (base * 2) >> (3 - ksl);
}

}  // namespace

void Ym2413SetRate(Ym2413Operator& op) {
  int rate;
  switch (op.State) {
    case Ym2413EgDamp: rate = 12; break;
    case Ym2413EgAttack: rate = op.Ar; break;
    case Ym2413EgDecay: rate = op.Dr; break;
    case Ym2413EgSustain: rate = op.Sustained ? 0 : op.Rr; break;
    default:
      // Key-off: the sustain flag releases slowly (5); a percussive tone
      // falls at 7, a sustained one at its RR.
      rate = op.Carrier && op.Sus ? 5 : op.Sustained ? op.Rr : 7;
      break;
  }
  int effective = rate == 0 ? 0 : rate * 4 + op.KsrOffset;
  op.Rate = uint8_t(effective > 63 ? 63 : effective);
  // Rate 4n+m steps at every 2^(13-n)th counter value (n < 13), at every one
  // past that; rate 0 never.
  int n = op.Rate >> 2;
  op.EgMask = uint16_t(n == 0 ? 0xFFFF : n < 13 ? (1u << (13 - n)) - 1 : 0);
}

bool Ym2413WantedKey(const Ym2413* chip, int c, int slot) {
  bool key = (chip->Regs[0x20 + c] & 0x10) != 0;
  if (c < 6 || !RhythmMode(chip)) return key;
  uint8_t drums = chip->Regs[0x0E];
  // Bass drum both slots (bit 4); hi-hat (0) and snare (3); tom (2) and cymbal (1).
  static const uint8_t Bit[3][2] = {{0x10, 0x10}, {0x01, 0x08}, {0x04, 0x02}};
  return key || (drums & Bit[c - 6][slot]) != 0;
}

void Ym2413RefreshChannel(Ym2413* chip, int c) {
  Ym2413Channel& ch = chip->Ch[c];
  const uint8_t* p = ChannelPatch(chip, c);
  uint8_t high = chip->Regs[0x20 + c];
  ch.Fnum = uint16_t(chip->Regs[0x10 + c] | (high & 1) << 8);
  ch.Block = (high >> 1) & 7;
  int fb = p[3] & 7;
  ch.FeedbackShift = uint8_t(fb ? 9 - fb : 0);
  bool rhythm = c >= 6 && RhythmMode(chip);
  int keyCode = ch.Block << 1 | ch.Fnum >> 8;
  for (int slot = 0; slot < 2; slot++) {
    Ym2413Operator& op = ch.Op[slot];
    uint8_t flags = p[slot];
    op.Am = (flags >> 7) & 1;
    op.Vib = (flags >> 6) & 1;
    op.Sustained = (flags >> 5) & 1;
    op.KsrOffset = uint8_t((flags & 0x10) ? keyCode : keyCode >> 2);
    op.Mul2 = Ym2413Mul2[flags & 0x0F];
    op.Rectified = slot == 0 ? (p[3] >> 3) & 1 : (p[3] >> 4) & 1;
    op.Ar = p[4 + slot] >> 4;
    op.Dr = p[4 + slot] & 0x0F;
    op.Sl = p[6 + slot] >> 4;
    op.Rr = p[6 + slot] & 0x0F;
    // Every rhythm slot but the bass drum's modulator is an output.
    op.Carrier = uint8_t(slot == 1 || (rhythm && c > 6));
    op.Sus = (high >> 5) & 1;
    int ksl = slot == 0 ? p[2] >> 6 : p[3] >> 6;
    int level;
    if (rhythm && !(c == 6 && slot == 0))
      level = RhythmVolume(chip, c, c == 6 ? 1 : slot) * 8;
    else if (slot == 0)
      level = (p[2] & 0x3F) * 2;
    else
      level = (chip->Regs[0x30 + c] & 0x0F) * 8;
    op.BaseAttenuation = uint16_t(level + KeyScaleLevel(ksl, ch.Fnum, ch.Block));
    // (F-number << block) * multiple / 2, in quarters of the F-number as
    // the vibrato adds them.
    op.Increment = ((uint32_t(ch.Fnum) * 4 << ch.Block) * op.Mul2) >> 3;
    Ym2413SetRate(op);
    // A sustain level raised to the present level ends the decay.
    if (op.State == Ym2413EgDecay) Ym2413EnterDecay(op);
  }
}

void Ym2413Reset(Ym2413* chip) {
  uint16_t lines = chip->LinesPerFrame, samples = chip->SamplesPerFrame;
  std::memset(static_cast<void*>(chip), 0, sizeof *chip);
  chip->LinesPerFrame = lines;
  chip->SamplesPerFrame = samples;
  chip->Noise = 1;
  for (int c = 0; c < 9; c++) {
    for (Ym2413Operator& op : chip->Ch[c].Op) {
      op.Level = 127;
      op.State = Ym2413EgRelease;
    }
    Ym2413RefreshChannel(chip, c);
  }
}

void Ym2413Write(Ym2413* chip, uint8_t reg, uint8_t value) {
  int first, last;  // the channels the write concerns
  if (reg < 0x08) {
    first = 0, last = 8;  // the user instrument: whoever plays it
  } else if (reg == 0x0E) {
    value &= 0x3F;
    first = 6, last = 8;
  } else if (reg == 0x0F) {
    chip->Regs[reg] = value;  // test register: kept, no effect modelled
    return;
  } else if ((reg >= 0x10 && reg <= 0x18) || (reg >= 0x20 && reg <= 0x28) ||
             (reg >= 0x30 && reg <= 0x38)) {
    if ((reg & 0xF0) == 0x20) value &= 0x3F;
    first = last = reg & 0x0F;
  } else {
    return;  // outside the register map
  }
  chip->Regs[reg] = value;
  for (int c = first; c <= last; c++) {
    Ym2413RefreshChannel(chip, c);
    for (int slot = 0; slot < 2; slot++) {
      Ym2413Operator& op = chip->Ch[c].Op[slot];
      bool key = Ym2413WantedKey(chip, c, slot);
      if (key == (op.Keyed != 0)) continue;
      op.Keyed = key;
      // Key-on first damps what still sounds; the attack (with the phase
      // restarted) follows once the operator is silent.
      Ym2413Enter(op, key ? Ym2413EgDamp : Ym2413EgRelease);
    }
  }
}
