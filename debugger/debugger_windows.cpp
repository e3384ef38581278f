#include "debugger/debugger_windows.h"

#include "config/config.h"
#include "debugger/debugger_state.h"
#include "debugger/debugger_window.h"
#include "debugger/list_windows.h"
#include "debugger/patch_file.h"
#include "debugger/viewers.h"
#include "lumo/window_registry.h"

namespace {

void RefreshAfterFile() {
  RefreshListWindows();
  RefreshDebugger();
}

}  // namespace

void RegisterDebuggerWindows() {
  RegisterWindow(WinDebugger, {ToggleDebuggerWindow, DebuggerWindowEvent, RefreshDebugger, nullptr});
  RegisterWindow(WinMemoryViewer, {ToggleMemoryViewer, MemoryViewerEvent, RefreshMemoryViewer, MemoryViewerWheel});
  RegisterWindow(WinTilemapViewer, {ToggleTilemapViewer, TilemapViewerEvent, RefreshTilemapViewer, nullptr});
  RegisterWindow(WinTileViewer, {ToggleTileViewer, TileViewerEvent, RefreshTileViewer, nullptr});
  RegisterWindow(WinPsgViewer, {TogglePsgViewer, nullptr, RefreshPsgViewer, nullptr});
  RegisterWindow(WinVdpViewer, {ToggleVdpViewer, nullptr, RefreshVdpViewer, nullptr});
  RegisterWindow(WinPaletteViewer, {TogglePaletteViewer, nullptr, RefreshPaletteViewer, nullptr});
  RegisterWindow(WinVariableViewer,
                 {ToggleVariableWindow, VariableWindowEvent, RefreshVariableWindow, VariableWindowWheel});
  RegisterWindow(WinBreakpointViewer,
                 {ToggleBreakpointWindow, BreakpointWindowEvent, RefreshBreakpointWindow, BreakpointWindowWheel});
  RegisterWindow(WinLabelViewer, {ToggleLabelWindow, LabelWindowEvent, RefreshLabelWindow, LabelWindowWheel});
  RegisterWindow(WinDebuggerOptions, {ToggleDebuggerOptionsWindow, DebuggerOptionsEvent, nullptr, nullptr});
}

void AddFromPatchCommand() {
  LoadPatch(false);
  RefreshAfterFile();
}

void LoadPatchCommand() {
  LoadPatch(true);
  RefreshAfterFile();
}

void SavePatchCommand() { SavePatch(); }

void AddFromSymbolFileCommand() {
  LoadSymbolFile();
  RefreshAfterFile();
}
