// WAV output: a RIFF header whose two size fields are patched on close.
#include "record/wav_writer.h"

#include "base/byte_order.h"

namespace {

constexpr uint32_t Rate = 44100;
constexpr uint16_t Channels = 2;
constexpr uint16_t Bits = 16;
// RIFF sizes are 32-bit; stop short of the limit rather than wrap them.
constexpr uint32_t MaxDataBytes = 0xFFFFFFFFu - WavHeaderBytes;

void MakeHeader(uint8_t* h, uint32_t dataBytes) {
  const uint16_t block = Channels * Bits / 8;
  h[0] = 'R'; h[1] = 'I'; h[2] = 'F'; h[3] = 'F';
  PutLe32(h + 4, dataBytes + WavHeaderBytes - 8);
  h[8] = 'W'; h[9] = 'A'; h[10] = 'V'; h[11] = 'E';
  h[12] = 'f'; h[13] = 'm'; h[14] = 't'; h[15] = ' ';
  PutLe32(h + 16, 16);
  PutLe16(h + 20, 1);  // PCM
  PutLe16(h + 22, Channels);
  PutLe32(h + 24, Rate);
  PutLe32(h + 28, Rate * block);
  PutLe16(h + 32, block);
  PutLe16(h + 34, Bits);
  h[36] = 'd'; h[37] = 'a'; h[38] = 't'; h[39] = 'a';
  PutLe32(h + 40, dataBytes);
}

}  // namespace

bool WavOpen(WavWriter* wav, const char* path) {
  *wav = WavWriter{};
  wav->File = std::fopen(path, "wb");
  if (!wav->File) return false;
  uint8_t header[WavHeaderBytes];
  MakeHeader(header, 0);
  if (std::fwrite(header, 1, sizeof header, wav->File) != sizeof header) {
    std::fclose(wav->File);
    *wav = WavWriter{};
    return false;
  }
  return true;
}

bool WavWrite(WavWriter* wav, const void* samples, uint32_t bytes) {
  if (!wav->File || wav->Failed) return false;
  bytes &= ~3u;
  if (bytes > MaxDataBytes - wav->DataBytes) {
    wav->Failed = true;
    return false;
  }
  if (std::fwrite(samples, 1, bytes, wav->File) != bytes) {
    wav->Failed = true;
    return false;
  }
  wav->DataBytes += bytes;
  return true;
}

bool WavClose(WavWriter* wav) {
  if (!wav->File) return false;
  uint8_t header[WavHeaderBytes];
  MakeHeader(header, wav->DataBytes);
  bool ok = !wav->Failed && std::fseek(wav->File, 0, SEEK_SET) == 0 &&
            std::fwrite(header, 1, sizeof header, wav->File) == sizeof header;
  if (std::fclose(wav->File) != 0) ok = false;
  wav->File = nullptr;
  return ok;
}
