// Writing tavo.cfg: the whole file, section by section, in the layout the
// reader and the users' own edits rely on.
#include <string>

#include "base/safe_file.h"
#include "config/config.h"
#include "config/config_file.h"
#include "machine/options.h"
#include "machine/psg.h"

namespace {

void WriteVideo(std::string* out) {
  const ConfigValues& c = Config;
  AppendFormat(out, "\n; Video\n");
  AppendFormat(out, "resolution_x           = %d\n", c.resolution_x);
  AppendFormat(out, "resolution_y           = %d\n", c.resolution_y);
  AppendFormat(out, "win_resolution_x       = %d\n", c.win_resolution_x);
  AppendFormat(out, "win_resolution_y       = %d\n", c.win_resolution_y);
  AppendFormat(out, "depth                  = %d\n", c.depth);
  AppendFormat(out, "windowed               = %d\n", c.windowed);
  AppendFormat(out, "vsync                  = %d\n", c.vsync);
  AppendFormat(out, "stretching             = %d\n", c.stretching);
  AppendFormat(out, "fullscreen_video_mode  = %s\n", VideoFilterWords[c.fullscreen_video_mode & 3]);
  AppendFormat(out, "fullscreen_motion_blur = %d\n", c.fullscreen_motion_blur);
  AppendFormat(out, "gui_video_mode         = %s\n", VideoFilterWords[c.gui_video_mode & 3]);
  AppendFormat(out, "gui_motion_blur        = %d\n", c.gui_motion_blur);
  AppendFormat(out, "bg_picture             = \"%s\"\n", c.bg_picture.c_str());
  AppendFormat(out, "bg_picture2            = \"%s\"\n", c.bg_picture2.c_str());
  AppendFormat(out, "win_picture            = \"%s\"\n", c.win_picture.c_str());
}

void WriteSoundColoursKeys(std::string* out) {
  AppendFormat(out, "\n; Sound\n");
  AppendFormat(out, "sound_enabled        = %d\n", Config.sound_enabled);
  AppendFormat(out, "sound_volume         = %d\n", sound_volume);
  AppendFormat(out, "sound_reverse_stereo = %d\n", sound_reverse_stereo);
  // The colours the GUI draws with: a theme applied in this run is kept.
  AppendFormat(out, "\n; Colors\n");
  for (int i = 0; i < ColourCount; ++i)
    AppendFormat(out, "%-25s = $%06X\n", ColourKeys[i], unsigned(CurrentColours[i] & 0xFFFFFF));
  AppendFormat(out, "\n; Controller configuration\n");
  for (int i = 0; i < KeyBindingCount; ++i)
    AppendFormat(out, "%-12s = %d\n", KeyBindingKeys[i], Config.keys[i]);
  AppendFormat(out, "%-12s = %d\n", "key_rewind", Config.key_rewind);
}

void WriteEmulation(std::string* out) {
  const auto on = [](uint32_t bit) { return (MachineOptions & bit) ? 1 : 0; };
  AppendFormat(out, "\n; Emulation\n");
  AppendFormat(out, "sprite_flickering  = %d\n", on(OptSpriteFlickering));
  AppendFormat(out, "vram_access_wait   = %d\n", on(OptVramAccessWait));
  AppendFormat(out, "link               = %d\n", on(OptLink));
  AppendFormat(out, "ntsc_pal           = %s\n", on(OptNtscRate) ? "ntsc" : "pal");
  AppendFormat(out, "country            = %s\n", on(OptJapanese) ? "japanese" : "european");
  AppendFormat(out, "codemasters_mapper = %d\n", on(OptCodemastersMapper));
  AppendFormat(out, "\n; Directories\n");
  AppendFormat(out, "rom_directory = \"%s\"\n", Config.rom_directory.c_str());
  AppendFormat(out, "vgm_directory = \"%s\"\n", Config.vgm_directory.c_str());
}

// Only positions that were set, and only the windows left open.
void WriteWindows(std::string* out) {
  const ConfigValues& c = Config;
  AppendFormat(out, "\n; Windows\n");
  for (int i = 0; i < WindowCount; ++i) {
    const std::string name = WindowNames[i];
    if (c.window_x[i] != WindowPositionUnset)
      AppendFormat(out, "%-24s = %d\n", (name + "_x").c_str(), c.window_x[i]);
    if (c.window_y[i] != WindowPositionUnset)
      AppendFormat(out, "%-24s = %d\n", (name + "_y").c_str(), c.window_y[i]);
  }
  AppendFormat(out, "\n");
  for (int i = 1; i < WindowCount; ++i)
    if (c.window_opened[i])
      AppendFormat(out, "%-24s = %d\n", (std::string(WindowNames[i]) + "_opened").c_str(), 1);
}

void WriteDebuggerMisc(std::string* out) {
  const ConfigValues& c = Config;
  AppendFormat(out, "\n; Debugger\n");
  AppendFormat(out, "var_overwrite = %d\n", c.var_overwrite);
  AppendFormat(out, "\n; Misc\n");
  AppendFormat(out, "filerequester_rom_close_after_load = %d\n", c.filerequester_rom_close_after_load);
  AppendFormat(out, "filerequester_vgm_close_after_load = %d\n", c.filerequester_vgm_close_after_load);
  AppendFormat(out, "break_points_address_absolute      = %d\n", c.break_points_address_absolute);
  AppendFormat(out, "labels_address_absolute            = %d\n", c.labels_address_absolute);
  AppendFormat(out, "\n; BIOS files\n");
  AppendFormat(out, "bios%04d = \"%s\"\n", 0, c.bios0000.c_str());
}

// Last, and only once there is one: programs that know no such keys skip them.
void WriteRecentRoms(std::string* out) {
  if (Config.recent_roms[0].empty()) return;
  AppendFormat(out, "\n; Recent cartridges\n");
  for (int i = 0; i < RecentRomCount; ++i)
    if (!Config.recent_roms[i].empty())
      AppendFormat(out, "recent_rom_%d = \"%s\"\n", i, Config.recent_roms[i].c_str());
}

}  // namespace

std::string ConfigText() {
  std::string out =
      ";-------------------------;\n"
      ";                         ;\n"
      "; Tavo configuration file ;\n"
      ";                         ;\n"
      ";-------------------------;\n";
  WriteVideo(&out);
  WriteSoundColoursKeys(&out);
  WriteEmulation(&out);
  WriteWindows(&out);
  WriteDebuggerMisc(&out);
  WriteRecentRoms(&out);
  return out;
}

bool WriteConfig() { return ReplaceFileContents(ConfigFilePath(), ConfigText()); }
