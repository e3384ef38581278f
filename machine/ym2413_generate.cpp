// YM2413 sample generation at the chip's own rate: the LFOs and the noise,
// each operator's envelope and phase, the FM channels and the rhythm sounds.
//
// Samples are made in runs of up to 256 (register writes come only between
// runs): first the shared clocks, then per operator its attenuation and its
// phase for the whole run (the envelope works only at the samples where it
// may step), then the outputs, table look-ups without branches, with the
// channels three abreast. A channel silent until the next write only turns
// its phases.
#include <algorithm>

#include "machine/ym2413_internal.h"

namespace {

constexpr uint32_t Run = 256;

// Which of eight consecutive envelope events step, by the rate's low two
// bits: 4, 5, 6 or 7 of 8.
constexpr uint8_t StepPattern[4] = {0xAA, 0xBA, 0xEE, 0xFE};
// Vibrato: eight steps of the F-number's top three bits, in quarters of the
// F-number (so the peak is about 1/128, 13.5 cents).
constexpr int VibratoSteps[8] = {0, 1, 2, 1, 0, -1, -2, -1};

struct Clocks {
  uint16_t eg[Run];
  uint8_t am[Run];
  uint8_t vibrato[Run];  // index into VibratoSteps
  uint8_t noise[Run];
};

// One operator over a run: attenuation (shifted to the log-sine's scale, or
// Ym2413Silent) and the 10-bit phase of each sample.
struct OperatorRun {
  uint16_t att[Run];
  uint16_t phase[Run];
};

// Envelope steps at counter value `eg` (one where the rate's mask allows):
// rate 4n+m steps on (4+m)/8 of its events, the events doubling in frequency
// with each n up to every sample at n = 13; past that the steps grow.
inline uint32_t EgSteps(uint32_t rate, uint32_t eg) {
  uint32_t n = rate >> 2;
  uint32_t pattern = StepPattern[rate & 3];
  if (n < 13) return (pattern >> ((eg >> (13 - n)) & 7)) & 1;
  return ((pattern >> (eg & 7)) & 1) << (n - 13);
}

// The damp and the attack, which end on levels rather than steps. Returns
// true where the damp ends: the phase restarts there and the attack begins
// (the fastest attack rates reach full level at once).
bool StepEnvelopeStart(Ym2413Operator& op, uint32_t eg) {
  uint32_t steps = (eg & op.EgMask) == 0 && op.Rate ? EgSteps(op.Rate, eg) : 0;
  uint32_t level = op.Level;
  if (op.State == Ym2413EgDamp) {
    level += steps;
    if (level < 127) {
      op.Level = uint8_t(level);
      return false;
    }
    op.Level = 127;
    Ym2413Enter(op, Ym2413EgAttack);
    if (op.Rate >= 60) {
      op.Level = 0;
      Ym2413EnterDecay(op);
    }
    return true;
  }
  // Exponential: each step takes a quarter of the remaining attenuation (at
  // least one), so the level rises fast and slows near the top.
  if (op.Rate >= 60) {
    level = 0;
  } else if (steps) {
    uint32_t drop = ((level + 1) * steps + 3) >> 2;
    level = level > drop ? level - drop : 0;
  }
  op.Level = uint8_t(level);
  if (level == 0) Ym2413EnterDecay(op);
  return false;
}

// Decay, sustain and release only ever fall, at their rate's steps.
inline void StepEnvelopeFall(Ym2413Operator& op, uint32_t eg) {
  if ((eg & op.EgMask) != 0) return;
  uint32_t level = op.Level + EgSteps(op.Rate, eg);
  op.Level = uint8_t(level > 127 ? 127 : level);
  if (op.State == Ym2413EgDecay && (op.Level >> 3) >= op.Sl) Ym2413Enter(op, Ym2413EgSustain);
}

// An operator whose level cannot change until the next register write.
inline bool Steady(const Ym2413Operator& op) {
  return op.State >= Ym2413EgDecay && (op.Rate == 0 || op.Level >= 127);
}

// Total attenuation (envelope, TL or volume, key scale, AM), at most 127, in
// the log-sine's scale; an envelope at its end is silence.
inline uint16_t Attenuation(const Ym2413Operator& op, uint32_t am) {
  if (op.Level >= 127) return Ym2413Silent;
  uint32_t att = op.Level + op.BaseAttenuation + am;
  return uint16_t((att > 127 ? 127 : att) << 4);
}

// Attenuations of samples [from, to) at the present level.
inline void Hold(const Ym2413Operator& op, const Clocks& k, uint8_t amMask, uint32_t from,
                 uint32_t to, uint16_t* att) {
  if (amMask == 0 || op.Level >= 127) {
    std::fill(att + from, att + to, Attenuation(op, 0));
  } else {
    // (Narrow types, so that the loop is vectorised.)
    const int16_t base = int16_t(op.Level + op.BaseAttenuation);
    for (uint32_t i = from; i < to; i++) {
      int16_t total = int16_t(base + k.am[i]);
      att[i] = uint16_t((total > 127 ? 127 : total) << 4);
    }
  }
}

// The damp's end and the fastest attack need no step.
inline bool Immediate(const Ym2413Operator& op) {
  return (op.State == Ym2413EgDamp && op.Level >= 127) ||
         (op.State == Ym2413EgAttack && op.Rate >= 60);
}

// The envelope over a run: the level holds between the samples where the
// rate's mask lets it step. Returns the sample where the phase restarts, or
// Run if it does not.
uint32_t EnvelopeRun(Ym2413Operator& op, const Clocks& k, uint32_t count, uint16_t* att) {
  const uint8_t amMask = op.Am ? 0xFF : 0;
  uint32_t restart = Run;
  uint32_t i = 0;
  while (i < count) {
    if (Steady(op)) {
      Hold(op, k, amMask, i, count, att);
      break;
    }
    if (!Immediate(op)) {
      // The counter counts up by one a sample: the next step is this far.
      uint32_t gap = (0u - k.eg[i]) & op.EgMask;
      uint32_t end = gap < count - i ? i + gap : count;
      Hold(op, k, amMask, i, end, att);
      i = end;
      if (i == count) break;
    }
    if (op.State < Ym2413EgDecay) {
      if (StepEnvelopeStart(op, k.eg[i])) restart = i;
    } else {
      StepEnvelopeFall(op, k.eg[i]);
    }
    att[i] = Attenuation(op, k.am[i] & amMask);
    i++;
  }
  return restart;
}

// Phase step per sample: (F-number << block) * multiple / 2, with the
// vibrato's quarters of the F-number added.
inline uint32_t VibratoIncrement(const Ym2413Operator& op, const Ym2413Channel& ch, int step) {
  uint32_t f = uint32_t(int32_t(ch.Fnum * 4) + int32_t(ch.Fnum >> 6) * step);
  return ((f << ch.Block) * op.Mul2) >> 3;
}

// Phases of samples [from, to), the phase counter going on from `p`.
uint32_t PhaseSpan(const Ym2413Operator& op, const Ym2413Channel& ch, const Clocks& k, uint32_t p,
                   uint32_t from, uint32_t to, uint16_t* phase) {
  // The 19-bit counter is the low bits of a 32-bit sum (2^32 being a
  // multiple of 2^19), so the sum runs on and only the results are masked.
  if (!op.Vib) {
    const uint32_t increment = op.Increment;
    for (uint32_t i = from; i < to; i++) {
      p += increment;
      phase[i] = uint16_t((p & 0x7FFFF) >> 9);
    }
    return p & 0x7FFFF;
  }
  uint32_t increments[8];
  for (int s = 0; s < 8; s++) increments[s] = VibratoIncrement(op, ch, VibratoSteps[s]);
  for (uint32_t i = from; i < to; i++) {
    p += increments[k.vibrato[i]];
    phase[i] = uint16_t((p & 0x7FFFF) >> 9);
  }
  return p & 0x7FFFF;
}

// The phases over a run; the counter restarts from 0 at sample `restart`.
void PhaseRun(Ym2413Operator& op, const Ym2413Channel& ch, const Clocks& k, uint32_t count,
              uint32_t restart, uint16_t* phase) {
  if (restart >= count) {
    op.Phase = PhaseSpan(op, ch, k, op.Phase, 0, count, phase);
    return;
  }
  PhaseSpan(op, ch, k, op.Phase, 0, restart, phase);
  op.Phase = PhaseSpan(op, ch, k, 0, restart, count, phase);
}

void OperatorPasses(Ym2413Operator& op, const Ym2413Channel& ch, const Clocks& k, uint32_t count,
                    OperatorRun* run) {
  uint32_t restart = EnvelopeRun(op, k, count, run->att);
  PhaseRun(op, ch, k, count, restart, run->phase);
}

// One operator's output, signed, at most 4084 in magnitude: two look-ups.
inline int32_t OperatorOutput(const Ym2413Tables& t, const uint16_t* wave, uint32_t phase,
                              uint32_t att) {
  return t.Exp[wave[phase & 0x3FF] + att];
}

inline const uint16_t* WaveOf(const Ym2413Tables& t, const Ym2413Operator& op) {
  return t.Wave[op.Rectified ? 1 : 0];
}

// A channel whose operators are both silent until the next write only turns
// its phases.
bool Idle(const Ym2413Channel& ch) {
  for (const Ym2413Operator& op : ch.Op)
    if (op.Level < 127 || !Steady(op)) return false;
  return true;
}

void TurnPhases(Ym2413Channel& ch, const Clocks& k, uint32_t count) {
  for (Ym2413Operator& op : ch.Op) {
    if (!op.Vib) {
      op.Phase = (op.Phase + op.Increment * count) & 0x7FFFF;
      continue;
    }
    for (uint32_t i = 0; i < count; i++)
      op.Phase = (op.Phase + VibratoIncrement(op, ch, VibratoSteps[k.vibrato[i]])) & 0x7FFFF;
  }
}

// A melodic channel (or the bass drum) over a run: the modulator, with
// feedback, phase-modulates the carrier.
struct FmRun {
  Ym2413Channel* ch;
  OperatorRun mod, car;
  const uint16_t* modWave;
  const uint16_t* carWave;
  int32_t weight;
};

// The envelopes and phases of a channel; false (phases turned) if it is idle.
bool PrepareFm(const Ym2413Tables& t, Ym2413Channel& ch, const Clocks& k, uint32_t count,
               int32_t weight, FmRun* run) {
  if (Idle(ch)) {
    TurnPhases(ch, k, count);
    return false;
  }
  run->ch = &ch;
  OperatorPasses(ch.Op[0], ch, k, count, &run->mod);
  OperatorPasses(ch.Op[1], ch, k, count, &run->car);
  run->modWave = WaveOf(t, ch.Op[0]);
  run->carWave = WaveOf(t, ch.Op[1]);
  run->weight = weight;
  return true;
}

// Adds the carriers' 9-bit outputs (times their weights) of N channels to
// `mix`. Each modulator's feedback makes a chain of look-ups from sample to
// sample; channels go N abreast so that their chains overlap.
template <int N>
void MixFm(const Ym2413Tables& t, FmRun* runs, int32_t* mix, uint32_t count) {
  uint32_t shift[N];
  int32_t feedbackMask[N], fb0[N], fb1[N];
  for (int g = 0; g < N; g++) {
    const Ym2413Channel& ch = *runs[g].ch;
    // Feedback: the mean of the last two outputs, scaled by FB (none: 0).
    shift[g] = ch.FeedbackShift ? ch.FeedbackShift : 31;
    feedbackMask[g] = ch.FeedbackShift ? -1 : 0;
    fb0[g] = ch.Feedback[0];
    fb1[g] = ch.Feedback[1];
  }
  for (uint32_t i = 0; i < count; i++) {
    int32_t sum = 0;
    for (int g = 0; g < N; g++) {
      const FmRun& r = runs[g];
      int32_t fb = ((fb0[g] + fb1[g]) >> shift[g]) & feedbackMask[g];
      int32_t m = OperatorOutput(t, r.modWave, r.mod.phase[i] + uint32_t(fb), r.mod.att[i]);
      fb1[g] = fb0[g];
      fb0[g] = m;
      // A full-scale modulator swings the carrier's phase by two periods.
      int32_t c = OperatorOutput(t, r.carWave, r.car.phase[i] + uint32_t(m >> 1), r.car.att[i]);
      sum += (c >> 3) * r.weight;
    }
    mix[i] += sum;
  }
  for (int g = 0; g < N; g++) {
    runs[g].ch->Feedback[0] = int16_t(fb0[g]);
    runs[g].ch->Feedback[1] = int16_t(fb1[g]);
  }
}

void MixAllFm(const Ym2413Tables& t, FmRun* runs, int active, int32_t* mix, uint32_t count) {
  int r = 0;
  for (; r + 3 <= active; r += 3) MixFm<3>(t, runs + r, mix, count);
  if (active - r == 2) MixFm<2>(t, runs + r, mix, count);
  if (active - r == 1) MixFm<1>(t, runs + r, mix, count);
}

// Hi-hat, snare drum, tom-tom and top cymbal on channels 7 and 8. Hi-hat and
// top cymbal take their phase from bits of channel 7's modulator and channel
// 8's carrier (a metallic square-ish mix), the hi-hat and snare drum add the
// noise; the tom-tom is a plain sine. Each counts twice: the rhythm sounds
// come out of the multiplexed DAC twice as often.
void Drums(const Ym2413Tables& t, Ym2413* chip, const Clocks& k, int32_t* mix, uint32_t count) {
  Ym2413Channel& c7 = chip->Ch[7];
  Ym2413Channel& c8 = chip->Ch[8];
  OperatorRun hh, sd, tom, tcy;
  OperatorPasses(c7.Op[0], c7, k, count, &hh);
  OperatorPasses(c7.Op[1], c7, k, count, &sd);
  OperatorPasses(c8.Op[0], c8, k, count, &tom);
  OperatorPasses(c8.Op[1], c8, k, count, &tcy);
  const uint16_t* hhWave = WaveOf(t, c7.Op[0]);
  const uint16_t* sdWave = WaveOf(t, c7.Op[1]);
  const uint16_t* tomWave = WaveOf(t, c8.Op[0]);
  const uint16_t* tcyWave = WaveOf(t, c8.Op[1]);
  for (uint32_t i = 0; i < count; i++) {
    uint32_t p7 = hh.phase[i], p8 = tcy.phase[i];
    uint32_t ring7 = (((p7 >> 2) ^ (p7 >> 7)) | (p7 >> 3)) & 1;
    uint32_t ring8 = ((p8 >> 3) ^ (p8 >> 5)) & 1;
    uint32_t high = ring7 | ring8;
    uint32_t noise = k.noise[i];
    uint32_t bit8 = (p7 >> 8) & 1;
    int32_t sum = OperatorOutput(t, hhWave, high << 9 | ((high ^ noise) ? 0xD0 : 0x34), hh.att[i]) >> 3;
    sum += OperatorOutput(t, sdWave, bit8 << 9 | (bit8 ^ noise) << 8, sd.att[i]) >> 3;
    sum += OperatorOutput(t, tomWave, tom.phase[i], tom.att[i]) >> 3;
    sum += OperatorOutput(t, tcyWave, high << 9 | 0x100, tcy.att[i]) >> 3;
    mix[i] += 2 * sum;
  }
}

// The counters every operator shares, for `count` samples.
void RunClocks(Ym2413* chip, Clocks* k, uint32_t count) {
  uint32_t eg = chip->EgCounter, amCounter = chip->AmCounter, n = chip->Noise;
  for (uint32_t i = 0; i < count; i++) {
    eg = (eg + 1) & 0x7FFF;
    k->eg[i] = uint16_t(eg);
    // AM: a triangle of 0..13 steps (4.9 dB) over 13,440 samples (3.7 Hz).
    uint32_t step = amCounter >> 6;
    k->am[i] = uint8_t((step < 105 ? step : 209 - step) >> 3);
    if (++amCounter >= Ym2413AmPeriod) amCounter = 0;
    // Vibrato: eight steps of 1,024 samples (6.1 Hz) from the envelope counter.
    k->vibrato[i] = uint8_t((eg >> 10) & 7);
    // Noise: 23-bit shift register, taps 0 and 14.
    n = (n >> 1) | (((n ^ (n >> 14)) & 1) << 22);
    k->noise[i] = uint8_t(n & 1);
  }
  chip->EgCounter = uint16_t(eg);
  chip->AmCounter = uint16_t(amCounter);
  chip->Noise = n;
}

}  // namespace

void Ym2413RenderNative(Ym2413* chip, int16_t* out, uint32_t count) {
  const Ym2413Tables& t = Ym2413GetTables();
  const bool rhythm = (chip->Regs[0x0E] & 0x20) != 0;
  Clocks k;
  int32_t mix[Run];
  FmRun runs[9];
  while (count > 0) {
    uint32_t n = count < Run ? count : Run;
    RunClocks(chip, &k, n);
    for (uint32_t i = 0; i < n; i++) mix[i] = 0;
    int active = 0;
    for (int c = 0; c < 9; c++) {
      // In rhythm mode channel 6 is the bass drum, counted twice as the
      // drums are.
      if (rhythm && c > 6) break;
      int32_t weight = rhythm && c == 6 ? 2 : 1;
      if (PrepareFm(t, chip->Ch[c], k, n, weight, &runs[active])) active++;
    }
    MixAllFm(t, runs, active, mix, n);
    if (rhythm) Drums(t, chip, k, mix, n);
    for (uint32_t i = 0; i < n; i++) out[i] = int16_t(mix[i] * 4);
    out += n;
    count -= n;
  }
}
