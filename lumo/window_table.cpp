#include "lumo/window_table.h"

#include "config/config.h"
#include "lumo/gui.h"

const WindowLayout WindowLayouts[28] = {
    {"", 0, 0},                               // game: the emulator screen
    {"Load ROM", 440, 327},                   // filerequester_rom: with the recent list
    {"Load VGM", 250, 327},                   // filerequester_vgm
    {"Emulation configuration", 260, 180},    // system_options
    {"Debugger", 600, 335},                   // debugger
    {"Messages", 360, 240},                   // messages
    {"SDSC Console", 560, 225},               // console
    {"Memory viewer", 550, 163},              // memory_viewer
    {"Tilemap", 0, 0},                        // tilemap_viewer: depends on the tilemap
    {"Tiles", 256, 188},                      // tile_viewer
    {"PSG", 150, 75},                         // psg_viewer
    {"VDP", 120, 165},                        // vdp_viewer
    {"Palette", 264, 0},                      // palette_viewer: height depends on the system
    {"Video options", 240, 407},              // video_options
    {"Theme options", 580, 436},              // gui_options
    {"Pick state", 295, 35},                  // pick_state
    {"Movie Logger", 395, 75},                // movie_logger
    {"VGM logger", 425, 145},                 // vgm_logger
    {"VGM Player", 240, 58},                  // vgm_player
    {"Variables", 275, 445},                  // variable_viewer
    {"Breakpoints", 205, 360},                // breakpoint_viewer
    {"Labels", 205, 380},                     // label_viewer
    {"Controller configuration", 410, 255},   // control_options
    {"Info", 520, 470},                       // info
    {"Video recorder", 370, 150},             // video_recorder
    {"Sound options", 165, 55},               // sound_options
    {"Debugger options", 220, 15},            // debugger_options: its one caption
    {"BIOS options", 400, 40},                // bios_options
};

Window* OpenToolWindow(int id, int client_width, int client_height, int extra_flags) {
  if (id < 0 || id >= WindowCount) return nullptr;
  const WindowLayout& layout = WindowLayouts[id];
  return OpenWindow(id, Config.window_x[id], Config.window_y[id],
                    client_width ? client_width : layout.client_width,
                    client_height ? client_height : layout.client_height, WindowCloseBox | extra_flags,
                    layout.title);
}

void CloseToolWindow(int id) {
  CloseWindow(id);
  Config.window_opened[id] = false;
}

Window* ToggleToolWindow(int id, int client_width, int client_height, int extra_flags) {
  if (WindowOpen(id)) {
    CloseToolWindow(id);
    return nullptr;
  }
  return OpenToolWindow(id, client_width, client_height, extra_flags);
}
