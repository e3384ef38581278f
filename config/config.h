// The configuration values: every persistent setting of the program, held in
// one global record that each module reads its settings from. Defaults are
// applied at start-up, tavo.cfg is read over them, and the file is written
// back whole at shutdown. The machine's emulation settings live in the
// machine option word (machine/options.h) and the sound volume and stereo
// swap in the PSG (machine/psg.h); the file reads and writes them there.
#pragma once
#include <cstdint>
#include <string>

// The 28 windows of the GUI. The identifier is the index into WindowNames,
// whose names form the configuration keys "%s_x", "%s_y" and "%s_opened".
enum WindowId {
  WinGame, WinFileRequesterRom, WinFileRequesterVgm, WinSystemOptions, WinDebugger,
  WinMessages, WinConsole, WinMemoryViewer, WinTilemapViewer, WinTileViewer,
  WinPsgViewer, WinVdpViewer, WinPaletteViewer, WinVideoOptions, WinGuiOptions,
  WinPickState, WinMovieLogger, WinVgmLogger, WinVgmPlayer, WinVariableViewer,
  WinBreakpointViewer, WinLabelViewer, WinControlOptions, WinInfo, WinVideoRecorder,
  WinSoundOptions, WinDebuggerOptions, WinBiosOptions,
};
constexpr int WindowCount = 28;
extern const char* const WindowNames[WindowCount];
constexpr int32_t WindowPositionUnset = -32768;  // centre the window

// Filters of the presenter, as stored in fullscreen_video_mode and
// gui_video_mode.
enum VideoFilter { FilterNormal = 0, FilterDouble = 1, FilterBilinear = 2, FilterMEagle = 3 };
extern const char* const VideoFilterWords[4];  // "normal", "double", "bilinear", "m_eagle"
// Stretching without the GUI: the default keeps the picture's size; a first
// run, before any tavo.cfg exists, fills the screen.
enum Stretching { StretchNone = 0, StretchDouble = 1, StretchMaximize = 2, StretchMaximize75 = 3 };
constexpr uint8_t FirstRunStretching = StretchMaximize;

// GUI colours, $RRGGBB, in theme and file order.
constexpr int ColourCount = 15;
extern const char* const ColourKeys[ColourCount];      // "color_background", ...
extern const uint32_t DefaultColours[ColourCount];

// Controller bindings: key codes of the input code space (0-511), in the
// order key_1_left ... key_1_select, key_2_left ... key_2_select.
constexpr int KeyBindingCount = 20;
enum KeyBindingSlot {
  BindLeft, BindRight, BindUp, BindDown, BindA, BindB, BindL, BindR, BindStart, BindSelect,
};
constexpr int KeyBindingsPerPlayer = 10;
extern const char* const KeyBindingKeys[KeyBindingCount];  // "key_1_left", ...
extern const uint16_t DefaultKeyBindings[KeyBindingCount];
// The key held to rewind (key_rewind, after the controllers' in the file):
// "z", which no controller or hotkey uses by default.
constexpr uint16_t DefaultRewindKey = 44;

// The cartridges loaded last, kept as recent_rom_0 ... recent_rom_7.
constexpr int RecentRomCount = 8;

struct ConfigValues {
  // Video.
  uint16_t resolution_x, resolution_y;          // full-screen size
  uint16_t win_resolution_x, win_resolution_y;  // windowed size
  uint16_t depth;                               // full-screen bits per pixel
  bool windowed;
  bool vsync;
  uint8_t stretching;             // 0 none, 1 double, 2 maximize, 3 maximize 75%
  uint8_t fullscreen_video_mode;  // VideoFilter, GUI hidden
  bool fullscreen_motion_blur;
  uint8_t gui_video_mode;         // VideoFilter, GUI shown
  bool gui_motion_blur;
  std::string bg_picture, bg_picture2, win_picture;  // relative to the program directory
  // Sound (volume and stereo swap: the PSG's sound_volume, sound_reverse_stereo).
  bool sound_enabled;
  // The configured colours: built-in defaults overwritten by the file.
  uint32_t colours[ColourCount];
  uint16_t keys[KeyBindingCount];
  uint16_t key_rewind;
  // Directories the two file requesters start in.
  std::string rom_directory, vgm_directory;
  // Remembered window positions (WindowPositionUnset: none) and open flags.
  int32_t window_x[WindowCount], window_y[WindowCount];
  bool window_opened[WindowCount];
  // Debugger and misc.
  bool var_overwrite;
  bool filerequester_rom_close_after_load;
  bool filerequester_vgm_close_after_load;
  bool break_points_address_absolute;
  bool labels_address_absolute;
  std::string bios0000;  // BIOS image of the GBA core
  // Absolute paths, most recent first; empty entries only at the end.
  std::string recent_roms[RecentRomCount];
};

extern ConfigValues Config;
// The colours the GUI draws with and the file saves; set from the configured
// colours at start-up and by the theme window's Apply.
extern uint32_t CurrentColours[ColourCount];
// Set once tavo.cfg has been read in this run; only then is it written back.
extern bool ConfigLoaded;

// Every value to its default (directories to the program directory); also
// the option word's emulation bits, the PSG's volume and stereo swap, and the
// current colours.
void ApplyConfigDefaults();
// The display mode the settings ask for: the window size at 16 bits when
// windowed, else the full-screen size at `depth` (16 unless 16 or 32).
void ConfiguredDisplayMode(int* width, int* height, int* bits);
