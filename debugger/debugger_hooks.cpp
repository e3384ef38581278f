#include "debugger/debugger_hooks.h"

#include "debugger/debug_log.h"
#include "debugger/disassembler.h"
#include "debugger/sdsc.h"
#include "machine/console.h"
#include "machine/ports.h"

namespace {

void TraceStep() {
  if (DebugLogOn) WriteDebugLogEntry();
}

void ConsolePort(uint8_t port, uint8_t value) {
  if (port == 0xFC)
    ConsoleControl(value);
  else
    ConsoleData(value);
}

}  // namespace

void ConnectDebuggerHooks() {
  Z80DisassemblerHook = DisassembleZ80;
  StepInstructionHook = TraceStep;
  DebugConsolePortHook = ConsolePort;
}

void DisconnectDebuggerHooks() {
  Z80DisassemblerHook = nullptr;
  StepInstructionHook = nullptr;
  DebugConsolePortHook = nullptr;
}
