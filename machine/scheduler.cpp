// The frame scheduler: every scanline is cut into CPU slices of fixed
// length with the VDP, PSG and VGM hooks at fixed line positions, so the
// core runs whole budgets and nothing is called per instruction.
#include "machine/fm_unit.h"
#include "machine/machine.h"
#include "machine/options.h"

bool BreakState = false;
void (*LineEndHook)() = nullptr;
bool MergeQuietLines = true;
bool SlicesThroughHook = true;

namespace {

constexpr int FirstSlice = 171;   // up to the interrupt update
constexpr int SecondSlice = 57;   // up to the end of the line
constexpr int FrameFlagAt = 150;  // on the first line below the picture

// A frame is a chain of CPU slices with the VDP, PSG and logger steps
// between them. The core takes the slices one after the other through its
// budget hook (SliceEnded) without returning to the loop here, which spares
// the host a return, a call and a mispredicted first dispatch per slice.

// What the end of the slice running now leads to.
enum class SliceEnd : uint8_t {
  FrameFlag,  // 150 cycles into the first line below the picture
  LineTick,   // 171: the interrupt update
  LineEnd,    // 228
  QuietEnd,   // 228 of a line run as one slice, or 171 if a port access split it
};

struct FrameRun {
  Machine* machines[2];  // the primary, then the link partner or none
  int which;             // the machine in the core
  int line, lines;
  int active[2];
  int first[2], last[2];  // the lines rendered
  bool sound;
  bool fm;  // the FM unit is fitted
  bool stopped;  // BreakState ended the frame
  SliceEnd next;
};
FrameRun Run;

// Rendered lines [first, last): the whole picture, or the 144 lines of the
// Game Gear window centred in it.
void RenderedLines(int active, int* first, int* last) {
  *first = 0;
  *last = active;
  if (MachineOptions & OptGgScreen) {
    *first = (active - 144) / 2;
    *last = *first + 144;
  }
}

// Hands the core n more cycles.
inline void GiveSlice(Machine* m, int n) {
  CycleCounter += n;
  m->LineCycleStamp = int16_t((m->LineCycleStamp + n) % MachineLineCycles);
}

// The start of the current line on the machine in the core: drawn when it
// is shown, then its first slice. A line whose update at 171 leaves the
// interrupt line released runs as one slice of 228: nothing inside the core
// can tell, since the core sees the line only when a slice starts and
// reaches the VDP only through ports, where CatchUpLineTick makes the update
// first or splits the line. One slice per line instead of two.
void BeginLine(FrameRun& f) {
  Machine* m = f.machines[f.which];
  VdpState* vdp = &m->Vdp;
  const int active = f.active[f.which];
  if (f.line >= f.first[f.which] && f.line < f.last[f.which]) VdpRenderLine(vdp);
  if (f.line == active) {
    GiveSlice(m, FrameFlagAt);
    f.next = SliceEnd::FrameFlag;
  } else if (MergeQuietLines && IrqLine < 0 && !BreakState && !VdpLineTickAsserts(vdp)) {
    m->LineTickPending = 1;
    m->LineSplit = 0;
    GiveSlice(m, FirstSlice + SecondSlice);
    f.next = SliceEnd::QuietEnd;
  } else {
    GiveSlice(m, FirstSlice);
    f.next = SliceEnd::LineTick;
  }
}

// After the end of a line on the machine in the core: the logger and the
// sound for the primary, then the partner's line or the next line.
// False when the frame is over.
bool NextLine(FrameRun& f) {
  Machine* m = f.machines[f.which];
  Machine* partner = f.machines[1];
  if (partner) SaveCoreState(m);
  if (f.which == 0) {
    if (LineEndHook) LineEndHook();
    PsgLineTick(&m->Psg, f.sound);
    if (f.fm) FmLineTick(m, f.sound);
  }
  if (partner) {
    if (f.which == 1 && f.line + 1 == f.lines) return false;  // the partner stays in the core
    f.which ^= 1;
    if (f.which == 0) ++f.line;
    SelectMachine(f.machines[f.which]);
  } else if (++f.line == f.lines) {
    return false;
  }
  BeginLine(f);
  return true;
}

// The budget hook: the steps due where the slice ended, then the next
// slice; false when the frame is over or the debugger stopped it (BreakState
// set during the slice).
bool SliceEnded(void*) {
  FrameRun& f = Run;
  Machine* m = f.machines[f.which];
  VdpState* vdp = &m->Vdp;
  const bool stop = BreakState;
  switch (f.next) {
    case SliceEnd::FrameFlag:
      if (stop) break;
      VdpSetFrameFlag(vdp);
      GiveSlice(m, FirstSlice - FrameFlagAt);
      f.next = SliceEnd::LineTick;
      return true;
    case SliceEnd::QuietEnd:
      if (m->LineSplit) {  // the slice ended at 171 after all
        m->LineSplit = 0;
        if (stop) break;
        VdpLineTick(vdp);
        GiveSlice(m, SecondSlice);
        f.next = SliceEnd::LineEnd;
        return true;
      }
      if (m->LineTickPending) {
        m->LineTickPending = 0;
        VdpLineTick(vdp);
      }
      if (stop) break;
      VdpLineEnd(vdp);
      return NextLine(f);
    case SliceEnd::LineTick:
      if (stop) break;
      VdpLineTick(vdp);
      GiveSlice(m, SecondSlice);
      f.next = SliceEnd::LineEnd;
      return true;
    case SliceEnd::LineEnd:
      if (stop) break;
      VdpLineEnd(vdp);
      return NextLine(f);
  }
  f.stopped = true;
  return false;
}

// Single machine: each line is drawn, sliced, logged and sounded. Link
// play: both Game Gears line by line, the primary first; the partner's
// sound is never played nor logged, its picture is drawn like the
// primary's so the second screen shows its game.
void RunSlicedFrame(Machine* primary, Machine* partner, bool render, bool sound) {
  FrameRun& f = Run;
  f.machines[0] = primary;
  f.machines[1] = partner;
  f.which = 0;
  f.line = 0;
  f.lines = primary->Vdp.lines_per_frame;
  f.sound = sound;
  f.fm = FmUnitPresent();
  f.stopped = false;
  for (int i = 0; i < (partner ? 2 : 1); i++) {
    f.active[i] = f.machines[i]->Vdp.active_lines;
    RenderedLines(f.active[i], &f.first[i], &f.last[i]);
    if (!render) f.first[i] = f.last[i] = 0;
  }
  SelectMachine(primary);
  BeginLine(f);
  if (SlicesThroughHook) {
    Z80BudgetHook = SliceEnded;
    Z80Run();
    Z80BudgetHook = nullptr;
  } else {
    do Z80Run();
    while (SliceEnded(nullptr));
  }
  SaveCoreState(f.machines[f.which]);
  if (f.stopped) return;
  if (partner) SelectMachine(primary);
  PsgFrameEnd(&primary->Psg, sound);
  if (f.fm) FmFrameEnd(primary, sound);
  if (partner) {
    PsgFrameEnd(&partner->Psg, false);
    if (f.fm) FmFrameEnd(partner, false);
  }
  if (render) {
    VdpSwapSurfaces(&primary->Vdp);
    if (partner) VdpSwapSurfaces(&partner->Vdp);
  }
}

}  // namespace

void RunFrame(Machine* m, bool render, bool sound) {
  // Between frames the memory may have changed under a loop the core was
  // idling through (debugger edits, patches, a loaded state).
  Z80ForgetLoop();
  const bool linked = (MachineOptions & OptLink) && m->LinkPartner;
  RunSlicedFrame(m, linked ? m->LinkPartner : nullptr, render, sound);
}

int StepCycles(Machine* m) {
  int pos = int(m->FrameCycle % MachineLineCycles);
  SelectMachine(m);
  const int n = 1 - CycleCounter;
  if (n <= 0) return n;
  VdpState* vdp = &m->Vdp;
  const int active = vdp->active_lines;
  for (int i = 0; i < n; ++i) {
    if (pos == 0 && vdp->line < active) VdpRenderLine(vdp);
    CycleCounter += 1;
    m->LineCycleStamp = int16_t((m->LineCycleStamp + 1) % MachineLineCycles);
    Z80Run();
    if (++m->FrameCycle >= m->CyclesPerFrame) m->FrameCycle = 0;
    ++pos;
    if (pos == MachineLineCycles) {
      pos = 0;
      VdpLineEnd(vdp);
    } else if (pos == FrameFlagAt) {
      if (vdp->line == active) VdpSetFrameFlag(vdp);
    } else if (pos == FirstSlice) {
      VdpLineTick(vdp);
    }
  }
  SaveCoreState(m);
  return n;
}

void CatchUpLineTick(Machine* m) {
  m->LineTickPending = 0;
  // The port callback comes with the counter as the instruction began: one
  // that began before 171 belongs to the line's first slice.
  if (CycleCounter > SecondSlice) {
    CycleCounter -= SecondSlice;
    m->LineCycleStamp = int16_t((m->LineCycleStamp - SecondSlice + MachineLineCycles) % MachineLineCycles);
    m->LineSplit = 1;
  } else {
    VdpLineTick(&m->Vdp);
  }
}

void SyncStepPosition(Machine* m) {
  SelectMachine(m);
  const int pos = ((m->LineCycleStamp - CycleCounter) % MachineLineCycles + MachineLineCycles) %
                  MachineLineCycles;
  m->FrameCycle = uint32_t(pos) + uint32_t(m->Vdp.line) * MachineLineCycles;
  // The stamp keeps the position so the H counter reads the same while
  // stepping; the overshoot now lives in FrameCycle.
  m->LineCycleStamp = int16_t(pos);
  CycleCounter = 0;
  SaveCoreState(m);
}

void ForceReturn(Machine* m) {
  SelectMachine(m);
  const uint8_t saved = m->Ram[0];
  const uint16_t pc = Z80Regs.pc;
  // Interrupts are held off for the step: one accepted at $C000 would push
  // $C000 as its return address, and the program would come back to the
  // byte restored below instead of the RET.
  const uint8_t iff1 = Z80Regs.iff1;
  const uint8_t halted = Z80Halted;
  Z80Regs.iff1 = 0;
  Z80Regs.pc = 0xC000;
  Z80Halted = 0;  // a halted program returns too
  m->Ram[0] = 0xC9;  // RET, at $C000 in RAM
  const int stepped = StepCycles(m);
  m->Ram[0] = saved;
  Z80Regs.iff1 = iff1;
  // No cycles to step means the RET did not run: stay where the program was.
  if (stepped <= 0) Z80Regs.pc = pc, Z80Halted = halted;
  SaveCoreState(m);
}
