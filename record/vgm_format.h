// The VGM music file layout shared by the logger and the player: a 64-byte
// header (version 1.01), SN76489 command data from offset 0x40, and a Gd3
// tag of UTF-16 texts after the data.
#pragma once
#include <cstdint>

#include "base/byte_order.h"

constexpr uint32_t VgmHeaderSize = 0x40;
constexpr uint32_t VgmVersion = 0x101;
constexpr uint32_t VgmGd3Version = 0x100;
constexpr uint32_t VgmChipClock = 3579545;  // the SN76489 of an NTSC console
constexpr uint32_t VgmSampleRate = 44100;

// Header fields: byte offsets in the file.
enum VgmHeaderField : uint32_t {
  VgmEofOffset = 0x04,     // file length - 4
  VgmVersionField = 0x08,
  VgmClockField = 0x0C,    // SN76489 clock
  VgmYm2413Field = 0x10,
  VgmGd3Offset = 0x14,     // relative to this field; 0 = no tag
  VgmTotalSamples = 0x18,
  VgmLoopOffset = 0x1C,    // relative to this field; 0 = no loop
  VgmLoopSamples = 0x20,
  VgmRateField = 0x24,
  VgmDataOffset = 0x34,    // from version 1.50: data start relative to this field
};

enum VgmCommandCode : uint8_t {
  VgmCmdStereo = 0x4F,    // dd: Game Gear stereo byte
  VgmCmdPsg = 0x50,       // dd: SN76489 write
  VgmCmdWait = 0x61,      // nn nn: wait n samples
  VgmCmdWaitNtsc = 0x62,  // wait 735 samples
  VgmCmdWaitPal = 0x63,   // wait 882 samples
  VgmCmdEnd = 0x66,       // end of data (loop)
};

constexpr uint32_t VgmNtscFrameSamples = 735;
constexpr uint32_t VgmPalFrameSamples = 882;

// The largest command data either side handles: a sample-accurate log
// grows about 170 KB per second, so this holds some 25 minutes of it and
// hours of a frame-accurate one, and a hostile file cannot make the player
// hold more.
constexpr uint32_t VgmMaxDataBytes = 256u << 20;
