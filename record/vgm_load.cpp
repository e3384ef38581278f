// Reading VGM files for the player: plain or gzip-compressed alike through
// zlib's gzip reader. Every field is checked against the others before any
// of it is used, and memory grows only with data that actually arrives.
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "base/safe_file.h"
#include "record/vgm_format.h"
#include "record/vgm_player.h"

namespace {

constexpr uint32_t ReadChunk = 1u << 20;
constexpr uint32_t MaxGd3Bytes = 64 * 1024;  // the texts shown are far shorter
constexpr size_t MaxText = 255;

// Opens regular files only: the gzip reader would block on a pipe.
gzFile OpenRegular(const char* path) {
  int fd = OpenRegularDescriptor(path);
  if (fd < 0) return nullptr;
  gzFile gz = gzdopen(fd, "rb");
  if (!gz) close(fd);
  return gz;
}

// Up to `bytes` bytes; the count actually read (short at the end or on error).
uint32_t ReadSome(gzFile gz, uint8_t* out, uint32_t bytes) {
  uint32_t got = 0;
  while (got < bytes) {
    uint32_t piece = bytes - got < ReadChunk ? bytes - got : ReadChunk;
    int n = gzread(gz, out + got, piece);
    if (n <= 0) break;
    got += uint32_t(n);
  }
  return got;
}

bool Skip(gzFile gz, uint64_t bytes) {
  uint8_t scratch[4096];
  while (bytes > 0) {
    uint32_t piece = bytes < sizeof scratch ? uint32_t(bytes) : uint32_t(sizeof scratch);
    if (ReadSome(gz, scratch, piece) != piece) return false;
    bytes -= piece;
  }
  return true;
}

// Exactly `size` bytes of command data, the buffer doubling as they come.
uint8_t* ReadData(gzFile gz, uint32_t size) {
  uint32_t capacity = size < ReadChunk ? size : ReadChunk;
  uint8_t* data = static_cast<uint8_t*>(std::malloc(capacity));
  uint32_t got = 0;
  while (data && got < size) {
    if (got == capacity) {
      uint32_t grown = capacity > size / 2 ? size : capacity * 2;
      uint8_t* more = static_cast<uint8_t*>(std::realloc(data, grown));
      if (!more) break;
      data = more;
      capacity = grown;
    }
    uint32_t n = ReadSome(gz, data + got, capacity - got);
    if (n == 0) break;
    got += n;
  }
  if (got == size) return data;
  std::free(data);
  return nullptr;
}

// A zero-ended string of 16-bit characters from `text`, advancing `at`.
std::string Text16(const uint8_t* text, uint32_t size, uint32_t* at) {
  std::string out;
  while (*at + 1 < size) {
    uint16_t c = uint16_t(text[*at] | text[*at + 1] << 8);
    *at += 2;
    if (c == 0) break;
    if (out.size() < MaxText) out.push_back(c > 255 ? ' ' : char(c));
  }
  return out;
}

// The title and game name; a missing or damaged tag leaves them empty.
void ReadGd3(gzFile gz, VgmSong* song) {
  uint8_t head[12];
  if (ReadSome(gz, head, sizeof head) != sizeof head || std::memcmp(head, "Gd3 ", 4) != 0) return;
  uint32_t length = GetLe32(head + 8);
  if (length > MaxGd3Bytes) length = MaxGd3Bytes;
  uint8_t* text = static_cast<uint8_t*>(std::malloc(length ? length : 1));
  if (!text) return;
  uint32_t got = ReadSome(gz, text, length);
  uint32_t at = 0;
  song->title = Text16(text, got, &at);
  Text16(text, got, &at);  // the Japanese title
  song->game = Text16(text, got, &at);
  std::free(text);
}

bool ReadSong(gzFile gz, VgmSong* song) {
  uint8_t h[VgmHeaderSize];
  if (ReadSome(gz, h, sizeof h) != sizeof h || std::memcmp(h, "Vgm ", 4) != 0) return false;
  const uint64_t file_end = uint64_t(GetLe32(h + VgmEofOffset)) + VgmEofOffset;
  const uint32_t gd3 = GetLe32(h + VgmGd3Offset);
  const uint32_t loop = GetLe32(h + VgmLoopOffset);
  // Version 1.01 data starts right after this header; later versions may
  // say where it starts.
  uint64_t data_start = VgmHeaderSize;
  if (GetLe32(h + VgmVersionField) >= 0x150 && GetLe32(h + VgmDataOffset) != 0) {
    data_start = uint64_t(GetLe32(h + VgmDataOffset)) + VgmDataOffset;
    if (data_start < VgmHeaderSize) return false;
  }
  // The data runs to the tag, or to the end of the file without one.
  const uint64_t data_end = gd3 ? uint64_t(gd3) + VgmGd3Offset : file_end;
  if (data_end <= data_start || data_end - data_start > VgmMaxDataBytes) return false;
  const uint32_t size = uint32_t(data_end - data_start);
  int64_t loop_at = -1;
  if (loop) {
    uint64_t at = uint64_t(loop) + VgmLoopOffset;
    if (at < data_start || at >= data_end) return false;
    loop_at = int64_t(at - data_start);
  }
  if (!Skip(gz, data_start - VgmHeaderSize)) return false;
  song->data = ReadData(gz, size);
  if (!song->data) return false;
  song->size = size;
  song->loop = loop_at;
  // Bit 30 marks a second chip and bit 31 a T6W28; neither changes the clock.
  song->clock = GetLe32(h + VgmClockField) & 0x3FFFFFFF;
  if (song->clock == 0) song->clock = VgmChipClock;
  song->total_samples = GetLe32(h + VgmTotalSamples);
  song->loop_samples = GetLe32(h + VgmLoopSamples);
  if (gd3) ReadGd3(gz, song);
  return true;
}

}  // namespace

bool ReadVgmSong(const char* path, VgmSong* song) {
  *song = VgmSong{};
  gzFile gz = OpenRegular(path);
  if (!gz) return false;
  bool ok = ReadSong(gz, song);
  gzclose(gz);
  if (!ok) {
    std::free(song->data);
    *song = VgmSong{};
  }
  return ok;
}
