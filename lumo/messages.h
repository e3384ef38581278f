// What the program tells the user: the status line drawn over the picture,
// the movie message line, and the Messages window's scrollback. Showing a
// message sets the status line for 100 passes and adds the text to the
// scrollback; every command reports through ShowMessage.
#pragma once

constexpr int MessageLineCount = 29;   // scrollback lines
constexpr int MessageLineLength = 59;  // characters per line
constexpr int StatusPasses = 100;      // passes a status message stays up

extern char MessageLines[MessageLineCount][MessageLineLength + 1];  // oldest first
// Called after the scrollback changed (the Messages window rewrites its rows).
extern void (*MessagesChanged)();

extern char StatusText[256];
extern int StatusCounter;        // passes left; the presenter counts it down
extern char MovieMessageText[256];
extern int MovieMessageCounter;

// Splits the text at line feeds and each part into pieces of 59 characters;
// every piece scrolls the lines up by one and becomes the last line.
void AddMessage(const char* text);
void ShowMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The movie message line: shown for length x 7 / 2 + 45 passes.
void ShowMovieMessage(const char* text);
void ResetMessages();  // empty scrollback and lines (tests)
