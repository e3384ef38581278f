#include "record/vgm_logger.h"

uint8_t VgmLogState = 0;

void VgmLogTick() {
  if (VgmLogState == 0) return;
  // Logging itself is not written yet; nothing is recorded.
}
