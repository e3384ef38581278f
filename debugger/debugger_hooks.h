// The debugger's listeners on the emulation core: its disassembler for the
// console layer's Disassemble, the trace log after every stepped
// instruction, and the SDSC console on ports $FC/$FD. The program and the
// headless runner connect them at start-up; without them the core runs
// alone (no text, no trace, the console ports ignored).
#pragma once

void ConnectDebuggerHooks();
void DisconnectDebuggerHooks();  // the core alone again (shutdown, tests)
