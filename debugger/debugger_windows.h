// The debugger's windows in the main loop's window registry, and the patch
// and symbol file commands of the Debug menu, which refresh the windows that
// show the lists afterwards.
#pragma once
#include <string>

// Registers the debugger (4), memory (7), tilemap (8), tiles (9), PSG (10),
// VDP (11), palette (12), variables (19), breakpoints (20), labels (21) and
// debugger options (26) windows.
void RegisterDebuggerWindows();

// "Add from patch", "Load patch", "Save patch", "Add from NO$GMB symbol
// file"; each reports its outcome and refreshes the list windows and the
// debugger window.
void AddFromPatchCommand();
void LoadPatchCommand();
void SavePatchCommand();
void AddFromSymbolFileCommand();
// After a cartridge loaded from the path: its symbol file beside it, if
// any (symbol_files.h); the list windows and the debugger window follow.
void LoadSymbolsBesideCartridgeCommand(const std::string& cartridge_path);
