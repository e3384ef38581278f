// The VGM player: plays SN76489 music logs (.vgm, or gzip-compressed .vgz)
// through a sound chip of its own, whose samples stand in for the machine's
// sound while it plays. A file whose header gives a YM2413 clock plays its
// 0x51 commands through a YM2413 of the player's own, mixed in as the FM
// unit's sound is; other files skip them as commands of another chip. The main loop advances it once per pass with
// VgmPlayFrame; the audio output then reads VgmReadSamples instead of the
// machine's ring.
#pragma once
#include <cstdint>
#include <string>

#include "machine/psg.h"
#include "machine/ym2413.h"

extern PsgState VgmPsg;  // the player's own chip and sample ring
extern Ym2413 VgmFm;     // its FM chip, mixed into VgmPsg's ring
extern bool VgmPlaying;
extern bool VgmLoaded;
// The first English texts of the Gd3 tag (characters above 255 become
// blanks); empty without a tag.
extern std::string VgmTitle;
extern std::string VgmGameName;

// A file as read: the command data (malloc'd, owned by whoever holds it)
// and the header fields the player uses.
struct VgmSong {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  int64_t loop = -1;            // data position the end jumps back to; -1 none
  uint32_t clock = 0;           // SN76489 clock in Hz
  uint32_t fm_clock = 0;        // YM2413 clock in Hz; 0 without one
  uint32_t total_samples = 0;   // as the header says
  uint32_t loop_samples = 0;
  std::string title, game;
};
// Reads a .vgm or .vgz file. False (and nothing allocated) for a missing,
// short, truncated or inconsistent file.
bool ReadVgmSong(const char* path, VgmSong* song);

// Replaces the loaded file, rewound; the previous one stays loaded when the
// file cannot be read. Playing goes on (with the new file) if it was on.
bool LoadVgm(const char* path);
// The load command: loads, rewinds and plays, showing "Successfully loaded
// VGM '%s'." or "Couldn't load VGM '%s'.".
bool PlayVgmFile(const char* path);

// One frame of music: the commands due in each of the frame's lines, then
// one frame of samples rendered into VgmPsg's ring. Returns the frame's line
// count (313 with the PAL line option, else 262).
int VgmPlayFrame();

// The player window's buttons.
void PlayVgm();    // plays when a file is loaded
void StopVgm();    // stops, keeping the position
void RewindVgm();  // stops and goes back to the start of the data

// The audio output's source while a file plays: `bytes` bytes out of the
// player's ring; false (nothing copied) when it holds fewer.
bool VgmReadSamples(void* buffer, uint32_t bytes);

// Where the player stands, for its window.
struct VgmPlayerPosition {
  uint32_t position;       // in the command data
  uint32_t size;           // bytes of command data
  int64_t loop;            // data position of the loop; -1 none
  uint64_t samples;        // samples played into the current pass
  uint32_t total_samples;  // the header's length and loop length
  uint32_t loop_samples;
};
VgmPlayerPosition GetVgmPlayerPosition();

// Shutdown and tests: frees the data; nothing loaded, not playing.
void FreeVgm();
