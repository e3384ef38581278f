// FM unit speed: one NTSC frame (735 samples at 44,100 Hz, about 829 at the
// chip's rate) per iteration, through the line ticks and the frame end as the
// machine drives it, with every channel sounding. Each new note is a key-off
// and key-on with a new pitch on one channel, so that percussive instruments
// keep sounding and every key-on goes through the damp and the attack.
#include <benchmark/benchmark.h>

#include <memory>

#include "machine/ym2413.h"

namespace {

void Write(Ym2413* chip, uint8_t reg, uint8_t value) {
  Ym2413WriteAddress(chip, reg);
  Ym2413WriteData(chip, value);
}

void NewNote(Ym2413* chip, int ch, uint32_t n) {
  uint8_t high = uint8_t(0x20 | (2 + (n + ch) % 4) << 1 | 1);
  Write(chip, uint8_t(0x10 + ch), uint8_t(0x40 + 17 * ch + (n & 0x1F)));
  Write(chip, uint8_t(0x20 + ch), high);
  Write(chip, uint8_t(0x20 + ch), uint8_t(high | 0x10));
}

// `notesPerFrame` new notes, spread over the frame's lines; with `rhythm`
// channels 6-8 are the drums, all struck again every eighth frame.
void RunFrames(benchmark::State& state, int notesPerFrame, bool rhythm) {
  auto chip = std::make_unique<Ym2413>();
  Ym2413SetFrame(chip.get(), 262, 735);
  Ym2413Reset(chip.get());
  // Every channel on a different instrument (vibrato, AM and feedback among
  // them), the sustain flag on.
  const int melodic = rhythm ? 6 : 9;
  for (int ch = 0; ch < 9; ch++) {
    Write(chip.get(), uint8_t(0x30 + ch), uint8_t((ch + 1) << 4 | (ch % 3)));
    NewNote(chip.get(), ch, 0);
  }
  if (rhythm) {
    Write(chip.get(), 0x36, 0x00);
    Write(chip.get(), 0x37, 0x00);
    Write(chip.get(), 0x38, 0x00);
  }
  const int spacing = 262 / notesPerFrame;
  uint32_t frame = 0, notes = 0;
  for (auto _ : state) {
    for (int line = 0; line < 262; line++) {
      if (line % spacing == 0 && line / spacing < notesPerFrame) {
        NewNote(chip.get(), int(notes % melodic), notes);
        notes++;
      }
      if (rhythm && line == 0 && frame % 8 == 0) {
        Write(chip.get(), 0x0E, 0x20);
        Write(chip.get(), 0x0E, 0x3F);
      }
      Ym2413LineTick(chip.get(), true);
    }
    benchmark::DoNotOptimize(Ym2413FrameEnd(chip.get(), true));
    benchmark::DoNotOptimize(chip->Frame);
    frame++;
  }
  state.SetItemsProcessed(state.iterations());
}

// A busy song: a new note on some channel every frame (60 a second).
void BM_Ym2413FrameNineChannels(benchmark::State& state) { RunFrames(state, 1, false); }
void BM_Ym2413FrameRhythm(benchmark::State& state) { RunFrames(state, 1, true); }
// Far past any song: nine new notes every frame.
void BM_Ym2413FrameNineNotesEachFrame(benchmark::State& state) { RunFrames(state, 9, false); }

}  // namespace

BENCHMARK(BM_Ym2413FrameNineChannels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ym2413FrameRhythm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ym2413FrameNineNotesEachFrame)->Unit(benchmark::kMicrosecond);
