// Scratch folders of real files for tests, removed with everything in them
// (read-only folders inside included), and whole files written and read in
// one call.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A fresh folder /tmp/tavo_TAG_XXXXXX, or "" when none can be made.
inline std::string MakeScratchFolder(const std::string& tag = "test") {
  std::string pattern = "/tmp/tavo_" + tag + "_XXXXXX";
  const char* made = mkdtemp(pattern.data());
  return made ? made : "";
}

inline void RemoveFolder(const std::string& folder) {
  if (folder.empty()) return;
  std::system(("chmod -R u+w '" + folder + "' 2>/dev/null; rm -rf '" + folder + "'").c_str());
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The whole file, or nothing when it cannot be read.
inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

// The whole file as text, or "" when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char block[4096];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, got);
  std::fclose(f);
  return bytes;
}

// A scratch folder owned by a test: made on construction, removed when it
// goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* tag) : path_(MakeScratchFolder(tag)) {}
  ~ScratchFolder() { RemoveFolder(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  // Writes (or appends) the bytes as the file name; returns its path.
  std::string Write(const std::string& name, const std::string& bytes) { return Put(name, bytes, "wb"); }
  std::string Append(const std::string& name, const std::string& bytes) { return Put(name, bytes, "ab"); }

 private:
  std::string Put(const std::string& name, const std::string& bytes, const char* mode) {
    const std::string file = Path(name);
    if (FILE* f = std::fopen(file.c_str(), mode)) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return file;
  }
  std::string path_;
};
