// One loader run for the cartridge fuzz target and its corpus replay: the
// first input byte picks the file's extension, the rest is the file. After
// every load the installed cartridge must be whole and runnable.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"

inline const std::string& CartridgeFuzzFolder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/tavo_fuzz_cart_XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

inline void CheckInstalledCartridge() {
  if (!CartImage || (ConsoleKind == 1 && CartBanks == 0) || CartSize < CartBanks * 0x4000u * (ConsoleKind == 1))
    std::abort();
  // Touch every byte, mirror included: a short buffer shows under ASan.
  volatile uint8_t sum = 0;
  for (uint32_t i = 0; i < CartSize + 3; ++i) sum = sum + CartImage[i];
  for (uint32_t i = 0; i < ChrBanks * 0x2000u; ++i) sum = sum + ChrImage[i];
}

inline void RunCartridgeFuzzInput(const uint8_t* data, size_t size) {
  static bool created = CreateConsoles();
  if (!created || size == 0) return;
  static const char* const extensions[] = {".sms", ".gg", ".nes", ".gba", ".zip", ".bin"};
  std::string path = CartridgeFuzzFolder() + "/input" + extensions[data[0] % 6];
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);
  LoadCartridge(path.c_str());
  unlink(path.c_str());
  CheckInstalledCartridge();
  if (ConsoleKind == 1) {
    HardResetConsole();
    RunConsoleFrame(false, false);
  }
  // The same bytes installed straight from memory.
  InstallImage(static_cast<uint32_t>(size - 1), data + 1, path.c_str());
  CheckInstalledCartridge();
}
