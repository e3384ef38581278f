#include "machine/memory.h"

#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/options.h"

namespace {

constexpr uint32_t BankSize = 0x4000;

// Stands in for image banks that do not exist (no image installed, or an
// image shorter than one bank), so the map never points past an allocation.
uint8_t BlankBank[BankSize];

uint32_t BankCount() { return CartBanks ? CartBanks : 1; }

uint8_t* BankBase(uint32_t bank) {
  if (CartImage && (bank + 1) * BankSize <= CartSize) return CartImage + bank * BankSize;
  return BlankBank;
}

bool CartRamMapped(const Machine* m) { return m->CartRamEnabled && m->CartRam; }

void MapRomPages(int first, int last, uint8_t* bank) {
  for (int page = first; page <= last; ++page) {
    uint8_t* p = bank + (page & 0x3F) * 256;
    FetchPages[page] = p;
    ReadPages[page] = p;
    WritePages[page] = nullptr;
  }
}

void MapSlot0(Machine* m) { MapRomPages(0x04, 0x3F, BankBase(m->RomBank0)); }
void MapSlot1(Machine* m) { MapRomPages(0x40, 0x7F, BankBase(m->RomBank1)); }

void MapSlot2(Machine* m) {
  if (!CartRamMapped(m)) {
    MapRomPages(0x80, 0xBF, BankBase(m->RomBank2));
    return;
  }
  uint8_t* bank = m->CartRam + m->CartRamBank * BankSize;
  for (int page = 0x80; page <= 0xBF; ++page) {
    uint8_t* p = bank + (page & 0x3F) * 256;
    FetchPages[page] = p;
    ReadPages[page] = p;
    WritePages[page] = p;
  }
  // Kept trapped so that a Code Masters bank write at $8000 is always seen.
  WritePages[0x80] = nullptr;
}

}  // namespace

void RebuildPageTables(Machine* m) {
  // The first 1 KB always shows image bank 0 (the interrupt vectors).
  MapRomPages(0x00, 0x03, BankBase(0));
  MapSlot0(m);
  MapSlot1(m);
  MapSlot2(m);
  for (int page = 0xC0; page <= 0xFF; ++page) {
    uint8_t* p = m->Ram + (page & 0x1F) * 256;
    FetchPages[page] = p;
    ReadPages[page] = p;
    WritePages[page] = p;
  }
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
        m->RomBank0 = value % BankCount();
        RemapSlot0(m);
        break;
      case 0xFFFE:
        if (codemasters) break;
        m->Ram[0x1FFE] = value;
        m->RomBank1 = value % BankCount();
        RemapSlot1(m);
        break;
      default:  // $FFFF works with both mappers
        m->Ram[0x1FFF] = value;
        m->RomBank2 = value % BankCount();
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
      m->RomBank2 = value % BankCount();
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
