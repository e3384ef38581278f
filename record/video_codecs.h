// The video codecs the recorder offers: uncompressed 24-bit pictures, always
// there, then the FFmpeg encoders of a preferred set that the library has
// and that accept both picture sizes (256 x 192 and 160 x 144). Without
// FFmpeg's libraries the list holds Uncompressed alone, and a recording in
// it fails to start, as the AVI container comes from FFmpeg too.
#pragma once
#include <cstdint>

struct AVCodec;
struct AVCodecContext;

constexpr int VideoCodecNameLength = 16;
constexpr int VideoCodecDescriptionLength = 128;

struct VideoCodec {
  uint32_t code;                                   // AVI handler four-character code
  char name[VideoCodecNameLength + 1];             // short name, e.g. "zmbv"
  char description[VideoCodecDescriptionLength + 1];
  const AVCodec* encoder;  // none: the pictures are stored as they are
  int pixel_format;        // the AVPixelFormat the encoder is fed
  int quality;             // fixed quantiser scale, 0 for the encoder's own rate control
  int motion_range;        // motion search range in pixels, 0 for the encoder's own
};

// Four-character codes, first character in the low byte as AVI stores them.
constexpr uint32_t FourCc(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
         uint32_t(uint8_t(d)) << 24;
}
constexpr uint32_t UncompressedCode = FourCc('D', 'I', 'B', ' ');

// The list, built on the first call and kept for the run. Uncompressed is
// entry 0, so the list is never empty and its first code is the default.
int VideoCodecCount();
const VideoCodec* VideoCodecAt(int index);  // none outside the list
// The entry with that code, or none.
const VideoCodec* FindVideoCodec(uint32_t code);
// Forgets the list; the next call builds it again (tests).
void ResetVideoCodecs();

// An encoder context for the codec's encoder at that size and rate, opened
// with the recorder's settings; none with `error` set to FFmpeg's code.
AVCodecContext* OpenVideoEncoder(const VideoCodec* codec, int width, int height, int frame_rate,
                                 int* error);
