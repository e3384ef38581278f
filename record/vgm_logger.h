// The VGM music logger: compares the primary machine's sound chip registers
// with what it logged last, once per scanline.
#pragma once
#include <cstdint>

extern uint8_t VgmLogState;  // 0 idle, 1 logging, 2 waiting for sound

void VgmLogTick();  // once per scanline of the primary machine
