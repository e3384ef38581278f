#include "debugger/debugger_state.h"

bool BreakState = false;
