// Numbers as the user types them and as debugger files hold them: a leading
// "$" means hexadecimal, a leading "%" binary, anything else decimal.
#pragma once
#include <cstdint>

// True when the whole text is such a number that fits in 32 bits; "$" or "%"
// alone is 0. `value` always receives what the leading digits give (0 for
// none), which is how the input fields read junk.
bool ParseNumber(const char* text, uint32_t* value);
// Plain hexadecimal digits without a prefix (symbol files); the whole text.
bool ParseHexDigits(const char* text, uint32_t* value);
