// Helpers for cartridge tests: a scratch folder with real files and zips.
#pragma once
#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

inline std::string MakeScratchFolder() {
  char pattern[] = "/tmp/tavo_cart_XXXXXX";
  const char* made = mkdtemp(pattern);
  return made ? made : "";
}

inline void RemoveFolder(const std::string& folder) {
  if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

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
