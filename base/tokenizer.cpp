#include "base/tokenizer.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/safe_file.h"

namespace {

constexpr size_t kGrowth = 256;

// Module state: the open file and the tokens of its current line, kept one
// after another with their terminating NULs.
struct Tokenizer {
  FILE* file = nullptr;
  off_t size = 0;
  char line[TokenLineLength + 1];
  char* tokens = nullptr;
  size_t capacity = 0;
  size_t used = 0;
  size_t read_at = 0;
  int count = 0;
  int given = 0;
};
Tokenizer g_tok;

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsSingle(char c) { return c == '=' || c == ',' || c == ':'; }

bool AddToken(const char* text, size_t length) {
  if (g_tok.used + length + 1 > g_tok.capacity) {
    size_t capacity = g_tok.capacity;
    while (g_tok.used + length + 1 > capacity) capacity += kGrowth;
    char* grown = static_cast<char*>(std::realloc(g_tok.tokens, capacity));
    if (!grown) return false;
    g_tok.tokens = grown;
    g_tok.capacity = capacity;
  }
  std::memcpy(g_tok.tokens + g_tok.used, text, length);
  g_tok.tokens[g_tok.used + length] = 0;
  g_tok.used += length + 1;
  g_tok.count++;
  return true;
}

// Cuts the NUL-terminated line into tokens; the count or TokenUnclosedQuote.
int CutLine(const char* line) {
  g_tok.used = g_tok.read_at = 0;
  g_tok.count = g_tok.given = 0;
  const char* p = line;
  for (;;) {
    while (IsSeparator(*p)) p++;
    if (*p == 0 || *p == ';') break;
    const char* start = p;
    size_t length;
    if (IsSingle(*p)) {
      length = 1;
      p++;
    } else if (*p == '"') {
      const char* close = std::strchr(p + 1, '"');
      if (!close) {
        g_tok.count = 0;
        return TokenUnclosedQuote;
      }
      start = p + 1;
      length = close - start;
      p = close + 1;
    } else {
      while (*p && !IsSeparator(*p) && !IsSingle(*p) && *p != '"' && *p != ';') p++;
      length = p - start;
    }
    if (!AddToken(start, length)) break;  // out of memory: the line ends here
  }
  return g_tok.count;
}

}  // namespace

bool OpenTokenFile(const char* path) {
  CloseTokenFile();
  if (!path) return false;
  g_tok.file = OpenRegularFile(path);
  if (!g_tok.file) return false;
  struct stat info;
  if (fstat(fileno(g_tok.file), &info) != 0) {
    CloseTokenFile();
    return false;
  }
  g_tok.size = info.st_size;
  return true;
}

int NextLine() {
  g_tok.used = g_tok.read_at = 0;
  g_tok.count = g_tok.given = 0;
  if (!g_tok.file) return TokenEndOfFile;
  off_t at = ftello(g_tok.file);
  if (at < 0 || at >= g_tok.size) return TokenEndOfFile;
  size_t length = 0;
  int c = 0;
  while (length < size_t(TokenLineLength) && (c = getc(g_tok.file)) != EOF) {
    g_tok.line[length++] = char(c);
    if (c == '\n') break;
  }
  // A file cut short since it was opened ends here rather than never.
  if (length == 0) return TokenEndOfFile;
  if (g_tok.line[length - 1] == '\n' || g_tok.line[length - 1] == '\r') length--;
  g_tok.line[length] = 0;
  return CutLine(g_tok.line);
}

const char* NextToken() {
  if (g_tok.given >= g_tok.count) return nullptr;
  const char* token = g_tok.tokens + g_tok.read_at;
  g_tok.read_at += std::strlen(token) + 1;
  g_tok.given++;
  return token;
}

void CloseTokenFile() {
  if (g_tok.file) std::fclose(g_tok.file);
  std::free(g_tok.tokens);
  g_tok = Tokenizer{};
}
