// The machine option word: one global of bits that select the system
// variant and the emulation settings. It is the first field of every
// machine block in a state file.
#pragma once
#include <cstdint>

enum MachineOption : uint32_t {
  OptMasterSystemIo = 0x0001,   // controller ports $DC/$DD
  OptGameGearIo = 0x0002,       // ports $00-$06
  OptPalLines = 0x0004,         // 313 lines per frame (clear: 262)
  OptNtscRate = 0x0008,         // 60 frames per second (clear: 50)
  OptSmsPalette = 0x0010,       // 6-bit colours
  OptGgPalette = 0x0020,        // 12-bit colours
  OptSmsScreen = 0x0040,        // leftmost 8 pixels of every line blanked
  OptGgScreen = 0x0080,         // only the 160 x 144 window is rendered
  OptCodemastersMapper = 0x0100,
  OptJapanese = 0x0200,         // country "japanese" (clear: "european")
  OptSpriteFlickering = 0x0400, // at most 8 sprites per line (4 in the legacy modes)
  OptVramAccessWait = 0x0800,   // badly timed VRAM accesses dropped and counted
  OptLink = 0x1000,             // run the link partner
  OptFmUnit = 0x2000,           // the FM sound unit is fitted (never on the Game Gear)
};

// Bits replaced as a group when a cartridge is installed.
constexpr uint32_t OptSystemGroup = 0x00F3;
constexpr uint32_t OptMasterSystemGroup = 0x0051;
constexpr uint32_t OptGameGearGroup = 0x00A2;
constexpr uint32_t OptInitial = 0x04AA;

extern uint32_t MachineOptions;
