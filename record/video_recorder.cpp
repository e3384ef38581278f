#include "record/video_recorder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/program_dir.h"
#include "lumo/filters.h"
#include "lumo/messages.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/vdp.h"
#include "record/avi_writer.h"

// The sound output's flag: while set it plays silence and leaves the
// machine's samples to the recorder. Defined weak so that the recorder links
// on its own (tests, the headless runner); the sound output's definition
// takes its place in the program.
extern bool AudioVideoRecording;
__attribute__((weak)) bool AudioVideoRecording = false;

bool VideoRecording = false;
void (*VideoRecorderChanged)() = nullptr;

namespace {

constexpr int SampleRate = 44100;
constexpr int MaxFileNumber = 255;
// The other cores' pictures, and the largest a pass's sound can be.
constexpr int OtherCoreWidth = 256, OtherCoreHeight = 240;
constexpr uint32_t MaxSoundBytes = 882 * 4 * 2;

AviWriter Writer;
VideoRecordOptions Options;
uint32_t PassCount = 0;
std::string FileName;

void Changed() {
  AudioVideoRecording = VideoRecording;
  if (VideoRecorderChanged) VideoRecorderChanged();
}

void PictureSize(int* width, int* height) {
  if (ConsoleKind == 1) {
    VdpWindow window = VdpVisibleWindow(&PrimaryMachine.Vdp);
    *width = window.width;
    *height = window.height;
  } else {
    *width = OtherCoreWidth;
    *height = OtherCoreHeight;
  }
}

inline void PutPixel(uint8_t* out, uint16_t pixel) {
  out[0] = uint8_t((pixel & 0x1F) << 3);
  out[1] = uint8_t((pixel >> 5 & 0x3F) << 2);
  out[2] = uint8_t((pixel >> 11) << 3);
}

// The machine's latest finished picture as 24-bit rows. A picture that has
// changed size since the start is cut or padded with black, since the
// file's frame size is fixed.
void ConvertPicture(uint8_t* top, ptrdiff_t pitch) {
  int width = Writer.width, height = Writer.height, shown_width = 0, shown_height = 0;
  const PixelBuffer* shown = nullptr;
  const PixelBuffer* previous = nullptr;
  VdpWindow window{};
  if (ConsoleKind == 1) {
    window = VdpVisibleWindow(&PrimaryMachine.Vdp);
    shown = window.finished;
    if (Options.motion_blur && window.drawn) previous = window.drawn;
    if (shown && shown->pixels) {
      shown_width = std::min(width, window.width);
      shown_height = std::min(height, window.height);
    }
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* out = top + pitch * y;
    int x = 0;
    if (y < shown_height) {
      const uint16_t* row =
          reinterpret_cast<const uint16_t*>(shown->pixels + (window.y + y) * shown->pitch) + window.x;
      if (previous) {
        const uint16_t* before =
            reinterpret_cast<const uint16_t*>(previous->pixels + (window.y + y) * previous->pitch) + window.x;
        // The mean of the two frames, as the presenter's motion blur shows it.
        for (; x < shown_width; ++x) PutPixel(out + x * 3, Rgb565Blur(before[x], row[x]));
      } else {
        for (; x < shown_width; ++x) PutPixel(out + x * 3, row[x]);
      }
    }
    std::memset(out + x * 3, 0, size_t(width - x) * 3);
  }
}

void WriteFailed() {
  ShowMessage("Couldn't write video recording to '%s'.", FileName.c_str());
  StopVideoRecording();
}

bool WritePicture() {
  ptrdiff_t pitch = 0;
  uint8_t* top = AviPicture(&Writer, &pitch);
  if (!top) return false;
  ConvertPicture(top, pitch);
  return AviWritePicture(&Writer);
}

bool FileExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool OpenVideoRecording(const char* path, const VideoRecordOptions& options) {
  if (VideoRecording) CloseVideoRecording();
  const VideoCodec* codec = FindVideoCodec(options.codec);
  if (!codec) codec = VideoCodecAt(0);
  Options = options;
  Options.codec = codec->code;
  PassCount = 0;
  AviSettings settings{};
  PictureSize(&settings.width, &settings.height);
  int rate = FrameRate == 60 ? 30 : 25;
  settings.frame_rate = options.full_frame_rate ? rate * 2 : rate;
  settings.sample_rate = SampleRate;
  settings.codec = codec;
  if (!AviOpen(&Writer, path, settings)) return false;
  const char* slash = std::strrchr(path, '/');
  FileName = slash ? slash + 1 : path;
  VideoRecording = true;
  Changed();
  return true;
}

bool CloseVideoRecording() {
  if (!VideoRecording) return false;
  bool ok = AviClose(&Writer);
  VideoRecording = false;
  FileName.clear();
  Changed();
  return ok;
}

void CaptureVideoFrame(const void* samples, uint32_t bytes) {
  if (!VideoRecording) return;
  if (!WritePicture() || !AviWriteSound(&Writer, samples, bytes)) WriteFailed();
}

void CaptureVideoPass() {
  if (!VideoRecording) return;
  bool even = (PassCount & 1) == 0;
  ++PassCount;
  if ((Options.full_frame_rate || even) && !WritePicture()) {
    WriteFailed();
    return;
  }
  if (!even) return;
  // Two frames of sound every second pass; silence when the machine has not
  // made that much (paused, or before its first frames).
  uint8_t sound[MaxSoundBytes];
  uint32_t bytes = std::min<uint32_t>(uint32_t(SamplesPerFrame) * 4 * 2, MaxSoundBytes);
  ReadSoundSamples(sound, bytes);
  if (!AviWriteSound(&Writer, sound, bytes)) WriteFailed();
}

void StartVideoRecording(const VideoRecordOptions& options) {
  if (CartName.empty()) return;
  std::string name, path;
  for (int n = 0; n <= MaxFileNumber && path.empty(); ++n) {
    name = CartName + "." + std::to_string(n) + ".avi";
    std::string candidate = WorkingFilePath("Videos", name);
    if (candidate.empty()) break;  // no program directory: nowhere to write
    // A running recording's file only gets its name when it stops.
    bool running = VideoRecording && candidate == Writer.path;
    if (!running && !FileExists(candidate)) path = candidate;
  }
  if (path.empty()) {
    ShowMessage("Couldn't start video recording.");
    return;
  }
  StopVideoRecording();
  if (OpenVideoRecording(path.c_str(), options))
    ShowMessage("Started video recording to '%s'.", name.c_str());
  else
    ShowMessage("Couldn't start video recording to '%s'.", name.c_str());
  Changed();
}

void StopVideoRecording() {
  if (!VideoRecording) return;
  CloseVideoRecording();
  ShowMessage("Stopped video recording.");
}

const char* VideoRecordingName() { return FileName.c_str(); }

void ResetVideoRecorder() {
  CloseVideoRecording();
  Options = VideoRecordOptions{};
  PassCount = 0;
  VideoRecorderChanged = nullptr;
  AudioVideoRecording = false;
}
