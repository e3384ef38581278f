// The debug log: a text trace of every instruction the debugger executes,
// "DebugLogs/<cartridge file name>.DebugLog". After a header, each entry
// shows the registers, the mapper banks, the VDP's interrupt enables, blank
// bit and line, and the next instruction (with its label and a "==== "
// marker on a breakpoint), so a log of n steps holds n + 1 entries. Writing
// goes through a 64 KiB buffer; a write error stops the log with a message
// and never the emulation.
#pragma once

// The debugger window's "Log" box; while set, every StepInstruction of the
// console layer appends an entry. Cleared when the log stops by itself.
extern bool DebugLogOn;

// Opens the log as a new file, writes the header and an entry for the current
// state, and says "Started debug log '%s'." ("Restarted ..." with restart).
// False, silently, without a cartridge or with the log already open; false
// with "Couldn't start debug log '%s'." ("Couldn't restart ...") when the
// file cannot be created.
bool StartDebugLog(bool restart);
// Closes an open log: "Stopped debug log '%s'.".
void StopDebugLog();
// Empties the file. An open log starts over (header and one entry,
// "Restarted debug log '%s'."); otherwise "Cleared debug log '%s'".
void ClearDebugLog();
// One entry for the current state of the active console, if a log is open.
void WriteDebugLogEntry();
bool DebugLogOpen();
// Closes the log without a message and clears DebugLogOn (tests).
void ResetDebugLog();
