#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = write(fd, p, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    p += written;
    size -= size_t(written);
  }
  return true;
}

// Writes a fresh temporary file beside path and flushes it to the disk. The
// temporary is always a new file: whatever sat under its name (a link to
// elsewhere, a pipe) is removed, never opened.
bool WriteTemporary(const std::string& temporary, const void* data, size_t size, mode_t mode) {
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data, size) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

// The new name is on the disk too, not only the new contents.
void SyncFolder(const std::string& path) {
  int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const void* data, size_t size) {
  if (path.empty()) return false;
  // A replaced file keeps the permissions the user gave it.
  mode_t mode = 0666;
  struct stat old;
  if (stat(path.c_str(), &old) == 0) {
    // A file the user made read-only stays as it is, as it would when
    // written in place.
    if (S_ISDIR(old.st_mode) || access(path.c_str(), W_OK) != 0) return false;
    mode = old.st_mode & 0777;
  }
  const std::string temporary = path + ".tmp";
  if (!WriteTemporary(temporary, data, size, mode)) return false;
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  SyncFolder(path);
  return true;
}

bool ReplaceFileContents(const std::string& path, const std::string& text) {
  return ReplaceFileContents(path, text.data(), text.size());
}

bool CreateNewFile(const std::string& path, const void* data, size_t size) {
  if (path.empty()) return false;
  struct stat existing;
  if (lstat(path.c_str(), &existing) == 0) return false;
  const std::string temporary = path + ".tmp";
  if (!WriteTemporary(temporary, data, size, 0666)) return false;
  // A hard link takes the name only while it is free, so a file that
  // appeared meanwhile is not overwritten either. File systems without
  // hard links fall back to a rename after the check above.
  bool ok = link(temporary.c_str(), path.c_str()) == 0;
  if (!ok && errno != EEXIST && lstat(path.c_str(), &existing) != 0)
    ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  unlink(temporary.c_str());
  if (ok) SyncFolder(path);
  return ok;
}

void AppendFormat(std::string* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length > 0) {
    const size_t at = out->size();
    out->resize(at + size_t(length) + 1);
    std::vsnprintf(out->data() + at, size_t(length) + 1, format, again);
    out->resize(at + size_t(length));
  }
  va_end(again);
}

int OpenRegularDescriptor(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) return fd;
  close(fd);
  return -1;
}

FILE* OpenRegularFile(const std::string& path) {
  int fd = OpenRegularDescriptor(path);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}

bool ReadRest(FILE* file, std::string* data) {
  char block[65536];
  for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) data->append(block, got);
  return !std::ferror(file);
}

FILE* CreateTemporaryFile(const std::string& path) {
  if (path.empty()) return nullptr;
  const std::string temporary = path + ".tmp";
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    unlink(temporary.c_str());
  }
  return file;
}

bool FinishTemporaryFile(FILE* file, const std::string& path, bool ok) {
  const std::string temporary = path + ".tmp";
  ok = ok && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  ok = std::fclose(file) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  SyncFolder(path);
  return true;
}
