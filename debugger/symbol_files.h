// Finding and loading NO$GMB symbol files ("bank:offset name" lines, as
// assemblers such as WLA-DX write them) beside a cartridge: after every
// successful cartridge load, for "-sym FILE" on the command line, and for
// the "Add from NO$GMB symbol file" command. Their labels join the label
// list (a name already there moves to its new address).
#pragma once
#include <string>
#include <vector>

// The symbol file names of a cartridge, most particular first:
// "game.sms.sym" (this very file: game.sms and game.gg may sit side by side),
// then "game.sym" (the name assemblers give it). `cart_name` is the
// cartridge's file name; a zipped one also gives the archive's names after
// the member's (`archive_name`, "" for a plain file). No duplicates.
std::vector<std::string> SymbolFileNames(const std::string& cart_name, const std::string& archive_name);

// Reads one symbol file and reports it:
//   "Successfully loaded symbols from '%s'."
//   "Couldn't load NO$GMB symbol file '%s'."   (cannot be read)
//   "Couldn't find any symbols in '%s'."      (no symbol line at all)
// with the file's name. The label list changes only on success.
bool LoadSymbolsFile(const std::string& path);

enum SymbolLoad { SymbolsLoaded, SymbolsMissing, SymbolsRefused };
// The first of the names that exists in the folder is loaded
// (LoadSymbolsFile); the rest are not tried. Nothing is shown when none
// exists.
SymbolLoad LoadFirstSymbolFile(const std::string& folder, const std::vector<std::string>& names);

// After a cartridge loaded from `cartridge_path` (a plain image or a zip):
// its symbol file beside it, when there is one. True when symbols loaded.
bool LoadSymbolsBesideCartridge(const std::string& cartridge_path);
