// What the YM2413's files share among themselves: the chip's tables, the
// ROM instruments and the register-derived operator settings.
#pragma once
#include <cstdint>

#include "machine/ym2413.h"

// The attenuation of an operator whose envelope has ended, in the log-sine's
// scale: 12 octaves, where the output is 0.
constexpr uint16_t Ym2413Silent = 12 * 256;
// Past any wave entry (at most 8.4 octaves, or Ym2413Silent) plus any
// operator attenuation: Exp holds the positive outputs below this and the
// negative ones from it.
constexpr uint32_t Ym2413ExpSize = 25 * 256;
static_assert(Ym2413Silent * 2 < Ym2413ExpSize, "silence stays in the positive half");

struct Ym2413Tables {
  // Attenuation of the wave in 1/256 octave steps (-log2|sin| * 256) for each
  // of the 1024 phases, plus Ym2413ExpSize in the negative half: the sine
  // (0) and the half-sine (1), whose negative half is silent.
  uint16_t Wave[2][1024];
  // Signed output (magnitude up to 4084) for a wave's entry plus an
  // operator's attenuation (at most 127 * 16, or Ym2413Silent); 12 octaves
  // down and more is silence.
  int16_t Exp[2 * Ym2413ExpSize];
  // Key scale level base in 0.75 dB by the top 4 bits of the F-number, at
  // block 7.
  uint8_t KslBase[16];
};

// Built once, on first use.
const Ym2413Tables& Ym2413GetTables();

constexpr int Ym2413PatchBassDrum = 16;   // then 17 hi-hat/snare, 18 tom/cymbal
extern const uint8_t Ym2413RomPatches[19][8];
extern const uint8_t Ym2413Mul2[16];

constexpr uint32_t Ym2413MaxOperatorOutput = 4084;
// One native sample: nine channels' 9-bit outputs, or six and five rhythm
// sounds at double weight, times four.
constexpr int32_t Ym2413MaxNative = (6 + 2 * 5) * 511 * 4;
constexpr uint32_t Ym2413AmPeriod = 13440;  // samples: 210 steps of 64

// Sets the effective envelope rate (0..63) of the operator's present phase
// and the mask of counter values it may step at.
void Ym2413SetRate(Ym2413Operator& op);

// Enters an envelope phase.
inline void Ym2413Enter(Ym2413Operator& op, uint8_t state) {
  op.State = state;
  Ym2413SetRate(op);
}
// The decay ends where the level reaches the sustain level, at once if it
// already has.
inline void Ym2413EnterDecay(Ym2413Operator& op) {
  Ym2413Enter(op, (op.Level >> 3) >= op.Sl ? Ym2413EgSustain : Ym2413EgDecay);
}
// Derives every operator setting of channel `c` from the registers; keys
// unchanged.
void Ym2413RefreshChannel(Ym2413* chip, int c);
// The key each slot of channel `c` should have from the registers.
bool Ym2413WantedKey(const Ym2413* chip, int c, int slot);
