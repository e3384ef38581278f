#include "lumo/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

char MessageLines[MessageLineCount][MessageLineLength + 1];
void (*MessagesChanged)() = nullptr;
char StatusText[256];
int StatusCounter = 0;
char MovieMessageText[256];
int MovieMessageCounter = 0;

namespace {

void PushLine(const char* text, size_t length) {
  std::memmove(MessageLines[0], MessageLines[1], sizeof MessageLines - sizeof MessageLines[0]);
  char* last = MessageLines[MessageLineCount - 1];
  std::memcpy(last, text, length);
  last[length] = 0;
}

}  // namespace

void AddMessage(const char* text) {
  const char* part = text;
  for (;;) {
    const char* end = std::strchr(part, '\n');
    size_t length = end ? size_t(end - part) : std::strlen(part);
    if (length == 0) PushLine(part, 0);
    for (size_t at = 0; at < length; at += MessageLineLength) {
      size_t piece = length - at < size_t(MessageLineLength) ? length - at : MessageLineLength;
      PushLine(part + at, piece);
    }
    if (!end) break;
    part = end + 1;
  }
  if (MessagesChanged) MessagesChanged();
}

void ShowMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(StatusText, sizeof StatusText, format, args);
  va_end(args);
  StatusCounter = StatusPasses;
  AddMessage(StatusText);
}

void ShowMovieMessage(const char* text) {
  std::snprintf(MovieMessageText, sizeof MovieMessageText, "%s", text);
  MovieMessageCounter = int(std::strlen(MovieMessageText)) * 7 / 2 + 45;
}

void ResetMessages() {
  std::memset(MessageLines, 0, sizeof MessageLines);
  StatusText[0] = 0;
  StatusCounter = 0;
  MovieMessageText[0] = 0;
  MovieMessageCounter = 0;
}
