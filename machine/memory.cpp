#include "machine/memory.h"

#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

constexpr uint32_t BankSize = 0x4000;

// Stands in for image banks that do not exist (no image installed, or an
// image shorter than one bank), so the map never points past an allocation.
uint8_t BlankBank[BankSize];

uint8_t* BankBase(uint32_t bank) {
  if (CartImage && (bank + 1) * BankSize <= CartSize) return CartImage + bank * BankSize;
  return BlankBank;
}

bool CartRamMapped(const Machine* m) { return m->CartRamEnabled && m->CartRam; }

// Pages first..last show `base`, wrapping every `span_pages` pages; ROM
// pages leave writes to the trap.
void MapPages(int first, int last, uint8_t* base, int span_pages, bool writable) {
  for (int page = first; page <= last; ++page) {
    uint8_t* p = base + (page & (span_pages - 1)) * 256;
    FetchPages[page] = p;
    ReadPages[page] = p;
    WritePages[page] = writable ? p : nullptr;
  }
}

void MapRomPages(int first, int last, uint8_t* bank) { MapPages(first, last, bank, 0x40, false); }

void MapSlot0(Machine* m) { MapRomPages(0x04, 0x3F, BankBase(m->RomBank0)); }
void MapSlot1(Machine* m) { MapRomPages(0x40, 0x7F, BankBase(m->RomBank1)); }

void MapSlot2(Machine* m) {
  if (!CartRamMapped(m)) {
    MapRomPages(0x80, 0xBF, BankBase(m->RomBank2));
    return;
  }
  MapPages(0x80, 0xBF, m->CartRam + m->CartRamBank * BankSize, 0x40, true);
  // Kept trapped so that a Code Masters bank write at $8000 is always seen.
  WritePages[0x80] = nullptr;
}

}  // namespace

uint32_t MapperBankCount() { return CartBanks ? CartBanks : 1; }

void RebuildPageTables(Machine* m) {
  // The first 1 KB always shows image bank 0 (the interrupt vectors).
  MapRomPages(0x00, 0x03, BankBase(0));
  MapSlot0(m);
  MapSlot1(m);
  MapSlot2(m);
  MapPages(0xC0, 0xFF, m->Ram, 0x20, true);  // 8 KB and its mirror
  // The mapper registers live in the last page of the mirror.
  WritePages[0xFF] = nullptr;
}

void RemapSlot0(Machine* m) {
  if (m == CurrentMachine) MapSlot0(m);
}
void RemapSlot1(Machine* m) {
  if (m == CurrentMachine) MapSlot1(m);
}
void RemapSlot2(Machine* m) {
  if (m == CurrentMachine) MapSlot2(m);
}

void MemoryWrite(Machine* m, uint16_t address, uint8_t value) {
  const bool codemasters = MachineOptions & OptCodemastersMapper;
  if (address >= 0xFFFC) {
    switch (address) {
      case 0xFFFC:
        m->Ram[0x1FFC] = value;
        m->CartRamBank = (value >> 2) & 1;
        if (value & 0x08) {
          m->CartRamEnabled = 1;
          m->SramDirty = 1;
        } else {
          m->CartRamEnabled = 0;
        }
        RemapSlot2(m);
        break;
      case 0xFFFD:
        if (codemasters) break;
        m->Ram[0x1FFD] = value;
        m->RomBank0 = value % MapperBankCount();
        RemapSlot0(m);
        break;
      case 0xFFFE:
        if (codemasters) break;
        m->Ram[0x1FFE] = value;
        m->RomBank1 = value % MapperBankCount();
        RemapSlot1(m);
        break;
      default:  // $FFFF works with both mappers
        m->Ram[0x1FFF] = value;
        m->RomBank2 = value % MapperBankCount();
        RemapSlot2(m);
        break;
    }
    return;
  }
  if (address >= 0xC000) {  // RAM and its mirror
    m->Ram[address & 0x1FFF] = value;
    return;
  }
  if (address >= 0x8000) {
    if (address == 0x8000 && codemasters) {
      m->RomBank2 = value % MapperBankCount();
      RemapSlot2(m);
    } else if (CartRamMapped(m)) {
      m->CartRam[m->CartRamBank * BankSize + (address & 0x3FFF)] = value;
    }
  }
  // $0000-$7FFF is ROM: ignored.
}

uint8_t MemoryRead(Machine*, uint16_t) { return 0; }

uint32_t AbsoluteAddress(uint16_t address) {
  const Machine& m = PrimaryMachine;
  if (address < 0x0400) return address;
  if (address < 0x4000) return address + m.RomBank0 * BankSize;
  if (address < 0x8000) return (address & 0x3FFF) + m.RomBank1 * BankSize;
  if (address < 0xC000) {
    uint32_t bank = m.CartRamEnabled ? m.CartRamBank : m.RomBank2;
    return (address & 0x3FFF) + bank * BankSize;
  }
  return (address & 0x1FFF) | 0xC000;
}

bool MemoryRegion(int index, MemoryRegionInfo* region) {
  static const MemoryRegionInfo regions[] = {
      {"ROM bank 0", 0x0000, 0x4000, false},
      {"ROM bank 1", 0x4000, 0x4000, false},
      {"ROM bank 2/SRAM", 0x8000, 0x4000, false},
      {"RAM", 0xC000, 0x2000, false},
      {"VRAM", 0x0000, 0x4000, true},
  };
  if (index < 0 || index >= int(sizeof regions / sizeof regions[0])) return false;
  *region = regions[index];
  return true;
}
