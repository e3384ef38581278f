#include "lumo/messages_window.h"

#include "config/config.h"
#include "lumo/gui.h"
#include "lumo/messages.h"
#include "lumo/window_table.h"

namespace {

void FillRows() {
  const int rows = ListRowCount(MessagesListId);
  // The newest lines at the bottom when the list shows fewer than 29.
  const int skip = rows < MessageLineCount ? MessageLineCount - rows : 0;
  for (int i = 0; i < rows && skip + i < MessageLineCount; i++)
    SetListRow(MessagesListId, i, MessageLines[skip + i], false, false);
}

}  // namespace

void OpenMessagesWindow() {
  Window* w = OpenToolWindow(WinMessages);
  if (!w) return;
  const WindowLayout& layout = WindowLayouts[WinMessages];
  AddList(w, layout.client_height, MessagesListId, 0, 0, layout.client_width, GadgetSecondFont | GadgetNoTab);
  Config.window_opened[WinMessages] = true;
  MessagesChanged = FillRows;
  FillRows();
}

void CloseMessagesWindow() {
  CloseWindow(WinMessages);
  Config.window_opened[WinMessages] = false;
  MessagesChanged = nullptr;
}

void ToggleMessagesWindow() {
  if (WindowOpen(WinMessages))
    CloseMessagesWindow();
  else
    OpenMessagesWindow();
}
