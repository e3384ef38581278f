// The VDP's ports: control latch, read-ahead, CRAM in both colour depths,
// status clearing, the counters and the VRAM access timing check.
#include <string>

#include "vdp_fixture.h"

namespace {

using VdpPortsTest = VdpTest;

TEST_F(VdpPortsTest, SecondControlByteWritesRegisterAndLeavesAddress) {
  VdpWriteControl(vdp, 0x34);
  VdpWriteControl(vdp, 0x81);
  EXPECT_EQ(vdp->regs[1], 0x34);
  EXPECT_EQ(vdp->address, 0x0134);
  VdpWriteData(vdp, 0x5A);  // still the register code: goes to VRAM
  EXPECT_EQ(vdp->vram[0x0134], 0x5A);
  EXPECT_EQ(vdp->regs[1], 0x34);
}

TEST_F(VdpPortsTest, DataAccessOrStatusReadClearsTheLatch) {
  VdpWriteControl(vdp, 0x10);
  VdpWriteData(vdp, 0x00);
  SetAddress(0x0200, VdpCodeVramWrite);  // a whole new pair, not a second byte
  EXPECT_EQ(vdp->address, 0x0200);
  VdpWriteControl(vdp, 0x10);
  VdpReadData(vdp);
  VdpWriteControl(vdp, 0x22);
  EXPECT_EQ(vdp->latch, 1);
  VdpReadStatus(vdp);
  EXPECT_EQ(vdp->latch, 0);
}

TEST_F(VdpPortsTest, ReadAheadAtTheSecondControlByte) {
  WriteVram(0, {0xAB, 0xCD, 0xEF});
  SetAddress(0x0000, VdpCodeVramRead);
  EXPECT_EQ(VdpReadData(vdp), 0xAB);
  EXPECT_EQ(vdp->address, 0x0002);
  EXPECT_EQ(VdpReadData(vdp), 0xCD);
  // A write leaves its byte in the buffer.
  SetAddress(0x0010, VdpCodeVramWrite);
  VdpWriteData(vdp, 0x77);
  EXPECT_EQ(VdpReadData(vdp), 0x77);
}

TEST_F(VdpPortsTest, VramAddressWrapsAndCarriesIntoTopBits) {
  SetAddress(0x3FFF, VdpCodeVramWrite);
  VdpWriteData(vdp, 0x11);
  VdpWriteData(vdp, 0x22);
  EXPECT_EQ(vdp->vram[0x3FFF], 0x11);
  EXPECT_EQ(vdp->vram[0x0000], 0x22);
  EXPECT_EQ(vdp->address & 0x3FFF, 1);
}

TEST_F(VdpPortsTest, CramReadReturnsBufferThenFF) {
  WriteVram(0x40, {0x99});
  SetAddress(0x0040, VdpCodeVramRead);  // buffer := 0x99
  SetAddress(0x0000, VdpCodeCram);
  EXPECT_EQ(VdpReadData(vdp), 0x99);
  EXPECT_EQ(VdpReadData(vdp), 0xFF);
  EXPECT_EQ(vdp->address, 2);
}

TEST_F(VdpPortsTest, SixBitColours) {
  WriteCram(0, {0x3F, 0x03, 0x0C, 0x30, 0x15});
  EXPECT_EQ(vdp->palette[0], 0xC618);
  EXPECT_EQ(vdp->palette[1], 0xC000);
  EXPECT_EQ(vdp->palette[2], 0x0600);
  EXPECT_EQ(vdp->palette[3], 0x0018);
  EXPECT_EQ(vdp->palette[4], 0x4000 | 0x0200 | 0x0008);
  WriteCram(0x20, {0x01});  // the address wraps into 32 entries
  EXPECT_EQ(vdp->cram[0], 0x01);
  EXPECT_EQ(vdp->palette[0], 0x4000);
}

TEST_F(VdpPortsTest, GameGearLatchWritesWholeTwelveBitColours) {
  SetOptions(OptGameGearGroup | OptNtscRate);
  WriteCram(0, {0xFF});
  EXPECT_EQ(vdp->palette[0], 0);  // the even byte waits
  EXPECT_EQ(vdp->cram[0], 0);
  VdpWriteData(vdp, 0x0F);
  EXPECT_EQ(vdp->palette[0], 0xF79E);
  WriteCram(0x3E, {0x0F, 0x00});  // red only, last entry
  EXPECT_EQ(vdp->palette[31], 0xF000);
  WriteCram(0x40, {0xF0, 0x00});  // green only; the address wraps to entry 0
  EXPECT_EQ(vdp->palette[0], 0x0780);
}

TEST_F(VdpPortsTest, GameGearSystemWithSixBitPaletteConvertsEachByte) {
  SetOptions(OptMasterSystemIo | OptGameGearIo | OptSmsPalette | OptNtscRate);
  WriteCram(0, {0x03, 0x30});
  EXPECT_EQ(vdp->palette[0], 0xC000);
  EXPECT_EQ(vdp->palette[1], 0x0018);
}

TEST_F(VdpPortsTest, PaletteFollowsAColourDepthChange) {
  SetOptions(OptGameGearGroup | OptNtscRate);
  WriteCram(0, {0xFF, 0x0F});
  SetOptions(OptMasterSystemGroup | OptNtscRate);
  EXPECT_EQ(vdp->palette[0], 0xC618);  // byte 0x3F of 0xFF
  EXPECT_EQ(vdp->palette[1], 0xC600);  // byte 0x0F: red and green full
  SetOptions(OptGameGearGroup | OptNtscRate);
  EXPECT_EQ(vdp->palette[0], 0xF79E);
}

TEST_F(VdpPortsTest, StatusReadClearsFlagsAndReleasesInterrupt) {
  SetRegister(1, 0x20);
  VdpSetFrameFlag(vdp);
  vdp->status |= VdpStatusOverflow | VdpStatusCollision;
  VdpLineTick(vdp);
  EXPECT_EQ(machine_->SavedIrqLine, 0xFF);
  EXPECT_EQ(VdpReadStatus(vdp), 0xFF);
  EXPECT_EQ(machine_->SavedIrqLine, -1);
  EXPECT_EQ(VdpReadStatus(vdp), 0x1F);
}

TEST_F(VdpPortsTest, HCounterFollowsTheLinePosition) {
  const int positions[][2] = {{0, 0xF4}, {16, 0xFF}, {17, 0x00}, {100, 0x3E},
                              {212, 0x93}, {213, 0xE9}, {227, 0xF3}};
  for (auto [position, value] : positions) {
    SetLinePosition(position);
    EXPECT_EQ(VdpReadHCounter(vdp), value) << position;
  }
  // Slice ending at 171 with 21 cycles still to run: position 150.
  machine_->LineCycleStamp = 171;
  machine_->SavedCycleCounter = 21;
  EXPECT_EQ(VdpLinePosition(vdp), 150);
  // Overshoot past the slice end wraps into the next line.
  machine_->LineCycleStamp = 0;
  machine_->SavedCycleCounter = -5;
  EXPECT_EQ(VdpLinePosition(vdp), 5);
}

TEST_F(VdpPortsTest, VCounterTablesJumpWhereTheyShould) {
  struct Case { uint32_t pal; uint8_t r0, r1; int before_line; uint8_t before, after, last; };
  const Case cases[] = {
      {0, 0x00, 0x00, 218, 0xDA, 0xD5, 0xFF}, {0, 0x02, 0x10, 234, 0xEA, 0xE5, 0xFF},
      {0, 0x02, 0x08, 255, 0xFF, 0x00, 0x05}, {OptPalLines, 0x00, 0x00, 242, 0xF2, 0xBA, 0xFF},
      {OptPalLines, 0x02, 0x10, 258, 0x02, 0xCA, 0xFF}, {OptPalLines, 0x02, 0x08, 266, 0x0A, 0xD2, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before_line);
    SetOptions(OptMasterSystemGroup | (c.pal ? uint32_t(OptPalLines) : uint32_t(OptNtscRate)));
    SetRegister(0, c.r0);
    SetRegister(1, c.r1);
    RunFrameHooks(false);  // the height is taken at the frame boundary
    vdp->line = uint16_t(c.before_line);
    EXPECT_EQ(VdpReadVCounter(vdp), c.before);
    VdpLineEnd(vdp);
    EXPECT_EQ(VdpReadVCounter(vdp), c.after);
    vdp->line = uint16_t(vdp->lines_per_frame - 1);
    EXPECT_EQ(VdpReadVCounter(vdp), c.last);
    VdpLineEnd(vdp);
  }
}

std::string last_message;
void RecordMessage(const char* text) { last_message = text; }

TEST_F(VdpPortsTest, BadlyTimedAccessesAreDroppedAndReported) {
  SetOptions(OptMasterSystemGroup | OptNtscRate | OptVramAccessWait);
  VdpMessageHook = RecordMessage;
  last_message.clear();
  SetRegister(1, 0x40);
  vdp->line = 10;
  VdpLineEnd(vdp);  // a new line begins
  SetAddress(0x0100, VdpCodeVramWrite);
  const int positions[] = {60, 100, 110};
  for (int p : positions) {
    SetLinePosition(p);
    VdpWriteData(vdp, uint8_t(p));
  }
  EXPECT_EQ(vdp->vram[0x100], 60);
  EXPECT_EQ(vdp->vram[0x101], 100);
  EXPECT_EQ(vdp->vram[0x102], 0);
  EXPECT_EQ(vdp->bad_access_count, 1u);
  // A rejected read returns 0xFF and leaves the address.
  SetLinePosition(115);
  uint16_t address = vdp->address;
  EXPECT_EQ(VdpReadData(vdp), 0xFF);
  EXPECT_EQ(vdp->address, address);

  vdp->line = uint16_t(vdp->lines_per_frame - 1);
  VdpLineEnd(vdp);
  EXPECT_EQ(last_message, "There were    2 uncorrectly timed VRAM-accesses this frame.");
  EXPECT_EQ(vdp->bad_access_count, 0u);
  VdpMessageHook = nullptr;
}

TEST_F(VdpPortsTest, AccessCheckSparesDisabledDisplayAndLowerBorder) {
  SetOptions(OptMasterSystemGroup | OptNtscRate | OptVramAccessWait);
  for (int setup = 0; setup < 3; setup++) {
    SetRegister(1, setup == 0 ? 0x00 : 0x40);
    vdp->line = setup == 1 ? 199 : 10;
    if (setup == 2) SetOptions(OptMasterSystemGroup | OptNtscRate);  // option off
    VdpLineEnd(vdp);
    SetAddress(0x0200, VdpCodeVramWrite);
    for (int p : {60, 100, 110}) {
      SetLinePosition(p);
      VdpWriteData(vdp, 0x42);
    }
    EXPECT_EQ(vdp->vram[0x202], 0x42) << setup;
    EXPECT_EQ(vdp->bad_access_count, 0u) << setup;
    vdp->vram[0x202] = 0;
  }
}

TEST_F(VdpPortsTest, WritesAreCheckedFromPosition49) {
  SetOptions(OptMasterSystemGroup | OptNtscRate | OptVramAccessWait);
  SetRegister(1, 0x40);
  vdp->line = 5;
  VdpLineEnd(vdp);
  SetAddress(0x0300, VdpCodeVramWrite);
  SetLinePosition(0);
  VdpWriteData(vdp, 1);  // ends the grace: far from the previous line's access
  SetLinePosition(30);
  VdpWriteData(vdp, 2);
  SetLinePosition(48);
  VdpWriteData(vdp, 3);  // too close but not yet checked
  SetLinePosition(49);
  VdpWriteData(vdp, 4);
  EXPECT_EQ(vdp->vram[0x302], 3);
  EXPECT_EQ(vdp->vram[0x303], 0);
  EXPECT_EQ(vdp->bad_access_count, 1u);
  // 28 cycles after the last accepted access is far enough again.
  SetLinePosition(76);
  VdpWriteData(vdp, 5);
  EXPECT_EQ(vdp->vram[0x303], 5);
}

TEST_F(VdpPortsTest, ReadsAreCheckedFromPosition33) {
  SetOptions(OptMasterSystemGroup | OptNtscRate | OptVramAccessWait);
  SetRegister(1, 0x40);
  vdp->line = 5;
  VdpLineEnd(vdp);
  SetAddress(0, VdpCodeVramRead);
  SetLinePosition(0);
  VdpReadData(vdp);  // 0 - previous position: counts as large, grace ends
  SetLinePosition(30);
  VdpReadData(vdp);
  SetLinePosition(32);
  VdpReadData(vdp);  // too close but not yet checked
  SetLinePosition(33);
  EXPECT_EQ(VdpReadData(vdp), 0xFF);
  EXPECT_EQ(vdp->bad_access_count, 1u);
}

}  // namespace
