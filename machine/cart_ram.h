// Persistence of cartridge RAM in the program directory's "SRAM" folder:
// "NAME.sram" for the primary machine and "NAME.sram2" for the link
// partner, NAME being the installed image's file name with its extension.
#pragma once
#include <string>

// Writes each machine's 32 KB buffer whose SramDirty flag is set, at
// unload. A file that cannot be written is skipped silently; an existing
// file is only replaced by a complete new one.
void SaveCartRam();
// Reads both files after an image is loaded and clears both SramDirty
// flags; a missing file gives zeroed RAM, a longer one contributes its
// first 32 KB.
void LoadCartRam();
// The file of machine 0 (primary) or 1 (partner); "" without a program
// directory or cartridge name.
std::string CartRamPath(int machine);
