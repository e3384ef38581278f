// The windows the application shell itself owns in the registry: the two
// file requesters, the Messages window and the info window.
#include "app/app_windows.h"

#include "app/info_window.h"
#include "config/config.h"
#include "config/recent_roms.h"
#include "lumo/file_requester.h"
#include "lumo/messages_window.h"
#include "lumo/window_registry.h"

namespace {

void ToggleRomRequesterWindow() { ToggleFileRequester(WinFileRequesterRom, RomRequesterFolder()); }
void ToggleVgmRequesterWindow() { ToggleFileRequester(WinFileRequesterVgm, Config.vgm_directory); }

// The Messages window's close box goes through its own close, which also
// stops the scrollback from rewriting a closed list.
void MessagesEvent(const GuiEvent& event) {
  if (event.type == EventClose) CloseMessagesWindow();
}

}  // namespace

void RegisterAppWindows() {
  WindowHandlers rom;
  rom.toggle = ToggleRomRequesterWindow;
  RegisterWindow(WinFileRequesterRom, rom);
  WindowHandlers vgm;
  vgm.toggle = ToggleVgmRequesterWindow;
  RegisterWindow(WinFileRequesterVgm, vgm);
  WindowHandlers messages;
  messages.toggle = ToggleMessagesWindow;
  messages.event = MessagesEvent;
  RegisterWindow(WinMessages, messages);
  RegisterInfoWindow();
}
