// YM2413 output: resampling from the chip's rate to 44,100 Hz, and the
// frame-by-frame driving that puts each register write at its line.
#include "machine/ym2413_internal.h"

namespace {

// One output sample advances 3,579,545 units, one native sample is
// 3,175,200 (72 * 44,100): the exact ratio, so nothing drifts.
constexpr uint32_t NativeUnit = Ym2413OutputRate * Ym2413ClocksPerSample;
constexpr uint32_t OutputUnit = Ym2413Clock;
// Output samples per batch; they need at most 227 native ones.
constexpr uint32_t Batch = 200;

// Renders the current frame up to the start of the current line.
void CatchUp(Ym2413* chip) {
  if (chip->LinesPerFrame == 0) return;
  uint32_t target = uint32_t(chip->Line) * chip->SamplesPerFrame / chip->LinesPerFrame;
  if (target > chip->SamplesPerFrame) target = chip->SamplesPerFrame;
  if (target <= chip->Rendered) return;
  Ym2413Render(chip, chip->Frame + chip->Rendered, target - chip->Rendered);
  chip->Rendered = uint16_t(target);
}

}  // namespace

// Linear interpolation between the last two native samples (so the output
// runs one native sample, 20 us, late).
void Ym2413Render(Ym2413* chip, int16_t* out, uint32_t count) {
  int16_t native[Batch * 2];
  while (count > 0) {
    uint32_t n = count < Batch ? count : Batch;
    uint32_t need = uint32_t((uint64_t(chip->Acc) + uint64_t(n) * OutputUnit) / NativeUnit);
    Ym2413RenderNative(chip, native, need);
    uint32_t used = 0;
    for (uint32_t i = 0; i < n; i++) {
      chip->Acc += OutputUnit;
      while (chip->Acc >= NativeUnit) {
        chip->Acc -= NativeUnit;
        chip->Prev = chip->Cur;
        chip->Cur = native[used++];
      }
      int32_t delta = chip->Cur - chip->Prev;
      out[i] = int16_t(chip->Prev + int32_t(int64_t(delta) * chip->Acc / NativeUnit));
    }
    out += n;
    count -= n;
  }
}

void Ym2413SetFrame(Ym2413* chip, uint16_t lines, uint16_t samples) {
  chip->LinesPerFrame = lines;
  chip->SamplesPerFrame = uint16_t(samples < Ym2413FrameCapacity ? samples : Ym2413FrameCapacity);
  chip->Line = 0;
  chip->Rendered = 0;
}

void Ym2413WriteAddress(Ym2413* chip, uint8_t value) { chip->Address = value; }

void Ym2413WriteData(Ym2413* chip, uint8_t value) {
  CatchUp(chip);
  Ym2413Write(chip, chip->Address, value);
}

void Ym2413LineTick(Ym2413* chip, bool sound) {
  if (sound && chip->Line < chip->LinesPerFrame) chip->Line++;
}

uint32_t Ym2413FrameEnd(Ym2413* chip, bool sound) {
  uint32_t made = 0;
  if (sound) {
    made = chip->SamplesPerFrame;
    if (made > chip->Rendered)
      Ym2413Render(chip, chip->Frame + chip->Rendered, made - chip->Rendered);
  }
  chip->Line = 0;
  chip->Rendered = 0;
  return made;
}

void Ym2413AddToStereo(const int16_t* mono, int16_t* stereo, uint32_t frames) {
  for (uint32_t i = 0; i < frames; i++) {
    for (int side = 0; side < 2; side++) {
      int32_t v = stereo[2 * i + side] + mono[i];
      stereo[2 * i + side] = int16_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
    }
  }
}
