#include "debugger/patch_tokens.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

FILE* File = nullptr;
long long FileSize = 0;
long long Position = 0;
std::vector<std::string> Tokens;
size_t NextIndex = 0;

bool Separator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool Single(char c) { return c == '=' || c == ',' || c == ':'; }

// Cuts the text (up to its NUL) into Tokens; false for an unclosed quote.
bool Split(const char* p) {
  Tokens.clear();
  NextIndex = 0;
  while (true) {
    while (Separator(*p)) ++p;
    if (*p == 0 || *p == ';') return true;
    if (Single(*p)) {
      Tokens.emplace_back(1, *p++);
    } else if (*p == '"') {
      const char* start = ++p;
      while (*p && *p != '"') ++p;
      if (*p != '"') return false;
      Tokens.emplace_back(start, p - start);
      ++p;
    } else {
      const char* start = p;
      while (*p && !Separator(*p) && !Single(*p) && *p != ';' && *p != '"') ++p;
      Tokens.emplace_back(start, p - start);
    }
  }
}

}  // namespace

bool OpenPatchTokens(const char* path) {
  ClosePatchTokens();
  const int fd = path ? open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !(File = fdopen(fd, "rb"))) {
    close(fd);
    return false;
  }
  FileSize = info.st_size;
  Position = 0;
  return true;
}

int NextPatchLine() {
  Tokens.clear();
  NextIndex = 0;
  if (!File) return -2;
  if (Position >= FileSize) {
    ClosePatchTokens();
    return -2;
  }
  char line[TokenLineLength + 1];
  int length = 0;
  while (length < TokenLineLength) {
    const int c = getc_unlocked(File);
    if (c == EOF) break;
    ++Position;
    line[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  if (length == 0) {  // the file shrank under us
    ClosePatchTokens();
    return -2;
  }
  if (line[length - 1] == '\n' || line[length - 1] == '\r') --length;
  line[length] = 0;
  if (!Split(line)) {
    Tokens.clear();
    return -1;
  }
  return static_cast<int>(Tokens.size());
}

const char* NextPatchToken() { return NextIndex < Tokens.size() ? Tokens[NextIndex++].c_str() : nullptr; }

void ClosePatchTokens() {
  if (File) std::fclose(File);
  File = nullptr;
  FileSize = Position = 0;
  Tokens.clear();
  NextIndex = 0;
}
