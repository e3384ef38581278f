// Shared by the patch and symbol fuzz targets: the input as a real file (the
// readers take paths) and a small cartridge image for the byte patches.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "debugger/debug_lists.h"
#include "machine/cartridge.h"

inline std::string FuzzInputFile(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/tavo_fuzz_debugger_" + std::to_string(getpid());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return {};
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  return path;
}

// 16 KB and the 3 bytes that repeat its start, as an installed image has.
inline void FuzzCartridge() {
  static uint8_t image[0x4000 + 3];
  CartImage = image;
  CartSize = 0x4000;
  CartBanks = 1;
  CartName = "fuzz.sms";
}
