// Reading tavo.cfg: lines of exactly three tokens "key = value"; the key is
// lower-cased and looked up in the table of settings, whose kind says how
// the value is converted and where it goes. Anything else is skipped, line
// by line, so a damaged file still gives every setting it holds intact.
#include <cstring>
#include <string>
#include <vector>

#include "base/program_dir.h"
#include "base/tokenizer.h"
#include "config/config.h"
#include "config/config_file.h"
#include "config/recent_roms.h"
#include "machine/options.h"
#include "machine/psg.h"

namespace {

enum SettingKind {
  KindU16,       // unsigned 16-bit number
  KindU8,        // byte
  KindI32,       // signed 32-bit number (window positions)
  KindBool,      // number, true when not 0
  KindText,      // string, case kept
  KindColour,    // "$" hex, "%" binary, else decimal
  KindFilter,    // "double", "bilinear", "m_eagle"; other words leave it
  KindOption,    // bool held as a bit of the machine option word
  KindStandard,  // "ntsc" or (anything else) PAL
  KindCountry,   // "japanese" or (anything else) european
};

struct Setting {
  std::string key;
  SettingKind kind;
  void* value;
  uint32_t bit = 0;  // KindOption
};

std::vector<Setting> SettingTable() {
  ConfigValues& c = Config;
  std::vector<Setting> table = {
      {"resolution_x", KindU16, &c.resolution_x},
      {"resolution_y", KindU16, &c.resolution_y},
      {"win_resolution_x", KindU16, &c.win_resolution_x},
      {"win_resolution_y", KindU16, &c.win_resolution_y},
      {"depth", KindU16, &c.depth},
      {"windowed", KindBool, &c.windowed},
      {"vsync", KindBool, &c.vsync},
      {"stretching", KindU8, &c.stretching},
      {"fullscreen_video_mode", KindFilter, &c.fullscreen_video_mode},
      {"fullscreen_motion_blur", KindBool, &c.fullscreen_motion_blur},
      {"gui_video_mode", KindFilter, &c.gui_video_mode},
      {"gui_motion_blur", KindBool, &c.gui_motion_blur},
      {"bg_picture", KindText, &c.bg_picture},
      {"bg_picture2", KindText, &c.bg_picture2},
      {"win_picture", KindText, &c.win_picture},
      {"sound_enabled", KindBool, &c.sound_enabled},
      {"sound_volume", KindU8, &sound_volume},
      {"sound_reverse_stereo", KindBool, &sound_reverse_stereo},
      {"sprite_flickering", KindOption, nullptr, OptSpriteFlickering},
      {"vram_access_wait", KindOption, nullptr, OptVramAccessWait},
      {"link", KindOption, nullptr, OptLink},
      {"ntsc_pal", KindStandard, nullptr},
      {"country", KindCountry, nullptr},
      {"codemasters_mapper", KindOption, nullptr, OptCodemastersMapper},
      {"rom_directory", KindText, &c.rom_directory},
      {"vgm_directory", KindText, &c.vgm_directory},
      {"var_overwrite", KindBool, &c.var_overwrite},
      {"filerequester_rom_close_after_load", KindBool, &c.filerequester_rom_close_after_load},
      {"filerequester_vgm_close_after_load", KindBool, &c.filerequester_vgm_close_after_load},
      {"break_points_address_absolute", KindBool, &c.break_points_address_absolute},
      {"labels_address_absolute", KindBool, &c.labels_address_absolute},
      {"bios0000", KindText, &c.bios0000},
      {"key_rewind", KindU16, &c.key_rewind},
  };
  for (int i = 0; i < ColourCount; ++i) table.push_back({ColourKeys[i], KindColour, &c.colours[i]});
  for (int i = 0; i < KeyBindingCount; ++i)
    table.push_back({KeyBindingKeys[i], KindU16, &c.keys[i]});
  for (int i = 0; i < RecentRomCount; ++i)
    table.push_back({"recent_rom_" + std::to_string(i), KindText, &c.recent_roms[i]});
  for (int i = 0; i < WindowCount; ++i) {
    table.push_back({std::string(WindowNames[i]) + "_x", KindI32, &c.window_x[i]});
    table.push_back({std::string(WindowNames[i]) + "_y", KindI32, &c.window_y[i]});
    // The desktop window is always open: it has no opened flag.
    if (i > 0) table.push_back({std::string(WindowNames[i]) + "_opened", KindBool, &c.window_opened[i]});
  }
  return table;
}

std::string LowerCase(const char* text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
  return out;
}

void SetOption(uint32_t bit, bool on) {
  MachineOptions = on ? (MachineOptions | bit) : (MachineOptions & ~bit);
}

void Apply(const Setting& s, const char* value) {
  const int32_t number = ParseConfigNumber(value);
  switch (s.kind) {
    case KindU16: *static_cast<uint16_t*>(s.value) = uint16_t(number); break;
    case KindU8: *static_cast<uint8_t*>(s.value) = uint8_t(number); break;
    case KindI32: *static_cast<int32_t*>(s.value) = number; break;
    case KindBool: *static_cast<bool*>(s.value) = number != 0; break;
    case KindText: *static_cast<std::string*>(s.value) = value; break;
    case KindColour: *static_cast<uint32_t*>(s.value) = ParseConfigColour(value); break;
    case KindFilter: {
      const std::string word = LowerCase(value);
      for (int mode = FilterDouble; mode <= FilterMEagle; ++mode)
        if (word == VideoFilterWords[mode]) *static_cast<uint8_t*>(s.value) = uint8_t(mode);
      break;
    }
    case KindOption: SetOption(s.bit, number != 0); break;
    case KindStandard: {
      // One standard at a time: 313 lines at 60 frames a second is no console.
      const bool ntsc = LowerCase(value) == "ntsc";
      SetOption(OptNtscRate, ntsc);
      SetOption(OptPalLines, !ntsc);
      break;
    }
    case KindCountry: SetOption(OptJapanese, LowerCase(value) == "japanese"); break;
  }
}

void ReadLines(const std::vector<Setting>& table) {
  for (int count; (count = NextLine()) != TokenEndOfFile;) {
    if (count != 3) continue;
    const std::string key = LowerCase(NextToken());
    if (std::strcmp(NextToken(), "=") != 0) continue;
    const char* value = NextToken();
    for (const Setting& s : table) {
      if (s.key == key) {
        Apply(s, value);
        break;
      }
    }
  }
}

// The values the rest of the program can rely on, whatever the file held.
void Settle() {
  ConfigValues& c = Config;
  if (c.stretching > 3) c.stretching = 0;
  if (sound_volume > 75) sound_volume = 75;
  if (c.rom_directory.empty()) c.rom_directory = ProgramDirectory;
  if (c.vgm_directory.empty()) c.vgm_directory = ProgramDirectory;
  TidyRecentRoms();
  std::memcpy(CurrentColours, c.colours, sizeof CurrentColours);
}

}  // namespace

int32_t ParseConfigNumber(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') p++;
  uint32_t value = 0;  // wraps: only the low bits survive the field anyway
  for (; *p >= '0' && *p <= '9'; p++) value = value * 10 + uint32_t(*p - '0');
  return int32_t(negative ? 0u - value : value);
}

uint32_t ParseConfigColour(const char* text) {
  uint32_t value = 0;
  if (text[0] == '$') {
    for (const char* p = text + 1;; p++) {
      int digit;
      if (*p >= '0' && *p <= '9') digit = *p - '0';
      else if (*p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
      else if (*p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
      else break;
      value = value << 4 | uint32_t(digit);
    }
  } else if (text[0] == '%') {
    for (const char* p = text + 1; *p == '0' || *p == '1'; p++) value = value << 1 | uint32_t(*p - '0');
  } else {
    value = uint32_t(ParseConfigNumber(text));
  }
  return value & 0xFFFFFF;
}

std::string ConfigFilePath() {
  if (ProgramDirectory.empty()) return {};
  return ProgramDirectory + "/tavo.cfg";
}

void ReadConfigFile(const char* path) {
  if (OpenTokenFile(path)) {
    ReadLines(SettingTable());
    CloseTokenFile();
  }
  Settle();
  ConfigLoaded = true;
}

void ReadConfig() { ReadConfigFile(ConfigFilePath().c_str()); }
