#include "config/config.h"

#include <cstring>

#include "base/program_dir.h"
#include "machine/options.h"
#include "machine/psg.h"

const char* const WindowNames[WindowCount] = {
    "game", "filerequester_rom", "filerequester_vgm", "system_options", "debugger",
    "messages", "console", "memory_viewer", "tilemap_viewer", "tile_viewer",
    "psg_viewer", "vdp_viewer", "palette_viewer", "video_options", "gui_options",
    "pick_state", "movie_logger", "vgm_logger", "vgm_player", "variable_viewer",
    "breakpoint_viewer", "label_viewer", "control_options", "info", "video_recorder",
    "sound_options", "debugger_options", "bios_options",
};

const char* const VideoFilterWords[4] = {"normal", "double", "bilinear", "m_eagle"};

const char* const ColourKeys[ColourCount] = {
    "color_background", "color_background2", "color_background3", "color_background4",
    "color_window", "color_window_bar", "color_window_bar_inactive", "color_menu",
    "color_menu_selected", "color_gadget", "color_gadget_selected", "color_gadget_rollover",
    "color_list_gadget", "color_input_gadget", "color_mouse_cursor",
};

const uint32_t DefaultColours[ColourCount] = {
    0x80C0FF, 0x6090C0, 0x000000, 0x000000, 0xC0D0E0, 0xCCDCFF, 0x98A8DC, 0xFFFFFF,
    0xFFFF80, 0xB8B8D8, 0xFFFF80, 0xB8D8F8, 0xFFFFFF, 0xFFFFFF, 0xC04040,
};

const char* const KeyBindingKeys[KeyBindingCount] = {
    "key_1_left", "key_1_right", "key_1_up", "key_1_down", "key_1_a",
    "key_1_b", "key_1_l", "key_1_r", "key_1_start", "key_1_select",
    "key_2_left", "key_2_right", "key_2_up", "key_2_down", "key_2_a",
    "key_2_b", "key_2_l", "key_2_r", "key_2_start", "key_2_select",
};

const uint16_t DefaultKeyBindings[KeyBindingCount] = {
    32, 34, 19, 33, 29, 56, 16, 17, 57, 42,
    203, 205, 200, 208, 157, 184, 24, 25, 28, 54,
};

ConfigValues Config;
uint32_t CurrentColours[ColourCount];
bool ConfigLoaded = false;

void ApplyConfigDefaults() {
  ConfigValues& c = Config;
  c.resolution_x = 640;
  c.resolution_y = 480;
  c.win_resolution_x = 640;
  c.win_resolution_y = 480;
  c.depth = 16;
  c.windowed = false;
  c.vsync = false;
  c.stretching = 0;
  c.fullscreen_video_mode = FilterNormal;
  c.fullscreen_motion_blur = false;
  c.gui_video_mode = FilterNormal;
  c.gui_motion_blur = false;
  c.bg_picture.clear();
  c.bg_picture2.clear();
  c.win_picture.clear();
  c.sound_enabled = true;
  sound_volume = 75;
  sound_reverse_stereo = false;
  std::memcpy(c.colours, DefaultColours, sizeof c.colours);
  std::memcpy(CurrentColours, DefaultColours, sizeof CurrentColours);
  std::memcpy(c.keys, DefaultKeyBindings, sizeof c.keys);
  c.key_rewind = DefaultRewindKey;
  // Emulation: sprite flickering on, VRAM access wait, link, Code Masters
  // mapper and Japanese off, NTSC; the system bits stay as they are.
  MachineOptions = (MachineOptions & OptSystemGroup) | OptSpriteFlickering | OptNtscRate;
  c.rom_directory = ProgramDirectory;
  c.vgm_directory = ProgramDirectory;
  for (int i = 0; i < WindowCount; ++i) {
    c.window_x[i] = WindowPositionUnset;
    c.window_y[i] = WindowPositionUnset;
    c.window_opened[i] = false;
  }
  c.var_overwrite = false;
  c.filerequester_rom_close_after_load = true;
  c.filerequester_vgm_close_after_load = true;
  c.break_points_address_absolute = true;
  c.labels_address_absolute = true;
  c.bios0000.clear();
  for (std::string& path : c.recent_roms) path.clear();
  ConfigLoaded = false;
}

void ConfiguredDisplayMode(int* width, int* height, int* bits) {
  if (Config.windowed) {
    *width = Config.win_resolution_x;
    *height = Config.win_resolution_y;
    *bits = 16;
    return;
  }
  *width = Config.resolution_x;
  *height = Config.resolution_y;
  *bits = (Config.depth == 16 || Config.depth == 32) ? Config.depth : 16;
}
