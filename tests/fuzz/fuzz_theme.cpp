// libFuzzer target for the theme file reader: the input is read as a theme
// and the record is turned back into theme text.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config.h"
#include "lumo/theme.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int fd = memfd_create("fuzz_theme", 0);
  if (fd < 0) abort();
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) abort();
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  static bool ready = (ApplyConfigDefaults(), true);
  (void)ready;
  ThemeRecord theme;
  if (!ReadThemeFile(path.c_str(), &theme)) return 0;
  for (uint32_t c : theme.colours)
    if (c > 0xFFFFFF) abort();
  if (ThemeText(theme).empty()) abort();
  return 0;
}
