// The Z80 core's slice edges: budgets, interrupt acceptance, HALT, EI, NMI,
// block instructions, R, paging of the instruction stream and what the
// callbacks see. Whole-instruction-set checks are the exercisers' job.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "z80/z80.h"

namespace {

struct PortEvent {
  bool out;
  uint16_t port;
  uint8_t value;
  Z80Registers regs;
  int32_t counter;
};

class Z80Core : public ::testing::Test {
 protected:
  uint8_t mem[65536];
  std::vector<PortEvent> events;
  std::vector<PortEvent> writes;  // trapped memory writes
  uint8_t in_value = 0x5A;
  bool nmi_on_out = false;

  void SetUp() override {
    std::memset(mem, 0, sizeof mem);
    for (int page = 0; page < 256; page++)
      FetchPages[page] = ReadPages[page] = WritePages[page] = mem + page * 256;
    Z80Context = this;
    Z80PortOut = [](void* c, uint16_t port, uint8_t value) {
      auto* t = static_cast<Z80Core*>(c);
      t->events.push_back({true, port, value, Z80Regs, CycleCounter});
      if (t->nmi_on_out) Z80Nmi();
    };
    Z80PortIn = [](void* c, uint16_t port) -> uint8_t {
      auto* t = static_cast<Z80Core*>(c);
      t->events.push_back({false, port, 0, Z80Regs, CycleCounter});
      return t->in_value;
    };
    Z80MemWrite = [](void* c, uint16_t address, uint8_t value) {
      static_cast<Z80Core*>(c)->writes.push_back({true, address, value, Z80Regs, CycleCounter});
    };
    Z80MemRead = [](void*, uint16_t) -> uint8_t { return 0; };
    Z80Reset();
    Z80Regs.sp = 0x8000;
    CycleCounter = 0;
    IrqLine = -1;
  }

  void Load(uint16_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) mem[at++] = b;
  }
  void Run(int32_t budget) {
    CycleCounter += budget;
    Z80Run();
  }
  uint16_t Stacked() const { return (uint16_t)(mem[Z80Regs.sp] | mem[Z80Regs.sp + 1] << 8); }
};

TEST_F(Z80Core, ResetValues) {
  Z80Regs.bc = 0x1234;
  Z80Regs.r = 0x55;
  Z80Regs.spare = 9;
  Z80Reset();
  EXPECT_EQ(Z80Regs.af, 0x0040);
  EXPECT_EQ(Z80Regs.ix, 0xFFFF);
  EXPECT_EQ(Z80Regs.iy, 0xFFFF);
  EXPECT_EQ(Z80Regs.bc, 0);
  EXPECT_EQ(Z80Regs.pc, 0);
  EXPECT_EQ(Z80Regs.sp, 0);
  EXPECT_EQ(Z80Regs.r, 0);
  EXPECT_EQ(Z80Regs.spare, 0);
}

TEST_F(Z80Core, BudgetOfOneRunsOneInstructionAndKeepsOvershoot) {
  Load(0, {0x01, 0x34, 0x12, 0x00});  // LD BC,$1234; NOP
  Run(1);
  EXPECT_EQ(Z80Regs.bc, 0x1234);
  EXPECT_EQ(Z80Regs.pc, 3);
  EXPECT_EQ(CycleCounter, -9);
  Run(5);  // still behind: nothing runs
  EXPECT_EQ(Z80Regs.pc, 3);
  EXPECT_EQ(CycleCounter, -4);
  Run(5);  // 1 left: the NOP
  EXPECT_EQ(Z80Regs.pc, 4);
  EXPECT_EQ(CycleCounter, -3);
}

TEST_F(Z80Core, EiThenNopTakesThePendingInterruptAfterTheNop) {
  Load(0, {0xFB, 0x00});  // EI; NOP; then NOPs
  Z80Regs.im = 1;
  IrqLine = 0xFF;  // IFF1 = 0, so nothing at slice entry
  Run(100);
  EXPECT_EQ(Stacked(), 0x0002);
  EXPECT_EQ(IrqLine, -1);
  EXPECT_EQ(Z80Regs.iff1, 0);
  // 100 - EI - NOP - 13 leaves 79: twenty NOPs at $0038.
  EXPECT_EQ(Z80Regs.pc, 0x38 + 20);
  EXPECT_EQ(CycleCounter, -1);
}

TEST_F(Z80Core, EiEndingABudgetHoldsTheInterruptForOneInstruction) {
  Load(0, {0xFB, 0x00});  // EI; NOP; then NOPs
  Z80Regs.im = 1;
  IrqLine = 0xFF;
  Run(1);  // the EI alone
  EXPECT_EQ(Z80Regs.pc, 1);
  EXPECT_EQ(CycleCounter, -3);
  EXPECT_EQ(EiWatch, 2);
  Run(4);  // the NOP, then the interrupt: nothing more on a spent budget
  EXPECT_EQ(Stacked(), 0x0002);
  EXPECT_EQ(Z80Regs.pc, 0x38);
  EXPECT_EQ(CycleCounter, 1 - 4 - 13);
  EXPECT_EQ(EiWatch, 0);
}

TEST_F(Z80Core, EiThenHaltWakesAtOnceForAPendingInterrupt) {
  Load(0, {0xFB, 0x76});  // EI; HALT
  Z80Regs.im = 1;
  IrqLine = 0xFF;
  Run(100);
  EXPECT_EQ(Stacked(), 0x0002);
  EXPECT_EQ(Z80Halted, 0);
  // 100 - EI - HALT - 13 leaves 79: twenty NOPs at $0038.
  EXPECT_EQ(Z80Regs.pc, 0x38 + 20);
}

TEST_F(Z80Core, ScfAndCcfReadTheQLatchAcrossBudgets) {
  Load(0x8000, {0x28, 0x00});     // popped as F = $28, A = 0
  Load(0, {0xF1,                  // POP AF        F set, Q not
           0x37,                  // SCF           5, 3 from A | F
           0xB7,                  // OR A          F = $44, Q = F
           0x37,                  // SCF           5, 3 from A
           0x3E, 0x28,            // LD A,$28      Q = 0
           0xDD, 0x37,            // SCF with DD   5, 3 from A | F
           0x3F});                // CCF           5, 3 from A
  Run(10);
  EXPECT_EQ(Z80GetQ(), 0);
  Run(4);
  EXPECT_EQ(Z80Regs.af & 0xFF, 0x29);
  Run(4);  // the budget ends with the flags set
  EXPECT_EQ(Z80GetQ(), 0x44);
  Run(4);
  EXPECT_EQ(Z80Regs.af & 0xFF, 0x45);
  Run(7);
  EXPECT_EQ(Z80GetQ(), 0);
  Run(8);
  EXPECT_EQ(Z80Regs.af & 0xFF, 0x6D);
  Run(4);
  EXPECT_EQ(Z80Regs.af & 0xFF, 0x7C);
  EXPECT_EQ(CycleCounter, 0);
  Z80SetQ(0);  // as a state without the latch loads
  Z80Regs.pc = 9;
  Load(9, {0x37});
  Run(4);
  EXPECT_EQ(Z80Regs.af & 0xFF, 0x6D);  // 5, 3 from A | F again
}

// Polling loops the core idles through end every budget exactly where
// running each round does: registers, R, MEMPTR, Q, the counter, memory and
// the callbacks made; also when the memory changes under the loop between
// calls (with Z80ForgetLoop) or a write inside the program ends it.
TEST_F(Z80Core, IdleLoopsEndWhereRunningEveryRoundEnds) {
  struct Program {
    const char* name;
    std::vector<uint8_t> code;  // at $0100
  };
  const Program programs[] = {
      {"LD A,(nn) / BIT 7,A / JP Z", {0x3A, 0x00, 0x80, 0xCB, 0x7F, 0xCA, 0x00, 0x01}},
      {"LD A,(HL) / OR A / JR Z", {0x7E, 0xB7, 0x28, 0xFC}},
      {"JR $", {0x18, 0xFE}},
      {"LD A,(IX+5) / AND 1 / SCF / JR Z", {0xDD, 0x7E, 0x05, 0xE6, 0x01, 0x37, 0x28, 0xF8}},
      {"a trapped read", {0x3A, 0x00, 0x90, 0xB7, 0x28, 0xFA}},
      {"a write", {0x3A, 0x01, 0x80, 0x34, 0xB7, 0x28, 0xF9}},      // INC (HL) each round
      {"a pointer that moves", {0x7E, 0x23, 0xB7, 0x28, 0xFB}},    // ends at $8180
      {"LD A,(nn) / INC A / JR NZ", {0x3A, 0x00, 0x80, 0x3C, 0x20, 0xFA}},
      // A loop on $8002 that another loop, counting B down, ends by a write:
      // the inner loop comes back after the write with the registers it left.
      {"left and entered again",
       {0x3A, 0x02, 0x80, 0xB7, 0x28, 0xFA,              // $0100: LD A,($8002) / OR A / JR Z
        0x10, 0xF8,                                     // $0106: DJNZ $0100
        0xAF, 0x32, 0x02, 0x80, 0x06, 0x03, 0x18, 0xF0}},  // XOR A / LD ($8002),A / LD B,3 / JR $0100
  };
  struct Outcome {
    Z80Registers regs;
    int32_t counter;
    uint16_t memptr;
    uint8_t q;
    std::vector<uint8_t> memory;
    size_t callbacks;
    bool operator==(const Outcome& o) const {
      return std::memcmp(&regs, &o.regs, sizeof regs) == 0 && counter == o.counter && memptr == o.memptr &&
             q == o.q && memory == o.memory && callbacks == o.callbacks;
    }
  };
  for (const Program& program : programs) {
    for (int32_t budget : {57, 171, 228, 1000, 40000}) {
      Outcome outcome[2];
      for (bool idle : {false, true}) {
        SetUp();
        static int reads;
        reads = 0;
        Z80MemRead = [](void*, uint16_t) -> uint8_t { return uint8_t(reads++ == 600 ? 1 : 0); };
        ReadPages[0x90] = nullptr;
        for (size_t i = 0; i < program.code.size(); i++) mem[0x100 + i] = program.code[i];
        mem[0x8180] = 0x40;
        mem[0x8000] = 0x01;
        Z80Regs.pc = 0x100;
        Z80Regs.hl = 0x8000;
        Z80Regs.ix = 0x7FFB;
        Z80Regs.bc = 0x0300;
        Z80Regs.r = 0x7E;
        Z80IdleLoops = idle;
        CycleCounter = -3;
        for (int call = 0; call < 24; call++) {
          if (call == 9) {  // the world outside changes what the loop reads
            Z80ForgetLoop();
            mem[0x8000] = 0x80;
            mem[0x8002] = 0x01;
          }
          Run(budget);
        }
        Z80IdleLoops = true;
        outcome[idle] = {Z80Regs, CycleCounter, Z80MemPtr, Z80GetQ(),
                         std::vector<uint8_t>(mem, mem + sizeof mem), size_t(reads) + writes.size()};
      }
      EXPECT_TRUE(outcome[0] == outcome[1]) << program.name << ", budgets of " << budget;
    }
  }
}

TEST_F(Z80Core, EiCutWithoutInterruptLosesNoBudget) {
  Load(0, {0xFB});  // EI; NOPs
  Run(20);
  EXPECT_EQ(Z80Regs.pc, 5);
  EXPECT_EQ(CycleCounter, 0);
  EXPECT_EQ(Z80Regs.iff1, 1);
  EXPECT_EQ(Z80Regs.iff2, 1);
  EXPECT_EQ(EiWatch, 0);
}

TEST_F(Z80Core, EiWithLineAtZeroIsAcceptedAtTheNextEntry) {
  for (int im : {0, 1}) {
    SetUp();
    Load(0x10, {0xFB});  // EI; NOPs
    Z80Regs.pc = 0x10;
    Z80Regs.im = (uint8_t)im;
    IrqLine = 0;
    Run(20);  // no cut: five instructions
    EXPECT_EQ(Z80Regs.pc, 0x15);
    EXPECT_EQ(IrqLine, 0);
    Run(4);
    EXPECT_EQ(Stacked(), 0x15);
    EXPECT_EQ(Z80Regs.pc, im == 0 ? 0x0000 : 0x0038);  // data byte 0 is RST $00
    EXPECT_EQ(CycleCounter, 4 - 13);
  }
}

TEST_F(Z80Core, InterruptWhileHaltedReturnsAfterTheHalt) {
  Load(0x20, {0x76});
  Z80Regs.pc = 0x20;
  Run(40);  // halted, interrupts off: PC already past the HALT
  EXPECT_EQ(Z80Regs.pc, 0x21);
  EXPECT_EQ(Z80Halted, 1);
  Z80Regs.iff1 = Z80Regs.iff2 = 1;
  Z80Regs.im = 1;
  IrqLine = 0xFF;
  CycleCounter = 0;
  Run(13 + 8);
  EXPECT_EQ(Stacked(), 0x21);
  EXPECT_EQ(Z80Regs.pc, 0x38 + 2);
  EXPECT_EQ(Z80Halted, 0);
}

TEST_F(Z80Core, HaltIdlesTheWholeBudget) {
  Load(0x30, {0x76});
  Z80Regs.pc = 0x30;
  Z80Regs.r = 0x85;
  Run(10);
  EXPECT_EQ(Z80Regs.r, 0x88);
  EXPECT_EQ(CycleCounter, -2);
  Z80Regs.r = 0xFE;  // the low seven bits wrap, bit 7 stays
  CycleCounter = 0;
  Run(8);
  EXPECT_EQ(Z80Regs.r, 0x81);
  EXPECT_EQ(CycleCounter, -4);
  EXPECT_EQ(Z80Regs.pc, 0x31);
  EXPECT_EQ(Z80Halted, 1);
}

TEST_F(Z80Core, HaltReachedInsideASliceEndsIt) {
  Load(0, {0x00, 0x76});  // NOP; HALT
  Run(22);
  EXPECT_EQ(Z80Regs.pc, 2);
  EXPECT_EQ(Z80Halted, 1);
  EXPECT_EQ(CycleCounter, (18 & 3) - 4);
  // NOP, HALT, then four idle fetches for the 16 T-states left.
  EXPECT_EQ(Z80Regs.r, 6);
}

TEST_F(Z80Core, LdirRunsOneIterationPerExecution) {
  Load(0, {0xED, 0xB0});  // LDIR
  Load(0x100, {1, 2, 3});
  Z80Regs.hl = 0x100;
  Z80Regs.de = 0x200;
  Z80Regs.bc = 3;
  Run(21);
  EXPECT_EQ(Z80Regs.bc, 2);
  EXPECT_EQ(Z80Regs.pc, 0);
  EXPECT_EQ(CycleCounter, 0);
  Run(21);
  EXPECT_EQ(Z80Regs.bc, 1);
  EXPECT_EQ(Z80Regs.pc, 0);
  EXPECT_EQ(CycleCounter, 0);
  Run(16);
  EXPECT_EQ(Z80Regs.bc, 0);
  EXPECT_EQ(Z80Regs.pc, 2);
  EXPECT_EQ(CycleCounter, 0);
  EXPECT_EQ(0, std::memcmp(mem + 0x200, mem + 0x100, 3));
  // Two opcode fetches per execution, repeats included.
  EXPECT_EQ(Z80Regs.r, 2 + 2 + 2);
  EXPECT_EQ(Z80Regs.af & 0x04, 0);  // P/V: BC = 0
}

TEST_F(Z80Core, Im2VectorIsReadAcrossAPageBoundary) {
  static uint8_t page39[256];
  page39[0] = 0x12;
  ReadPages[0x39] = page39;  // the vector's high byte comes from here
  mem[0x38FF] = 0x34;
  mem[0x3900] = 0x77;
  Z80Regs.i = 0x38;
  Z80Regs.im = 2;
  Z80Regs.iff1 = Z80Regs.iff2 = 1;
  Z80Regs.pc = 0x4000;
  IrqLine = 0xFF;
  Run(0);  // accepted, then the counter is negative: nothing runs
  EXPECT_EQ(Z80Regs.pc, 0x1234);
  EXPECT_EQ(Stacked(), 0x4000);
  EXPECT_EQ(CycleCounter, -19);
  EXPECT_EQ(Z80Regs.iff1, 0);
  EXPECT_EQ(Z80Regs.iff2, 0);
}

TEST_F(Z80Core, NmiOnHaltReturnsToTheHalt) {
  Load(0x20, {0x76});
  Load(0x66, {0xED, 0x45});  // RETN
  Z80Regs.pc = 0x20;
  Z80Regs.iff1 = Z80Regs.iff2 = 1;
  Run(8);
  EXPECT_EQ(Z80Nmi(), 12);
  EXPECT_EQ(Z80Regs.pc, 0x66);
  EXPECT_EQ(Stacked(), 0x20);
  EXPECT_EQ(Z80Regs.iff1, 0);
  EXPECT_EQ(Z80Regs.iff2, 1);
  CycleCounter = 0;
  Run(14);
  EXPECT_EQ(Z80Regs.pc, 0x20);
  EXPECT_EQ(Z80Regs.iff1, 1);
  Run(8);  // halted again
  EXPECT_EQ(Z80Regs.pc, 0x21);
  EXPECT_EQ(Z80Halted, 1);
}

TEST_F(Z80Core, InstructionBytesAreFetchedPageByPage) {
  static uint8_t fetch01[256];
  fetch01[0] = 0x12;  // high byte of the immediate
  fetch01[1] = 0x3A;  // LD A,($0100)
  fetch01[2] = 0x00;
  fetch01[3] = 0x01;
  FetchPages[0x01] = fetch01;
  mem[0x100] = 0x99;  // what data reads see at $0100
  Load(0xFE, {0x21, 0x34});  // LD HL,$12xx straddling into page 1
  Z80Regs.pc = 0xFE;
  Run(10 + 13);
  EXPECT_EQ(Z80Regs.hl, 0x1234);
  EXPECT_EQ(Z80Regs.af >> 8, 0x99);
  EXPECT_EQ(Z80Regs.pc, 0x104);
}

TEST_F(Z80Core, PortCallbacksSeeRegistersAndTheCounterAtInstructionStart) {
  Load(0, {0x3E, 0x12,              // LD A,$12
           0x01, 0x56, 0x34,        // LD BC,$3456
           0xD3, 0xBE,              // OUT ($BE),A
           0xDB, 0x7F,              // IN A,($7F)
           0xED, 0x79,              // OUT (C),A
           0xED, 0x40});            // IN B,(C)
  Run(100);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_TRUE(events[0].out);
  EXPECT_EQ(events[0].port, 0x12BE);
  EXPECT_EQ(events[0].value, 0x12);
  EXPECT_EQ(events[0].regs.bc, 0x3456);
  EXPECT_EQ(events[0].regs.pc, 7);
  EXPECT_EQ(events[0].counter, 100 - 7 - 10);
  EXPECT_FALSE(events[1].out);
  EXPECT_EQ(events[1].port, 0x127F);
  EXPECT_EQ(events[1].counter, 100 - 7 - 10 - 11);
  EXPECT_EQ(events[2].port, 0x3456);
  EXPECT_EQ(events[2].value, 0x5A);  // A from the IN
  EXPECT_EQ(events[2].counter, 100 - 7 - 10 - 11 - 11);
  EXPECT_EQ(events[3].counter, 100 - 7 - 10 - 11 - 11 - 12);
  EXPECT_EQ(Z80Regs.bc >> 8, 0x5A);
  EXPECT_EQ(CycleCounter, 100 - 7 - 10 - 11 - 11 - 12 - 12 - 4 * 10);
}

TEST_F(Z80Core, MemoryWriteCallbackSeesCurrentRegisters) {
  WritePages[0x80] = nullptr;
  Load(0, {0x3E, 0x42,        // LD A,$42
           0x32, 0x10, 0x80,  // LD ($8010),A
           0x3A, 0x10, 0x80}); // LD A,($8010): reads the RAM page
  mem[0x8010] = 0x07;
  Run(7 + 13 + 13);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].port, 0x8010);
  EXPECT_EQ(writes[0].value, 0x42);
  EXPECT_EQ(writes[0].regs.af >> 8, 0x42);
  EXPECT_EQ(writes[0].regs.pc, 5);
  EXPECT_EQ(writes[0].counter, 7 + 13 + 13 - 7);
  EXPECT_EQ(Z80Regs.af >> 8, 0x07);
}

TEST_F(Z80Core, IndexedAndBlockCallbacksSeeTheCounterAtInstructionStart) {
  WritePages[0x80] = nullptr;
  Load(0, {0xDD, 0x21, 0x00, 0x80,  // LD IX,$8000        14
           0xDD, 0x77, 0x05,        // LD (IX+5),A        19
           0xFD, 0x21, 0x10, 0x80,  // LD IY,$8010        14
           0xFD, 0xCB, 0x01, 0xC6,  // SET 0,(IY+1)       23
           0xFD, 0x36, 0x02, 0x99,  // LD (IY+2),$99      19
           0xED, 0xA2,              // INI                16
           0xDD, 0xCB, 0x05, 0x46}); // BIT 0,(IX+5)      20
  Z80Regs.af = 0x3300;
  Z80Regs.bc = 0x0207;
  Z80Regs.hl = 0x8020;
  int32_t budget = 14 + 19 + 14 + 23 + 19 + 16 + 20;
  Run(budget);
  EXPECT_EQ(CycleCounter, 0);
  EXPECT_EQ(Z80Regs.pc, 25);
  ASSERT_EQ(writes.size(), 4u);
  EXPECT_EQ(writes[0].port, 0x8005);
  EXPECT_EQ(writes[0].counter, budget - 14);
  EXPECT_EQ(writes[1].port, 0x8011);
  EXPECT_EQ(writes[1].value, 0x01);  // the trapped page reads as 0
  EXPECT_EQ(writes[1].counter, budget - 14 - 19 - 14);
  EXPECT_EQ(writes[2].port, 0x8012);
  EXPECT_EQ(writes[2].counter, budget - 14 - 19 - 14 - 23);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].port, 0x0207);
  EXPECT_EQ(events[0].counter, budget - 14 - 19 - 14 - 23 - 19);
  EXPECT_EQ(writes[3].port, 0x8020);
  EXPECT_EQ(writes[3].value, 0x5A);
  EXPECT_EQ(writes[3].counter, events[0].counter);
}

TEST_F(Z80Core, IndexPrefixCostsAndSliceEdges) {
  Load(0, {0xDD, 0x09,              // ADD IX,BC         15
           0xFD, 0x34, 0x00,        // INC (IY+0)        23
           0xDD, 0xE5,              // PUSH IX           15
           0xFD, 0x00,              // NOP with FD        8
           0xDD, 0xCB, 0x00, 0x1E}); // RR (IX+0)        23
  Z80Regs.ix = 0x4000;
  Z80Regs.iy = 0x5000;
  Z80Regs.bc = 0x0001;
  Run(15);
  EXPECT_EQ(Z80Regs.ix, 0x4001);
  EXPECT_EQ(CycleCounter, 0);
  Run(23);
  EXPECT_EQ(mem[0x5000], 1);
  EXPECT_EQ(CycleCounter, 0);
  Run(15 + 8);
  EXPECT_EQ(Stacked(), 0x4001);
  EXPECT_EQ(CycleCounter, 0);
  Run(1);  // one instruction whatever the budget
  EXPECT_EQ(Z80Regs.pc, 13);
  EXPECT_EQ(CycleCounter, 1 - 23);
}

TEST_F(Z80Core, NmiFromAPortCallbackReturnsAfterTheOut) {
  nmi_on_out = true;
  Load(0, {0xD3, 0x02});  // OUT ($02),A
  Run(11 + 4);
  EXPECT_EQ(Stacked(), 2);
  EXPECT_EQ(Z80Regs.pc, 0x67);  // one NOP of the handler ran
}

TEST_F(Z80Core, RCountsOpcodeFetchesAndKeepsBit7) {
  Load(0, {0x3E, 0x80,              // LD A,$80         R +1
           0xED, 0x4F,              // LD R,A           R = $80
           0x00,                    // NOP              +1
           0xCB, 0x00,              // RLC B            +2
           0xDD, 0x21, 0x00, 0x00,  // LD IX,0          +2
           0xDD, 0xCB, 0x00, 0x06,  // RLC (IX+0)       +2
           0xDD, 0x00,              // NOP with DD      +2
           0xED, 0x5F});            // LD A,R           +2 before reading
  Run(7 + 9 + 4 + 8 + 14 + 23 + 8 + 9);
  EXPECT_EQ(Z80Regs.af >> 8, 0x8B);
  EXPECT_EQ(CycleCounter, 0);
  EXPECT_EQ(Z80Regs.pc, 19);
}

TEST_F(Z80Core, EdAliasesAndNoOperations) {
  Load(0, {0xED, 0x4E,   // IM 0
           0xED, 0x76,   // IM 1
           0xED, 0x7E,   // IM 2
           0xED, 0x77,   // no-op
           0xED, 0x00,   // no-op
           0xED, 0x4C,   // NEG
           0xED, 0x55}); // RETN
  Z80Regs.af = 0x0100;
  mem[0x8000] = 0x34;
  mem[0x8001] = 0x12;
  Z80Regs.iff2 = 1;
  Run(8);
  EXPECT_EQ(Z80Regs.im, 0);
  Run(8);
  EXPECT_EQ(Z80Regs.im, 1);
  Run(8);
  EXPECT_EQ(Z80Regs.im, 2);
  Run(16);
  EXPECT_EQ(Z80Regs.pc, 10);
  EXPECT_EQ(CycleCounter, 0);
  Run(8);
  EXPECT_EQ(Z80Regs.af >> 8, 0xFF);
  Run(14);
  EXPECT_EQ(Z80Regs.pc, 0x1234);
  EXPECT_EQ(Z80Regs.iff1, 1);
  EXPECT_EQ(CycleCounter, 0);
}

TEST_F(Z80Core, IndexPrefixBeforeOtherOpcodes) {
  Load(0, {0xDD, 0x04,        // INC B: 8 T-states
           0xFD, 0xEB,        // EX DE,HL (never IY)
           0xDD, 0x66, 0x02,  // LD H,(IX+2) loads H, not IXh
           0xFD, 0x6C});      // LD IYl,IYh
  Z80Regs.de = 0x1111;
  Z80Regs.hl = 0x2222;
  Z80Regs.ix = 0x0100;
  Z80Regs.iy = 0xAB00;
  mem[0x102] = 0x77;
  Run(8);
  EXPECT_EQ(Z80Regs.bc >> 8, 1);
  EXPECT_EQ(CycleCounter, 0);
  Run(8);
  EXPECT_EQ(Z80Regs.de, 0x2222);
  EXPECT_EQ(Z80Regs.hl, 0x1111);
  Run(19);
  EXPECT_EQ(Z80Regs.hl, 0x7711);
  EXPECT_EQ(Z80Regs.ix, 0x0100);
  Run(8);
  EXPECT_EQ(Z80Regs.iy, 0xABAB);
  EXPECT_EQ(CycleCounter, 0);
}

TEST_F(Z80Core, BlockOutputUsesBAfterItsDecrement) {
  Load(0, {0xED, 0xB3});  // OTIR
  Load(0x300, {0xA1, 0xA2});
  Z80Regs.hl = 0x300;
  Z80Regs.bc = 0x02BF;
  Run(21 + 16);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].port, 0x01BF);
  EXPECT_EQ(events[0].value, 0xA1);
  EXPECT_EQ(events[0].counter, 21 + 16);
  EXPECT_EQ(events[1].port, 0x00BF);
  EXPECT_EQ(events[1].value, 0xA2);
  EXPECT_EQ(Z80Regs.bc, 0x00BF);
  EXPECT_EQ(Z80Regs.pc, 2);
  EXPECT_NE(Z80Regs.af & 0x40, 0);  // Z: B reached 0
}

TEST_F(Z80Core, BitOnMemoryTakesBits5And3FromMemptr) {
  Load(0, {0x3A, 0x00, 0x28,  // LD A,($2800): MEMPTR = $2801
           0xCB, 0x46});      // BIT 0,(HL)
  Z80Regs.hl = 0x4000;
  Run(13 + 12);
  EXPECT_EQ(Z80Regs.af & 0x28, 0x28);
  EXPECT_EQ(Z80MemPtr, 0x2801);
}

}  // namespace
