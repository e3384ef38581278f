// YM2413 state block: the registers and every counter the samples depend
// on, packed field by field at their widths (least significant bit first),
// and a reader that refuses what the chip could never hold.
#include <cstring>

#include "machine/ym2413_internal.h"

namespace {

struct BitWriter {
  uint8_t* out;
  uint32_t bit = 0;
  void Put(uint32_t value, int width) {
    for (int i = 0; i < width; i++, bit++)
      if ((value >> i) & 1) out[bit >> 3] |= uint8_t(1u << (bit & 7));
  }
};

struct BitReader {
  const uint8_t* in;
  uint32_t bit = 0;
  uint32_t Get(int width) {
    uint32_t value = 0;
    for (int i = 0; i < width; i++, bit++) value |= uint32_t((in[bit >> 3] >> (bit & 7)) & 1) << i;
    return value;
  }
  int32_t GetSigned(int width) {
    uint32_t value = Get(width);
    uint32_t sign = 1u << (width - 1);
    return int32_t(value ^ sign) - int32_t(sign);
  }
};

// Registers with their widths: $0E and $20-$28 have six bits.
struct RegisterField {
  uint8_t first, count, width;
};
constexpr RegisterField RegisterFields[] = {
    {0x00, 8, 8}, {0x0E, 1, 6}, {0x0F, 1, 8}, {0x10, 9, 8}, {0x20, 9, 6}, {0x30, 9, 8},
};

constexpr int PhaseBits = 19, LevelBits = 7, StateBits = 3, FeedbackBits = 13;
constexpr int EgCounterBits = 15, AmCounterBits = 14, NoiseBits = 23, AccBits = 22;
constexpr int SampleBits = 16;

constexpr uint32_t BlockBits() {
  uint32_t bits = 8 + 8;  // version, address
  for (const RegisterField& f : RegisterFields) bits += f.count * f.width;
  bits += 9 * (2 * FeedbackBits + 2 * (PhaseBits + LevelBits + StateBits));
  return bits + EgCounterBits + AmCounterBits + NoiseBits + AccBits + 2 * SampleBits;
}
static_assert(BlockBits() <= Ym2413StateSize * 8 && BlockBits() > Ym2413StateSize * 8 - 8,
              "the state block is as long as its fields");

bool Within(int32_t value, int32_t limit) { return value >= -limit && value <= limit; }

}  // namespace

void Ym2413WriteState(const Ym2413* chip, uint8_t* block) {
  std::memset(block, 0, Ym2413StateSize);
  BitWriter w{block};
  w.Put(Ym2413StateVersion, 8);
  w.Put(chip->Address, 8);
  for (const RegisterField& f : RegisterFields)
    for (int i = 0; i < f.count; i++) w.Put(chip->Regs[f.first + i], f.width);
  for (const Ym2413Channel& ch : chip->Ch) {
    for (int16_t v : ch.Feedback) w.Put(uint32_t(v), FeedbackBits);
    for (const Ym2413Operator& op : ch.Op) {
      w.Put(op.Phase, PhaseBits);
      w.Put(op.Level, LevelBits);
      w.Put(op.State, StateBits);
    }
  }
  w.Put(chip->EgCounter, EgCounterBits);
  w.Put(chip->AmCounter, AmCounterBits);
  w.Put(chip->Noise, NoiseBits);
  w.Put(chip->Acc, AccBits);
  w.Put(uint16_t(chip->Prev), SampleBits);
  w.Put(uint16_t(chip->Cur), SampleBits);
}

bool Ym2413ReadState(Ym2413* chip, const uint8_t* block, uint32_t size) {
  if (size != Ym2413StateSize) return false;
  BitReader r{block};
  if (r.Get(8) != Ym2413StateVersion) return false;
  // Built on the side and copied in only when all of it is sound.
  Ym2413 next = *chip;
  Ym2413Reset(&next);
  next.Address = uint8_t(r.Get(8));
  for (const RegisterField& f : RegisterFields)
    for (int i = 0; i < f.count; i++) next.Regs[f.first + i] = uint8_t(r.Get(f.width));
  for (int c = 0; c < 9; c++) {
    Ym2413Channel& ch = next.Ch[c];
    for (int16_t& v : ch.Feedback) {
      int32_t value = r.GetSigned(FeedbackBits);
      if (!Within(value, Ym2413MaxOperatorOutput)) return false;
      v = int16_t(value);
    }
    for (Ym2413Operator& op : ch.Op) {
      op.Phase = r.Get(PhaseBits);
      op.Level = uint8_t(r.Get(LevelBits));
      op.State = uint8_t(r.Get(StateBits));
      if (op.State >= Ym2413EgStates) return false;
    }
  }
  next.EgCounter = uint16_t(r.Get(EgCounterBits));
  next.AmCounter = uint16_t(r.Get(AmCounterBits));
  next.Noise = r.Get(NoiseBits);
  next.Acc = r.Get(AccBits);
  int32_t prev = r.GetSigned(SampleBits), cur = r.GetSigned(SampleBits);
  if (next.AmCounter >= Ym2413AmPeriod || next.Noise == 0) return false;
  if (next.Acc >= Ym2413OutputRate * Ym2413ClocksPerSample) return false;
  if (!Within(prev, Ym2413MaxNative) || !Within(cur, Ym2413MaxNative)) return false;
  if (r.Get(Ym2413StateSize * 8 - r.bit) != 0) return false;  // the spare bits
  next.Prev = int16_t(prev);
  next.Cur = int16_t(cur);
  // Keys follow from the registers; an operator is released exactly when
  // it is not keyed, and decays only above its sustain level, so a block
  // saying otherwise was not made by the chip.
  for (int c = 0; c < 9; c++) {
    uint8_t states[2] = {next.Ch[c].Op[0].State, next.Ch[c].Op[1].State};
    Ym2413RefreshChannel(&next, c);  // (a decay past its sustain level ends here)
    for (int slot = 0; slot < 2; slot++) {
      Ym2413Operator& op = next.Ch[c].Op[slot];
      if (op.State != states[slot]) return false;
      op.Keyed = Ym2413WantedKey(&next, c, slot);
      if ((op.State == Ym2413EgRelease) == (op.Keyed != 0)) return false;
    }
  }
  *chip = next;
  return true;
}
