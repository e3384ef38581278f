// A folder of real files for a test, removed with everything in it when the
// test ends.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

class ScratchFolder {
 public:
  explicit ScratchFolder(const char* tag) {
    std::string pattern = "/tmp/tavo_" + std::string(tag) + "_XXXXXX";
    if (const char* made = mkdtemp(pattern.data())) path_ = made;
  }
  ~ScratchFolder() {
    if (path_.empty()) return;
    std::system(("chmod -R u+w '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'").c_str());
  }
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

// The whole file, or "" when it cannot be read.
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
