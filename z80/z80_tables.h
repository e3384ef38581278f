// Flag tables of the Z80 core, built at compile time. Internal to z80/.
#pragma once
#include <cstdint>

namespace z80tables {

constexpr uint8_t FS = 0x80, FZ = 0x40, FY = 0x20, FH = 0x10, FX = 0x08,
                  FP = 0x04, FN = 0x02, FC = 0x01;

struct FlagTables {
  uint8_t sz[256];    // S, Z and bits 5 and 3 of a value
  uint8_t szp[256];   // the same with P/V = even parity
  uint8_t inc[256];   // flags of INC whose result is the index (C not included)
  uint8_t dec[256];   // flags of DEC whose result is the index (C not included)
  uint16_t daa[2048]; // index A | C << 8 | N << 9 | H << 10: A << 8 | F
};

constexpr FlagTables MakeFlagTables() {
  FlagTables t{};
  for (int v = 0; v < 256; v++) {
    uint8_t sz = (uint8_t)((v & (FS | FY | FX)) | (v == 0 ? FZ : 0));
    int bits = 0;
    for (int b = 0; b < 8; b++) bits += (v >> b) & 1;
    t.sz[v] = sz;
    t.szp[v] = (uint8_t)(sz | ((bits & 1) ? 0 : FP));
    t.inc[v] = (uint8_t)(sz | ((v & 0x0F) == 0 ? FH : 0) | (v == 0x80 ? FP : 0));
    t.dec[v] = (uint8_t)(sz | FN | ((v & 0x0F) == 0x0F ? FH : 0) | (v == 0x7F ? FP : 0));
  }
  for (int i = 0; i < 2048; i++) {
    int a = i & 0xFF;
    bool c = i & 0x100, n = i & 0x200, h = i & 0x400;
    int lo = a & 0x0F;
    int diff = 0;
    bool carry = c;
    if (h || lo > 9) diff |= 0x06;
    if (c || a > 0x99) {
      diff |= 0x60;
      carry = true;
    }
    uint8_t res = (uint8_t)(n ? a - diff : a + diff);
    bool half = n ? (h && lo < 6) : (lo > 9);
    uint8_t f = (uint8_t)(t.szp[res] | (carry ? FC : 0) | (half ? FH : 0) | (n ? FN : 0));
    t.daa[i] = (uint16_t)(res << 8 | f);
  }
  return t;
}

inline constexpr FlagTables kFlags = MakeFlagTables();

}  // namespace z80tables
