// How gadgets react: focus, activation, input-field editing and the
// geometry of lists, scroll bars and sliders that the pointer works on.
#include <algorithm>
#include <cstring>

#include "lumo/gui_internal.h"

void SetFocus(Window* w, Gadget* g) {
  Gadget* old = w->focus;
  if (old == g) return;
  w->focus = g;
  if (old) {
    MarkGadgetDirty(old);
    if (old->kind == KindInput) PostGuiEvent(EventActivated, old->id);
  }
  if (g) {
    g->entered = false;
    MarkGadgetDirty(g);
  }
}

void CycleFocus(Window* w, bool backwards) {
  std::vector<Gadget*> order;
  for (Gadget* g : w->gadgets)
    if (g->focusable && g->enabled && !(g->flags & GadgetNoTab)) order.push_back(g);
  if (order.empty()) return;
  const int n = (int)order.size();
  int at = (int)(std::find(order.begin(), order.end(), w->focus) - order.begin());
  if (at == n) at = backwards ? 0 : n - 1;  // none focused: start at an end
  SetFocus(w, order[(at + (backwards ? n - 1 : 1)) % n]);
}

void ActivateGadget(Gadget* g) {
  switch (g->kind) {
    case KindButton:
      PostGuiEvent(EventActivated, g->id);
      break;
    case KindPictureButton:
      if (g->id == CloseBoxId)
        PostGuiEvent(EventClose, g->window->id);
      else
        PostGuiEvent(EventActivated, g->id);
      break;
    case KindCheckBox:
      g->value = !g->value;
      MarkGadgetDirty(g);
      PostGuiEvent(EventActivated, g->id);
      break;
    case KindRadio:
      SetChecked(g->id, 1);
      PostGuiEvent(EventActivated, g->id);
      break;
    default:
      break;
  }
}

namespace {

// Inserts one typed character at the cursor when the field takes it.
void InsertCharacter(Gadget* g, int c) {
  const int length = (int)strlen(g->text);
  if (c < 0x20 || c > 0x7E || length >= GadgetTextMax) return;
  if ((g->flags & GadgetDigits) && !((c >= '0' && c <= '9') || c == '-')) return;
  if ((g->flags & GadgetNoBlanks) && c == ' ') return;
  memmove(g->text + g->cursor + 1, g->text + g->cursor, length - g->cursor + 1);
  g->text[g->cursor++] = (char)c;
}

void Paste(Gadget* g) {
  if (!GuiClipboardText) return;
  const std::string text = GuiClipboardText();
  for (const char c : text) {
    if (c == '\n' || c == '\r') break;
    InsertCharacter(g, (unsigned char)c);
  }
}

}  // namespace

std::string (*GuiClipboardText)() = nullptr;

void InputKey(Gadget* g, const GuiKey& key) {
  const int length = (int)strlen(g->text);
  g->cursor = std::clamp(g->cursor, 0, length);
  if (key.code == KeyV && (key.modifiers & ModCtrl)) {
    Paste(g);
  } else switch (key.code) {
    case KeyLeft: g->cursor = std::max(0, g->cursor - 1); break;
    case KeyRight: g->cursor = std::min(length, g->cursor + 1); break;
    case KeyHome: g->cursor = 0; break;
    case KeyEnd: g->cursor = length; break;
    case KeyBackspace:
      if (g->cursor > 0) {
        memmove(g->text + g->cursor - 1, g->text + g->cursor, length - g->cursor + 1);
        g->cursor--;
      }
      break;
    case KeyDelete:
      if (g->cursor < length) memmove(g->text + g->cursor, g->text + g->cursor + 1, length - g->cursor);
      break;
    case KeyReturn:
    case KeyPadEnter:
      SetFocus(g->window, nullptr);  // posts the confirmation
      g->entered = true;
      return;
    default:
      if (key.character < 0x20 || key.character > 0x7E || length >= GadgetTextMax) return;
      InsertCharacter(g, key.character);
  }
  g->text_width = TextWidth(GadgetFont(g), g->text);
  MarkGadgetDirty(g);
}

int ListRowHeight(const Gadget* g) { return std::max(1, (int)GadgetFont(g).height); }

int ListTopOffset(const Gadget* g) {
  return (g->height - (int)g->rows.size() * ListRowHeight(g)) / 2;
}

int ListRowAt(const Gadget* g, int y) {
  const int top = g->y + ListTopOffset(g);
  if (y < top) return -1;
  const int row = (y - top) / ListRowHeight(g);
  return row < (int)g->rows.size() ? row : -1;
}

void PlaceInputCursor(Gadget* g, int x) {
  const Font& f = GadgetFont(g);
  int at = g->x + 3, i = g->scroll;
  const int length = (int)strlen(g->text);
  while (i < length && at + f.glyph_width[(uint8_t)g->text[i]] / 2 < x) at += f.glyph_width[(uint8_t)g->text[i++]];
  g->cursor = i;
  MarkGadgetDirty(g);
}

void ScrollKnob(const Gadget* g, int* top, int* size) {
  const int track = std::max(1, g->height - 2 * ScrollArrowSize);
  *size = track;
  *top = g->y + ScrollArrowSize;
  if (g->range > g->visible) {
    *size = std::max(10, (int)((long)track * g->visible / g->range));
    *size = std::min(*size, track);
    *top += (int)((long)(track - *size) * g->value / (g->range - g->visible));
  }
}

int SliderKnobX(const Gadget* g) {
  const int travel = std::max(0, g->width - SliderKnobWidth);
  return g->x + (g->range > 0 ? (int)((long)travel * g->value / g->range) : 0);
}
