// Patch files and NO$GMB symbol files. A patch file ("Patches/<cartridge
// file name>.pat", text) keeps a game's debugger annotations and may change
// bytes of the cartridge image in memory:
//   VarB / VarW / VarD address, "name"   a variable (CPU address)
//   BP address                           a breakpoint (absolute address)
//   LABEL address, "name"                a label (absolute address)
//   COMMENT address, "text"              a comment (absolute address)
//   ADDR offset                          the patch pointer (image offset)
//   WB / WW / WD value {, value}         bytes / words / dwords written at
//                                        the pointer, which advances
// Keywords in any case; numbers in the debugger's number syntax. A symbol
// file (found as symbol_files.h says) holds lines "bank:offset name" in
// plain hexadecimal; each becomes a label.
// The commands do nothing while no cartridge is loaded; they report through
// the status line and the Messages window. Afterwards the caller refreshes
// the label, breakpoint and debugger windows.
#pragma once
#include <cstdint>
#include <vector>

#include "debugger/debug_lists.h"

// "Load patch" (replace: the four lists are emptied first, once the file
// has opened) and "Add from patch" (merge). False when the file could not
// be opened or no cartridge is loaded.
bool LoadPatch(bool replace);
// "Save patch": variables, breakpoints, labels, comments. The previous file
// is copied to tavo.tmp in the program directory first; the new one is
// written beside the target and renamed over it.
bool SavePatch();
// "Add from NO$GMB symbol file": the cartridge's symbol file in the ROM
// directory, tried under the names SymbolFileNames gives (game.sms.sym, then
// game.sym), read and reported as LoadSymbolsFile does.
bool LoadSymbolFile();

// The file-level work of the commands above, without messages about the
// file as a whole (syntax errors still go to the Messages window).
// ReadPatchFile: false when the file cannot be opened; `had_errors` tells
// whether a line was bad.
bool ReadPatchFile(const char* path, bool replace, bool* had_errors);
bool WritePatchFile(const char* path);
// ReadSymbols collects a symbol file's labels without touching the lists
// (at most MaxListEntries); ReadSymbolFile adds them.
bool ReadSymbols(const char* path, std::vector<Label>* symbols);
bool ReadSymbolFile(const char* path);

// The absolute address of a symbol file's bank:offset pair: the offset
// itself in the first kilobyte, bank x $4000 + (offset and $3FFF) in the
// three ROM slots, and the work RAM folded into $C000-$DFFF, as the
// debugger's absolute address gives it for that bank mapped at the offset.
uint32_t SymbolAbsoluteAddress(uint32_t bank, uint32_t offset);
