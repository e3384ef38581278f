// A VDP on its own, driven through its ports and line hooks the way the
// frame scheduler drives it, for the VDP's unit tests.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "lumo/surface.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "machine/vdp.h"
#include "vdp_reference.h"

class VdpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_options_ = MachineOptions;
    MachineOptions = OptMasterSystemGroup | OptNtscRate;
    machine_ = std::make_unique<Machine>();
    vdp = &machine_->Vdp;
    ASSERT_TRUE(VdpCreate(vdp, machine_.get()));
  }
  void TearDown() override {
    VdpDestroy(vdp);
    MachineOptions = saved_options_;
  }

  // Options are read live; the mode follows them as after a settings change.
  void SetOptions(uint32_t options) {
    MachineOptions = options;
    VdpApplyMode(vdp);
  }
  void SetRegister(int reg, uint8_t value) {
    VdpWriteControl(vdp, value);
    VdpWriteControl(vdp, uint8_t(0x80 | reg));
  }
  void SetAddress(uint16_t address, uint8_t code) {
    VdpWriteControl(vdp, uint8_t(address));
    VdpWriteControl(vdp, uint8_t(code | ((address >> 8) & 0x3F)));
  }
  void WriteVram(uint16_t address, const std::vector<uint8_t>& bytes) {
    SetAddress(address, VdpCodeVramWrite);
    for (uint8_t b : bytes) VdpWriteData(vdp, b);
  }
  void FillVram(uint16_t address, int count, uint8_t value) {
    SetAddress(address, VdpCodeVramWrite);
    for (int i = 0; i < count; i++) VdpWriteData(vdp, value);
  }
  void WriteCram(uint8_t address, const std::vector<uint8_t>& bytes) {
    SetAddress(address, VdpCodeCram);
    for (uint8_t b : bytes) VdpWriteData(vdp, b);
  }
  // Puts the core's view of the line position at `position`.
  void SetLinePosition(int position) {
    machine_->LineCycleStamp = int16_t(position);
    machine_->SavedCycleCounter = 0;
  }

  // One frame of line hooks in the scheduler's order.
  void RunFrameHooks(bool render) {
    int active = vdp->active_lines;
    for (int line = 0; line < vdp->lines_per_frame; line++) {
      if (render && line < active) VdpRenderLine(vdp);
      if (line == active) VdpSetFrameFlag(vdp);
      VdpLineTick(vdp);
      VdpLineEnd(vdp);
    }
  }
  // Two frames so that latches and sprite lists are settled; the second is
  // drawn. Leaves the drawn surface in place (no swap).
  void RenderSettledFrame() {
    RunFrameHooks(false);
    VdpReadStatus(vdp);
    RunFrameHooks(true);
  }

  uint16_t Pixel(int x, int line) const {
    const PixelBuffer* s = vdp->draw_surface;
    const uint16_t* row = reinterpret_cast<const uint16_t*>(s->pixels + size_t(line) * s->pitch);
    return row[x + VdpSurfaceMargin];
  }
  uint16_t SurfacePixel(int sx, int line) const {
    const PixelBuffer* s = vdp->draw_surface;
    return reinterpret_cast<const uint16_t*>(s->pixels + size_t(line) * s->pitch)[sx];
  }

  // Every pixel of the drawn picture against the reference model.
  void ExpectPictureMatchesReference(int first_line = 0, int line_count = -1) {
    ReferenceVdp ref = ReferenceOf(*vdp);
    if (line_count < 0) line_count = vdp->active_lines - first_line;
    int mismatches = 0;
    for (int line = first_line; line < first_line + line_count; line++) {
      for (int x = 0; x < 256; x++) {
        int expected = ReferencePixel(ref, x, line);
        if (expected == ReferenceDontCare) continue;
        if (Pixel(x, line) != expected && ++mismatches <= 5)
          ADD_FAILURE() << "pixel (" << x << ", " << line << "): got 0x" << std::hex << Pixel(x, line)
                        << ", expected 0x" << expected;
      }
    }
    EXPECT_EQ(mismatches, 0);
  }

  VdpState* vdp = nullptr;
  std::unique_ptr<Machine> machine_;

 private:
  uint32_t saved_options_ = 0;
};
