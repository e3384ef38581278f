// The VGM music logger: records the primary machine's sound chip as a VGM
// 1.01 file (SN76489 with the Game Gear stereo register) with a Gd3 tag, in
// the "Music" folder. It does not log the PSG's port writes: once per frame
// (once per scanline when sample accurate) it compares the chip's registers
// with what it logged last and writes the differences. The FM unit's writes
// are logged one by one as they happen (0x51 commands, whose order matters:
// a key-on follows its F-number), and a log holding any makes the file a
// 1.51 one with the YM2413's clock; a log without them is a 1.01 file as
// before. On stop it can cut trailing silence, or find a loop and end the
// file after its first pass.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum VgmLogStateValue : uint8_t { VgmLogIdle = 0, VgmLogLogging = 1, VgmLogWaiting = 2 };
extern uint8_t VgmLogState;  // 0 idle, 1 logging, 2 waiting for sound

// The logger window's check boxes; not kept in the configuration, all false
// at start.
extern bool WaitForSound;    // "Wait before sound starts"
extern bool TrimEnd;         // "Trim end automatically"
extern bool TrimLoops;       // "Trim loops automatically"
extern bool SampleAccurate;  // "Sample accurate"

// The Gd3 texts the window edits; each byte becomes one UTF-16 character.
struct VgmGd3Texts {
  std::string GameName, System, ReleaseDate, TrackTitle, Author, Creator;
};
extern VgmGd3Texts VgmGd3;
constexpr size_t VgmGd3MaxText = 255;  // longer texts are cut in the file

extern uint32_t TotalSamples;  // 44100 Hz samples logged so far

// Called whenever VgmLogState changes (the window swaps its Start and Stop
// buttons); none by default.
extern void (*VgmLoggerChanged)();

// Starts logging with a dump of the chip's state; "Can't start VGM logging."
// without a cartridge. A log under way goes on.
bool StartVgmLog();
// Waits for the first audible channel, then starts logging (nothing while
// already logging).
bool StartVgmWait();
// The window's Start button: waits when WaitForSound is set, else logs.
bool StartVgmLogging();
// Ends logging and saves the first free "NAME.N.vgm" (N 0-255) in "Music",
// trimmed as the options say. False when idle or nothing could be saved.
bool StopVgmLog();
// The same, saving under `path` (the headless runner's --vgm).
bool StopVgmLogAs(const std::string& path);

// "Log time: %4d:%02d:%02d" for the window.
void VgmLogTimeText(char* text, size_t size);

// Back to idle with an empty log, options and texts cleared (tests).
void ResetVgmLogger();

// After every scanline of the primary machine while logging or waiting: the
// logger hangs it on the scheduler's LineEndHook.
void VgmLogLine();
// Each FM unit register write while logging or waiting (FmWriteHook). While
// waiting, a key-on starts the log.
void VgmLogFmWrite(uint8_t reg, uint8_t value);
