// Helpers for cartridge tests: real files and zips in a scratch folder.
#pragma once
#include <zip.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scratch_folder.h"

// Bytes whose value tells their position, so misplaced copies show.
inline std::vector<uint8_t> PatternBytes(size_t size, uint8_t seed = 0) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + (i >> 14) + seed) | 1);
  return bytes;
}

// A deflated zip with the given members, in order.
inline bool WriteZip(const std::string& path,
                     const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members) {
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return false;
  bool ok = true;
  for (const auto& [name, bytes] : members) {
    zip_fileinfo info{};
    ok = ok && zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                   Z_DEFAULT_COMPRESSION) == ZIP_OK;
    ok = ok && zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}
