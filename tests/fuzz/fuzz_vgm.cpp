// libFuzzer target for the VGM reader and player: each input is a file
// (plain or gzip-compressed) loaded through the gzip reader and, when it
// loads, played for a few frames, past its end and back through its loop.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "record/vgm_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A file in memory, opened by name like any other.
  int fd = memfd_create("fuzz_vgm", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (write(fd, data, size) == ssize_t(size)) {
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (LoadVgm(path.c_str())) {
      PlayVgm();
      for (int i = 0; i < 4 && VgmPlaying; i++) VgmPlayFrame();
      uint8_t samples[735 * 4];
      VgmReadSamples(samples, sizeof samples);
    }
  }
  close(fd);
  FreeVgm();
  return 0;
}
