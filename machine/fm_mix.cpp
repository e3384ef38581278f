// The FM unit's samples mixed into the PSG's output ring, for the machine's
// unit and the VGM player's chip alike.
#include "machine/fm_unit.h"
#include "machine/psg.h"

namespace {

// One FM channel at its loudest (a carrier's 9-bit output, times four
// out of the chip) comes out as loud as one PSG channel at its loudest:
// FM music then sounds about as loud as the same game's PSG music, and only
// several FM channels at full level together reach the ring's limits, where
// they are clamped. sound_volume scales both alike.
constexpr int32_t MixGain = 4;

}  // namespace

void FmMixIntoRing(PsgState* psg, const int16_t* mono, uint32_t count, bool keep_psg) {
  constexpr uint32_t RingFrames = PsgRingBytes / 4;
  if (count > RingFrames) count = RingFrames;
  const int32_t volume = sound_volume * MixGain;
  uint32_t frame = (psg->RingWrite / 4 + RingFrames - count) % RingFrames;
  for (uint32_t i = 0; i < count; i++, frame = (frame + 1) % RingFrames) {
    int16_t* pair = psg->Ring + 2 * frame;
    const int32_t fm = mono ? mono[i] * volume / 100 : 0;
    for (int side = 0; side < 2; side++) {
      const int32_t v = (keep_psg ? pair[side] : 0) + fm;
      pair[side] = int16_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
    }
  }
}
