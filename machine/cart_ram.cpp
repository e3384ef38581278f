#include "machine/cart_ram.h"

#include <cstdio>
#include <cstring>

#include "base/program_dir.h"
#include "base/safe_file.h"
#include "machine/cartridge.h"
#include "machine/machine.h"

namespace {

Machine* const Machines[2] = {&PrimaryMachine, &PartnerMachine};

// Written beside the old file and renamed over it, so a failed write never
// leaves a truncated file in place of a good one.
bool SaveOne(const Machine* m, const std::string& path) {
  return ReplaceFileContents(path, m->CartRam, CartRamSize);
}

}  // namespace

std::string CartRamPath(int machine) {
  // Never a folder part: the file must not land outside the SRAM folder.
  const std::string base = CartFileBase();
  if (base.empty()) return {};
  return WorkingFilePath("SRAM", base + (machine == 0 ? ".sram" : ".sram2"));
}

void SaveCartRam() {
  for (int i = 0; i < 2; ++i) {
    const Machine* m = Machines[i];
    if (!m->SramDirty || !m->CartRam) continue;
    std::string path = CartRamPath(i);
    if (!path.empty()) SaveOne(m, path);
  }
}

void LoadCartRam() {
  for (int i = 0; i < 2; ++i) {
    Machine* m = Machines[i];
    m->SramDirty = 0;  // nothing of the new image is unsaved yet
    if (!m->CartRam) continue;
    // Zeroed first, so a short file leaves no bytes of the previous game.
    std::memset(m->CartRam, 0, CartRamSize);
    std::string path = CartRamPath(i);
    if (path.empty()) continue;
    FILE* file = OpenRegularFile(path);
    if (!file) continue;
    size_t got = std::fread(m->CartRam, 1, CartRamSize, file);
    (void)got;
    std::fclose(file);
  }
}
