#include "debugger/debugger_state.h"

#include "machine/machine.h"

bool BreakState = false;

void EnterBreakState() {
  if (BreakState) return;
  BreakState = true;
  SyncStepPosition(&PrimaryMachine);
}

// The debugger's windows register their refresh here as they are built.
void RefreshDebugger() {}

// Until the debugger window exists, enabling is entering the break state and
// a run pass has nothing to run.
void EnableDebugger() { EnterBreakState(); }
void RunPass() {}
void RefreshMemoryRegions() {}
