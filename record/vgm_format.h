// The VGM music file layout shared by the logger and the player: a 64-byte
// header (version 1.01, or 1.51 when the FM unit's YM2413 plays too),
// command data from offset 0x40, and a Gd3 tag of UTF-16 texts after the
// data.
#pragma once
#include <cstdint>

#include "base/byte_order.h"

constexpr uint32_t VgmHeaderSize = 0x40;
constexpr uint32_t VgmVersion = 0x101;
constexpr uint32_t VgmFmVersion = 0x151;  // the first with the SN76489's flags byte
constexpr uint32_t VgmGd3Version = 0x100;
constexpr uint32_t VgmChipClock = 3579545;  // the SN76489 of an NTSC console
constexpr uint32_t VgmSampleRate = 44100;

// Header fields: byte offsets in the file.
enum VgmHeaderField : uint32_t {
  VgmEofOffset = 0x04,     // file length - 4
  VgmVersionField = 0x08,
  VgmClockField = 0x0C,    // SN76489 clock
  VgmYm2413Field = 0x10,   // YM2413 clock; 0 = none
  VgmGd3Offset = 0x14,     // relative to this field; 0 = no tag
  VgmTotalSamples = 0x18,
  VgmLoopOffset = 0x1C,    // relative to this field; 0 = no loop
  VgmLoopSamples = 0x20,
  VgmRateField = 0x24,
  VgmSnFeedback = 0x28,    // from version 1.10: 16-bit noise feedback pattern
  VgmSnShiftWidth = 0x2A,  // from version 1.10: 8-bit shift register width
  VgmSnFlags = 0x2B,       // from version 1.51
  VgmDataOffset = 0x34,    // from version 1.50: data start relative to this field
};

enum VgmCommandCode : uint8_t {
  VgmCmdStereo = 0x4F,    // dd: Game Gear stereo byte
  VgmCmdPsg = 0x50,       // dd: SN76489 write
  VgmCmdYm2413 = 0x51,    // aa dd: YM2413 register aa := dd
  VgmCmdWait = 0x61,      // nn nn: wait n samples
  VgmCmdWaitNtsc = 0x62,  // wait 735 samples
  VgmCmdWaitPal = 0x63,   // wait 882 samples
  VgmCmdEnd = 0x66,       // end of data (loop)
};

// The SN76489 of the Sega consoles as the 1.10 fields describe it: white
// noise from taps 0 and 3 of a 16-bit register.
constexpr uint16_t VgmSegaFeedback = 0x0009;
constexpr uint8_t VgmSegaShiftWidth = 16;

// The YM2413 registers a dump of its state writes, in an order that takes
// effect cleanly: the user instrument, the F-numbers, instruments and
// volumes, then the keys, and the rhythm register last.
constexpr uint8_t VgmFmDumpRegisters[] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28,
    0x0E,
};
constexpr uint32_t VgmFmDumpBytes = 3 * sizeof VgmFmDumpRegisters;

constexpr uint32_t VgmNtscFrameSamples = 735;
constexpr uint32_t VgmPalFrameSamples = 882;

// The largest command data either side handles: a sample-accurate log
// grows about 170 KB per second, so this holds some 25 minutes of it and
// hours of a frame-accurate one, and a hostile file cannot make the player
// hold more.
constexpr uint32_t VgmMaxDataBytes = 256u << 20;
