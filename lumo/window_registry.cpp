#include "lumo/window_registry.h"

#include "config/config.h"
#include "lumo/window_table.h"

WindowHandlers WindowTable[28];

void RegisterWindow(int id, const WindowHandlers& handlers) {
  if (id >= 0 && id < WindowCount) WindowTable[id] = handlers;
}

void ResetWindowRegistry() {
  for (WindowHandlers& handlers : WindowTable) handlers = WindowHandlers{};
}

int EventWindow(const GuiEvent& event) {
  if (event.type == EventClose) return event.id >= 0 && event.id < WindowCount ? event.id : -1;
  if (event.type == EventMenu || event.id < 0) return -1;
  int window = event.id / 100;
  return window < WindowCount ? window : -1;
}

bool DispatchWindowEvent(const GuiEvent& event) {
  int id = EventWindow(event);
  if (id < 0) return false;
  if (WindowTable[id].event) {
    WindowTable[id].event(event);
    return true;
  }
  if (event.type != EventClose) return false;
  CloseToolWindow(id);
  return true;
}

void ToggleWindowById(int id) {
  if (id >= 0 && id < WindowCount && WindowTable[id].toggle) WindowTable[id].toggle();
}

void RefreshOpenWindows() {
  for (int id = 0; id < WindowCount; ++id)
    if (WindowTable[id].refresh && WindowOpen(id)) WindowTable[id].refresh();
}

bool WheelOverWindow(int id, int steps) {
  if (id < 0 || id >= WindowCount || !WindowTable[id].wheel) return false;
  WindowTable[id].wheel(steps);
  return true;
}
