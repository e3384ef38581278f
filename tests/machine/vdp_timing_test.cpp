// The VDP's line hooks: frame and line interrupts, scroll latches, the
// picture height at the frame boundary, reset values and the state block.
#include <cstdio>
#include <cstring>
#include <vector>

#include "vdp_fixture.h"

namespace {

using VdpTimingTest = VdpTest;

// Lines of one frame on which the line interrupt line gets asserted.
std::vector<int> LineInterruptLines(VdpTest* test, VdpState* vdp, Machine* machine) {
  (void)test;
  std::vector<int> lines;
  for (int line = 0; line < vdp->lines_per_frame; line++) {
    machine->SavedIrqLine = -1;
    if (line == vdp->active_lines) VdpSetFrameFlag(vdp);
    VdpLineTick(vdp);
    if (machine->SavedIrqLine == 0xFF) lines.push_back(line);
    VdpReadStatus(vdp);
    VdpLineEnd(vdp);
  }
  return lines;
}

TEST_F(VdpTimingTest, LineInterruptsFollowR10) {
  SetRegister(0, 0x10);
  SetRegister(10, 0);
  RunFrameHooks(false);
  std::vector<int> every = LineInterruptLines(this, vdp, machine_.get());
  ASSERT_EQ(every.size(), 193u);  // every active line and the last line of the frame
  EXPECT_EQ(every.front(), 0);
  EXPECT_EQ(every[191], 191);
  EXPECT_EQ(every.back(), 261);

  // The last line of the frame counts too: from 2 the counter reaches 0 on
  // line 0 and reloads on line 1.
  SetRegister(10, 2);
  RunFrameHooks(false);
  VdpReadStatus(vdp);
  std::vector<int> third = LineInterruptLines(this, vdp, machine_.get());
  ASSERT_GE(third.size(), 3u);
  EXPECT_EQ(third[0], 1);
  EXPECT_EQ(third[1], 4);
  EXPECT_EQ(third[2], 7);

  SetRegister(10, 0xFF);
  RunFrameHooks(false);
  VdpReadStatus(vdp);
  EXPECT_TRUE(LineInterruptLines(this, vdp, machine_.get()).empty());
}

TEST_F(VdpTimingTest, LineInterruptPendingWithoutEnableDoesNotAssert) {
  SetRegister(10, 0);
  RunFrameHooks(false);
  EXPECT_EQ(vdp->line_irq_pending, 1);
  EXPECT_TRUE(LineInterruptLines(this, vdp, machine_.get()).empty());
}

TEST_F(VdpTimingTest, FrameInterruptEnableTakesEffectAtTheNextTick) {
  vdp->line = 192;
  VdpSetFrameFlag(vdp);
  machine_->SavedIrqLine = -1;
  SetRegister(1, 0x20);
  EXPECT_EQ(machine_->SavedIrqLine, -1);
  VdpLineTick(vdp);
  EXPECT_EQ(machine_->SavedIrqLine, 0xFF);
  SetRegister(1, 0x00);  // disabled again with the flag still set: released
  VdpLineTick(vdp);
  EXPECT_EQ(machine_->SavedIrqLine, -1);
}

TEST_F(VdpTimingTest, ScrollLatches) {
  SetRegister(8, 0x20);
  SetRegister(9, 0x30);
  vdp->line = 100;
  VdpLineTick(vdp);
  EXPECT_EQ(vdp->x_scroll_latch, 0x20);  // every line
  EXPECT_EQ(vdp->y_scroll_latch, 0);     // only below the picture
  vdp->line = 200;
  VdpLineTick(vdp);
  EXPECT_EQ(vdp->y_scroll_latch, 0x30);
}

TEST_F(VdpTimingTest, PictureHeightChangesOnlyAtTheFrameBoundary) {
  SetRegister(0, 0x02);
  vdp->line = 50;
  SetRegister(1, 0x10);
  VdpLineEnd(vdp);
  EXPECT_EQ(vdp->active_lines, 192);
  vdp->line = 261;
  VdpLineEnd(vdp);
  EXPECT_EQ(vdp->line, 0);
  EXPECT_EQ(vdp->active_lines, 224);
  EXPECT_EQ(vdp->name_table_height, 256);
}

TEST_F(VdpTimingTest, ResetValues) {
  SetRegister(3, 0x55);
  WriteVram(0x100, {1, 2, 3});
  VdpReset(vdp);
  EXPECT_EQ(vdp->regs[2], 0x0E);
  EXPECT_EQ(vdp->regs[3], 0);
  EXPECT_EQ(vdp->regs[5], 0x7E);
  EXPECT_EQ(vdp->regs[6], 0xFF);
  EXPECT_EQ(vdp->regs[10], 1);
  EXPECT_EQ(vdp->code, VdpCodeVramWrite);
  EXPECT_EQ(vdp->status, 0x1F);
  EXPECT_EQ(vdp->vram[0x101], 2);  // reset keeps VRAM, power-on clears it
  VdpPowerOn(vdp);
  EXPECT_EQ(vdp->vram[0x101], 0);
  EXPECT_EQ(vdp->tile_dirty[0x40], 1);
}

TEST_F(VdpTimingTest, ModeChangeClampsTheLine) {
  SetOptions(OptMasterSystemGroup | OptPalLines);
  EXPECT_EQ(vdp->lines_per_frame, 313);
  EXPECT_EQ(vdp->frames_per_second, 50);
  vdp->line = 300;
  SetOptions(OptMasterSystemGroup | OptNtscRate);
  EXPECT_EQ(vdp->line, 261);
  EXPECT_EQ(vdp->frames_per_second, 60);
}

class VdpStateTest : public VdpTest {
 protected:
  std::vector<uint8_t> Saved() {
    FILE* file = std::tmpfile();
    EXPECT_TRUE(VdpSaveState(vdp, file));
    long size = std::ftell(file);
    std::vector<uint8_t> bytes(size_t(size > 0 ? size : 0));
    std::rewind(file);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    return bytes;
  }
  bool Load(const std::vector<uint8_t>& bytes) {
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    bool ok = VdpLoadState(vdp, file);
    std::fclose(file);
    return ok;
  }
};

TEST_F(VdpStateTest, BlockLayoutAndRoundTrip) {
  WriteVram(0x1234, {0xAA, 0xBB});
  WriteCram(5, {0x2A});
  SetRegister(8, 0x77);
  SetRegister(0, 0x02);
  SetRegister(1, 0x10);
  RunFrameHooks(false);  // 224 lines, latches set
  vdp->line = 230;
  VdpWriteControl(vdp, 0x9C);  // first control byte pending
  std::vector<uint8_t> block = Saved();
  ASSERT_EQ(block.size(), 16740u);
  EXPECT_EQ(block[0x1234], 0xAA);
  EXPECT_EQ(block[16384 + 5], 0x2A);
  EXPECT_EQ(block[16448 + 8], 0x77);
  EXPECT_EQ(block[16464], 224);     // active lines, little-endian
  EXPECT_EQ(block[16465], 0);
  EXPECT_EQ(block[16466], 230);     // current line
  EXPECT_EQ(block[16467], 0);
  EXPECT_EQ(block[16468], 0x00);    // name table height 256
  EXPECT_EQ(block[16469], 0x01);
  EXPECT_EQ(block[16474], 0);       // the spare byte
  EXPECT_EQ(block[16476], 1);       // control latch
  EXPECT_EQ(block[16477], 0x9C);    // first control byte
  EXPECT_EQ(block[16481], 0x9C);    // address low byte
  for (size_t i = 16484; i < block.size(); i++) ASSERT_EQ(block[i], 0) << i;

  VdpPowerOn(vdp);
  ASSERT_TRUE(Load(block));
  EXPECT_EQ(vdp->vram[0x1235], 0xBB);
  EXPECT_EQ(vdp->palette[5], 0x8000 | 0x0400 | 0x0010);  // 0x2A: red 2, green 2, blue 2
  EXPECT_EQ(vdp->active_lines, 224);
  EXPECT_EQ(vdp->line, 230);
  EXPECT_EQ(vdp->latch, 1);
  EXPECT_EQ(VdpReadVCounter(vdp), 230);  // the 224-line table (192 lines: 224)
  EXPECT_EQ(Saved(), block);
}

// Every field of the block at its own offset, read back from a block made
// by hand so that two swapped fields cannot hide behind a round trip.
TEST_F(VdpStateTest, EveryFieldAtItsOffset) {
  std::vector<uint8_t> block(16740, 0);
  for (int i = 0; i < 16384; i++) block[size_t(i)] = uint8_t(i * 7);
  for (int i = 0; i < 64; i++) block[size_t(16384 + i)] = uint8_t(0x40 + i);
  for (int i = 0; i < 16; i++) block[size_t(16448 + i)] = uint8_t(0xA0 + i);
  const uint8_t counters[] = {
      240, 0,      // active lines
      0x2C, 0x01,  // current line 300
      0, 1,        // name table height 256
      0x11,        // X scroll latch
      0x22,        // Y scroll latch
      1,           // display off
      0xC0,        // status (bits 0-4 come back set)
      0,           // spare
      0xC0,        // code
      1,           // control latch
      0x33,        // first control byte
      0x44,        // Game Gear CRAM latch
      0x55,        // read buffer
      0x66,        // line counter
      0x77, 0x3A,  // address
      1,           // line interrupt pending
  };
  std::memcpy(block.data() + 16464, counters, sizeof counters);
  SetOptions(OptMasterSystemGroup | OptPalLines);
  ASSERT_TRUE(Load(block));
  EXPECT_EQ(vdp->vram[0x123], uint8_t(0x123 * 7));
  EXPECT_EQ(vdp->cram[63], 0x7F);
  EXPECT_EQ(vdp->regs[15], 0xAF);
  EXPECT_EQ(vdp->active_lines, 240);
  EXPECT_EQ(vdp->line, 300);
  EXPECT_EQ(vdp->name_table_height, 256);
  EXPECT_EQ(vdp->x_scroll_latch, 0x11);
  EXPECT_EQ(vdp->y_scroll_latch, 0x22);
  EXPECT_EQ(vdp->display_off, 1);
  EXPECT_EQ(vdp->status, 0xDF);
  EXPECT_EQ(vdp->code, 0xC0);
  EXPECT_EQ(vdp->latch, 1);
  EXPECT_EQ(vdp->first_byte, 0x33);
  EXPECT_EQ(vdp->gg_cram_latch, 0x44);
  EXPECT_EQ(vdp->read_buffer, 0x55);
  EXPECT_EQ(vdp->line_counter, 0x66);
  EXPECT_EQ(vdp->address, 0x3A77);
  EXPECT_EQ(vdp->line_irq_pending, 1);
  EXPECT_EQ(VdpReadVCounter(vdp), 300 - 57);  // the PAL 240-line table
  std::vector<uint8_t> expected = block;
  expected[16464 + 9] = 0xDF;
  EXPECT_EQ(Saved(), expected);
}

TEST_F(VdpStateTest, ShortOrImpossibleBlocksLeaveTheVdpAlone) {
  WriteVram(0, {0x42});
  std::vector<uint8_t> block = Saved();
  WriteVram(0, {0x17});
  std::vector<uint8_t> shorter(block.begin(), block.end() - 1);
  EXPECT_FALSE(Load(shorter));
  EXPECT_EQ(vdp->vram[0], 0x17);
  std::vector<uint8_t> bad = block;
  bad[16464] = 100;  // active lines
  EXPECT_FALSE(Load(bad));
  bad = block;
  bad[16466] = 0xFF;  // line 65535
  bad[16467] = 0xFF;
  EXPECT_FALSE(Load(bad));
  bad = block;
  bad[16468] = 0;  // name table height 0
  bad[16469] = 0;
  EXPECT_FALSE(Load(bad));
  EXPECT_EQ(vdp->vram[0], 0x17);
  EXPECT_TRUE(Load(block));
  EXPECT_EQ(vdp->vram[0], 0x42);
}

}  // namespace
