// An AVI file of one video stream and one 44100 Hz 16-bit stereo PCM
// stream, written through FFmpeg's AVI muxer. Pictures come in as 24-bit
// blue-green-red rows; uncompressed ones are stored as they are (bottom row
// first, as a 24-bit DIB), others go through the codec's encoder.
//
// The file is written under its name with ".tmp" added and renamed into
// place when closed. A failure is printed to the standard output as
// "call(): error text" with FFmpeg's text for the error (or, when FFmpeg's
// libraries cannot be loaded, the loader's "dlopen(): ..."); the writer then
// refuses further writes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct AVFormatContext;
struct AVStream;
struct AVCodecContext;
struct SwsContext;
struct AVFrame;
struct AVPacket;
struct AVBufferPool;
struct AVBufferRef;
struct VideoCodec;

struct AviSettings {
  int width, height;     // the picture
  int frame_rate;        // pictures per second
  int sample_rate;       // sound samples per second
  const VideoCodec* codec;
};

struct AviWriter {
  AVFormatContext* format = nullptr;
  AVStream* video = nullptr;
  AVStream* audio = nullptr;
  AVCodecContext* encoder = nullptr;  // none for uncompressed pictures
  SwsContext* converter = nullptr;    // none when the encoder takes 24-bit pictures
  AVFrame* picture = nullptr;         // the 24-bit picture handed to the encoder path
  AVFrame* converted = nullptr;       // the same in the encoder's pixel format
  AVPacket* packet = nullptr;
  AVBufferPool* pool = nullptr;       // uncompressed frame buffers
  AVBufferRef* frame = nullptr;       // the uncompressed frame being filled
  int width = 0, height = 0;
  int row_bytes = 0;                  // 24-bit rows padded to 4 bytes
  int frame_rate = 0, sample_rate = 0;
  int64_t frames = 0;                 // pictures written
  int64_t samples = 0;                // stereo samples written
  bool failed = false;
  std::string path, temporary;
};

// False (after printing why) when the file could not be started; nothing
// is left open then, nor a temporary file.
bool AviOpen(AviWriter* avi, const char* path, const AviSettings& settings);
// Where to put the next picture: the top row's first byte; each following
// row starts `*pitch` bytes further (negative for a bottom-up layout). None
// after a failure.
uint8_t* AviPicture(AviWriter* avi, ptrdiff_t* pitch);
// Writes the picture filled through AviPicture. False on failure.
bool AviWritePicture(AviWriter* avi);
// Appends whole stereo samples (bytes a multiple of 4). False on failure.
bool AviWriteSound(AviWriter* avi, const void* samples, uint32_t bytes);
// Drains the encoder, writes the index and closes; the file then replaces
// the target. After a failure the part written is kept only when the
// target did not exist, so an older file is never replaced by a broken one.
// False when anything failed, now or before.
bool AviClose(AviWriter* avi);
