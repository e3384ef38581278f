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

bool LoadCartridge(const char* path);
void InstallImage(uint32_t length, const uint8_t* bytes, const char* name);
void UnloadCartridge();
void CreateCartridgeBuffers();
void DestroyCartridgeBuffers();
bool HasImageExtension(const char* name);
