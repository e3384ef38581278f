// The FM unit's samples mixed into the PSG's output ring, for the machine's
// unit and the VGM player's chip alike.
#include "machine/fm_unit.h"
#include "machine/psg.h"

namespace {

// The FM chip's full scale (every channel at its loudest) matches the
// PSG's (its four channels at their loudest); twice that puts one FM
// channel at about half a PSG channel's level and keeps the music of five or
// six FM channels clear of clipping. sound_volume then scales both alike.
constexpr int32_t MixGain = 2;

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
