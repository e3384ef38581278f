// Helpers for the PSG tests: run frames through the line steps as the
// machine does, collect the samples and measure them.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "machine/options.h"
#include "machine/psg.h"

constexpr uint32_t NtscClock = 3584160;
constexpr uint32_t PalClock = 3568200;

struct Stereo {
  std::vector<int16_t> left, right;
};

// A PSG set up as the machine does for NTSC or PAL; the option word is only
// borrowed for PsgInit.
inline std::unique_ptr<PsgState> NewPsg(bool ntsc = true) {
  uint32_t saved = MachineOptions;
  MachineOptions = ntsc ? (OptInitial | OptNtscRate) & ~OptPalLines
                        : (OptInitial | OptPalLines) & ~OptNtscRate;
  PsgResetSettings();
  auto psg = std::make_unique<PsgState>();
  PsgInit(psg.get(), ntsc ? NtscClock : PalClock);
  PsgReset(psg.get());
  MachineOptions = saved;
  return psg;
}

inline void Write(PsgState* psg, std::initializer_list<uint8_t> bytes) {
  for (uint8_t b : bytes) PsgWrite(psg, b);
}

// Takes everything out of the ring and appends it to `out`; false if the
// read failed.
inline bool DrainRing(PsgState* psg, Stereo* out) {
  std::vector<int16_t> buffer(psg->RingFill / 2);
  if (!PsgReadSamples(psg, buffer.data(), psg->RingFill)) return false;
  for (size_t i = 0; i + 1 < buffer.size(); i += 2) {
    out->left.push_back(buffer[i]);
    out->right.push_back(buffer[i + 1]);
  }
  return true;
}

// One frame of line steps and the frame end; the rendered samples are taken
// out of the ring and appended to `out`.
inline void RunPsgFrame(PsgState* psg, Stereo* out, bool ntsc = true) {
  int lines = ntsc ? 262 : 313;
  for (int i = 0; i < lines; i++) PsgLineTick(psg, true);
  PsgFrameEnd(psg, true);
  DrainRing(psg, out);
}

inline Stereo RunPsgFrames(PsgState* psg, int frames, bool ntsc = true) {
  Stereo s;
  for (int i = 0; i < frames; i++) RunPsgFrame(psg, &s, ntsc);
  return s;
}

// Frequency from the spacing of rising crossings of the mid level, in Hz.
inline double MeasureFrequency(const std::vector<int16_t>& x) {
  if (x.empty()) return 0;
  int lo = x[0], hi = x[0];
  for (int16_t v : x) lo = v < lo ? v : lo, hi = v > hi ? v : hi;
  double mid = (lo + hi) / 2.0;
  long first = -1, last = -1, count = 0;
  for (size_t i = 1; i < x.size(); i++) {
    if (x[i - 1] < mid && x[i] >= mid) {
      if (first < 0) first = long(i);
      last = long(i);
      count++;
    }
  }
  if (count < 2) return 0;
  return PsgSampleRate * double(count - 1) / double(last - first);
}

inline int Peak(const std::vector<int16_t>& x) {
  int peak = 0;
  for (int16_t v : x) peak = v > peak ? v : (-v > peak ? -v : peak);
  return peak;
}
