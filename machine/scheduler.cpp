// The frame scheduler: every scanline is cut into CPU slices of fixed
// length with the VDP, PSG and VGM hooks at fixed line positions, so the
// core runs whole budgets and nothing is called per instruction.
#include "machine/machine.h"
#include "machine/options.h"

bool BreakState = false;
void (*LineEndHook)() = nullptr;
bool MergeQuietLines = true;

namespace {

constexpr int FirstSlice = 171;   // up to the interrupt update
constexpr int SecondSlice = 57;   // up to the end of the line
constexpr int FrameFlagAt = 150;  // on the first line below the picture

// Runs the core for n more cycles; true when the debugger asked to stop.
inline bool Slice(Machine* m, int n) {
  CycleCounter += n;
  m->LineCycleStamp = int16_t((m->LineCycleStamp + n) % MachineLineCycles);
  Z80Run();
  return BreakState;
}

// A line whose update at 171 leaves the interrupt line released runs as one
// slice of 228: nothing inside the core can tell, since the core sees the
// line only when it is entered and reaches the VDP only through ports, where
// CatchUpLineTick makes the update first or splits the line. One call into
// the core per line instead of two.
bool RunQuietLine(Machine* m) {
  VdpState* vdp = &m->Vdp;
  m->LineTickPending = 1;
  m->LineSplit = 0;
  bool stop = Slice(m, FirstSlice + SecondSlice);
  if (m->LineSplit) {  // the slice ended at 171 after all
    m->LineSplit = 0;
    if (stop) return true;
    VdpLineTick(vdp);
    if (Slice(m, SecondSlice)) return true;
    VdpLineEnd(vdp);
    return false;
  }
  if (m->LineTickPending) {
    m->LineTickPending = 0;
    VdpLineTick(vdp);
  }
  if (stop) return true;
  VdpLineEnd(vdp);
  return false;
}

// The CPU part of one line: slices, interrupt update, end of line. The
// caller renders before it and steps the sound after it.
inline bool RunLineCpu(Machine* m, int line, int active) {
  VdpState* vdp = &m->Vdp;
  if (line != active && MergeQuietLines && IrqLine < 0 && !BreakState && !VdpLineTickAsserts(vdp))
    return RunQuietLine(m);
  if (line == active) {
    if (Slice(m, FrameFlagAt)) return true;
    VdpSetFrameFlag(vdp);
    if (Slice(m, FirstSlice - FrameFlagAt)) return true;
  } else if (Slice(m, FirstSlice)) {
    return true;
  }
  VdpLineTick(vdp);
  if (Slice(m, SecondSlice)) return true;
  VdpLineEnd(vdp);
  return false;
}

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

void RunSingleFrame(Machine* m, bool render, bool sound) {
  SelectMachine(m);
  VdpState* vdp = &m->Vdp;
  const int active = vdp->active_lines;
  const int lines = vdp->lines_per_frame;
  int first, last;
  RenderedLines(active, &first, &last);
  if (!render) first = last = 0;

  for (int line = 0; line < lines; ++line) {
    if (line >= first && line < last) VdpRenderLine(vdp);
    if (RunLineCpu(m, line, active)) {
      SaveCoreState(m);
      return;
    }
    if (LineEndHook) LineEndHook();
    PsgLineTick(&m->Psg, sound);
  }
  SaveCoreState(m);
  PsgFrameEnd(&m->Psg, sound);
  if (render) VdpSwapSurfaces(vdp);
}

// Both Game Gears line by line, the primary first. The partner's sound is
// logged but never played; its picture is drawn like the primary's so the
// second screen shows its game.
void RunLinkedFrame(Machine* primary, bool render, bool sound) {
  Machine* partner = primary->LinkPartner;
  VdpState* vdp = &primary->Vdp;
  VdpState* vdp2 = &partner->Vdp;
  const int active = vdp->active_lines;
  const int active2 = vdp2->active_lines;
  const int lines = vdp->lines_per_frame;
  int first, last, first2, last2;
  RenderedLines(active, &first, &last);
  RenderedLines(active2, &first2, &last2);
  if (!render) first = last = first2 = last2 = 0;

  for (int line = 0; line < lines; ++line) {
    SelectMachine(primary);
    if (line >= first && line < last) VdpRenderLine(vdp);
    bool stop = RunLineCpu(primary, line, active);
    SaveCoreState(primary);
    if (stop) return;
    if (LineEndHook) LineEndHook();
    PsgLineTick(&primary->Psg, sound);

    SelectMachine(partner);
    if (line >= first2 && line < last2) VdpRenderLine(vdp2);
    stop = RunLineCpu(partner, line, active2);
    SaveCoreState(partner);
    if (stop) return;
  }
  SelectMachine(primary);
  PsgFrameEnd(&primary->Psg, sound);
  PsgFrameEnd(&partner->Psg, false);
  if (render) {
    VdpSwapSurfaces(vdp);
    VdpSwapSurfaces(vdp2);
  }
}

}  // namespace

void RunFrame(Machine* m, bool render, bool sound) {
  // Between frames the memory may have changed under a loop the core was
  // idling through (debugger edits, patches, a loaded state).
  Z80ForgetLoop();
  if ((MachineOptions & OptLink) && m->LinkPartner) {
    RunLinkedFrame(m, render, sound);
  } else {
    RunSingleFrame(m, render, sound);
  }
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
