// The Z80 execution core: a threaded interpreter.
//
// Z80Run() keeps the registers in locals and jumps from handler to handler
// through 256-entry tables of label addresses (GNU labels-as-values): one per
// prefix (none, CB, ED, DD, FD) and one shared by DD CB and FD CB, whose
// handlers find the effective address IX+d / IY+d in MEMPTR. Each
// handler charges its own T-states and dispatches the next opcode while the
// counter is above 0. The register block in the globals is written before
// every callback and whenever the loop is left, and read back after every
// callback (a port handler may enter the NMI). IX, IY and MEMPTR are not
// copied: the handlers use them in place.
//
// R is counted per opcode fetch (prefixes included, the DD CB / FD CB
// displacement and final byte not), bit 7 kept as last written; a halted
// CPU fetches (and counts) one opcode per 4 T-states.
//
// Q, the latch that bits 5 and 3 of SCF and CCF read, is kept as the
// address where the last flag-setting instruction ended (flags_end): the
// latch holds F exactly when the instruction now starting begins there.
// Only flag-setting handlers pay for it (ENDF), with one store.
//
// Prefix costs: the handlers of the CB, ED, DD, FD and DD CB / FD CB pages
// charge the prefix with the instruction, so every port and memory callback
// sees the counter as it was when the instruction began. A DD or FD before an
// opcode that does not use HL charges its 4 T-states and runs the plain
// handler (R advanced once more); that prefix counts as spent by then.
#include "z80/z80.h"

#include "z80/z80_tables.h"

using namespace z80tables;

namespace {
uint8_t DefaultPortIn(void*, uint16_t) { return 0xFF; }
void DefaultPortOut(void*, uint16_t, uint8_t) {}
uint8_t DefaultMemRead(void*, uint16_t) { return 0xFF; }
void DefaultMemWrite(void*, uint16_t, uint8_t) {}
}  // namespace

Z80Registers Z80Regs;
int32_t CycleCounter;
int32_t IrqLine = -1;
uint8_t EiWatch;
uint16_t Z80MemPtr;
uint8_t Z80Halted;
bool Z80IdleLoops = true;

uint8_t* FetchPages[256];
uint8_t* ReadPages[256];
uint8_t* WritePages[256];

Z80BudgetHookFn Z80BudgetHook;
Z80PortOutFn Z80PortOut = DefaultPortOut;
Z80PortInFn Z80PortIn = DefaultPortIn;
Z80MemWriteFn Z80MemWrite = DefaultMemWrite;
Z80MemReadFn Z80MemRead = DefaultMemRead;
void* Z80Context;

namespace {

#define SZ (kFlags.sz)
#define SZP (kFlags.szp)

// Where the last flag-setting instruction ended, as the interpreter's PC
// (which may run past $FFFF by a few bytes); kNoFlagsEnd after an
// interrupt, the NMI or a reset.
constexpr uint32_t kNoFlagsEnd = 0xFFFFFFFF;
uint32_t flags_end = kNoFlagsEnd;
// Whether the instruction starting at this address follows a flag-setting
// one directly.
inline bool FlagsEndAt(uint32_t start) {
  return flags_end < 0x20000 && ((flags_end ^ start) & 0xFFFF) == 0;
}

// Idling through polling loops. A short loop that only reads memory and
// computes on registers (LD A,(nn) / BIT 7,A / JP Z,loop) and has once come
// round to the registers it started from will make that same round until
// something changes the memory it reads, which only an interrupt, a
// callback or the world outside the core can do. The interpreter then skips
// the whole rounds that fit in the budget, charging their T-states and R,
// and runs the rest as usual, so every call ends exactly where it would
// have. The watch is dropped when the loop is left (its jump not taken), on
// an interrupt, the NMI and a reset, and by Z80ForgetLoop.
constexpr uint32_t kNoLoop = 0xFFFFFFFF;
constexpr int kLoopSpan = 16;  // bytes from the loop's start to its jump
struct LoopWatch {
  uint32_t jump = kNoLoop;  // address of the jump that closed the loop
  uint32_t target;
  uint16_t af, bc, de, hl, sp, ix, iy, wz;
  uint32_t flags_end, r, callbacks, call;
  int32_t cc;
  int32_t round;            // T-states of one round once it is known to repeat, else 0
  uint32_t fetches;         // opcode fetches of one round
};
LoopWatch loop_watch;
uint32_t callbacks;   // callbacks made: a loop that makes one is not idle
uint32_t calls;       // Z80Run calls, so that a round is timed within one
int32_t loop_cost;    // the T-states of the jump arriving at loop_arrival
// Watching every short backward jump would cost code that never idles
// (the exercisers are full of short counting loops) a trip through
// loop_arrival per round. The jumps only note themselves in last_jump; when
// a budget ends, ExamineLastJump looks at that one, and a jump whose loop
// may idle becomes armed_jump, the only one that goes to loop_arrival.
// Jumps found unfit are remembered until the memory may have changed.
uint32_t last_jump = kNoLoop;
uint32_t examined_jump = kNoLoop;
uint32_t armed_jump = kNoLoop;
constexpr int kUnfitSlots = 64;
uint32_t unfit_jumps[kUnfitSlots];
void ForgetUnfitJumps() {
  for (uint32_t& jump : unfit_jumps) jump = kNoLoop;
  examined_jump = kNoLoop;
}

// Opcodes a polling loop starts with: a memory read, or the jump itself.
constexpr bool IsLoopStart(int op) {
  switch (op) {
    case 0x0A: case 0x1A: case 0x2A: case 0x3A:
    case 0x46: case 0x4E: case 0x56: case 0x5E: case 0x66: case 0x6E: case 0x7E:
    case 0x86: case 0x8E: case 0x96: case 0x9E: case 0xA6: case 0xAE: case 0xB6: case 0xBE:
    case 0xCB: case 0xDD: case 0xFD:
    case 0x18: case 0x20: case 0x28: case 0x30: case 0x38: case 0xC3:
    case 0xC2: case 0xCA: case 0xD2: case 0xDA: case 0xE2: case 0xEA: case 0xF2: case 0xFA:
      return true;
  }
  return false;
}
struct LoopStarts {
  bool op[256];
  constexpr LoopStarts() : op() {
    for (int i = 0; i < 256; i++) op[i] = IsLoopStart(i);
  }
};
constexpr LoopStarts kLoopStarts;

uint8_t FetchByte(uint16_t address) { return FetchPages[address >> 8][address & 0xFF]; }

// The length of the instruction at the address when it only reads memory
// and registers and writes registers and flags (no memory write, no I/O, no
// jump, nothing of the interrupt system, R or the shadow registers); 0 for
// any other.
int ReadOnlyLength(uint16_t at) {
  const uint8_t op = FetchByte(at);
  const int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
  switch (x) {
    case 1: return op == 0x76 || y == 6 ? 0 : 1;  // LD r,r' and LD r,(HL)
    case 2: return 1;                             // ALU A,r and A,(HL)
    case 3:
      if (z == 6) return 2;  // ALU A,n
      if (op == 0xCB) {
        const uint8_t cb = FetchByte(uint16_t(at + 1));
        return (cb & 0xC0) == 0x40 || (cb & 7) != 6 ? 2 : 0;  // BIT, or on a register
      }
      if (op == 0xDD || op == 0xFD) {
        const uint8_t n = FetchByte(uint16_t(at + 1));
        if ((n & 0xC7) == 0x46 && n != 0x76) return 3;  // LD r,(IX+d)
        if ((n & 0xC7) == 0x86) return 3;                // ALU A,(IX+d)
        if (n == 0xCB) return (FetchByte(uint16_t(at + 3)) & 0xC0) == 0x40 ? 4 : 0;  // BIT n,(IX+d)
      }
      return 0;
  }
  switch (z) {
    case 0: return op == 0x00 ? 1 : 0;               // NOP; jumps and EX AF,AF' are not
    case 1: return (y & 1) ? 1 : 3;                  // ADD HL,rr / LD rr,nn
    case 2: return op == 0x0A || op == 0x1A ? 1 : op == 0x2A || op == 0x3A ? 3 : 0;
    case 3: return 1;                                // INC rr, DEC rr
    case 4: case 5: return y == 6 ? 0 : 1;           // INC r, DEC r
    case 6: return y == 6 ? 0 : 2;                   // LD r,n
    default: return 1;                               // RLCA ... CCF
  }
}

// Whether the instructions from target up to the jump are all read-only.
bool ReadOnlyBody(uint16_t target, uint16_t jump) {
  uint16_t at = target;
  for (int span = 0; at != jump; span = uint16_t(at - target)) {
    if (span > kLoopSpan) return false;
    const int length = ReadOnlyLength(at);
    if (!length) return false;
    at = uint16_t(at + length);
  }
  return true;
}

// Whether the jump at the address closes a loop the core may idle through:
// a short backward JR or JP whose body starts as a polling loop does and
// only reads.
bool MayIdle(uint16_t jump) {
  const uint8_t op = FetchByte(jump);
  uint16_t target;
  if (op == 0x18 || (op & 0xE7) == 0x20)
    target = uint16_t(jump + 2 + int8_t(FetchByte(uint16_t(jump + 1))));
  else if (op == 0xC3 || (op & 0xC7) == 0xC2)
    target = uint16_t(FetchByte(uint16_t(jump + 1)) | FetchByte(uint16_t(jump + 2)) << 8);
  else
    return false;
  return uint16_t(jump - target) <= kLoopSpan && kLoopStarts.op[FetchByte(target)] &&
         ReadOnlyBody(target, jump);
}

// At the end of a budget: arm the last short backward jump taken when its
// loop may idle.
inline void ExamineLastJump() {
  if (__builtin_expect(last_jump == examined_jump, 1)) return;
  examined_jump = last_jump;
  uint32_t& slot = unfit_jumps[last_jump % kUnfitSlots];
  if (slot == last_jump || last_jump == armed_jump) return;
  if (Z80IdleLoops && MayIdle(uint16_t(last_jump)))
    armed_jump = last_jump;
  else
    slot = last_jump;
}

// Data access outside the interpreter (interrupt entry, NMI, idle check).
uint8_t ReadByte(uint16_t address) {
  const uint8_t* page = ReadPages[address >> 8];
  return page ? page[address & 0xFF] : Z80MemRead(Z80Context, address);
}

void WriteByte(uint16_t address, uint8_t value) {
  uint8_t* page = WritePages[address >> 8];
  if (page)
    page[address & 0xFF] = value;
  else
    Z80MemWrite(Z80Context, address, value);
}

void PushPc() {
  uint16_t pc = Z80Regs.pc;
  Z80Regs.sp = (uint16_t)(Z80Regs.sp - 1);
  WriteByte(Z80Regs.sp, (uint8_t)(pc >> 8));
  Z80Regs.sp = (uint16_t)(Z80Regs.sp - 1);
  WriteByte(Z80Regs.sp, (uint8_t)pc);
}

// Step 1 of Z80Run: accept a pending maskable interrupt.
void AcceptInterrupt() {
  if (IrqLine < 0 || !Z80Regs.iff1) return;
  Z80Halted = 0;  // PC is already past the HALT
  loop_watch.jump = kNoLoop;
  flags_end = kNoFlagsEnd;
  Z80Regs.iff1 = Z80Regs.iff2 = 0;
  PushPc();
  uint16_t target;
  if (Z80Regs.im == 2) {
    uint16_t vector = (uint16_t)(Z80Regs.i << 8 | (IrqLine & 0xFF));
    uint8_t lo = ReadByte(vector);
    uint8_t hi = ReadByte((uint16_t)(vector + 1));
    target = (uint16_t)(hi << 8 | lo);
    CycleCounter -= 19;
  } else {
    target = Z80Regs.im == 0 ? (uint16_t)(IrqLine & 0x38) : 0x0038;
    CycleCounter -= 13;
  }
  Z80Regs.pc = target;
  Z80MemPtr = target;
  IrqLine = -1;
}

// ---------------------------------------------------------------------------
// The interpreter loop.

// Registers: the 8-bit halves of the 16-bit locals.
#define G_b ((uint8_t)(bc >> 8))
#define G_c ((uint8_t)bc)
#define G_d ((uint8_t)(de >> 8))
#define G_e ((uint8_t)de)
#define G_h ((uint8_t)(hl >> 8))
#define G_l ((uint8_t)hl)
#define G_a (a)
#define G_ixh ((uint8_t)(ix >> 8))
#define G_ixl ((uint8_t)ix)
#define G_iyh ((uint8_t)(iy >> 8))
#define G_iyl ((uint8_t)iy)
// Setters evaluate the value first (it may come from a memory callback that
// reloads the registers).
#define SET_HI(reg, v) ({ uint8_t sv_ = (uint8_t)(v); reg = (uint16_t)((reg & 0x00FF) | sv_ << 8); })
#define SET_LO(reg, v) ({ uint8_t sv_ = (uint8_t)(v); reg = (uint16_t)((reg & 0xFF00) | sv_); })
#define S_b(v) SET_HI(bc, v)
#define S_c(v) SET_LO(bc, v)
#define S_d(v) SET_HI(de, v)
#define S_e(v) SET_LO(de, v)
#define S_h(v) SET_HI(hl, v)
#define S_l(v) SET_LO(hl, v)
#define S_a(v) (a = (uint8_t)(v))
#define S_ixh(v) SET_HI(ix, v)
#define S_ixl(v) SET_LO(ix, v)
#define S_iyh(v) SET_HI(iy, v)
#define S_iyl(v) SET_LO(iy, v)

#define SYNC_OUT()                                              \
  do {                                                          \
    Z80Regs.af = (uint16_t)(a << 8 | f);                        \
    Z80Regs.bc = bc;                                            \
    Z80Regs.de = de;                                            \
    Z80Regs.hl = hl;                                            \
    Z80Regs.sp = sp;                                            \
    Z80Regs.pc = (uint16_t)pc;                                  \
    Z80Regs.r = (uint8_t)((Z80Regs.r & 0x80) | (r & 0x7F));     \
    CycleCounter = cc + 1;                                      \
  } while (0)
// Before a callback: the registers brought up to date, and the count that
// tells a loop's round which made one.
#define SYNC_CALL()  \
  do {               \
    SYNC_OUT();      \
    callbacks++;     \
  } while (0)

#define SYNC_IN()                 \
  do {                            \
    a = (uint8_t)(Z80Regs.af >> 8); \
    f = (uint8_t)Z80Regs.af;      \
    bc = Z80Regs.bc;              \
    de = Z80Regs.de;              \
    hl = Z80Regs.hl;              \
    sp = Z80Regs.sp;              \
    pc = Z80Regs.pc;              \
    r = Z80Regs.r;                \
    cc = CycleCounter - 1;        \
  } while (0)

// Memory. A null page goes to the callback with the registers brought up to
// date; everything is read back afterwards.
#define RD(addr)                                             \
  ({                                                         \
    uint16_t ad_ = (uint16_t)(addr);                         \
    const uint8_t* pg_ = ReadPages[ad_ >> 8];                \
    uint8_t v_;                                              \
    if (__builtin_expect(pg_ != nullptr, 1)) {               \
      v_ = pg_[ad_ & 0xFF];                                  \
    } else {                                                 \
      SYNC_CALL();                                            \
      v_ = Z80MemRead(Z80Context, ad_);                      \
      SYNC_IN();                                             \
    }                                                        \
    v_;                                                      \
  })

#define WR(addr, val)                                        \
  do {                                                       \
    uint16_t ad_ = (uint16_t)(addr);                         \
    uint8_t wv_ = (uint8_t)(val);                            \
    uint8_t* pg_ = WritePages[ad_ >> 8];                     \
    if (__builtin_expect(pg_ != nullptr, 1)) {               \
      pg_[ad_ & 0xFF] = wv_;                                 \
    } else {                                                 \
      SYNC_CALL();                                            \
      Z80MemWrite(Z80Context, ad_, wv_);                     \
      SYNC_IN();                                             \
    }                                                        \
  } while (0)

#define RD16(addr)                                   \
  ({                                                 \
    uint16_t a16_ = (uint16_t)(addr);                \
    uint8_t lo16_ = RD(a16_);                        \
    uint8_t hi16_ = RD((uint16_t)(a16_ + 1));        \
    (uint16_t)(hi16_ << 8 | lo16_);                  \
  })

#define WR16(addr, val)                              \
  do {                                               \
    uint16_t a16_ = (uint16_t)(addr);                \
    uint16_t v16_ = (uint16_t)(val);                 \
    WR(a16_, v16_ & 0xFF);                           \
    WR((uint16_t)(a16_ + 1), v16_ >> 8);             \
  } while (0)

#define PUSH(val)                                    \
  do {                                               \
    uint16_t pv_ = (uint16_t)(val);                  \
    sp--;                                            \
    WR(sp, pv_ >> 8);                                \
    sp--;                                            \
    WR(sp, pv_ & 0xFF);                              \
  } while (0)

#define POP()                                        \
  ({                                                 \
    uint8_t plo_ = RD(sp);                           \
    sp++;                                            \
    uint8_t phi_ = RD(sp);                           \
    sp++;                                            \
    (uint16_t)(phi_ << 8 | plo_);                    \
  })

#define PORT_IN(port)                                \
  ({                                                 \
    uint16_t pp_ = (uint16_t)(port);                 \
    SYNC_CALL();                                      \
    uint8_t pv_ = Z80PortIn(Z80Context, pp_);        \
    SYNC_IN();                                       \
    pv_;                                             \
  })

#define PORT_OUT(port, val)                          \
  do {                                               \
    uint16_t pp_ = (uint16_t)(port);                 \
    uint8_t pv_ = (uint8_t)(val);                    \
    SYNC_CALL();                                      \
    Z80PortOut(Z80Context, pp_, pv_);                \
    SYNC_IN();                                       \
  } while (0)

// Instruction stream: every byte through FetchPages at its own address.
#define FB()                                          \
  ({                                                  \
    uint8_t fb_ = FetchPages[(pc >> 8) & 0xFF][pc & 0xFF]; \
    pc++;                                             \
    fb_;                                              \
  })
#define FW()                                          \
  ({                                                  \
    uint8_t fwl_ = FB();                              \
    uint8_t fwh_ = FB();                              \
    (uint16_t)(fwh_ << 8 | fwl_);                     \
  })
#define FD8() ((int8_t)FB())

#define DISPATCH(table)                                \
  do {                                                 \
    uint8_t op_ = FetchPages[(pc >> 8) & 0xFF][pc & 0xFF]; \
    pc++;                                              \
    r++;                                               \
    goto *table[op_];                                  \
  } while (0)

#define NEXT() DISPATCH(tbl_base)
// cc is CycleCounter - 1, so the budget test is the sign after subtracting.
#define END(t)                                     \
  do {                                             \
    cc -= (t);                                     \
    if (__builtin_expect(cc < 0, 0)) goto budget_spent; \
    NEXT();                                        \
  } while (0)
// The end of an instruction that set the flags (the Q latch takes F).
#define ENDF(t)          \
  do {                   \
    flags_end = pc;      \
    END(t);              \
  } while (0)

// 8-bit arithmetic on A; ADD and SUB are ADC and SBC with no carry in.
#define ALU_ADDC(val, cin)                                                    \
  do {                                                                        \
    unsigned v_ = (val);                                                      \
    unsigned res_ = a + v_ + (cin);                                           \
    f = (uint8_t)(SZ[res_ & 0xFF] | ((res_ >> 8) & FC) | ((a ^ v_ ^ res_) & FH) | \
                  ((~(a ^ v_) & (a ^ res_) & 0x80) >> 5));                    \
    a = (uint8_t)res_;                                                        \
  } while (0)
#define ALU_SUBC(val, cin)                                                    \
  do {                                                                        \
    unsigned v_ = (val);                                                      \
    unsigned res_ = a - v_ - (cin);                                           \
    f = (uint8_t)(SZ[res_ & 0xFF] | ((res_ >> 8) & FC) | FN | ((a ^ v_ ^ res_) & FH) | \
                  (((a ^ v_) & (a ^ res_) & 0x80) >> 5));                     \
    a = (uint8_t)res_;                                                        \
  } while (0)
#define ALU_ADD(val) ALU_ADDC(val, 0)
#define ALU_ADC(val) ALU_ADDC(val, f & FC)
#define ALU_SUB(val) ALU_SUBC(val, 0)
#define ALU_SBC(val) ALU_SUBC(val, f & FC)
#define ALU_AND(val)           \
  do {                         \
    a &= (uint8_t)(val);       \
    f = SZP[a] | FH;           \
  } while (0)
#define ALU_XOR(val)           \
  do {                         \
    a ^= (uint8_t)(val);       \
    f = SZP[a];                \
  } while (0)
#define ALU_OR(val)            \
  do {                         \
    a |= (uint8_t)(val);       \
    f = SZP[a];                \
  } while (0)
#define ALU_CP(val)                                                           \
  do {                                                                        \
    unsigned v_ = (val);                                                      \
    unsigned res_ = a - v_;                                                   \
    f = (uint8_t)((SZ[res_ & 0xFF] & (FS | FZ)) | (v_ & (FY | FX)) |          \
                  ((res_ >> 8) & FC) | FN | ((a ^ v_ ^ res_) & FH) |          \
                  (((a ^ v_) & (a ^ res_) & 0x80) >> 5));                     \
  } while (0)

// Eight handlers, one per ALU operation, for one operand source.
#define ALU_GROUP(name, GET, T)                       \
  add_##name : { ALU_ADD(GET); ENDF(T); }             \
  adc_##name : { ALU_ADC(GET); ENDF(T); }             \
  sub_##name : { ALU_SUB(GET); ENDF(T); }             \
  sbc_##name : { ALU_SBC(GET); ENDF(T); }             \
  and_##name : { ALU_AND(GET); ENDF(T); }             \
  xor_##name : { ALU_XOR(GET); ENDF(T); }             \
  or_##name : { ALU_OR(GET); ENDF(T); }               \
  cp_##name : { ALU_CP(GET); ENDF(T); }
#define ALU_LABELS(name) \
  { &&add_##name, &&adc_##name, &&sub_##name, &&sbc_##name, \
    &&and_##name, &&xor_##name, &&or_##name, &&cp_##name }

// 16-bit arithmetic.
#define ADD16(dst, val)                                                        \
  do {                                                                         \
    unsigned d_ = (dst), v_ = (val);                                           \
    unsigned res_ = d_ + v_;                                                   \
    wz = (uint16_t)(d_ + 1);                                                   \
    f = (uint8_t)((f & (FS | FZ | FP)) | ((res_ >> 16) & FC) |                 \
                  (((d_ ^ v_ ^ res_) >> 8) & FH) | ((res_ >> 8) & (FY | FX))); \
    dst = (uint16_t)res_;                                                      \
  } while (0)
#define ADC16(val)                                                             \
  do {                                                                         \
    unsigned v_ = (val);                                                       \
    unsigned res_ = hl + v_ + (f & FC);                                        \
    wz = (uint16_t)(hl + 1);                                                   \
    f = (uint8_t)(((res_ >> 8) & (FS | FY | FX)) | ((res_ & 0xFFFF) ? 0 : FZ) | \
                  (((hl ^ v_ ^ res_) >> 8) & FH) |                             \
                  ((~(hl ^ v_) & (hl ^ res_) & 0x8000) >> 13) | ((res_ >> 16) & FC)); \
    hl = (uint16_t)res_;                                                       \
  } while (0)
#define SBC16(val)                                                             \
  do {                                                                         \
    unsigned v_ = (val);                                                       \
    unsigned res_ = hl - v_ - (f & FC);                                        \
    wz = (uint16_t)(hl + 1);                                                   \
    f = (uint8_t)(((res_ >> 8) & (FS | FY | FX)) | ((res_ & 0xFFFF) ? 0 : FZ) | \
                  (((hl ^ v_ ^ res_) >> 8) & FH) | FN |                        \
                  (((hl ^ v_) & (hl ^ res_) & 0x8000) >> 13) | ((res_ >> 16) & FC)); \
    hl = (uint16_t)res_;                                                       \
  } while (0)

// Rotates and shifts of the CB page: v is modified, F set.
#define ROT_RLC(v) do { uint8_t c_ = (uint8_t)(v >> 7); v = (uint8_t)(v << 1 | c_); f = SZP[v] | c_; } while (0)
#define ROT_RRC(v) do { uint8_t c_ = (uint8_t)(v & 1); v = (uint8_t)(v >> 1 | c_ << 7); f = SZP[v] | c_; } while (0)
#define ROT_RL(v) do { uint8_t c_ = (uint8_t)(v >> 7); v = (uint8_t)(v << 1 | (f & FC)); f = SZP[v] | c_; } while (0)
#define ROT_RR(v) do { uint8_t c_ = (uint8_t)(v & 1); v = (uint8_t)(v >> 1 | (f & FC) << 7); f = SZP[v] | c_; } while (0)
#define ROT_SLA(v) do { uint8_t c_ = (uint8_t)(v >> 7); v = (uint8_t)(v << 1); f = SZP[v] | c_; } while (0)
#define ROT_SRA(v) do { uint8_t c_ = (uint8_t)(v & 1); v = (uint8_t)((v >> 1) | (v & 0x80)); f = SZP[v] | c_; } while (0)
#define ROT_SLL(v) do { uint8_t c_ = (uint8_t)(v >> 7); v = (uint8_t)(v << 1 | 1); f = SZP[v] | c_; } while (0)
#define ROT_SRL(v) do { uint8_t c_ = (uint8_t)(v & 1); v = (uint8_t)(v >> 1); f = SZP[v] | c_; } while (0)

// BIT, RES and SET find the bit number in their opcode byte, the last one
// fetched (also for DD CB d op).
#define CUR_OP ({ uint16_t po_ = (uint16_t)(pc - 1); FetchPages[po_ >> 8][po_ & 0xFF]; })
// BIT n: bits 5 and 3 come from xy.
#define BIT_FLAGS(val, mask, xy)                                                  \
  do {                                                                        \
    uint8_t t_ = (uint8_t)((val) & (mask));                   \
    f = (uint8_t)((f & FC) | FH | ((xy) & (FY | FX)) | (t_ ? (t_ & FS) : (FZ | FP))); \
  } while (0)
#define BIT_MASK (1u << ((CUR_OP >> 3) & 7))

// CB page, register operand: 8 rotates, BIT, RES, SET.
#define CB_REG(name)                                                               \
  cb_rlc_##name : { uint8_t v = G_##name; ROT_RLC(v); S_##name(v); ENDF(8); }      \
  cb_rrc_##name : { uint8_t v = G_##name; ROT_RRC(v); S_##name(v); ENDF(8); }      \
  cb_rl_##name : { uint8_t v = G_##name; ROT_RL(v); S_##name(v); ENDF(8); }        \
  cb_rr_##name : { uint8_t v = G_##name; ROT_RR(v); S_##name(v); ENDF(8); }        \
  cb_sla_##name : { uint8_t v = G_##name; ROT_SLA(v); S_##name(v); ENDF(8); }      \
  cb_sra_##name : { uint8_t v = G_##name; ROT_SRA(v); S_##name(v); ENDF(8); }      \
  cb_sll_##name : { uint8_t v = G_##name; ROT_SLL(v); S_##name(v); ENDF(8); }      \
  cb_srl_##name : { uint8_t v = G_##name; ROT_SRL(v); S_##name(v); ENDF(8); }      \
  cb_bit_##name : { uint8_t v = G_##name; BIT_FLAGS(v, BIT_MASK, v); ENDF(8); }               \
  cb_res_##name : { S_##name(G_##name & ~BIT_MASK); END(8); }                      \
  cb_set_##name : { S_##name(G_##name | BIT_MASK); END(8); }
#define CB_ROT_LABELS(name) \
  { &&cb_rlc_##name, &&cb_rrc_##name, &&cb_rl_##name, &&cb_rr_##name, \
    &&cb_sla_##name, &&cb_sra_##name, &&cb_sll_##name, &&cb_srl_##name }

// DD CB / FD CB page: the effective address is in wz (it is MEMPTR too). The
// rotates, RES and SET also copy the result into a register unless the
// register field is 6.
#define XCB_ROT(kind, name, STORE)                                               \
  xcb_##kind##_##name : { uint8_t v = RD(wz); ROT_##kind(v); WR(wz, v); STORE; ENDF(23); }
#define XCB_REG(name, STORE)                                                       \
  XCB_ROT(RLC, name, STORE) XCB_ROT(RRC, name, STORE) XCB_ROT(RL, name, STORE)     \
  XCB_ROT(RR, name, STORE) XCB_ROT(SLA, name, STORE) XCB_ROT(SRA, name, STORE)     \
  XCB_ROT(SLL, name, STORE) XCB_ROT(SRL, name, STORE)                              \
  xcb_res_##name : { uint8_t m = BIT_MASK; uint8_t v = (uint8_t)(RD(wz) & ~m); WR(wz, v); STORE; END(23); } \
  xcb_set_##name : { uint8_t m = BIT_MASK; uint8_t v = (uint8_t)(RD(wz) | m); WR(wz, v); STORE; END(23); }
#define XCB_LABELS(name) \
  { &&xcb_RLC_##name, &&xcb_RRC_##name, &&xcb_RL_##name, &&xcb_RR_##name, \
    &&xcb_SLA_##name, &&xcb_SRA_##name, &&xcb_SLL_##name, &&xcb_SRL_##name, \
    &&xcb_res_##name, &&xcb_set_##name }

// LD r,r' for one destination.
#define LD_ROW(dst)                                                   \
  ld_##dst##_b : { S_##dst(G_b); END(4); }                            \
  ld_##dst##_c : { S_##dst(G_c); END(4); }                            \
  ld_##dst##_d : { S_##dst(G_d); END(4); }                            \
  ld_##dst##_e : { S_##dst(G_e); END(4); }                            \
  ld_##dst##_h : { S_##dst(G_h); END(4); }                            \
  ld_##dst##_l : { S_##dst(G_l); END(4); }                            \
  ld_##dst##_a : { S_##dst(G_a); END(4); }                            \
  ld_##dst##_mhl : { S_##dst(RD(hl)); END(7); }                       \
  ld_mhl_##dst : { WR(hl, G_##dst); END(7); }
#define LD_LABELS(dst) \
  { &&ld_##dst##_b, &&ld_##dst##_c, &&ld_##dst##_d, &&ld_##dst##_e, \
    &&ld_##dst##_h, &&ld_##dst##_l, &&ld_##dst##_mhl, &&ld_##dst##_a }

// INC r / DEC r / LD r,n.
#define INC_DEC_LD(name, extra)                                                   \
  inc_##name : { uint8_t v = (uint8_t)(G_##name + 1); S_##name(v); f = (uint8_t)((f & FC) | kFlags.inc[v]); ENDF(4 + extra); } \
  dec_##name : { uint8_t v = (uint8_t)(G_##name - 1); S_##name(v); f = (uint8_t)((f & FC) | kFlags.dec[v]); ENDF(4 + extra); } \
  ld_##name##_n : { S_##name(FB()); END(7 + extra); }

// Conditions: NZ Z NC C PO PE P M.
#define C_NZ (!(f & FZ))
#define C_Z (f & FZ)
#define C_NC (!(f & FC))
#define C_C (f & FC)
#define C_PO (!(f & FP))
#define C_PE (f & FP)
#define C_P (!(f & FS))
#define C_M (f & FS)
#define COND_GROUP(cn)                                                                   \
  ret_##cn : { if (C_##cn) { pc = POP(); wz = pc; END(11); } END(5); }                  \
  jp_##cn : { uint16_t ad = FW(); wz = ad; if (C_##cn) JP_TAKEN(ad); LOOP_LEFT(3); END(10); } \
  call_##cn : { uint16_t ad = FW(); wz = ad; if (C_##cn) { PUSH(pc); pc = ad; END(17); } END(10); }

// ED page: IN r,(C) and OUT (C),r.
#define ED_IO(name)                                                                   \
  ed_in_##name : { wz = (uint16_t)(bc + 1); uint8_t v = PORT_IN(bc); S_##name(v);      \
                   f = (uint8_t)((f & FC) | SZP[v]); ENDF(12); }                        \
  ed_out_##name : { wz = (uint16_t)(bc + 1); PORT_OUT(bc, G_##name); END(12); }

// Handlers of the DD and FD pages, for IX (P = dd) or IY (P = fd). Each
// charges the whole instruction, prefix included.
#define INDEX_PAGE(P, X)                                                                  \
  P##_add_bc : { ADD16(X, bc); ENDF(15); }                                                 \
  P##_add_de : { ADD16(X, de); ENDF(15); }                                                 \
  P##_add_xx : { ADD16(X, X); ENDF(15); }                                                  \
  P##_add_sp : { ADD16(X, sp); ENDF(15); }                                                 \
  P##_ld_nn : { X = FW(); END(14); }                                                      \
  P##_ld_mnn_x : { uint16_t ad = FW(); WR16(ad, X); wz = (uint16_t)(ad + 1); END(20); }   \
  P##_ld_x_mnn : { uint16_t ad = FW(); X = RD16(ad); wz = (uint16_t)(ad + 1); END(20); }  \
  P##_inc : { X++; END(10); }                                                              \
  P##_dec : { X--; END(10); }                                                              \
  INC_DEC_LD(X##h, 4)                                                                        \
  INC_DEC_LD(X##l, 4)                                                                        \
  P##_inc_m : { wz = (uint16_t)(X + FD8()); uint8_t v = (uint8_t)(RD(wz) + 1); WR(wz, v); \
                f = (uint8_t)((f & FC) | kFlags.inc[v]); ENDF(23); }                       \
  P##_dec_m : { wz = (uint16_t)(X + FD8()); uint8_t v = (uint8_t)(RD(wz) - 1); WR(wz, v); \
                f = (uint8_t)((f & FC) | kFlags.dec[v]); ENDF(23); }                       \
  P##_ld_m_n : { wz = (uint16_t)(X + FD8()); uint8_t n = FB(); WR(wz, n); END(19); }      \
  ld_b_##X##h : { S_b(G_##X##h); END(8); }                                                \
  ld_b_##X##l : { S_b(G_##X##l); END(8); }                                                \
  ld_c_##X##h : { S_c(G_##X##h); END(8); }                                                \
  ld_c_##X##l : { S_c(G_##X##l); END(8); }                                                \
  ld_d_##X##h : { S_d(G_##X##h); END(8); }                                                \
  ld_d_##X##l : { S_d(G_##X##l); END(8); }                                                \
  ld_e_##X##h : { S_e(G_##X##h); END(8); }                                                \
  ld_e_##X##l : { S_e(G_##X##l); END(8); }                                                \
  ld_a_##X##h : { S_a(G_##X##h); END(8); }                                                \
  ld_a_##X##l : { S_a(G_##X##l); END(8); }                                                \
  ld_##X##h_b : { S_##X##h(G_b); END(8); }                                                \
  ld_##X##h_c : { S_##X##h(G_c); END(8); }                                                \
  ld_##X##h_d : { S_##X##h(G_d); END(8); }                                                \
  ld_##X##h_e : { S_##X##h(G_e); END(8); }                                                \
  ld_##X##h_##X##h : { END(8); }                                                          \
  ld_##X##h_##X##l : { S_##X##h(G_##X##l); END(8); }                                      \
  ld_##X##h_a : { S_##X##h(G_a); END(8); }                                                \
  ld_##X##l_b : { S_##X##l(G_b); END(8); }                                                \
  ld_##X##l_c : { S_##X##l(G_c); END(8); }                                                \
  ld_##X##l_d : { S_##X##l(G_d); END(8); }                                                \
  ld_##X##l_e : { S_##X##l(G_e); END(8); }                                                \
  ld_##X##l_##X##h : { S_##X##l(G_##X##h); END(8); }                                      \
  ld_##X##l_##X##l : { END(8); }                                                          \
  ld_##X##l_a : { S_##X##l(G_a); END(8); }                                                \
  P##_ld_b_m : { wz = (uint16_t)(X + FD8()); S_b(RD(wz)); END(19); }                      \
  P##_ld_c_m : { wz = (uint16_t)(X + FD8()); S_c(RD(wz)); END(19); }                      \
  P##_ld_d_m : { wz = (uint16_t)(X + FD8()); S_d(RD(wz)); END(19); }                      \
  P##_ld_e_m : { wz = (uint16_t)(X + FD8()); S_e(RD(wz)); END(19); }                      \
  P##_ld_h_m : { wz = (uint16_t)(X + FD8()); S_h(RD(wz)); END(19); }                      \
  P##_ld_l_m : { wz = (uint16_t)(X + FD8()); S_l(RD(wz)); END(19); }                      \
  P##_ld_a_m : { wz = (uint16_t)(X + FD8()); S_a(RD(wz)); END(19); }                      \
  P##_ld_m_b : { wz = (uint16_t)(X + FD8()); WR(wz, G_b); END(19); }                      \
  P##_ld_m_c : { wz = (uint16_t)(X + FD8()); WR(wz, G_c); END(19); }                      \
  P##_ld_m_d : { wz = (uint16_t)(X + FD8()); WR(wz, G_d); END(19); }                      \
  P##_ld_m_e : { wz = (uint16_t)(X + FD8()); WR(wz, G_e); END(19); }                      \
  P##_ld_m_h : { wz = (uint16_t)(X + FD8()); WR(wz, G_h); END(19); }                      \
  P##_ld_m_l : { wz = (uint16_t)(X + FD8()); WR(wz, G_l); END(19); }                      \
  P##_ld_m_a : { wz = (uint16_t)(X + FD8()); WR(wz, G_a); END(19); }                      \
  ALU_GROUP(X##h, G_##X##h, 8)                                                            \
  ALU_GROUP(X##l, G_##X##l, 8)                                                            \
  ALU_GROUP(P##_m, ({ wz = (uint16_t)(X + FD8()); RD(wz); }), 19)                         \
  P##_cb : { wz = (uint16_t)(X + FD8()); uint8_t op_ = FB(); goto *tbl_xcb[op_]; }            \
  P##_pop : { X = POP(); END(14); }                                                       \
  P##_push : { PUSH(X); END(15); }                                                        \
  P##_ex_sp : { uint16_t v = RD16(sp); WR((uint16_t)(sp + 1), X >> 8); WR(sp, X & 0xFF);  \
                X = v; wz = v; END(23); }                                                 \
  P##_jp : { pc = X; END(8); }                                                            \
  P##_ld_sp : { sp = X; END(10); }

#define INDEX_TABLE(P, X, T)                                                   \
  do {                                                                         \
    for (int i = 0; i < 256; i++) T[i] = &&index_plain;                        \
    T[0x09] = &&P##_add_bc;                                                    \
    T[0x19] = &&P##_add_de;                                                    \
    T[0x29] = &&P##_add_xx;                                                    \
    T[0x39] = &&P##_add_sp;                                                    \
    T[0x21] = &&P##_ld_nn;                                                     \
    T[0x22] = &&P##_ld_mnn_x;                                                  \
    T[0x2A] = &&P##_ld_x_mnn;                                                  \
    T[0x23] = &&P##_inc;                                                       \
    T[0x2B] = &&P##_dec;                                                       \
    T[0x24] = &&inc_##X##h;                                                    \
    T[0x25] = &&dec_##X##h;                                                    \
    T[0x26] = &&ld_##X##h_n;                                                   \
    T[0x2C] = &&inc_##X##l;                                                    \
    T[0x2D] = &&dec_##X##l;                                                    \
    T[0x2E] = &&ld_##X##l_n;                                                   \
    T[0x34] = &&P##_inc_m;                                                     \
    T[0x35] = &&P##_dec_m;                                                     \
    T[0x36] = &&P##_ld_m_n;                                                    \
    T[0x44] = &&ld_b_##X##h; T[0x45] = &&ld_b_##X##l; T[0x46] = &&P##_ld_b_m;  \
    T[0x4C] = &&ld_c_##X##h; T[0x4D] = &&ld_c_##X##l; T[0x4E] = &&P##_ld_c_m;  \
    T[0x54] = &&ld_d_##X##h; T[0x55] = &&ld_d_##X##l; T[0x56] = &&P##_ld_d_m;  \
    T[0x5C] = &&ld_e_##X##h; T[0x5D] = &&ld_e_##X##l; T[0x5E] = &&P##_ld_e_m;  \
    T[0x7C] = &&ld_a_##X##h; T[0x7D] = &&ld_a_##X##l; T[0x7E] = &&P##_ld_a_m;  \
    T[0x60] = &&ld_##X##h_b; T[0x61] = &&ld_##X##h_c; T[0x62] = &&ld_##X##h_d; \
    T[0x63] = &&ld_##X##h_e; T[0x64] = &&ld_##X##h_##X##h;                     \
    T[0x65] = &&ld_##X##h_##X##l; T[0x66] = &&P##_ld_h_m;                      \
    T[0x67] = &&ld_##X##h_a;                                                   \
    T[0x68] = &&ld_##X##l_b; T[0x69] = &&ld_##X##l_c; T[0x6A] = &&ld_##X##l_d; \
    T[0x6B] = &&ld_##X##l_e; T[0x6C] = &&ld_##X##l_##X##h;                     \
    T[0x6D] = &&ld_##X##l_##X##l; T[0x6E] = &&P##_ld_l_m;                      \
    T[0x6F] = &&ld_##X##l_a;                                                   \
    T[0x70] = &&P##_ld_m_b; T[0x71] = &&P##_ld_m_c; T[0x72] = &&P##_ld_m_d;    \
    T[0x73] = &&P##_ld_m_e; T[0x74] = &&P##_ld_m_h; T[0x75] = &&P##_ld_m_l;    \
    T[0x77] = &&P##_ld_m_a;                                                    \
    {                                                                          \
      void* const xh[8] = ALU_LABELS(X##h);                                    \
      void* const xl[8] = ALU_LABELS(X##l);                                    \
      void* const xm[8] = ALU_LABELS(P##_m);                                   \
      for (int o = 0; o < 8; o++) {                                            \
        T[0x84 + o * 8] = xh[o];                                               \
        T[0x85 + o * 8] = xl[o];                                               \
        T[0x86 + o * 8] = xm[o];                                               \
      }                                                                        \
    }                                                                          \
    T[0xCB] = &&P##_cb;                                                        \
    T[0xE1] = &&P##_pop;                                                       \
    T[0xE3] = &&P##_ex_sp;                                                     \
    T[0xE5] = &&P##_push;                                                      \
    T[0xE9] = &&P##_jp;                                                        \
    T[0xF9] = &&P##_ld_sp;                                                     \
  } while (0)

// The armed loop has come round, with the registers in the globals. Once
// a round is seen to leave every register as the one before, with no
// callback between and within one budget (to time it), every later round
// is the same until the loop is left: skip the whole rounds the budget
// leaves room for.
void IdleRounds() {
  const uint32_t target = Z80Regs.pc;
  if (!kLoopStarts.op[FetchByte(uint16_t(target))] || !Z80IdleLoops) return;
  LoopWatch& w = loop_watch;
  const Z80Registers& g = Z80Regs;
  const int32_t cc = CycleCounter - 1;
  const uint32_t r = g.r & 0x7F;
  if (w.jump == armed_jump && w.target == target && w.callbacks == callbacks) {
    if (!w.round) {
      if (w.call == calls && w.af == g.af && w.bc == g.bc && w.de == g.de && w.hl == g.hl && w.sp == g.sp &&
          w.ix == g.ix && w.iy == g.iy && w.wz == Z80MemPtr && w.flags_end == flags_end &&
          ReadOnlyBody(uint16_t(target), uint16_t(armed_jump))) {
        w.round = w.cc - cc;
        w.fetches = (r - w.r) & 0x7F;
      } else {
        w.af = g.af, w.bc = g.bc, w.de = g.de, w.hl = g.hl, w.sp = g.sp, w.ix = g.ix, w.iy = g.iy;
        w.wz = Z80MemPtr, w.flags_end = flags_end, w.call = calls, w.cc = cc, w.r = r;
      }
    }
    if (w.round) {
      const int32_t rounds = cc / w.round;
      CycleCounter -= rounds * w.round;
      Z80Regs.r = uint8_t((g.r & 0x80) | ((r + uint32_t(rounds) * w.fetches) & 0x7F));
    }
  } else {
    w.jump = armed_jump, w.target = target, w.callbacks = callbacks, w.round = 0;
    w.af = g.af, w.bc = g.bc, w.de = g.de, w.hl = g.hl, w.sp = g.sp, w.ix = g.ix, w.iy = g.iy;
    w.wz = Z80MemPtr, w.flags_end = flags_end, w.call = calls, w.cc = cc, w.r = r;
  }
}

// The state of an EI that cut the slice, while the instruction after it runs.
bool ei_cut;
int32_t ei_remaining;

enum class AfterBudget : uint8_t { Leave, Enter, Return };
AfterBudget after_budget;
__attribute__((noinline)) bool NextBudgetRuns() {
  ExamineLastJump();
  if (!Z80BudgetHook || ei_cut) {
    after_budget = AfterBudget::Leave;
    return false;
  }
  calls++;
  if (!Z80BudgetHook(Z80Context)) {
    after_budget = AfterBudget::Return;
    return false;
  }
  if (__builtin_expect(((IrqLine >= 0) | Z80Halted | EiWatch | (CycleCounter < 0)) != 0, 0)) {
    after_budget = AfterBudget::Enter;
    return false;
  }
  return true;
}

}  // namespace

// Accepts a pending interrupt, then idles through the budget when halted or
// runs the interpreter loop on it: at least one instruction, then more while
// CycleCounter is above 0.
void Z80Run() {
  static void* tbl_base[256];
  static void* tbl_cb[256];
  static void* tbl_ed[256];
  static void* tbl_dd[256];
  static void* tbl_fd[256];
  static void* tbl_xcb[256];
  static bool ready = false;

  uint8_t a, f;
  uint16_t bc, de, hl, sp;
  // IX, IY and MEMPTR stay in their globals: they are rarely read and would
  // only be spilled from host registers anyway.
  uint16_t& ix = Z80Regs.ix;
  uint16_t& iy = Z80Regs.iy;
  uint16_t& wz = Z80MemPtr;
  uint32_t pc;  // may run past $FFFF: only its low 16 bits are used
  uint32_t r;
  int32_t cc;

  // An asserted line, a halted CPU or an EI just before: the rare entry.
  if (__builtin_expect((IrqLine >= 0) | Z80Halted | EiWatch, 0)) goto special_entry;
  // A spent budget runs nothing. The dispatch tables are built on that path,
  // so the common path does not test for them: TableBuilder below makes
  // such a call before main.
  if (__builtin_expect(CycleCounter < 0, 0)) {
    if (ready) goto spent;
    // Base page.
    static void* const base_fixed[64] = {
        &&op_nop,     &&op_ld_bc_nn, &&op_ld_mbc_a, &&op_inc_bc,  &&inc_b,       &&dec_b,       &&ld_b_n, &&op_rlca,
        &&op_ex_af,   &&op_add_bc,   &&op_ld_a_mbc, &&op_dec_bc,  &&inc_c,       &&dec_c,       &&ld_c_n, &&op_rrca,
        &&op_djnz,    &&op_ld_de_nn, &&op_ld_mde_a, &&op_inc_de,  &&inc_d,       &&dec_d,       &&ld_d_n, &&op_rla,
        &&op_jr,      &&op_add_de,   &&op_ld_a_mde, &&op_dec_de,  &&inc_e,       &&dec_e,       &&ld_e_n, &&op_rra,
        &&op_jr_nz,   &&op_ld_hl_nn, &&op_ld_mnn_hl, &&op_inc_hl, &&inc_h,       &&dec_h,       &&ld_h_n, &&op_daa,
        &&op_jr_z,    &&op_add_hl,   &&op_ld_hl_mnn, &&op_dec_hl, &&inc_l,       &&dec_l,       &&ld_l_n, &&op_cpl,
        &&op_jr_nc,   &&op_ld_sp_nn, &&op_ld_mnn_a, &&op_inc_sp,  &&op_inc_mhl,  &&op_dec_mhl,  &&op_ld_mhl_n, &&op_scf,
        &&op_jr_c,    &&op_add_sp,   &&op_ld_a_mnn, &&op_dec_sp,  &&inc_a,       &&dec_a,       &&ld_a_n, &&op_ccf,
    };
    for (int i = 0; i < 64; i++) tbl_base[i] = base_fixed[i];
    {
      void* const ld[8][8] = {LD_LABELS(b), LD_LABELS(c), LD_LABELS(d), LD_LABELS(e),
                              LD_LABELS(h), LD_LABELS(l), {},           LD_LABELS(a)};
      void* const ldm[8] = {&&ld_mhl_b, &&ld_mhl_c, &&ld_mhl_d, &&ld_mhl_e,
                            &&ld_mhl_h, &&ld_mhl_l, &&op_halt,  &&ld_mhl_a};
      for (int d = 0; d < 8; d++)
        for (int s = 0; s < 8; s++) tbl_base[0x40 + d * 8 + s] = d == 6 ? ldm[s] : ld[d][s];
    }
    {
      void* const alu[9][8] = {ALU_LABELS(b), ALU_LABELS(c),   ALU_LABELS(d),
                               ALU_LABELS(e), ALU_LABELS(h),   ALU_LABELS(l),
                               ALU_LABELS(mhl), ALU_LABELS(a), ALU_LABELS(n)};
      for (int o = 0; o < 8; o++) {
        for (int s = 0; s < 8; s++) tbl_base[0x80 + o * 8 + s] = alu[s][o];
        tbl_base[0xC6 + o * 8] = alu[8][o];
      }
    }
    static void* const base_high[64] = {
        &&ret_NZ, &&op_pop_bc, &&jp_NZ, &&op_jp,     &&call_NZ, &&op_push_bc, 0, &&op_rst00,
        &&ret_Z,  &&op_ret,    &&jp_Z,  &&op_cb,     &&call_Z,  &&op_call,    0, &&op_rst08,
        &&ret_NC, &&op_pop_de, &&jp_NC, &&op_out_n,  &&call_NC, &&op_push_de, 0, &&op_rst10,
        &&ret_C,  &&op_exx,    &&jp_C,  &&op_in_n,   &&call_C,  &&op_dd,      0, &&op_rst18,
        &&ret_PO, &&op_pop_hl, &&jp_PO, &&op_ex_sp_hl, &&call_PO, &&op_push_hl, 0, &&op_rst20,
        &&ret_PE, &&op_jp_hl,  &&jp_PE, &&op_ex_de_hl, &&call_PE, &&op_ed,      0, &&op_rst28,
        &&ret_P,  &&op_pop_af, &&jp_P,  &&op_di,     &&call_P,  &&op_push_af, 0, &&op_rst30,
        &&ret_M,  &&op_ld_sp_hl, &&jp_M, &&op_ei,    &&call_M,  &&op_fd,      0, &&op_rst38,
    };
    for (int i = 0; i < 64; i++)
      if ((i & 7) != 6) tbl_base[0xC0 + i] = base_high[i];

    // CB page.
    {
      void* const rot[8][8] = {CB_ROT_LABELS(b), CB_ROT_LABELS(c), CB_ROT_LABELS(d),
                               CB_ROT_LABELS(e), CB_ROT_LABELS(h), CB_ROT_LABELS(l),
                               CB_ROT_LABELS(mhl), CB_ROT_LABELS(a)};
      void* const bit[8] = {&&cb_bit_b, &&cb_bit_c, &&cb_bit_d, &&cb_bit_e,
                            &&cb_bit_h, &&cb_bit_l, &&cb_bit_mhl, &&cb_bit_a};
      void* const res[8] = {&&cb_res_b, &&cb_res_c, &&cb_res_d, &&cb_res_e,
                            &&cb_res_h, &&cb_res_l, &&cb_res_mhl, &&cb_res_a};
      void* const set[8] = {&&cb_set_b, &&cb_set_c, &&cb_set_d, &&cb_set_e,
                            &&cb_set_h, &&cb_set_l, &&cb_set_mhl, &&cb_set_a};
      for (int i = 0; i < 256; i++) {
        int reg = i & 7;
        switch (i >> 6) {
          case 0: tbl_cb[i] = rot[reg][(i >> 3) & 7]; break;
          case 1: tbl_cb[i] = bit[reg]; break;
          case 2: tbl_cb[i] = res[reg]; break;
          default: tbl_cb[i] = set[reg]; break;
        }
      }
    }

    // DD CB / FD CB page.
    {
      void* const x[8][10] = {XCB_LABELS(b), XCB_LABELS(c), XCB_LABELS(d), XCB_LABELS(e),
                              XCB_LABELS(h), XCB_LABELS(l), XCB_LABELS(m), XCB_LABELS(a)};
      for (int i = 0; i < 256; i++) {
        int reg = i & 7;
        switch (i >> 6) {
          case 0: tbl_xcb[i] = x[reg][(i >> 3) & 7]; break;
          case 1: tbl_xcb[i] = &&xcb_bit; break;
          case 2: tbl_xcb[i] = x[reg][8]; break;
          default: tbl_xcb[i] = x[reg][9]; break;
        }
      }
    }

    // ED page: undefined opcodes are 8-T-state no-operations.
    for (int i = 0; i < 256; i++) tbl_ed[i] = &&ed_nop;
    {
      void* const in[8] = {&&ed_in_b, &&ed_in_c, &&ed_in_d, &&ed_in_e,
                           &&ed_in_h, &&ed_in_l, &&ed_in_f, &&ed_in_a};
      void* const out[8] = {&&ed_out_b, &&ed_out_c, &&ed_out_d, &&ed_out_e,
                            &&ed_out_h, &&ed_out_l, &&ed_out_0, &&ed_out_a};
      void* const sbc[4] = {&&ed_sbc_bc, &&ed_sbc_de, &&ed_sbc_hl, &&ed_sbc_sp};
      void* const adc[4] = {&&ed_adc_bc, &&ed_adc_de, &&ed_adc_hl, &&ed_adc_sp};
      void* const st[4] = {&&ed_ld_mnn_bc, &&ed_ld_mnn_de, &&ed_ld_mnn_hl, &&ed_ld_mnn_sp};
      void* const ldr[4] = {&&ed_ld_bc_mnn, &&ed_ld_de_mnn, &&ed_ld_hl_mnn, &&ed_ld_sp_mnn};
      void* const im[8] = {&&ed_im0, &&ed_im0, &&ed_im1, &&ed_im2,
                           &&ed_im0, &&ed_im0, &&ed_im1, &&ed_im2};
      for (int y = 0; y < 8; y++) {
        tbl_ed[0x40 + y * 8] = in[y];
        tbl_ed[0x41 + y * 8] = out[y];
        tbl_ed[0x42 + y * 8] = (y & 1) ? adc[y >> 1] : sbc[y >> 1];
        tbl_ed[0x43 + y * 8] = (y & 1) ? ldr[y >> 1] : st[y >> 1];
        tbl_ed[0x44 + y * 8] = &&ed_neg;
        tbl_ed[0x45 + y * 8] = &&ed_retn;  // RETI behaves the same
        tbl_ed[0x46 + y * 8] = im[y];
      }
      tbl_ed[0x47] = &&ed_ld_i_a;
      tbl_ed[0x4F] = &&ed_ld_r_a;
      tbl_ed[0x57] = &&ed_ld_a_i;
      tbl_ed[0x5F] = &&ed_ld_a_r;
      tbl_ed[0x67] = &&ed_rrd;
      tbl_ed[0x6F] = &&ed_rld;
      tbl_ed[0xA0] = &&ed_ldi;
      tbl_ed[0xA1] = &&ed_cpi;
      tbl_ed[0xA2] = &&ed_ini;
      tbl_ed[0xA3] = &&ed_outi;
      tbl_ed[0xA8] = &&ed_ldd;
      tbl_ed[0xA9] = &&ed_cpd;
      tbl_ed[0xAA] = &&ed_ind;
      tbl_ed[0xAB] = &&ed_outd;
      tbl_ed[0xB0] = &&ed_ldir;
      tbl_ed[0xB1] = &&ed_cpir;
      tbl_ed[0xB2] = &&ed_inir;
      tbl_ed[0xB3] = &&ed_otir;
      tbl_ed[0xB8] = &&ed_lddr;
      tbl_ed[0xB9] = &&ed_cpdr;
      tbl_ed[0xBA] = &&ed_indr;
      tbl_ed[0xBB] = &&ed_otdr;
    }

    INDEX_TABLE(dd, ix, tbl_dd);
    INDEX_TABLE(fd, iy, tbl_fd);
    ready = true;
    return;
  }

run:
  SYNC_IN();
  calls++;
  NEXT();

special_entry:
  if (EiWatch) {
    // The instruction after an EI runs before any interrupt: alone on an
    // empty budget when one is pending (then leave accepts it).
    if (CycleCounter < 0) goto spent;
    EiWatch = 0;
    if (IrqLine > 0 && Z80Regs.iff1) {
      ei_remaining = CycleCounter;
      CycleCounter = 0;
      ei_cut = true;
    }
    goto run;
  }
  AcceptInterrupt();
  if (CycleCounter < 0) goto spent;
  if (Z80Halted) {
    // Idle for the whole budget, one opcode fetch per 4 T-states.
    int32_t k = CycleCounter / 4 + 1;
    Z80Regs.r = (uint8_t)((Z80Regs.r & 0x80) | ((Z80Regs.r + k) & 0x7F));
    CycleCounter -= 4 * k;
    goto spent;
  }
  goto run;

  // --- Base page ---------------------------------------------------------
op_nop:
  END(4);
op_ld_bc_nn:
  bc = FW();
  END(10);
op_ld_de_nn:
  de = FW();
  END(10);
op_ld_hl_nn:
  hl = FW();
  END(10);
op_ld_sp_nn:
  sp = FW();
  END(10);
op_ld_mbc_a:
  WR(bc, a);
  wz = (uint16_t)(((bc + 1) & 0xFF) | a << 8);
  END(7);
op_ld_mde_a:
  WR(de, a);
  wz = (uint16_t)(((de + 1) & 0xFF) | a << 8);
  END(7);
op_ld_a_mbc:
  wz = (uint16_t)(bc + 1);
  a = RD(bc);
  END(7);
op_ld_a_mde:
  wz = (uint16_t)(de + 1);
  a = RD(de);
  END(7);
op_inc_bc:
  bc++;
  END(6);
op_inc_de:
  de++;
  END(6);
op_inc_hl:
  hl++;
  END(6);
op_inc_sp:
  sp++;
  END(6);
op_dec_bc:
  bc--;
  END(6);
op_dec_de:
  de--;
  END(6);
op_dec_hl:
  hl--;
  END(6);
op_dec_sp:
  sp--;
  END(6);
  INC_DEC_LD(b, 0)
  INC_DEC_LD(c, 0)
  INC_DEC_LD(d, 0)
  INC_DEC_LD(e, 0)
  INC_DEC_LD(h, 0)
  INC_DEC_LD(l, 0)
  INC_DEC_LD(a, 0)
op_inc_mhl : {
  uint8_t v = (uint8_t)(RD(hl) + 1);
  WR(hl, v);
  f = (uint8_t)((f & FC) | kFlags.inc[v]);
  ENDF(11);
}
op_dec_mhl : {
  uint8_t v = (uint8_t)(RD(hl) - 1);
  WR(hl, v);
  f = (uint8_t)((f & FC) | kFlags.dec[v]);
  ENDF(11);
}
op_ld_mhl_n : {
  uint8_t n = FB();
  WR(hl, n);
  END(10);
}
op_rlca:
  a = (uint8_t)(a << 1 | a >> 7);
  f = (uint8_t)((f & (FS | FZ | FP)) | (a & (FY | FX | FC)));
  ENDF(4);
op_rrca:
  f = (uint8_t)((f & (FS | FZ | FP)) | (a & FC));
  a = (uint8_t)(a >> 1 | a << 7);
  f |= (uint8_t)(a & (FY | FX));
  ENDF(4);
op_rla : {
  uint8_t c = (uint8_t)(a >> 7);
  a = (uint8_t)(a << 1 | (f & FC));
  f = (uint8_t)((f & (FS | FZ | FP)) | (a & (FY | FX)) | c);
  ENDF(4);
}
op_rra : {
  uint8_t c = (uint8_t)(a & 1);
  a = (uint8_t)(a >> 1 | (f & FC) << 7);
  f = (uint8_t)((f & (FS | FZ | FP)) | (a & (FY | FX)) | c);
  ENDF(4);
}
op_ex_af : {
  uint16_t t = Z80Regs.af2;
  Z80Regs.af2 = (uint16_t)(a << 8 | f);
  a = (uint8_t)(t >> 8);
  f = (uint8_t)t;
  END(4);
}
op_add_bc:
  ADD16(hl, bc);
  ENDF(11);
op_add_de:
  ADD16(hl, de);
  ENDF(11);
op_add_hl:
  ADD16(hl, hl);
  ENDF(11);
op_add_sp:
  ADD16(hl, sp);
  ENDF(11);
op_djnz : {
  int8_t d = FD8();
  bc = (uint16_t)(bc - 0x100);
  if (bc >> 8) {
    pc = (uint16_t)(pc + d);
    wz = pc;
    END(13);
  }
  END(8);
}
// A short jump backwards closes a loop the core may idle through; leaving
// that loop (its jump not taken) ends the watch on it.
// A short backward jump from `from_` (cost: its T-states): the armed one
// goes to the idle check, any other only notes itself.
#define NOTE_BACKWARD_JUMP(from_, cost)                \
  do {                                                 \
    if (__builtin_expect((from_) == armed_jump, 0)) {  \
      loop_cost = (cost);                              \
      goto loop_arrival;                               \
    }                                                  \
    last_jump = (from_);                               \
  } while (0)
#define JR_TAKEN(d)                                                                         \
  do {                                                                                      \
    uint32_t from_ = (uint16_t)(pc - 2);                                                    \
    pc = (uint16_t)(pc + (d));                                                              \
    wz = pc;                                                                                \
    if (__builtin_expect((d) < 0 && (d) >= -kLoopSpan - 2, 0)) NOTE_BACKWARD_JUMP(from_, 12); \
    END(12);                                                                                \
  } while (0)
#define JP_TAKEN(ad)                                                                         \
  do {                                                                                       \
    uint32_t from_ = (uint16_t)(pc - 3);                                                     \
    pc = (ad);                                                                               \
    if (__builtin_expect((uint16_t)(from_ - pc) <= kLoopSpan, 0)) NOTE_BACKWARD_JUMP(from_, 10); \
    END(10);                                                                                 \
  } while (0)
#define LOOP_LEFT(length)                                                           \
  do {                                                                              \
    if (__builtin_expect(loop_watch.jump == (uint16_t)(pc - (length)), 0)) loop_watch.jump = kNoLoop; \
  } while (0)
op_jr : {
  int8_t d = FD8();
  JR_TAKEN(d);
}
#define JR_COND(name, cond)      \
  name : {                       \
    int8_t d = FD8();            \
    if (cond) JR_TAKEN(d);       \
    LOOP_LEFT(2);                \
    END(7);                      \
  }
  JR_COND(op_jr_nz, C_NZ)
  JR_COND(op_jr_z, C_Z)
  JR_COND(op_jr_nc, C_NC)
  JR_COND(op_jr_c, C_C)
op_ld_mnn_hl : {
  uint16_t ad = FW();
  WR16(ad, hl);
  wz = (uint16_t)(ad + 1);
  END(16);
}
op_ld_hl_mnn : {
  uint16_t ad = FW();
  hl = RD16(ad);
  wz = (uint16_t)(ad + 1);
  END(16);
}
op_ld_mnn_a : {
  uint16_t ad = FW();
  WR(ad, a);
  wz = (uint16_t)(((ad + 1) & 0xFF) | a << 8);
  END(13);
}
op_ld_a_mnn : {
  uint16_t ad = FW();
  a = RD(ad);
  wz = (uint16_t)(ad + 1);
  END(13);
}
op_daa : {
  uint16_t t = kFlags.daa[a | (f & (FC | FN)) << 8 | (f & FH) << 6];
  a = (uint8_t)(t >> 8);
  f = (uint8_t)t;
  ENDF(4);
}
op_cpl:
  a = (uint8_t)~a;
  f = (uint8_t)((f & (FS | FZ | FP | FC)) | FH | FN | (a & (FY | FX)));
  ENDF(4);
// SCF and CCF: bits 5 and 3 come from A, or from A | F when the previous
// instruction left the flags alone (the Q latch is then 0).
op_scf : {
  uint8_t xy = FlagsEndAt(pc - 1) ? a : (uint8_t)(a | f);
  f = (uint8_t)((f & (FS | FZ | FP)) | FC | (xy & (FY | FX)));
  ENDF(4);
}
op_ccf : {
  uint8_t xy = FlagsEndAt(pc - 1) ? a : (uint8_t)(a | f);
  f = (uint8_t)(((f & (FS | FZ | FP | FC)) | ((f & FC) << 4) | (xy & (FY | FX))) ^ FC);
  ENDF(4);
}

  LD_ROW(b)
  LD_ROW(c)
  LD_ROW(d)
  LD_ROW(e)
  LD_ROW(h)
  LD_ROW(l)
  LD_ROW(a)
op_halt : {
  // PC stays past the HALT while the CPU idles through the rest of the
  // budget in 4-T-state fetches, the way a halted entry does (a DD/FD before
  // it has already been charged).
  Z80Halted = 1;
  int32_t left = cc + 1;
  int32_t fetches = left >= 0 ? left / 4 + 1 : 1;
  r += fetches - 1;
  cc = left - 4 * fetches - 1;
  goto leave;
}

  ALU_GROUP(b, G_b, 4)
  ALU_GROUP(c, G_c, 4)
  ALU_GROUP(d, G_d, 4)
  ALU_GROUP(e, G_e, 4)
  ALU_GROUP(h, G_h, 4)
  ALU_GROUP(l, G_l, 4)
  ALU_GROUP(a, G_a, 4)
  ALU_GROUP(mhl, RD(hl), 7)
  ALU_GROUP(n, FB(), 7)

  COND_GROUP(NZ)
  COND_GROUP(Z)
  COND_GROUP(NC)
  COND_GROUP(C)
  COND_GROUP(PO)
  COND_GROUP(PE)
  COND_GROUP(P)
  COND_GROUP(M)
op_ret:
  pc = POP();
  wz = pc;
  END(10);
op_jp : {
  uint16_t ad = FW();
  wz = ad;
  JP_TAKEN(ad);
}
op_call : {
  uint16_t ad = FW();
  PUSH(pc);
  pc = ad;
  wz = ad;
  END(17);
}
op_pop_bc:
  bc = POP();
  END(10);
op_pop_de:
  de = POP();
  END(10);
op_pop_hl:
  hl = POP();
  END(10);
op_pop_af : {
  uint16_t t = POP();
  a = (uint8_t)(t >> 8);
  f = (uint8_t)t;
  END(10);
}
op_push_bc:
  PUSH(bc);
  END(11);
op_push_de:
  PUSH(de);
  END(11);
op_push_hl:
  PUSH(hl);
  END(11);
op_push_af:
  PUSH(a << 8 | f);
  END(11);
#define RST(name, target) \
  name:                   \
  PUSH(pc);               \
  pc = target;            \
  wz = target;            \
  END(11);
  RST(op_rst00, 0x00)
  RST(op_rst08, 0x08)
  RST(op_rst10, 0x10)
  RST(op_rst18, 0x18)
  RST(op_rst20, 0x20)
  RST(op_rst28, 0x28)
  RST(op_rst30, 0x30)
  RST(op_rst38, 0x38)
op_out_n : {
  uint8_t n = FB();
  wz = (uint16_t)(((n + 1) & 0xFF) | a << 8);
  PORT_OUT(a << 8 | n, a);
  END(11);
}
op_in_n : {
  uint8_t n = FB();
  uint16_t port = (uint16_t)(a << 8 | n);
  wz = (uint16_t)(port + 1);
  a = PORT_IN(port);
  END(11);
}
op_exx : {
  uint16_t t = Z80Regs.bc2;
  Z80Regs.bc2 = bc;
  bc = t;
  t = Z80Regs.de2;
  Z80Regs.de2 = de;
  de = t;
  t = Z80Regs.hl2;
  Z80Regs.hl2 = hl;
  hl = t;
  END(4);
}
op_ex_sp_hl : {
  uint16_t v = RD16(sp);
  WR((uint16_t)(sp + 1), hl >> 8);
  WR(sp, hl & 0xFF);
  hl = v;
  wz = v;
  END(19);
}
op_jp_hl:
  pc = hl;
  END(4);
op_ex_de_hl : {
  uint16_t t = de;
  de = hl;
  hl = t;
  END(4);
}
op_ld_sp_hl:
  sp = hl;
  END(6);
op_di:
  Z80Regs.iff1 = Z80Regs.iff2 = 0;
  END(4);
op_ei : {
  bool both = Z80Regs.iff1 && Z80Regs.iff2;
  Z80Regs.iff1 = Z80Regs.iff2 = 1;
  cc -= 4;
  if (cc < 0) {
    // The budget ends with the EI: the next entry runs the instruction
    // after it before accepting anything.
    EiWatch = 2;
    goto leave;
  }
  if (!both && IrqLine > 0) {
    // The EI cuts the slice: the instruction after it runs alone on an empty
    // budget, then the pending interrupt is accepted and the rest of the
    // budget runs (see leave). A line at exactly 0 waits for the next entry.
    ei_remaining = cc + 1;
    cc = -1;
    ei_cut = true;
  }
  NEXT();
}

  // --- Prefixes ----------------------------------------------------------
op_cb:
  DISPATCH(tbl_cb);
op_ed:
  DISPATCH(tbl_ed);
op_dd:
  DISPATCH(tbl_dd);
op_fd:
  DISPATCH(tbl_fd);
index_plain : {
  // DD or FD before an opcode without HL: the prefix costs 4, then the plain
  // instruction runs on its own. The prefix leaves the Q latch as it was.
  uint8_t op = CUR_OP;
  cc -= 4;
  if (FlagsEndAt(pc - 2)) flags_end = pc - 1;
  goto *tbl_base[op];
}

  // --- CB page -----------------------------------------------------------
  CB_REG(b)
  CB_REG(c)
  CB_REG(d)
  CB_REG(e)
  CB_REG(h)
  CB_REG(l)
  CB_REG(a)
#define CB_MHL(kind, name)    \
  cb_##name##_mhl : {         \
    uint8_t v = RD(hl);       \
    ROT_##kind(v);            \
    WR(hl, v);                \
    ENDF(15);                 \
  }
  CB_MHL(RLC, rlc)
  CB_MHL(RRC, rrc)
  CB_MHL(RL, rl)
  CB_MHL(RR, rr)
  CB_MHL(SLA, sla)
  CB_MHL(SRA, sra)
  CB_MHL(SLL, sll)
  CB_MHL(SRL, srl)
cb_bit_mhl : {
  uint8_t m = BIT_MASK;
  uint8_t v = RD(hl);
  BIT_FLAGS(v, m, wz >> 8);
  ENDF(12);
}
cb_res_mhl : {
  uint8_t m = BIT_MASK;
  uint8_t v = (uint8_t)(RD(hl) & ~m);
  WR(hl, v);
  END(15);
}
cb_set_mhl : {
  uint8_t m = BIT_MASK;
  uint8_t v = (uint8_t)(RD(hl) | m);
  WR(hl, v);
  END(15);
}

  // --- DD CB / FD CB page --------------------------------------------------
  XCB_REG(b, S_b(v))
  XCB_REG(c, S_c(v))
  XCB_REG(d, S_d(v))
  XCB_REG(e, S_e(v))
  XCB_REG(h, S_h(v))
  XCB_REG(l, S_l(v))
  XCB_REG(a, S_a(v))
  XCB_REG(m, (void)0)
xcb_bit : {
  uint8_t m = BIT_MASK;
  uint8_t v = RD(wz);
  BIT_FLAGS(v, m, wz >> 8);
  ENDF(20);
}

  // --- DD and FD pages -----------------------------------------------------
  INDEX_PAGE(dd, ix)
  INDEX_PAGE(fd, iy)

  // --- ED page -----------------------------------------------------------
ed_nop:
  END(8);
  ED_IO(b)
  ED_IO(c)
  ED_IO(d)
  ED_IO(e)
  ED_IO(h)
  ED_IO(l)
  ED_IO(a)
ed_in_f : {
  wz = (uint16_t)(bc + 1);
  uint8_t v = PORT_IN(bc);
  f = (uint8_t)((f & FC) | SZP[v]);
  ENDF(12);
}
ed_out_0:
  wz = (uint16_t)(bc + 1);
  PORT_OUT(bc, 0);
  END(12);
ed_sbc_bc:
  SBC16(bc);
  ENDF(15);
ed_sbc_de:
  SBC16(de);
  ENDF(15);
ed_sbc_hl:
  SBC16(hl);
  ENDF(15);
ed_sbc_sp:
  SBC16(sp);
  ENDF(15);
ed_adc_bc:
  ADC16(bc);
  ENDF(15);
ed_adc_de:
  ADC16(de);
  ENDF(15);
ed_adc_hl:
  ADC16(hl);
  ENDF(15);
ed_adc_sp:
  ADC16(sp);
  ENDF(15);
#define ED_LD_RR(name, reg)                              \
  ed_ld_mnn_##name : {                                   \
    uint16_t ad = FW();                                  \
    WR16(ad, reg);                                       \
    wz = (uint16_t)(ad + 1);                             \
    END(20);                                              \
  }                                                      \
  ed_ld_##name##_mnn : {                                 \
    uint16_t ad = FW();                                  \
    reg = RD16(ad);                                      \
    wz = (uint16_t)(ad + 1);                             \
    END(20);                                              \
  }
  ED_LD_RR(bc, bc)
  ED_LD_RR(de, de)
  ED_LD_RR(hl, hl)
  ED_LD_RR(sp, sp)
ed_neg : {
  uint8_t v = a;
  a = 0;
  ALU_SUB(v);
  ENDF(8);
}
ed_retn:
  pc = POP();
  wz = pc;
  Z80Regs.iff1 = Z80Regs.iff2;
  END(14);
ed_im0:
  Z80Regs.im = 0;
  END(8);
ed_im1:
  Z80Regs.im = 1;
  END(8);
ed_im2:
  Z80Regs.im = 2;
  END(8);
ed_ld_i_a:
  Z80Regs.i = a;
  END(9);
ed_ld_r_a:
  Z80Regs.r = a;
  r = a;
  END(9);
ed_ld_a_i:
  a = Z80Regs.i;
  f = (uint8_t)((f & FC) | SZ[a] | (Z80Regs.iff2 ? FP : 0));
  ENDF(9);
ed_ld_a_r:
  a = (uint8_t)((Z80Regs.r & 0x80) | (r & 0x7F));
  f = (uint8_t)((f & FC) | SZ[a] | (Z80Regs.iff2 ? FP : 0));
  ENDF(9);
ed_rrd : {
  uint8_t v = RD(hl);
  WR(hl, (v >> 4) | (a << 4));
  a = (uint8_t)((a & 0xF0) | (v & 0x0F));
  f = (uint8_t)((f & FC) | SZP[a]);
  wz = (uint16_t)(hl + 1);
  ENDF(18);
}
ed_rld : {
  uint8_t v = RD(hl);
  WR(hl, (v << 4) | (a & 0x0F));
  a = (uint8_t)((a & 0xF0) | (v >> 4));
  f = (uint8_t)((f & FC) | SZP[a]);
  wz = (uint16_t)(hl + 1);
  ENDF(18);
}

// Block instructions: one iteration per execution. A repeating one moves PC
// back onto itself (the next execution fetches it again, R + 2) and charges
// 21 T-states; its flags then take bits 5 and 3 from the high byte of its
// address, and MEMPTR points at its second byte.
#define BLOCK_REPEAT(cond, ADJUST)                                  \
  if (cond) {                                                       \
    pc = (uint16_t)(pc - 2);                                        \
    wz = (uint16_t)(pc + 1);                                        \
    f = (uint8_t)((f & ~(FY | FX)) | ((pc >> 8) & (FY | FX)));      \
    ADJUST;                                                         \
    ENDF(21);                                                       \
  }                                                                 \
  ENDF(16);

#define LD_STEP(delta)                                                          \
  uint8_t v = RD(hl);                                                           \
  WR(de, v);                                                                    \
  hl = (uint16_t)(hl + (delta));                                                \
  de = (uint16_t)(de + (delta));                                                \
  bc--;                                                                         \
  {                                                                             \
    uint8_t n_ = (uint8_t)(v + a);                                              \
    f = (uint8_t)((f & (FS | FZ | FC)) | (bc ? FP : 0) | (n_ & FX) | ((n_ & 0x02) << 4)); \
  }
ed_ldi : {
  LD_STEP(1)
  ENDF(16);
}
ed_ldd : {
  LD_STEP(-1)
  ENDF(16);
}
ed_ldir : {
  LD_STEP(1)
  BLOCK_REPEAT(bc, (void)0)
}
ed_lddr : {
  LD_STEP(-1)
  BLOCK_REPEAT(bc, (void)0)
}

#define CP_STEP(delta)                                                           \
  uint8_t v = RD(hl);                                                            \
  uint8_t res = (uint8_t)(a - v);                                                \
  hl = (uint16_t)(hl + (delta));                                                 \
  bc--;                                                                          \
  wz = (uint16_t)(wz + (delta));                                                 \
  {                                                                              \
    uint8_t h_ = (uint8_t)((a ^ v ^ res) & FH);                                  \
    uint8_t n_ = (uint8_t)(res - (h_ >> 4));                                     \
    f = (uint8_t)((f & FC) | FN | (SZ[res] & (FS | FZ)) | h_ | (bc ? FP : 0) |   \
                  (n_ & FX) | ((n_ & 0x02) << 4));                               \
  }
ed_cpi : {
  CP_STEP(1)
  ENDF(16);
}
ed_cpd : {
  CP_STEP(-1)
  ENDF(16);
}
ed_cpir : {
  CP_STEP(1)
  BLOCK_REPEAT(bc && res, (void)0)
}
ed_cpdr : {
  CP_STEP(-1)
  BLOCK_REPEAT(bc && res, (void)0)
}

// INI/IND/OUTI/OUTD flags: S, Z, 5, 3 from B; N = bit 7 of the byte; H = C =
// carry of k = byte + (C +/- 1) or byte + L; P = parity of (k & 7) ^ B.
#define IO_FLAGS(v, k)                                                           \
  do {                                                                           \
    uint8_t b_ = G_b;                                                            \
    f = (uint8_t)(SZ[b_] | (((v) >> 6) & FN) | ((k) > 0xFF ? (FH | FC) : 0) |    \
                  (SZP[((k) & 7) ^ b_] & FP));                                   \
  } while (0)
// While INIR/INDR/OTIR/OTDR repeat, the chip goes on to count B down in the
// same cycles, and H and P/V show it: with the carry of k set, P/V also
// takes the parity of (B - 1) & 7 or (B + 1) & 7 as bit 7 of the byte says,
// and H is the half carry of that step; without it P/V takes the parity of
// B & 7 and H is clear.
#define IO_REPEAT_FLAGS(v, k)                                                    \
  do {                                                                           \
    uint8_t b_ = G_b;                                                            \
    uint8_t p_ = (uint8_t)(b_ & 7);                                              \
    uint8_t h_ = 0;                                                              \
    if ((k) > 0xFF) {                                                            \
      if ((v) & 0x80) {                                                          \
        p_ = (uint8_t)((b_ - 1) & 7);                                            \
        h_ = (b_ & 0x0F) == 0x00 ? FH : 0;                                       \
      } else {                                                                   \
        p_ = (uint8_t)((b_ + 1) & 7);                                            \
        h_ = (b_ & 0x0F) == 0x0F ? FH : 0;                                       \
      }                                                                          \
    }                                                                            \
    f = (uint8_t)(((f & ~FH) | h_) ^ (~SZP[p_] & FP));                           \
  } while (0)
#define IN_STEP(delta)                                                           \
  wz = (uint16_t)(bc + (delta));                                                 \
  uint8_t v = PORT_IN(bc);                                                       \
  WR(hl, v);                                                                     \
  hl = (uint16_t)(hl + (delta));                                                 \
  bc = (uint16_t)(bc - 0x100);                                                   \
  unsigned k = v + (uint8_t)(G_c + (delta));                                     \
  IO_FLAGS(v, k);
// B counts down before the byte goes out: the port is BC with the new B.
#define OUT_STEP(delta)                                                          \
  uint8_t v = RD(hl);                                                            \
  bc = (uint16_t)(bc - 0x100);                                                   \
  PORT_OUT(bc, v);                                                               \
  hl = (uint16_t)(hl + (delta));                                                 \
  wz = (uint16_t)(bc + (delta));                                                 \
  unsigned k = v + G_l;                                                          \
  IO_FLAGS(v, k);
ed_ini : {
  IN_STEP(1)
  ENDF(16);
}
ed_ind : {
  IN_STEP(-1)
  ENDF(16);
}
ed_inir : {
  IN_STEP(1)
  BLOCK_REPEAT(bc >> 8, IO_REPEAT_FLAGS(v, k))
}
ed_indr : {
  IN_STEP(-1)
  BLOCK_REPEAT(bc >> 8, IO_REPEAT_FLAGS(v, k))
}
ed_outi : {
  OUT_STEP(1)
  ENDF(16);
}
ed_outd : {
  OUT_STEP(-1)
  ENDF(16);
}
ed_otir : {
  OUT_STEP(1)
  BLOCK_REPEAT(bc >> 8, IO_REPEAT_FLAGS(v, k))
}
ed_otdr : {
  OUT_STEP(-1)
  BLOCK_REPEAT(bc >> 8, IO_REPEAT_FLAGS(v, k))
}

loop_arrival:
  // The armed loop has come round (see IdleRounds); registers out and back
  // as around a callback, which keeps this rare path from crowding the
  // registers of the handlers.
  cc -= loop_cost;
  if (__builtin_expect(cc >= 0, 1)) {
    SYNC_OUT();
    IdleRounds();
    SYNC_IN();
  }
  END(0);

budget_spent:
  // One place for every handler's budget end keeps the handlers short.
  SYNC_OUT();
  if (__builtin_expect(NextBudgetRuns(), 1)) {
    SYNC_IN();
    NEXT();
  }
  if (after_budget == AfterBudget::Return) return;
  if (after_budget == AfterBudget::Enter) goto special_entry;
  goto left;
leave:
  SYNC_OUT();
left:
  if (__builtin_expect(ei_cut, 0)) {
    // The instruction after a cutting EI has run: give back the rest of the
    // budget and enter again (the interrupt is accepted, or waits for the
    // instruction after a further EI).
    ei_cut = false;
    CycleCounter += ei_remaining;
    goto special_entry;
  }
spent:
  ExamineLastJump();
  // The budget is spent, the registers are in the globals. With a budget
  // hook the next budget runs in this same call, entered exactly as a new
  // call would be: returning and calling again costs the host a mispredicted
  // return and first dispatch, a prologue and an epilogue, per budget.
  if (Z80BudgetHook) {
    calls++;
    if (Z80BudgetHook(Z80Context)) {
      if (__builtin_expect(((IrqLine >= 0) | Z80Halted | EiWatch | (CycleCounter < 0)) == 0, 1))
        goto run;
      goto special_entry;
    }
  }
}

namespace {
// Builds the dispatch tables of Z80Run before main, through a call on a
// spent budget with the interrupt line released.
struct TableBuilder {
  TableBuilder() {
    int32_t counter = CycleCounter, line = IrqLine;
    CycleCounter = -1;
    IrqLine = -1;
    Z80Run();
    CycleCounter = counter;
    IrqLine = line;
  }
} table_builder;
}  // namespace

void Z80Reset() {
  Z80Regs = Z80Registers{};
  Z80Regs.af = 0x0040;
  Z80Regs.ix = 0xFFFF;
  Z80Regs.iy = 0xFFFF;
  EiWatch = 0;
  Z80MemPtr = 0;
  Z80Halted = 0;
  flags_end = kNoFlagsEnd;
  loop_watch.jump = kNoLoop;
  ForgetUnfitJumps();
}

void Z80ForgetLoop() {
  loop_watch.jump = kNoLoop;
  ForgetUnfitJumps();
}

int Z80Nmi() {
  Z80Regs.iff1 = 0;
  // Taken while halted, the NMI returns to the HALT itself.
  Z80Regs.pc = (uint16_t)(Z80Regs.pc - Z80Halted);
  Z80Halted = 0;
  EiWatch = 0;
  flags_end = kNoFlagsEnd;
  loop_watch.jump = kNoLoop;
  PushPc();
  Z80Regs.pc = 0x0066;
  Z80MemPtr = 0x0066;
  return 12;
}

uint8_t Z80GetQ() { return FlagsEndAt(Z80Regs.pc) ? (uint8_t)Z80Regs.af : 0; }

void Z80SetQ(uint8_t q) { flags_end = q ? Z80Regs.pc : kNoFlagsEnd; }
