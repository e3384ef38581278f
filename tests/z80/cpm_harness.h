// A minimal CP/M machine around the Z80 core: 64 KB of RAM mapped through the
// page tables, the program at $0100, BDOS calls 2 and 9 trapped by an OUT at
// the BDOS entry, and the warm-boot jump to $0000 ending the run. Used by the
// exerciser tests and the core benchmark.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "z80/z80.h"

struct CpmMachine {
  static constexpr uint8_t kBdosPort = 0x01;
  static constexpr uint8_t kExitPort = 0x00;
  static constexpr uint16_t kBdos = 0xFE00;

  uint8_t memory[65536];
  std::string line;                 // output line being assembled
  std::vector<std::string> lines;   // finished output lines
  bool finished = false;
  bool echo = false;                // print each finished line

  // Loads a .com file; false when it cannot be read.
  bool Load(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::memset(memory, 0, sizeof memory);
    size_t size = std::fread(memory + 0x100, 1, sizeof memory - 0x100 - 0x200, file);
    std::fclose(file);
    if (size == 0) return false;
    // $0000: OUT (kExitPort),A then HALT. $0005: JP kBdos, so (6) gives the
    // top of the program area. kBdos: OUT (kBdosPort),A; RET.
    const uint8_t boot[] = {0xD3, kExitPort, 0x76};
    std::memcpy(memory, boot, sizeof boot);
    memory[5] = 0xC3;
    memory[6] = kBdos & 0xFF;
    memory[7] = kBdos >> 8;
    const uint8_t bdos[] = {0xD3, kBdosPort, 0xC9};
    std::memcpy(memory + kBdos, bdos, sizeof bdos);
    Attach();
    Z80Reset();
    Z80Regs.pc = 0x0100;
    Z80Regs.sp = kBdos;
    CycleCounter = 0;
    IrqLine = -1;
    finished = false;
    lines.clear();
    line.clear();
    return true;
  }

  void Attach() {
    for (int page = 0; page < 256; page++) {
      FetchPages[page] = ReadPages[page] = WritePages[page] = memory + page * 256;
    }
    Z80Context = this;
    Z80PortOut = PortOut;
    Z80PortIn = [](void*, uint16_t) -> uint8_t { return 0xFF; };
    Z80MemRead = [](void*, uint16_t) -> uint8_t { return 0xFF; };
    Z80MemWrite = [](void*, uint16_t, uint8_t) {};
  }

  void Put(char c) {
    if (c == '\r') return;
    if (c == '\n') {
      lines.push_back(line);
      if (echo) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
      }
      line.clear();
      return;
    }
    line += c;
  }

  static void PortOut(void* context, uint16_t port, uint8_t) {
    CpmMachine* m = static_cast<CpmMachine*>(context);
    if ((port & 0xFF) == kExitPort) {
      if (!m->line.empty()) m->Put('\n');
      m->finished = true;
      return;
    }
    switch (Z80Regs.bc & 0xFF) {
      case 2:
        m->Put((char)(Z80Regs.de & 0xFF));
        break;
      case 9:
        for (uint16_t a = Z80Regs.de; m->memory[a] != '$'; a++) m->Put((char)m->memory[a]);
        break;
    }
  }

  // Runs budgets of the given sizes in turn until the program ends or the
  // T-state limit is reached; returns the T-states run. Through the budget
  // hook the core takes each next budget without returning, the way the
  // machine's scheduler drives it; with calls = true it is one Z80Run call
  // per budget instead.
  int64_t Run(int64_t limit, int32_t slice_a = 171, int32_t slice_b = 57, bool calls = false) {
    run_limit = limit;
    run_total = 0;
    slices[0] = slice_a;
    slices[1] = slice_b;
    second = false;
    if (calls) {
      while (!finished && run_total < limit) {
        GiveBudget();
        Z80Run();
        run_total += given - CycleCounter;
      }
      return run_total;
    }
    if (finished) return 0;
    GiveBudget();
    Z80BudgetHook = NextBudget;
    Z80Run();
    Z80BudgetHook = nullptr;
    return run_total;
  }

  int64_t run_limit = 0, run_total = 0;
  int32_t slices[2] = {171, 57};
  int32_t given = 0;  // the counter after the last budget was added
  bool second = false;

  void GiveBudget() {
    given = CycleCounter + slices[second];
    CycleCounter = given;
    second = !second;
  }

  static bool NextBudget(void* context) {
    CpmMachine* m = static_cast<CpmMachine*>(context);
    m->run_total += m->given - CycleCounter;
    if (m->finished || m->run_total >= m->run_limit) return false;
    m->GiveBudget();
    return true;
  }
};
