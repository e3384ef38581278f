// The line tokenizer of the program's text files (configuration, themes,
// patch and symbol files). One file is open at a time:
//   if (OpenTokenFile(path)) {
//     for (int n; (n = NextLine()) != TokenEndOfFile;)
//       ... NextToken() n times ...
//     CloseTokenFile();
//   }
// A line holds at most 255 characters; a longer one goes on as the next
// line. One trailing line feed or carriage return is dropped. ";" ends the
// line; blanks, tabs, carriage returns and line feeds separate tokens; "=",
// "," and ":" are tokens of one character; a double quote starts a token
// that runs to the next double quote (no escapes, quotes not kept); any
// other run of characters is one token. A NUL byte ends the line.
#pragma once

constexpr int TokenLineLength = 255;
constexpr int TokenUnclosedQuote = -1;  // the line is to be skipped whole
constexpr int TokenEndOfFile = -2;

// Opens a regular file and records its size; a file growing while it is
// read is read only up to that size. False when it cannot be opened or is
// not a regular file (a pipe or a device never blocks the reader).
bool OpenTokenFile(const char* path);
// Reads and cuts the next line: the number of tokens (0 for an empty or
// comment-only line), TokenUnclosedQuote, or TokenEndOfFile once the size
// recorded at opening is reached (or the file ends sooner, having shrunk).
int NextLine();
// The next token of the current line, none after the last one. Valid until
// the next NextLine.
const char* NextToken();
void CloseTokenFile();
