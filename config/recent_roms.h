// The recent cartridges (Config.recent_roms) and the folder the ROM
// requester starts in.
#pragma once
#include <string>

// Longest path kept: the line "recent_rom_0 = "PATH"" must fit one line of
// the configuration file.
constexpr int RecentRomPathMax = 230;

// Puts a cartridge that was loaded at the head of the list, by its resolved
// absolute path: the same file already listed moves up rather than showing
// twice, and the oldest entry falls off. A path the file could not hold (a
// double quote or a line break in it, longer than RecentRomPathMax) is not
// kept.
void RememberRecentRom(const std::string& path);
// Closes up gaps and duplicates (after reading a hand-edited file).
void TidyRecentRoms();
// Drops the entries whose file is gone.
void DropMissingRecentRoms();
// The folder the ROM requester opens in: rom_directory when it is a folder
// the user reached, else the last cartridge's folder, else the home folder.
// The program directory counts as reached only when the last cartridge came
// from it: otherwise it is just the setting's default, which every tavo.cfg
// holds until a cartridge is loaded from the requester.
std::string RomRequesterFolder();
