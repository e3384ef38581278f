// The VGM player: runs the loaded commands against emulated time, line by
// line, into its own sound chip.
#include "record/vgm_player.h"

#include <cstdlib>
#include <cstring>

#include "lumo/messages.h"
#include "machine/fm_unit.h"
#include "machine/options.h"
#include "record/vgm_format.h"

PsgState VgmPsg;
Ym2413 VgmFm;
bool VgmPlaying = false;
bool VgmLoaded = false;
std::string VgmTitle;
std::string VgmGameName;

namespace {

// Output samples per line in 16.16: 882 * 65536 / 313 and 735 * 65536 / 262.
constexpr uint64_t PalLineSamples = 184673;
constexpr uint64_t NtscLineSamples = 183850;
// A line that runs this many commands without reaching its time moves on,
// so no file can hold a frame up for long.
constexpr uint32_t MaxCommandsPerLine = 1u << 16;

VgmSong Song;
uint32_t Position = 0;
// Samples still to be consumed before the next command, 16.16. Wider than
// one wait can reach, so a wait of 65535 samples on top of a line's debt
// cannot wrap.
uint64_t Debt = 0;
uint64_t PlayedSamples = 0;    // into the current pass, for the window
uint64_t LoopStartSamples = 0;
// Whether the commands played after reaching the end (the loop, or the
// whole data without one) advance time at all; if not, playing stops at the
// end instead of cycling through them forever.
bool RepeatHasTime = false;

struct Command {
  uint32_t length;  // 0: cut off by the end of the data
  uint32_t wait;    // samples
};

// The length and wait of the command at `pos`. Commands of other chips are
// skipped whole, by the lengths the VGM format gives them.
Command Decode(const uint8_t* d, uint32_t pos, uint32_t size) {
  const uint8_t op = d[pos];
  const uint32_t left = size - pos;
  uint32_t length = 1, wait = 0;
  if (op >= 0x30 && op <= 0x3F) {
    length = 2;
  } else if (op >= 0x40 && op <= 0x4E) {
    length = 3;
  } else if (op == VgmCmdStereo || op == VgmCmdPsg) {
    length = 2;
  } else if (op >= 0x51 && op <= 0x5F) {
    length = 3;
  } else if (op == VgmCmdWait) {
    length = 3;
    if (left >= 3) wait = uint32_t(d[pos + 1] | d[pos + 2] << 8);
  } else if (op == VgmCmdWaitNtsc) {
    wait = VgmNtscFrameSamples;
  } else if (op == VgmCmdWaitPal) {
    wait = VgmPalFrameSamples;
  } else if (op == 0x64) {
    length = 4;
  } else if (op == 0x67) {  // data block: 0x67 0x66 type size32 bytes
    if (left < 7) return Command{0, 0};
    uint64_t block = 7 + uint64_t(GetLe32(d + pos + 3) & 0x7FFFFFFF);
    if (block > left) return Command{0, 0};
    length = uint32_t(block);
  } else if (op == 0x68) {
    length = 12;
  } else if (op >= 0x70 && op <= 0x7F) {
    wait = (op & 0x0F) + 1u;
  } else if (op >= 0x80 && op <= 0x8F) {
    wait = op & 0x0Fu;
  } else if (op == 0x90 || op == 0x91 || op == 0x95) {
    length = 5;
  } else if (op == 0x92) {
    length = 6;
  } else if (op == 0x93) {
    length = 11;
  } else if (op == 0x94) {
    length = 2;
  } else if (op >= 0xA0 && op <= 0xBF) {
    length = 3;
  } else if (op >= 0xC0 && op <= 0xDF) {
    length = 4;
  } else if (op >= 0xE0) {
    length = 5;
  }
  if (length > left) return Command{0, 0};
  return Command{length, wait};
}

// Walks the commands from `from` up to the end command, the end of the data
// or `until`; the samples they wait in total.
uint64_t ScanTime(uint32_t from, uint32_t until) {
  uint64_t samples = 0;
  for (uint32_t pos = from; pos < until && Song.data[pos] != VgmCmdEnd;) {
    Command c = Decode(Song.data, pos, Song.size);
    if (c.length == 0) break;
    samples += c.wait;
    pos += c.length;
  }
  return samples;
}

void FmWrite(uint8_t reg, uint8_t value) {
  Ym2413WriteAddress(&VgmFm, reg);
  Ym2413WriteData(&VgmFm, value);
}

// The chips' power-on registers, written through the chips like any command
// so they take effect at this line and the samples already made stay.
void SilenceChip() {
  static const uint8_t writes[] = {0x9F, 0xBF, 0xDF, 0xFF, 0x80, 0x00, 0xA0, 0x00, 0xC0, 0x00, 0xE0};
  for (uint8_t b : writes) PsgWrite(&VgmPsg, b);
  PsgWriteStereo(&VgmPsg, 0xFF);
  VgmPsg.Latched = 0;
  if (!Song.fm_clock) return;
  // Keys first, so no note restarts with the cleared instrument.
  for (uint8_t reg = 0x20; reg <= 0x28; reg++) FmWrite(reg, 0);
  for (uint8_t reg : VgmFmDumpRegisters) FmWrite(reg, 0);
}

// At the end of the data: back to the loop point with the chip as it is, or
// without one to the start with the chip reset. False when that would only
// spin (nothing after the jump takes any time).
bool Repeat() {
  if (!RepeatHasTime) return false;
  if (Song.loop >= 0) {
    Position = uint32_t(Song.loop);
    PlayedSamples = LoopStartSamples;
  } else {
    SilenceChip();
    Position = 0;
    PlayedSamples = 0;
  }
  return true;
}

// Runs one command; false when playing has to stop.
bool Step() {
  if (Position >= Song.size || Song.data[Position] == VgmCmdEnd) return Repeat();
  const Command c = Decode(Song.data, Position, Song.size);
  if (c.length == 0) return Repeat();  // a command cut off by the end
  const uint8_t op = Song.data[Position];
  if (op == VgmCmdStereo) PsgWriteStereo(&VgmPsg, Song.data[Position + 1]);
  if (op == VgmCmdPsg) PsgWrite(&VgmPsg, Song.data[Position + 1]);
  if (op == VgmCmdYm2413 && Song.fm_clock) FmWrite(Song.data[Position + 1], Song.data[Position + 2]);
  Debt += uint64_t(c.wait) << 16;
  PlayedSamples += c.wait;
  Position += c.length;
  return true;
}

// The chip's line rate and frame length follow the video standard; a
// change since the file was loaded sets the chip up again.
void FollowVideoStandard() {
  uint32_t frame = (MachineOptions & OptNtscRate) ? VgmNtscFrameSamples : VgmPalFrameSamples;
  if (VgmPsg.SamplesPerFrame != frame) PsgInit(&VgmPsg, Song.clock);
  const uint16_t lines = (MachineOptions & OptPalLines) ? 313 : 262;
  if (VgmFm.SamplesPerFrame != frame || VgmFm.LinesPerFrame != lines)
    Ym2413SetFrame(&VgmFm, lines, uint16_t(frame));
}

}  // namespace

bool LoadVgm(const char* path) {
  VgmSong song;
  if (!ReadVgmSong(path, &song)) return false;
  std::free(Song.data);
  Song = song;
  VgmTitle = Song.title;
  VgmGameName = Song.game;
  PsgInit(&VgmPsg, Song.clock);
  PsgReset(&VgmPsg);
  Ym2413Reset(&VgmFm);
  Position = 0;
  Debt = 0;
  PlayedSamples = 0;
  if (Song.loop >= 0) {
    LoopStartSamples = ScanTime(0, uint32_t(Song.loop));
    RepeatHasTime = ScanTime(uint32_t(Song.loop), Song.size) > 0;
  } else {
    LoopStartSamples = 0;
    RepeatHasTime = ScanTime(0, Song.size) > 0;
  }
  VgmLoaded = true;
  return true;
}

bool PlayVgmFile(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* name = slash ? slash + 1 : path;
  if (!LoadVgm(path)) {
    ShowMessage("Couldn't load VGM '%s'.", name);
    return false;
  }
  RewindVgm();
  VgmPlaying = true;
  ShowMessage("Successfully loaded VGM '%s'.", name);
  return true;
}

int VgmPlayFrame() {
  const bool pal = (MachineOptions & OptPalLines) != 0;
  const int lines = pal ? 313 : 262;
  if (!VgmPlaying || !VgmLoaded) return lines;
  FollowVideoStandard();
  const uint64_t line_samples = pal ? PalLineSamples : NtscLineSamples;
  bool ended = false;
  for (int line = 0; line < lines; line++) {
    for (uint32_t n = 0; !ended && Debt < line_samples && n < MaxCommandsPerLine; n++) ended = !Step();
    PsgLineTick(&VgmPsg, true);
    if (Song.fm_clock) Ym2413LineTick(&VgmFm, true);
    Debt = Debt > line_samples ? Debt - line_samples : 0;
  }
  PsgFrameEnd(&VgmPsg, true);
  if (Song.fm_clock) {
    const uint32_t made = Ym2413FrameEnd(&VgmFm, true);
    FmMixIntoRing(&VgmPsg, VgmFm.Frame, made, true);
  }
  if (ended) {
    // The rest of this frame still sounds; the next Play starts over.
    VgmPlaying = false;
    Position = 0;
    Debt = 0;
    PlayedSamples = 0;
    SilenceChip();
  }
  return lines;
}

void PlayVgm() {
  if (VgmLoaded) VgmPlaying = true;
}

void StopVgm() { VgmPlaying = false; }

void RewindVgm() {
  VgmPlaying = false;
  Position = 0;
  Debt = 0;
  PlayedSamples = 0;
  // From the start the chip is as at power-on, as when the data repeats.
  if (VgmLoaded) SilenceChip();
}

bool VgmReadSamples(void* buffer, uint32_t bytes) { return PsgReadSamples(&VgmPsg, buffer, bytes); }

VgmPlayerPosition GetVgmPlayerPosition() {
  return VgmPlayerPosition{Position,         Song.size,         Song.loop,
                           PlayedSamples,    Song.total_samples, Song.loop_samples};
}

void FreeVgm() {
  std::free(Song.data);
  Song = VgmSong{};
  VgmLoaded = VgmPlaying = false;
  VgmTitle.clear();
  VgmGameName.clear();
  Position = 0;
  Debt = 0;
  PlayedSamples = LoopStartSamples = 0;
  RepeatHasTime = false;
}
