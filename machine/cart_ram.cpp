#include "machine/cart_ram.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/program_dir.h"
#include "machine/cartridge.h"
#include "machine/machine.h"

namespace {

Machine* const Machines[2] = {&PrimaryMachine, &PartnerMachine};

bool SaveOne(const Machine* m, const std::string& path) {
  // Written beside the old file and renamed over it, so a failed write
  // never leaves a truncated file in place of a good one.
  // The temporary is always a new file: whatever sat under its name (a
  // link pointing elsewhere, a pipe that would block) is never opened.
  std::string temporary = path + ".tmp";
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  FILE* file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    std::remove(temporary.c_str());
    return false;
  }
  bool ok = std::fwrite(m->CartRam, 1, CartRamSize, file) == size_t(CartRamSize);
  ok = (std::fclose(file) == 0) && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

// Opens a regular file for reading without ever blocking: a pipe or a
// device under the file's name is not cartridge RAM.
FILE* OpenRegularFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  FILE* file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}

}  // namespace

std::string CartRamPath(int machine) {
  // Never a folder part: the file must not land outside the SRAM folder.
  std::string base = FileNamePart(CartName.c_str());
  if (base.empty() || base == "." || base == "..") return {};
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
