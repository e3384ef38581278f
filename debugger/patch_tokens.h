// The line tokenizer of the patch and symbol readers, with the rules and the
// interface of the program's shared line tokenizer (OpenTokenFile,
// NextLine, NextToken), so these readers can move to the shared one by
// renaming the calls:
// - a line is at most 255 characters (a longer one continues as the next
//   line); one trailing line feed or carriage return is removed; a NUL ends
//   the line's text;
// - ";" ends the line; blank, tab, carriage return and line feed separate
//   tokens; "=", "," and ":" are tokens of one character;
// - a double quote starts a token that runs to the next double quote,
//   without the quotes and without escapes (a ";" inside is text); a line
//   with an unclosed double quote is a bad line;
// - any other run of characters is one token.
#pragma once

constexpr int TokenLineLength = 255;

// Opens a regular file as text and remembers its size; false when it cannot
// be opened or is no regular file (a pipe or a device is never read).
bool OpenPatchTokens(const char* path);
// Tokens of the next line; 0 for an empty or comment-only line, -1 for a
// line with an unclosed double quote, -2 once the position has reached the
// size the file had when it was opened (end of file). Reading closes the file
// at the end.
int NextPatchLine();
// The next token of the current line, or none.
const char* NextPatchToken();
void ClosePatchTokens();
