// Save states: a snapshot of the whole emulated system (both machines when
// link play is on, the SDSC console and the debugger's break flag) in one
// file per cartridge and slot, "NAME.stN" in the "States" folder.
//
// Layout, little-endian, no padding: "Tavo State\n", "[GG/SMS]\n" and the
// primary machine's block; with the link option bit "[GG/SMS2]\n" and the
// partner's block; "[CON80x25]\n" and the console block; "[MISC]\n" and the
// break flag byte. A file is checked whole before anything changes: a short,
// oversized or inconsistent file is refused and the machine stays as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int StateSlotCount = 10;
constexpr size_t MachineStateBlockSize = 58276;
constexpr size_t StateFileSize = 62328;  // without link play
constexpr size_t LinkedStateFileSize = StateFileSize + 10 + MachineStateBlockSize;

// The slot the commands use, 0-9; 0 at start, not kept in the configuration.
extern uint8_t StateSlot;
void ResetSaveStates();  // slot 0 (tests)

// "NAME.stN" for the installed cartridge; "" without a cartridge name.
std::string StateFileName(int slot);

// The commands (F6 / F5 and the File menu): the current slot's file. Nothing
// happens without a cartridge name. With `report` the outcome is shown:
// "Saved state as '%s'." / "Couldn't save state as '%s'.",
// "Successfully loaded state '%s'." / "Couldn't load state '%s'.".
// A save goes to a temporary file renamed over the slot's file when
// complete, so a failed save keeps the previous one.
bool SaveState(bool report);
bool LoadState(bool report);

// The format on an open file; `name` is the file name the messages quote.
// Reading enters the debugger's break state when the file asks for it and
// refreshes the debugger's views.
bool ReadStateStream(FILE* file, const char* name, bool report);
// The same without messages or debugger: writing replaces `path` safely and
// fails without a cartridge a state describes; reading takes the whole file
// (none fails) and installs it as InstallStateImage does.
bool WriteStateFile(const std::string& path);
bool InstallStateFile(FILE* file, bool* break_request);

// The format in memory. Building saves the core's registers into their
// machine record first. Installing checks every section before changing
// anything and returns false for anything it would not have written; on
// success `break_request` receives the file's "[MISC]" byte.
void BuildStateImage(std::vector<uint8_t>* image);
bool InstallStateImage(const uint8_t* data, size_t size, bool* break_request);
// Whether the installed cartridge is one whose machines a state describes
// (a Master System / Game Gear image).
bool CanHoldState();
