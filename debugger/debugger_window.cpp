#include "debugger/debugger_window.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "config/config.h"
#include "debugger/code_row.h"
#include "debugger/debug_lists.h"
#include "debugger/debug_log.h"
#include "debugger/debugger_state.h"
#include "debugger/list_windows.h"
#include "lumo/window_table.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "z80/z80.h"

namespace {

constexpr int RegisterLines = 5;
constexpr const char* Header =
    "Label            Address  Instruction                              Comment";

struct ButtonSpec {
  const char* caption;
  int id, x, y, width;
};
// The rows of controls stand as the classic layout has them, the columns
// spaced a little wider so that every caption fits the GUI font.
constexpr ButtonSpec Buttons[] = {
    {"Enable", DebuggerEnable, 0, 90, 80},            {"Disable", DebuggerDisable, 0, 110, 80},
    {"Run", DebuggerRun, 85, 90, 80},                 {"Pause", DebuggerPause, 85, 110, 80},
    {"Step in", DebuggerStepIn, 170, 90, 80},         {"Step over", DebuggerStepOver, 170, 110, 80},
    {"Return", DebuggerReturn, 170, 130, 80},         {"Run one line", DebuggerRunLine, 255, 90, 95},
    {"Run one frame", DebuggerRunFrame, 255, 110, 95}, {"Run until cursor", DebuggerRunToCursor, 255, 130, 95},
    {"Clear log", DebuggerClearLog, 360, 110, 75},
};

// The register lines of the Master System / Game Gear.
void FormatRegisters(char lines[RegisterLines][96]) {
  SelectMachine(&PrimaryMachine);
  const Z80Registers& r = Z80Regs;
  const Machine& m = PrimaryMachine;
  const VdpState& vdp = m.Vdp;
  std::snprintf(lines[0], 96, "AF = %04X BC = %04X DE = %04X HL = %04X IX = %04X IY = %04X", r.af, r.bc, r.de,
                r.hl, r.ix, r.iy);
  // A halted CPU is shown on its HALT, like the first row.
  std::snprintf(lines[1], 96, "PC = %04X SP = %04X", Z80InstructionPc(), r.sp);
  std::snprintf(lines[2], 96, "Mapper: %2d:%2d:%2d", m.RomBank0, m.RomBank1, m.RomBank2);
  std::snprintf(lines[3], 96, "VBL: %1d  HBL: %1d  BLK: %1d  Line = %3d", (vdp.regs[1] >> 5) & 1,
                (vdp.regs[0] >> 4) & 1, (vdp.regs[1] >> 6) & 1, vdp.line);
  lines[4][0] = 0;
}

// Trailing blanks carry nothing and would only be cut by the list's row
// length.
void TrimRight(char* text) {
  size_t n = std::strlen(text);
  while (n && text[n - 1] == ' ') text[--n] = 0;
}

void FillRows() {
  uint32_t pos = GetPc() & 0xFFFF;
  for (int r = 0; r < DebuggerRows; ++r) {
    char row[CodeRowWidth + 1];
    uint32_t absolute = 0;
    int length = BuildCodeRow(pos, WindowRowLabelWidth, true, row, &absolute);
    RowAddress[r] = absolute;
    TrimRight(row);
    SetListRow(DebuggerList, r, row, true, HasBreakpoint(absolute));
    pos = (pos + (length > 0 ? length : 1)) & 0xFFFF;
  }
}

void Blank() {
  for (int i = 0; i < RegisterLines; ++i) SetGadgetText(DebuggerRegisterLine + i, "");
  for (int r = 0; r < DebuggerRows; ++r) SetListRow(DebuggerList, r, "", false, false);
  SelectRow(DebuggerList, -1);
}

// Each control is enabled or disabled once per refresh, so an unchanged
// state redraws nothing.
void SetControlStates() {
  const bool on = BreakState, running = DebugRun;
  EnableGadget(DebuggerEnable, !on);
  EnableGadget(DebuggerDisable, on);
  EnableGadget(DebuggerRun, on && !running);
  EnableGadget(DebuggerPause, on && running);
  for (int id : {DebuggerRunLine, DebuggerRunFrame, DebuggerRunToCursor, DebuggerStepIn, DebuggerStepOver,
                 DebuggerReturn})
    EnableGadget(id, on && !running);
  for (int id : {DebuggerLog, DebuggerClearLog, DebuggerBreakAtBreakpoints, DebuggerBreakAtNopNops, DebuggerList})
    EnableGadget(id, on);
  SetChecked(DebuggerLog, DebugLogOn);
  SetChecked(DebuggerBreakAtBreakpoints, BreakAtBreakpoints);
  SetChecked(DebuggerBreakAtNopNops, BreakAtNopNops);
}

void LogBoxChanged() {
  if (GetChecked(DebuggerLog) > 0) {
    DebugLogOn = StartDebugLog(false);
    if (!DebugLogOn) SetChecked(DebuggerLog, 0);
  } else {
    StopDebugLog();
    DebugLogOn = false;
  }
}

}  // namespace

void RefreshDebugger() {
  if (!WindowOpen(WinDebugger)) return;
  if (!BreakState) {
    Blank();
  } else {
    char lines[RegisterLines][96];
    FormatRegisters(lines);
    for (int i = 0; i < RegisterLines; ++i) SetGadgetText(DebuggerRegisterLine + i, lines[i]);
    FillRows();
  }
  SetControlStates();
}

void OpenDebuggerWindow() {
  Window* w = OpenToolWindow(WinDebugger);
  if (!w) return;
  AddFrame(w, "", DebuggerFrame, 0, 0, 600, 85);
  for (int i = 0; i < RegisterLines; ++i) {
    AddText(w, "", DebuggerRegisterLine + i, 5, 7 + 15 * i, 510, 15);
    SetGadgetFlags(DebuggerRegisterLine + i, GadgetSecondFont);
  }
  for (const ButtonSpec& b : Buttons) AddButton(w, b.caption, b.id, b.x, b.y, b.width, 15);
  AddCheckBox(w, "Log", DebuggerLog, 360, 90, 75, 15, DebugLogOn);
  AddCheckBox(w, "Break at breakpoints", DebuggerBreakAtBreakpoints, 470, 90, 130, 15, BreakAtBreakpoints);
  AddCheckBox(w, "Break at nop nops", DebuggerBreakAtNopNops, 470, 110, 130, 15, BreakAtNopNops);
  AddText(w, Header, DebuggerHeader, 3, 155, 597, 15);
  SetGadgetFlags(DebuggerHeader, GadgetSecondFont);
  AddList(w, 165, DebuggerList, 0, 170, 600, GadgetSecondFont | GadgetNoTab);
  Config.window_opened[WinDebugger] = true;
  RefreshDebugger();
}

void ToggleDebuggerWindow() {
  if (WindowOpen(WinDebugger)) {
    ClearRunFlags();
    CloseToolWindow(WinDebugger);
    return;
  }
  OpenDebuggerWindow();
}

int SelectedDebuggerRow() { return GetSelectedRow(DebuggerList); }
void SelectDebuggerRow(int row) { SelectRow(DebuggerList, row); }

void DebuggerWindowEvent(const GuiEvent& event) {
  if (event.type == EventClose) {
    DisableDebugger();
    CloseToolWindow(WinDebugger);
    return;
  }
  if (event.type == EventRightPress && event.id == DebuggerList) {
    const int row = GetSelectedRow(DebuggerList);
    if (!BreakState || row < 0 || row >= DebuggerRows) return;
    ToggleBreakpoint(RowAddress[row]);
    RefreshDebugger();
    RefreshListWindows();
    return;
  }
  if (event.type != EventActivated) return;
  switch (event.id) {
    case DebuggerEnable: EnableDebugger(); break;
    case DebuggerDisable: DisableDebugger(); break;
    case DebuggerRun: DebugRunStart(); break;
    case DebuggerPause: DebugPause(); break;
    case DebuggerStepIn: DebugStepIn(); break;
    case DebuggerStepOver: DebugStepOver(); break;
    case DebuggerReturn: DebugReturn(); break;
    case DebuggerRunLine: DebugRunLine(); break;
    case DebuggerRunFrame: DebugRunFrame(); break;
    case DebuggerRunToCursor: DebugRunToRow(GetSelectedRow(DebuggerList)); break;
    case DebuggerLog:
      LogBoxChanged();
      RefreshDebugger();
      break;
    case DebuggerClearLog:
      ClearDebugLog();  // a log that cannot start over is off
      RefreshDebugger();
      break;
    case DebuggerBreakAtBreakpoints: BreakAtBreakpoints = GetChecked(DebuggerBreakAtBreakpoints) > 0; break;
    case DebuggerBreakAtNopNops: BreakAtNopNops = GetChecked(DebuggerBreakAtNopNops) > 0; break;
    default: break;
  }
}
