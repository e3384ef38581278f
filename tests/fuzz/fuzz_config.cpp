// libFuzzer target for the configuration reader and the line tokenizer
// under it: the input is read as tavo.cfg, the values are written back as
// text, and the same bytes are cut into tokens whose sizes are checked.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/tokenizer.h"
#include "config/config.h"
#include "config/config_file.h"

namespace {

// The input as a file in memory, reached by its /proc path.
std::string InputFile(const uint8_t* data, size_t size) {
  static int fd = memfd_create("fuzz_config", 0);
  if (fd < 0) abort();
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) abort();
  return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = InputFile(data, size);
  ApplyConfigDefaults();
  ReadConfigFile(path.c_str());
  if (Config.stretching > 3) abort();
  const std::string text = ConfigText();
  if (text.empty()) abort();

  if (OpenTokenFile(path.c_str())) {
    for (int n; (n = NextLine()) != TokenEndOfFile;) {
      if (n < TokenUnclosedQuote || n > TokenLineLength) abort();
      size_t total = 0;
      for (int i = 0; i < n; i++) total += std::strlen(NextToken());
      if (total > size_t(TokenLineLength) || NextToken()) abort();
    }
    CloseTokenFile();
  }
  return 0;
}
