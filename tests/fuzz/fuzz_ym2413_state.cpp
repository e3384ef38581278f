// libFuzzer target for the FM unit's state block: any bytes are refused or
// give a chip that renders.
#include <cstring>
#include <memory>

#include "machine/ym2413.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto chip = std::make_unique<Ym2413>();
  Ym2413SetFrame(chip.get(), 262, 735);
  Ym2413Reset(chip.get());
  // As given (any length but the block's is refused), then cut or padded.
  Ym2413ReadState(chip.get(), data, uint32_t(size));
  uint8_t block[Ym2413StateSize] = {};
  std::memcpy(block, data, size < sizeof block ? size : sizeof block);
  if (Ym2413ReadState(chip.get(), block, sizeof block)) {
    for (int line = 0; line < 262; line++) Ym2413LineTick(chip.get(), true);
    Ym2413FrameEnd(chip.get(), true);
  }
  return 0;
}
