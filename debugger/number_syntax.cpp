#include "debugger/number_syntax.h"

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads digits of the base from text; false on a character that is not one,
// on overflow, or (unless empty_is_zero) on no digits at all.
bool ParseDigits(const char* text, int base, bool empty_is_zero, uint32_t* value) {
  uint64_t total = 0;
  bool overflow = false;
  const char* p = text;
  for (; DigitValue(*p) < base; ++p) {
    total = total * base + DigitValue(*p);
    if (total > 0xFFFFFFFFu) {
      overflow = true;
      total &= 0xFFFFFFFFu;
    }
  }
  *value = static_cast<uint32_t>(total);
  return *p == 0 && !overflow && (p != text || empty_is_zero);
}

}  // namespace

bool ParseNumber(const char* text, uint32_t* value) {
  *value = 0;
  if (!text) return false;
  if (text[0] == '$') return ParseDigits(text + 1, 16, true, value);
  if (text[0] == '%') return ParseDigits(text + 1, 2, true, value);
  return ParseDigits(text, 10, false, value);
}

bool ParseHexDigits(const char* text, uint32_t* value) {
  *value = 0;
  return text && ParseDigits(text, 16, false, value);
}
