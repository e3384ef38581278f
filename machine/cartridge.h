// The installed cartridge image and its loading from plain files and zips.
#pragma once
#include <cstdint>
#include <string>

// The installed cartridge. CartImage holds CartSize bytes plus 3 that repeat
// the first 3, so an operand fetch running off the end reads sensibly.
extern uint8_t* CartImage;
extern uint32_t CartSize;
extern uint32_t CartBanks;     // 16 KB banks; mapper bank numbers are reduced modulo this
extern std::string CartName;   // file name without folder, extension kept
extern int ConsoleKind;        // 1 Master System / Game Gear, 2 NES, 3 GBA
extern uint8_t* ChrImage;      // NES character ROM
extern uint32_t ChrSize;
extern uint32_t ChrBanks;
extern int NesMapper;
extern uint8_t NesFlags;
extern bool CartUnloaded;

// The two 32 KB cartridge RAM buffers (primary machine, link partner),
// created with the empty image and handed to the machine records.
extern uint8_t* CartRamBuffers[2];

// Image files larger than this are refused: no cartridge comes near it, and
// reading one whole would only exhaust memory.
constexpr uint32_t MaxImageFileSize = 64u << 20;
// Images of at most this many bytes are refused by LoadCartridge (and install
// nothing through InstallImage): they cannot hold a program.
constexpr uint32_t MaxUselessImageSize = 4;

// Reads a .sms/.gg/.nes/.gba file, or the first member of a zip archive with
// one of those extensions, and installs it. False when nothing usable could
// be read; the previous cartridge then stays installed and untouched. An
// empty plain file counts as loaded but changes nothing.
bool LoadCartridge(const char* path);
// Installs an image held in memory; `bytes` stays owned by the caller. An
// image of at most MaxUselessImageSize or over MaxImageFileSize bytes
// installs nothing (the name is still taken).
void InstallImage(uint32_t length, const uint8_t* bytes, const char* name);
// Saves cartridge RAM and frees the image (once per loaded image).
void UnloadCartridge();
// Start-up: the cartridge RAM buffers and an empty 16 KB image. Repeating it
// is harmless. Shutdown: unload, then free everything.
bool CreateCartridgeBuffers();
void DestroyCartridgeBuffers();
// The text from the name's last "." starts with .GG, .SMS, .NES or .GBA
// (any case).
bool HasImageExtension(const char* name);
// Whether the name ends with `ending`, given in capitals, in any case.
bool EndsWithNoCase(const char* name, const char* ending);
// The part of a path or zip member name after its last '/' or '\\'.
std::string FileNamePart(const char* name);
// The loaded cartridge's name as the base of the files kept for it (RAM,
// patches, logs, pictures): never a folder part, and "" when no file could
// be named after it ("", "." or "..").
std::string CartFileBase();
