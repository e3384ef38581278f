#include "debugger/symbol_files.h"

#include <sys/stat.h>

#include <algorithm>

#include "base/safe_file.h"
#include "debugger/debug_lists.h"
#include "debugger/patch_file.h"
#include "lumo/messages.h"
#include "machine/cartridge.h"

namespace {

// The name without its extension ("game" of "game.sms"); a name that only
// starts with a dot keeps it.
std::string Stem(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void AddName(std::vector<std::string>* names, const std::string& base) {
  if (base.empty()) return;
  const std::string name = base + ".sym";
  if (std::find(names->begin(), names->end(), name) == names->end()) names->push_back(name);
}

}  // namespace

std::vector<std::string> SymbolFileNames(const std::string& cart_name, const std::string& archive_name) {
  std::vector<std::string> names;
  for (const std::string& name : {cart_name, archive_name}) {
    AddName(&names, name);
    AddName(&names, Stem(name));
  }
  return names;
}

bool LoadSymbolsFile(const std::string& path) {
  const std::string name = FileNamePart(path.c_str());
  std::vector<Label> symbols;
  if (!ReadSymbols(path.c_str(), &symbols)) {
    ShowMessage("Couldn't load NO$GMB symbol file '%s'.", name.c_str());
    return false;
  }
  if (symbols.empty()) {
    ShowMessage("Couldn't find any symbols in '%s'.", name.c_str());
    return false;
  }
  for (const Label& symbol : symbols) AddLabel(symbol.address, symbol.name);
  ShowMessage("Successfully loaded symbols from '%s'.", name.c_str());
  return true;
}

SymbolLoad LoadFirstSymbolFile(const std::string& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    // Anything under the name counts as found: a folder or an unreadable
    // file is reported rather than passed over for the next name.
    struct stat info;
    if (stat(path.c_str(), &info) != 0) continue;
    return LoadSymbolsFile(path) ? SymbolsLoaded : SymbolsRefused;
  }
  return SymbolsMissing;
}

bool LoadSymbolsBesideCartridge(const std::string& cartridge_path) {
  const std::string file_name = FileNamePart(cartridge_path.c_str());
  // A zip's cartridge is named after its member; an empty file loads
  // nothing and leaves the previous name, which then does not count.
  const bool zipped = EndsWithNoCase(file_name.c_str(), ".ZIP") && CartName != file_name;
  const std::vector<std::string> names =
      zipped ? SymbolFileNames(CartFileBase(), file_name) : SymbolFileNames(file_name, "");
  return LoadFirstSymbolFile(FolderOf(cartridge_path), names) == SymbolsLoaded;
}
