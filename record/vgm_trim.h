// The logger's trimmers: they replay its command data through a scratch
// sound chip (and a copy of the FM unit's registers), frame by frame, to
// find where trailing silence starts or where the music loops. An FM
// channel counts as sounding while it is keyed; its release after the
// key-off does not.
#pragma once
#include <cstdint>

#include "machine/psg.h"

// Cut trailing silence: the data ends just after the wait of the first
// silent frame of the final silent stretch (the end of the data, its final
// 0x66 excluded, when the music is not silent at the end).
struct VgmEndCut {
  uint32_t cut;      // data bytes kept
  uint32_t samples;  // samples up to the cut
};
VgmEndCut FindVgmEnd(const uint8_t* data, uint32_t size, uint32_t frame_samples);

// A loop: the data from loop_start up to cut plays once per pass; the chips
// hold `registers` and `fm` at loop_start.
struct VgmLoopCut {
  uint32_t loop_start;
  uint32_t cut;
  uint32_t total_samples;
  uint32_t loop_samples;
  PsgRegisters registers;
  uint8_t fm[0x40];
};
// False when no loop was found.
bool FindVgmLoop(const uint8_t* data, uint32_t size, uint32_t frame_samples, VgmLoopCut* loop);
