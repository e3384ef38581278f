// SN76489 PSG, synthesiser: replays the command log into the output ring,
// one frame at a time, working on whole stretches between register changes.
#include <cstdint>
#include <cstring>

#include "machine/psg.h"

namespace {

constexpr int16_t BaseTone[16] = {7025, 6850, 6500, 5987, 4903, 3912, 3182, 2545,
                                  2027, 1556, 1249, 966,  754,  589,  472,  0};
constexpr int16_t BaseNoise[16] = {8028, 7828, 7428, 6842, 5603, 4471, 3636, 2909,
                                   2316, 1778, 1427, 1104, 862,  673,  539,  0};
constexpr uint8_t MaxVolume = 75;

void ScaleTables(PsgState* psg) {
  uint8_t volume = sound_volume > MaxVolume ? MaxVolume : sound_volume;
  if (psg->VolumeCache == volume) return;
  for (int i = 0; i < 16; i++) {
    psg->ToneTable[i] = int16_t(BaseTone[i] * volume / 100);
    psg->NoiseTable[i] = int16_t(BaseNoise[i] * volume / 100);
  }
  psg->VolumeCache = volume;
}

uint8_t LogAt(const PsgState* psg, uint32_t offset) {
  return psg->Log[(psg->LogRead + offset) & (PsgLogBytes - 1)];
}

uint16_t LogLe16(const PsgState* psg, uint32_t offset) {
  return uint16_t(LogAt(psg, offset) | LogAt(psg, offset + 1) << 8);
}

// Applies the command at the log's read position to the synthesiser registers.
void ApplyCommand(PsgState* psg) {
  PsgRegisters& r = psg->Synth;
  uint32_t length;
  switch (LogAt(psg, 0)) {
    case PsgCmdVolumes:
      for (int i = 0; i < 4; i++) r.Volume[i] = LogAt(psg, 1 + i) & 0x0F;
      length = 5;
      break;
    case PsgCmdTones:
      for (int i = 0; i < 3; i++) r.Tone[i] = LogLe16(psg, 1 + 2 * i);
      if (r.NoiseRate == 3) r.NoisePeriod = r.Tone[2];
      length = 7;
      break;
    case PsgCmdNoise: {
      uint8_t value = LogAt(psg, 1);
      r.NoiseWhite = (value >> 2) & 1;
      r.NoiseRate = value & 3;
      psg->NoiseShift = 1;
      r.NoisePeriod = r.NoiseRate == 3 ? r.Tone[2] : uint16_t(16u << r.NoiseRate);
      length = 2;
      break;
    }
    case PsgCmdStereo:
      r.Stereo = LogAt(psg, 1);
      length = 2;
      break;
    case PsgCmdWait:
      psg->PendingWait += LogLe16(psg, 1);
      length = 3;
      break;
    default:  // only whole commands are ever logged; drop the rest if not
      length = psg->LogCount;
      break;
  }
  if (length > psg->LogCount) length = psg->LogCount;
  psg->LogRead = (psg->LogRead + length) & (PsgLogBytes - 1);
  psg->LogCount -= length;
}

// Which sides channel `channel` sounds on, as all-ones / zero masks.
void SideMasks(uint8_t stereo, int channel, int32_t* left, int32_t* right) {
  bool l = (stereo >> (channel + 4)) & 1;
  bool r = (stereo >> channel) & 1;
  if (sound_reverse_stereo && l != r) {
    l = !l;
    r = !r;
  }
  *left = l ? -1 : 0;
  *right = r ? -1 : 0;
}

// Adds one level to `count` stereo frames, wrapping at 16 bits; eight frames
// at a time where it can, which the compiler turns into vector adds.
inline void AddRun(int16_t* out, uint32_t count, int32_t left, int32_t right) {
  if (count >= 8) {
    int16_t pattern[16];
    for (int i = 0; i < 16; i += 2) {
      pattern[i] = int16_t(left);
      pattern[i + 1] = int16_t(right);
    }
    for (; count >= 8; count -= 8, out += 16)
      for (int i = 0; i < 16; i++) out[i] = int16_t(out[i] + pattern[i]);
  }
  for (; count > 0; count--, out += 2) {
    out[0] = int16_t(out[0] + left);
    out[1] = int16_t(out[1] + right);
  }
}

// Additions of `period` that bring a counter below 1 back to at least 1;
// nearly always one.
int64_t Reloads(int64_t counter, int64_t period) {
  if (counter + period >= 1) return 1;
  return (1 - counter + period - 1) / period;
}

// Exact division by the step through a 32-bit reciprocal: the estimate is at
// most one short, and the edges are too frequent for a divide each.
struct StepDivider {
  uint32_t step;
  uint64_t reciprocal;  // floor(2^32 / step)
  explicit StepDivider(uint32_t s) : step(s), reciprocal((uint64_t(1) << 32) / s) {}
  uint32_t Divide(uint32_t x) const {
    uint32_t q = uint32_t((x * reciprocal) >> 32);
    if (x - q * step >= step) q++;
    return q;
  }
};

// Whole samples from a counter before it drops below 1.
inline int64_t ClearSamples(int64_t counter, const StepDivider& d) {
  return counter >= 1 ? d.Divide(uint32_t(counter - 1)) : 0;
}

// 256ths of a sample that lie past the edge, for a counter in [-step, 0].
inline int32_t PastEdge(int64_t counter, const StepDivider& d) {
  uint64_t past = uint64_t(-counter) * 256;
  if (past <= 0xFFFFFFFFu) return int32_t(d.Divide(uint32_t(past)));
  return int32_t(past / d.step);
}

void ToneChannel(PsgState* psg, int channel, int16_t* out, uint32_t count) {
  const PsgRegisters& r = psg->Synth;
  uint32_t period = r.Tone[channel];
  int32_t amplitude = psg->ToneTable[r.Volume[channel] & 0x0F];
  int32_t maskL, maskR;
  SideMasks(r.Stereo, channel, &maskL, &maskR);
  bool audible = (maskL | maskR) != 0;
  // (A chip never given its clock holds still rather than divide by zero.)
  if (period < 4 || psg->Step == 0) {
    if (audible) AddRun(out, count, amplitude & maskL, amplitude & maskR);
    return;
  }
  PsgGenerator& gen = psg->Gen[channel];
  const uint32_t step = psg->Step;
  const StepDivider divider(step);
  const int64_t reload = int64_t(period) << 16;
  int64_t counter = gen.Counter;
  int32_t level = gen.FlipFlop ? -amplitude : amplitude;  // the signed level
  int32_t current = level;                                // what the next sample adds
  while (count > 0) {
    // Samples that end before the next edge carry the plain level (after the
    // first, which may still carry the average of the last edge).
    int64_t clear = ClearSamples(counter, divider);
    if (clear > 0) {
      uint32_t n = clear < count ? uint32_t(clear) : count;
      if (audible) {
        AddRun(out, 1, current & maskL, current & maskR);
        AddRun(out + 2, n - 1, level & maskL, level & maskR);
      }
      current = level;
      counter -= int64_t(n) * step;
      out += 2 * n;
      count -= n;
      continue;
    }
    // An edge falls inside this sample: the next one gets the share-weighted
    // average of the two levels.
    if (audible) AddRun(out, 1, current & maskL, current & maskR);
    counter -= step;
    current = ((128 - PastEdge(counter, divider)) * level) >> 7;
    int64_t adds = Reloads(counter, reload);
    counter += adds * reload;
    if (adds & 1) {
      level = -level;
      gen.FlipFlop ^= 1;
    }
    out += 2;
    count--;
  }
  gen.Counter = int32_t(counter);
}

void NoiseChannel(PsgState* psg, int16_t* out, uint32_t count) {
  const PsgRegisters& r = psg->Synth;
  uint32_t period = r.NoisePeriod;
  int32_t amplitude = psg->NoiseTable[r.Volume[3] & 0x0F];
  int32_t maskL, maskR;
  SideMasks(r.Stereo, 3, &maskL, &maskR);
  bool audible = (maskL | maskR) != 0;
  int32_t level = amplitude * (psg->NoiseShift & 1);
  if (period < 4 || psg->Step == 0) {
    if (audible) AddRun(out, count, level & maskL, level & maskR);
    return;
  }
  PsgGenerator& gen = psg->Gen[3];
  const uint32_t step = psg->Step;
  const StepDivider divider(step);
  const int64_t reload = int64_t(period) << 16;
  int64_t counter = gen.Counter;
  uint16_t shift = psg->NoiseShift;
  while (count > 0) {
    int64_t clear = ClearSamples(counter, divider);
    uint32_t n = clear <= 0 ? 1 : clear < count ? uint32_t(clear) : count;
    if (audible) AddRun(out, n, level & maskL, level & maskR);
    counter -= int64_t(n) * step;
    out += 2 * n;
    count -= n;
    if (counter >= 1) continue;
    if (gen.FlipFlop) {
      // The register shifts on every second period.
      unsigned feedback = r.NoiseWhite ? (shift ^ (shift >> 3)) & 1 : shift & 1;
      shift = uint16_t((shift >> 1) | (feedback << 15));
    }
    int64_t adds = Reloads(counter, reload);
    counter += adds * reload;
    if (adds & 1) gen.FlipFlop ^= 1;
    level = amplitude * (shift & 1);
  }
  gen.Counter = int32_t(counter);
  psg->NoiseShift = shift;
}

void SynthesisePiece(PsgState* psg, int16_t* out, uint32_t count) {
  ScaleTables(psg);
  while (count > 0) {
    while (psg->PendingWait == 0 && psg->LogCount > 0) ApplyCommand(psg);
    uint32_t k = count < psg->PendingWait ? count : psg->PendingWait;
    psg->PendingWait -= k;
    if (psg->LogCount == 0 && k < count) k = count;  // hold the last state
    for (int channel = 0; channel < 3; channel++) ToneChannel(psg, channel, out, k);
    NoiseChannel(psg, out, k);
    out += 2 * k;
    count -= k;
  }
}

}  // namespace

void PsgRender(PsgState* psg, uint32_t samples) {
  if (samples > PsgRingBytes / 4) samples = PsgRingBytes / 4;
  uint32_t bytes = samples * 4;
  if (psg->RingFill >= PsgRingBytes - bytes) {
    // Full: the newest samples give way, so the oldest keep playing in order.
    uint32_t back = bytes < psg->RingFill ? bytes : psg->RingFill;
    psg->RingWrite = (psg->RingWrite - back) & (PsgRingBytes - 1);
    psg->RingFill -= back;
  }
  while (bytes > 0) {
    uint32_t piece = PsgRingBytes - psg->RingWrite;
    if (piece > bytes) piece = bytes;
    int16_t* out = psg->Ring + psg->RingWrite / 2;
    std::memset(out, 0, piece);
    SynthesisePiece(psg, out, piece / 4);
    psg->RingWrite = (psg->RingWrite + piece) & (PsgRingBytes - 1);
    psg->RingFill += piece;
    bytes -= piece;
  }
}
