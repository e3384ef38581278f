// The Messages window: the scrollback of lumo/messages.h in a list of the
// fixed-pitch font, rewritten whenever a message is added while it is open.
#pragma once

constexpr int MessagesListId = 500;  // the list gadget

// Opens the window (at its remembered position) or, when open, closes it.
void ToggleMessagesWindow();
void OpenMessagesWindow();
void CloseMessagesWindow();
