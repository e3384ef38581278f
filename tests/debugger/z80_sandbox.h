// A bare Z80 for the disassembler's tests: 64 KB of flat RAM behind all
// three page tables, callbacks that do nothing, and the opcodes.dat of this
// build loaded. Puts the core's globals back when it goes, and makes the
// machine layer reload its own state afterwards.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "debugger/debug_lists.h"
#include "debugger/disassembler.h"
#include "machine/machine.h"
#include "z80/z80.h"

class Z80Sandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(saved_fetch_, FetchPages, sizeof saved_fetch_);
    std::memcpy(saved_read_, ReadPages, sizeof saved_read_);
    std::memcpy(saved_write_, WritePages, sizeof saved_write_);
    saved_out_ = Z80PortOut;
    saved_in_ = Z80PortIn;
    saved_mem_write_ = Z80MemWrite;
    saved_mem_read_ = Z80MemRead;
    saved_regs_ = Z80Regs;
    saved_irq_ = IrqLine;
    saved_counter_ = CycleCounter;
    saved_halted_ = Z80Halted;
    saved_ei_ = EiWatch;
    for (int page = 0; page < 256; ++page)
      FetchPages[page] = ReadPages[page] = WritePages[page] = &memory_[page * 256];
    Z80PortOut = [](void*, uint16_t, uint8_t) {};
    Z80PortIn = [](void*, uint16_t) -> uint8_t { return 0xFF; };
    Z80MemWrite = [](void*, uint16_t, uint8_t) {};
    Z80MemRead = [](void*, uint16_t) -> uint8_t { return 0; };
    ResetDebugLists();
    ASSERT_TRUE(LoadOpcodes(TAVO_OPCODES_FILE)) << "opcodes.dat is built with the program";
  }
  void TearDown() override {
    std::memcpy(FetchPages, saved_fetch_, sizeof saved_fetch_);
    std::memcpy(ReadPages, saved_read_, sizeof saved_read_);
    std::memcpy(WritePages, saved_write_, sizeof saved_write_);
    Z80PortOut = saved_out_;
    Z80PortIn = saved_in_;
    Z80MemWrite = saved_mem_write_;
    Z80MemRead = saved_mem_read_;
    Z80Regs = saved_regs_;
    IrqLine = saved_irq_;
    CycleCounter = saved_counter_;
    Z80Halted = saved_halted_;
    EiWatch = saved_ei_;
    ForgetCurrentMachine();
    ResetDebugLists();
    ResetOpcodes();
  }

  void Poke(uint16_t address, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) memory_[(address + i) & 0xFFFF] = bytes[i];
  }
  // Text and length of the instruction at address.
  std::string Text(uint16_t address, int* length = nullptr) {
    char text[DisassemblyTextSize];
    const int n = DisassembleZ80(address, text, sizeof text);
    if (length) *length = n;
    return text;
  }

  uint8_t memory_[0x10000] = {};

 private:
  uint8_t* saved_fetch_[256];
  uint8_t* saved_read_[256];
  uint8_t* saved_write_[256];
  Z80PortOutFn saved_out_;
  Z80PortInFn saved_in_;
  Z80MemWriteFn saved_mem_write_;
  Z80MemReadFn saved_mem_read_;
  Z80Registers saved_regs_;
  int32_t saved_irq_, saved_counter_;
  uint8_t saved_halted_, saved_ei_;
};
