// The YM2413 (OPLL), the FM sound unit of the Japanese Master System: nine
// two-operator FM channels (a modulator phase-modulating a carrier), or six
// channels and five rhythm sounds; fifteen instruments in ROM plus one the
// program defines. Its mono output runs at its own rate, the clock / 72
// (49,715.9 Hz at 3,579,545 Hz), and is resampled to the 44,100 Hz of the
// PSG's stream.
//
// How it is driven. A `Ym2413` is a plain record; the machine owns one and the
// VGM player another. Two ways in:
//
// - Direct: `Ym2413Write` applies a register write at once and
//   `Ym2413Render` produces the next n samples at 44,100 Hz. The VGM player
//   uses these, rendering up to each command's sample time.
// - By frames, the machine's way: `Ym2413SetFrame` gives the frame's lines
//   and samples (262/735 NTSC, 313/882 PAL). The port handlers call
//   `Ym2413WriteAddress` ($F0) and `Ym2413WriteData` ($F1); the scheduler
//   calls `Ym2413LineTick` after every line and `Ym2413FrameEnd` once per
//   frame. A data write first renders the frame up to the start of the
//   current line (line * samples / lines) into `Frame`, then changes the
//   register, so each write sounds from its line's sample, however many
//   writes a frame holds. `Ym2413FrameEnd` renders the rest of the frame;
//   `Frame` then holds `SamplesPerFrame` mono samples, which
//   `Ym2413AddToStereo` adds to both sides of the PSG's output. Without
//   sound the lines do not advance, writes apply at once and no time passes,
//   as with the PSG.
//
// The state block (`Ym2413StateSize` bytes) holds the registers and every
// internal counter, so a restored chip goes on with the same samples. It is
// taken between frames: the samples of a frame under way are not in it.
#pragma once
#include <cstdint>

constexpr uint32_t Ym2413Clock = 3579545;      // Hz, the unit's own crystal
constexpr uint32_t Ym2413ClocksPerSample = 72;  // native rate = clock / 72
constexpr uint32_t Ym2413OutputRate = 44100;
constexpr uint32_t Ym2413FrameCapacity = 1024;  // output samples per frame at most
constexpr uint32_t Ym2413StateSize = 145;
constexpr uint8_t Ym2413StateVersion = 1;

// Envelope phases of one operator.
enum Ym2413EgState : uint8_t {
  Ym2413EgDamp,     // key-on: the old sound falls quickly to silence first
  Ym2413EgAttack,
  Ym2413EgDecay,    // to the sustain level
  Ym2413EgSustain,  // held (sustained tone) or falling at RR (percussive)
  Ym2413EgRelease,  // key-off
  Ym2413EgStates
};

struct Ym2413Operator {
  uint32_t Phase;       // 19 bits; the top 10 index the sine
  uint8_t Level;        // envelope attenuation, 0 loud .. 127 off (0.375 dB steps)
  uint8_t State;        // Ym2413EgState
  uint8_t Keyed;        // key as the registers give it
  // Derived from the registers by the write handler (not in the state block).
  uint8_t Mul2;         // frequency multiple times two
  uint8_t Am, Vib, Sustained, Rectified;
  uint8_t Ar, Dr, Sl, Rr;
  uint8_t KsrOffset;    // added to rate * 4
  uint8_t Rate;         // effective rate of the current phase, 0..63
  uint16_t EgMask;      // the envelope can step only where counter & mask is 0
  uint32_t Increment;   // phase step per sample without vibrato
  uint8_t Carrier;      // an output slot: the sustain flag sets its release
  uint8_t Sus;          // the channel's sustain flag
  uint16_t BaseAttenuation;  // TL or volume, plus key scale level, in 0.375 dB
};

struct Ym2413Channel {
  Ym2413Operator Op[2];  // modulator, carrier
  int16_t Feedback[2];   // the modulator's last two outputs
  uint16_t Fnum;         // 9 bits
  uint8_t Block;         // 3 bits
  uint8_t FeedbackShift; // 0 none, else 9 - FB
};

struct Ym2413 {
  uint8_t Address;       // latched by port $F0
  uint8_t Regs[0x40];    // as written; unmapped ones stay 0
  Ym2413Channel Ch[9];
  uint16_t EgCounter;    // 15 bits; also the vibrato's clock
  uint16_t AmCounter;    // 0 .. 13439
  uint32_t Noise;        // 23-bit shift register, never 0
  // Resampler: the output sample lies between Prev and Cur, Acc / 3,175,200
  // of the way (a native sample is 3,175,200 units, an output one 3,579,545).
  uint32_t Acc;
  int16_t Prev, Cur;
  // Frame driving.
  uint16_t LinesPerFrame, SamplesPerFrame;
  uint16_t Line;         // lines ticked in this frame
  uint16_t Rendered;     // samples of Frame made so far
  int16_t Frame[Ym2413FrameCapacity];
};

// Power-on: every register 0, every operator silent. Keeps the frame geometry.
void Ym2413Reset(Ym2413* chip);
// One register write applied now. Addresses outside the register map do
// nothing.
void Ym2413Write(Ym2413* chip, uint8_t reg, uint8_t value);
// The next `count` mono samples at 44,100 Hz.
void Ym2413Render(Ym2413* chip, int16_t* out, uint32_t count);
// The next `count` samples at the chip's own rate (what the resampler eats).
void Ym2413RenderNative(Ym2413* chip, int16_t* out, uint32_t count);

// Frame driving, as described above. `samples` is capped at
// Ym2413FrameCapacity.
void Ym2413SetFrame(Ym2413* chip, uint16_t lines, uint16_t samples);
void Ym2413WriteAddress(Ym2413* chip, uint8_t value);
void Ym2413WriteData(Ym2413* chip, uint8_t value);
void Ym2413LineTick(Ym2413* chip, bool sound);
// Completes the frame's samples in chip->Frame (with sound) and starts the
// next frame; returns the number of samples made (0 without sound).
uint32_t Ym2413FrameEnd(Ym2413* chip, bool sound);
// Adds mono samples to both sides of interleaved stereo, saturating.
void Ym2413AddToStereo(const int16_t* mono, int16_t* stereo, uint32_t frames);

// The state block; the reader refuses (returns false, chip untouched) a
// block with values the chip never holds.
void Ym2413WriteState(const Ym2413* chip, uint8_t* block);
bool Ym2413ReadState(Ym2413* chip, const uint8_t* block, uint32_t size);
