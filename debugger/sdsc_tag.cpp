// The SDSC tag of a ROM header: version, date, and offsets of the author,
// name and description texts.
#include <cstdio>
#include <string>

#include "debugger/sdsc.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"

namespace {

constexpr uint32_t TagAt = 0x7FE0;
constexpr uint32_t TextLimit = 0xFFF0;  // offsets from here on mean "no text"
constexpr size_t TextMaxLength = 4096;

int Bcd(uint8_t value) { return (value >> 4) % 10 * 10 + (value & 0x0F) % 10; }

uint16_t Word(uint32_t at) { return uint16_t(CartImage[at] | CartImage[at + 1] << 8); }

// Up to a zero byte, 4096 characters, offset $FFF0 or the end of the image
// (an offset past the image names no text rather than memory beyond it);
// carriage returns become line feeds.
std::string Text(uint16_t offset) {
  std::string text;
  if (offset == 0 || offset >= TextLimit) return text;
  for (uint32_t at = offset; at < TextLimit && at < CartSize && text.size() < TextMaxLength; ++at) {
    char c = static_cast<char>(CartImage[at]);
    if (c == 0) break;
    text += c == '\r' ? '\n' : c;
  }
  return text;
}

}  // namespace

bool ReadSdscTag(SdscTag* tag) {
  if (!CartImage || CartSize < 0x8000) return false;
  const uint8_t* p = CartImage + TagAt;
  if (p[0] != 'S' || p[1] != 'D' || p[2] != 'S' || p[3] != 'C') return false;
  tag->major = Bcd(p[4]);
  tag->minor = Bcd(p[5]);
  tag->day = Bcd(p[6]);
  tag->month = Bcd(p[7]);
  tag->year = Bcd(p[9]) * 100 + Bcd(p[8]);
  tag->author = Text(Word(TagAt + 0x0A));
  tag->name = Text(Word(TagAt + 0x0C));
  tag->description = Text(Word(TagAt + 0x0E));
  return true;
}

void ShowSdscTag() {
  SdscTag tag;
  if (!ReadSdscTag(&tag)) return;
  auto add = [](const char* label, const std::string& value) { AddMessage((label + value).c_str()); };
  char line[64];
  AddMessage("SDSC Tag found.");
  add("  Name:        ", tag.name);
  add("  Author:      ", tag.author);
  std::snprintf(line, sizeof line, "  Date:        %02d.%02d.%04d", tag.day, tag.month, tag.year);
  AddMessage(line);
  std::snprintf(line, sizeof line, "  Version:     %d.%02d", tag.major, tag.minor);
  AddMessage(line);
  add("  Description: ", tag.description);
}
