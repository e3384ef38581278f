// What a machine block's 233 reserved bytes carry beyond the fixed fields, so
// that a state loaded at a frame boundary plays on exactly as the machine
// would have: the sound synthesiser's own registers, generators and pending
// time and output ring position, the VDP's access-timing check, the core's
// hidden MEMPTR register, the machine's halted flag and Q latch and, at the
// end of the bytes, the FM unit (its control register and the chip's whole
// state) when it is fitted.
// The bytes start with a tag; a block whose reserved bytes are all zero (or
// carry another tag) loads without them, as the fixed fields alone describe.
// A block without the FM unit's part loads with the unit reset.
#pragma once
#include <cstddef>
#include <cstdint>

#include "machine/ym2413.h"

struct Machine;

constexpr size_t StateExtrasSize = 233;
// The FM unit's part, last: a flag (1 when it is there), the control
// register ($F2) and the chip's state block.
constexpr size_t StateExtrasFmSize = 2 + Ym2413StateSize;
constexpr size_t StateExtrasFmAt = StateExtrasSize - StateExtrasFmSize;

void WriteStateExtras(const Machine& machine, uint8_t* bytes);
// False for a tagged block holding values the synthesiser or the FM chip
// never has.
bool CheckStateExtras(const uint8_t* bytes);
// After the machine's VDP and PSG blocks were read.
void ReadStateExtras(Machine* machine, const uint8_t* bytes);
// The core's own part (one core serves both machines: the primary's block).
void InstallCoreExtras(const uint8_t* bytes);
// For the machine just selected from its block: a block written before the
// halted flag was kept marks a halted CPU by PC on the HALT, as the core
// then ran it; such a CPU becomes halted with PC past the HALT.
void AdoptOldHalt(Machine* machine, const uint8_t* bytes);
