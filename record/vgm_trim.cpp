// The logger's end and loop trimmers. Both replay the logged commands
// through a scratch chip and look at its registers at every frame boundary
// (each time the samples replayed pass another frame's worth).
#include "record/vgm_trim.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "record/vgm_format.h"

namespace {

constexpr uint32_t ScratchClock = 3584160;
// Loop detection compares windows of up to 2000 frames at every earlier
// frame; beyond some hours of log that is no longer worth the wait.
constexpr size_t MaxLoopFrames = 500000;

std::unique_ptr<PsgState> NewScratchChip() {
  auto psg = std::make_unique<PsgState>();
  PsgInit(psg.get(), ScratchClock);
  PsgReset(psg.get());
  return psg;
}

// The chips of a replay: the PSG, and the FM unit's registers as written.
struct ScratchChips {
  std::unique_ptr<PsgState> psg = NewScratchChip();
  uint8_t fm[0x40] = {};
};

// Replays the logger's commands into `chips`, calling boundary(position
// after the command, samples so far) at each frame boundary until it
// returns false. Returns the position of the end command (or of the data's
// end) and the samples replayed.
template <class Boundary>
uint32_t Replay(const uint8_t* data, uint32_t size, uint32_t frame_samples, ScratchChips* chips,
                uint64_t* samples_out, Boundary boundary) {
  PsgState* psg = chips->psg.get();
  uint32_t pos = 0;
  uint64_t samples = 0;
  int64_t countdown = frame_samples;
  while (pos < size) {
    const uint8_t op = data[pos];
    uint32_t wait = 0, length = 1;
    if (op == VgmCmdEnd) break;
    if (op == VgmCmdStereo || op == VgmCmdPsg) {
      if (size - pos < 2) break;
      if (op == VgmCmdStereo)
        PsgWriteStereo(psg, data[pos + 1]);
      else
        PsgWrite(psg, data[pos + 1]);
      length = 2;
    } else if (op == VgmCmdYm2413) {
      if (size - pos < 3) break;
      chips->fm[data[pos + 1] & 0x3F] = data[pos + 2];
      length = 3;
    } else if (op == VgmCmdWait) {
      if (size - pos < 3) break;
      wait = uint32_t(data[pos + 1] | data[pos + 2] << 8);
      length = 3;
    } else if (op == VgmCmdWaitNtsc) {
      wait = VgmNtscFrameSamples;
    } else if (op == VgmCmdWaitPal) {
      wait = VgmPalFrameSamples;
    }
    pos += length;
    samples += wait;
    countdown -= wait;
    while (countdown <= 0) {
      countdown += frame_samples;
      if (!boundary(pos, samples)) {
        *samples_out = samples;
        return pos;
      }
    }
  }
  *samples_out = samples;
  return pos;
}

bool Rhythm(const uint8_t* fm) { return (fm[0x0E] & 0x20) != 0; }

// An FM melody channel that sounds: keyed, and not at its quietest.
bool FmMelodySounds(const uint8_t* fm, int c) {
  return (fm[0x20 + c] & 0x10) && (fm[0x30 + c] & 0x0F) < 15 && !(c >= 6 && Rhythm(fm));
}

bool FmSilent(const uint8_t* fm) {
  if (Rhythm(fm) && (fm[0x0E] & 0x1F)) return false;
  for (int c = 0; c < 9; c++)
    if (FmMelodySounds(fm, c)) return false;
  return true;
}

bool Silent(const ScratchChips& chips) {
  const PsgRegisters& r = chips.psg->Chip;
  for (int i = 0; i < 4; i++)
    if ((r.Stereo & (0x11 << i)) && r.Volume[i] < 15) return false;
  return FmSilent(chips.fm);
}

// One frame reduced to what the loop search compares.
struct FrameSound {
  int loudness;  // 60 - the four attenuations
  int pitch;     // sum of the periods of the audible channels
};

// The FM channels that sound add their loudness and their block and
// F-number (a PSG-only log has none, and reduces as it always did).
FrameSound Reduce(const ScratchChips& chips) {
  const PsgRegisters& r = chips.psg->Chip;
  FrameSound f{60, 0};
  for (int i = 0; i < 4; i++) {
    f.loudness -= r.Volume[i];
    bool audible = (r.Stereo & (0x11 << i)) && r.Volume[i] < 15;
    if (audible) f.pitch += i < 3 ? r.Tone[i] : r.NoisePeriod;
  }
  const uint8_t* fm = chips.fm;
  for (int c = 0; c < 9; c++) {
    if (!FmMelodySounds(fm, c)) continue;
    f.loudness += 15 - (fm[0x30 + c] & 0x0F);
    f.pitch += (fm[0x20 + c] & 0x0F) << 8 | fm[0x10 + c];
  }
  if (Rhythm(fm)) f.loudness += 3 * __builtin_popcount(fm[0x0E] & 0x1F);
  return f;
}

// Moves a value toward its target by the difference shifted right (at least
// one step), as the ear follows a change rather than jumping with it.
int Approach(int previous, int target, int shift) {
  int difference = target - previous;
  if (difference == 0) return previous;
  int step = difference >> shift;
  if (step == 0) step = 1;  // only positive differences shift to 0
  return previous + step;
}

void Smooth(std::vector<FrameSound>* frames) {
  for (size_t i = 1; i < frames->size(); i++) {
    FrameSound& f = (*frames)[i];
    const FrameSound& p = (*frames)[i - 1];
    f.loudness = Approach(p.loudness, f.loudness, 3);
    f.pitch = Approach(p.pitch, f.pitch, 2);
  }
}

class WindowMatcher {
 public:
  explicit WindowMatcher(const std::vector<FrameSound>& frames)
      : f_(frames), count_(long(frames.size())) {}

  // Compares `length` frames from `first` with the frames from `second`.
  // One frame more or less in the second window is forgiven when the two
  // frames after it match again; skips must alternate in direction, so the
  // windows never drift more than a frame apart.
  bool Match(long first, long second, long length, long* sum) const {
    long i = 0, j = 0, total = 0;
    int last_skip = 0;
    while (i < length) {
      long a = first + i, b = second + j;
      if (Pair(a, b)) {
        total += Difference(a, b);
        i++;
        j++;
      } else if (last_skip != 1 && Pair(a, b + 1) && Pair(a + 1, b + 2)) {
        j++;  // an extra frame in the second window
        last_skip = 1;
      } else if (last_skip != -1 && Pair(a + 1, b) && Pair(a + 2, b + 1)) {
        i++;  // a frame missing from the second window
        last_skip = -1;
      } else {
        return false;
      }
    }
    *sum = total;
    return true;
  }

 private:
  bool Pair(long a, long b) const {
    if (a < 0 || b < 0 || a >= count_ || b >= count_) return false;
    return std::abs(f_[a].loudness - f_[b].loudness) <= 5 && std::abs(f_[a].pitch - f_[b].pitch) < 384;
  }
  long Difference(long a, long b) const {
    return std::abs(f_[a].loudness - f_[b].loudness) + std::abs(f_[a].pitch - f_[b].pitch) / 64;
  }

  const std::vector<FrameSound>& f_;
  long count_;
};

// The loop length in frames (0: none): the last window of the log compared
// with every earlier window.
long FindLoopLength(const WindowMatcher& matcher, long count) {
  long window = count / 7;
  if (window < 200) window = 200;
  if (window > 2000) window = 2000;
  if (count <= 2 * window) return 0;
  const long reference = count - window;
  long base = reference, length = 0, best_start = 0, best_sum = 0;
  for (long start = count - 2 * window; start >= 1; start--) {
    long sum;
    if (!matcher.Match(reference, start, window, &sum)) continue;
    if (length == 0) {
      best_sum = sum;
      length = base - start;
      best_start = start;
    } else if (sum < best_sum) {
      best_sum = sum;
      // About twice the current length: the same loop, one pass further back.
      if (std::labs(base - 2 * length - start) < 16) base = best_start;
      length = base - start;
      best_start = start;
    }
  }
  return length;
}

// The loop's first frame (-1: none) for a loop of `length` frames. The
// smoothing lags, so the windows that decide start 24 frames after it.
long FindLoopStart(const WindowMatcher& matcher, long count, long length) {
  constexpr long Lag = 24;
  if (count - length < Lag + 1) return -1;
  long k = 0, sum = 0;
  for (;; k++) {
    if (count - length - k <= Lag) return -1;
    long span = count - length - k - Lag < length ? count - length - k - Lag : length;
    if (matcher.Match(Lag + k, Lag + k + length, span, &sum)) break;
  }
  long best = sum, kept = 0;
  for (long j = 1; j < Lag; j++) {
    long span = count - length - k - 2 * Lag < length ? count - length - k - 2 * Lag : length;
    long s;
    if (span <= 0 || !matcher.Match(Lag + k + j, Lag + k + j + length, span, &s)) continue;
    if (s == 0 || s < best) {
      best = s;
      kept = j;
    }
  }
  return k + kept;
}

}  // namespace

VgmEndCut FindVgmEnd(const uint8_t* data, uint32_t size, uint32_t frame_samples) {
  ScratchChips chips;
  bool first = true, marked = false;
  VgmEndCut mark{0, 0};
  uint64_t samples = 0;
  uint32_t end = Replay(data, size, frame_samples, &chips, &samples, [&](uint32_t pos, uint64_t at) {
    if (first) {
      first = false;
    } else if (!Silent(chips)) {
      marked = false;
    } else if (!marked) {
      // The first silent frame of what may be the closing silence.
      mark = VgmEndCut{pos, uint32_t(at)};
      marked = true;
    }
    return true;
  });
  if (marked) return mark;
  return VgmEndCut{end, uint32_t(samples)};
}

bool FindVgmLoop(const uint8_t* data, uint32_t size, uint32_t frame_samples, VgmLoopCut* loop) {
  std::vector<FrameSound> frames;
  {
    ScratchChips chips;
    uint64_t samples = 0;
    Replay(data, size, frame_samples, &chips, &samples, [&](uint32_t, uint64_t) {
      frames.push_back(Reduce(chips));
      return frames.size() <= MaxLoopFrames;
    });
  }
  if (frames.size() > MaxLoopFrames) return false;
  Smooth(&frames);
  const long count = long(frames.size());
  WindowMatcher matcher(frames);
  const long length = FindLoopLength(matcher, count);
  if (length <= 0) return false;
  const long first = FindLoopStart(matcher, count, length);
  if (first < 0) return false;

  // Replay once more to find the byte positions and sample counts of the
  // loop's first frame and of the frame after its end.
  ScratchChips chips;
  long frame = 0;
  bool started = false, ended = false;
  uint64_t samples = 0;
  auto start_here = [&](uint32_t pos, uint64_t at) {
    loop->loop_start = pos;
    loop->registers = chips.psg->Chip;
    std::memcpy(loop->fm, chips.fm, sizeof loop->fm);
    loop->loop_samples = uint32_t(at);  // made relative below
    started = true;
  };
  if (first == 0) start_here(0, 0);
  Replay(data, size, frame_samples, &chips, &samples, [&](uint32_t pos, uint64_t at) {
    frame++;
    if (frame == first) start_here(pos, at);
    if (frame == first + length) {
      loop->cut = pos;
      loop->total_samples = uint32_t(at);
      ended = true;
      return false;
    }
    return true;
  });
  if (!started || !ended) return false;
  loop->loop_samples = loop->total_samples - loop->loop_samples;
  return true;
}
