// The Z80 address map of one machine: the cartridge image through the Sega
// mapper ($FFFC-$FFFF) or the Code Masters variant ($8000), the 8 KB system
// RAM with its mirror, and the cartridge RAM, laid out in the core's three
// page tables of 256-byte pages. Writes to ROM pages and to the mapper
// registers trap into MemoryWrite.
#pragma once
#include <cstdint>

struct Machine;

// Bank numbers are reduced modulo this: the image's banks, at least 1.
uint32_t MapperBankCount();

// Fills all three page tables of the core from the machine's fields.
void RebuildPageTables(Machine* machine);
// Refresh one slot ($0400-$3FFF, $4000-$7FFF, $8000-$BFFF). They only touch
// the core's tables while the machine is the one loaded in the core.
void RemapSlot0(Machine* machine);
void RemapSlot1(Machine* machine);
void RemapSlot2(Machine* machine);

// The memory-write callback: mapper registers, cartridge RAM, ROM writes.
void MemoryWrite(Machine* machine, uint16_t address, uint8_t value);
// The memory-read callback: no page traps reads, so it answers 0.
uint8_t MemoryRead(Machine* machine, uint16_t address);

// The bank-qualified form of a Z80 address of the primary machine: an image
// offset for ROM, a cartridge RAM offset while that RAM is mapped, and a RAM
// address folded into $C000-$DFFF for RAM.
uint32_t AbsoluteAddress(uint16_t address);

struct MemoryRegionInfo {
  const char* name;
  uint32_t start;
  uint32_t size;
  bool in_vdp;  // the VDP's video memory rather than the Z80 address space
};
// The memory viewer's regions 0..4; false for any other index.
bool MemoryRegion(int index, MemoryRegionInfo* region);
