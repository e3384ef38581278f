// --report: a JSON summary of the run, written whole or not at all.
#include <zlib.h>

#include <cstdio>
#include <string>

#include "app/headless_verdict.h"
#include "base/safe_file.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/options.h"
#include "record/screenshot.h"

namespace {

// Length of the valid UTF-8 sequence at `at`, or 0.
size_t Utf8Length(const std::string& s, size_t at) {
  const unsigned char c = static_cast<unsigned char>(s[at]);
  size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (n == 0 || at + n > s.size()) return 0;
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(s[at + i]) & 0xC0) != 0x80) return 0;
  const unsigned c1 = static_cast<unsigned char>(s[at + 1]);
  if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90))
    return 0;  // overlong forms, surrogates, beyond U+10FFFF
  return n;
}

std::string Quoted(const std::string& text) {
  std::string quoted(1, '"');
  quoted += JsonEscape(text);
  quoted += '"';
  return quoted;
}

std::string Hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "\"%08x\"", value);
  return text;
}

const char* ConsoleName() {
  switch (ConsoleKind) {
    case 2: return "NES";
    case 3: return "Game Boy Advance";
    default: return (MachineOptions & OptGameGearIo) ? "Game Gear" : "Master System";
  }
}

// CRC-32 of the last picture's RGB565 pixels, little-endian, row by row.
std::string PictureCrc() {
  Surface* picture = CopyEmulatedPicture();
  if (!picture) return "null";
  uLong crc = crc32(0, nullptr, 0);
  for (int y = 0; y < picture->height; ++y)
    crc = crc32(crc, picture->pixels + y * picture->pitch, uInt(picture->width) * 2);
  DestroySurface(picture);
  return Hex32(uint32_t(crc));
}

}  // namespace

std::string JsonEscape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char escape[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c == 0x7F) {
      const char* named = c == '\n' ? "\\n" : c == '\t' ? "\\t" : c == '\r' ? "\\r" : nullptr;
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += named ? named : escape;
    } else if (c < 0x80) {
      out += char(c);
    } else if (size_t n = Utf8Length(text, i)) {
      out.append(text, i, n);
      i += n;
      continue;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);  // a Latin-1 byte
      out += escape;
    }
    ++i;
  }
  return out;
}

bool WriteHeadlessReport(const std::string& path, const VerdictRecord& r) {
  const bool loaded = r.reason != "cartridge not loaded";
  std::string json = "{\n";
  json += "  \"cartridge\": " + (loaded ? Quoted(CartName) : std::string("null")) + ",\n";
  json += "  \"cartridge_crc32\": " +
          (loaded && CartImage ? Hex32(uint32_t(crc32(0, CartImage, uInt(CartSize)))) : std::string("null")) + ",\n";
  json += "  \"console\": " + (loaded ? Quoted(ConsoleName()) : std::string("null")) + ",\n";
  json += "  \"frames\": " + std::to_string(r.frames) + ",\n";
  json += "  \"exit_code\": " + std::to_string(r.exit_code) + ",\n";
  json += "  \"exit_reason\": " + Quoted(r.reason) + ",\n";
  json += "  \"sdsc_lines\": [";
  for (size_t i = 0; i < r.sdsc_lines.size(); ++i) json += (i ? ", " : "") + Quoted(r.sdsc_lines[i]);
  json += "],\n";
  json += "  \"sdsc_lines_dropped\": " + std::to_string(r.sdsc_dropped) + ",\n";
  json += "  \"picture_crc32\": " + (loaded ? PictureCrc() : std::string("null")) + ",\n";
  json += "  \"peak_sample\": " + std::to_string(r.peak) + ",\n";
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "  \"seconds\": %.3f,\n  \"fps\": %.1f\n", r.seconds,
                r.seconds > 0 ? r.frames / r.seconds : 0.0);
  json += numbers;
  json += "}\n";
  return ReplaceFileContents(path, json.data(), json.size());
}
