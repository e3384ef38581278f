// The debugger's break flag. Set by breakpoints and debugger commands; the
// frame scheduler returns mid-frame as soon as it sees it after a CPU slice.
// Saved in state files as one byte.
#pragma once

extern bool BreakState;
