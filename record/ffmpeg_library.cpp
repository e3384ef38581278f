#include "record/ffmpeg_library.h"

#include <dlfcn.h>

#include <cstdio>

FFmpegFunctions FFmpeg;

namespace {

const char* const DefaultNames[FFmpegLibraryCount] = {
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
    "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
};

enum class LoadState { NotTried, Loaded, Failed };
LoadState State = LoadState::NotTried;
char Error[512] = "";

// Keeps the reason, as "call(): text", and empties the table. What did
// open stays loaded: not every library FFmpeg brings in is safe to unload,
// and this happens at most once a run.
void Fail(const char* call, const char* text) {
  std::snprintf(Error, sizeof Error, "%s(): %s", call, text ? text : "unknown error");
  FFmpeg = FFmpegFunctions{};
  State = LoadState::Failed;
}

// The function from the first library that has it; none when none has.
void* Find(void* const* handles, const char* name) {
  for (int i = 0; i < FFmpegLibraryCount; ++i)
    if (void* address = dlsym(handles[i], name)) return address;
  char text[128];
  std::snprintf(text, sizeof text, "undefined symbol: %s", name);
  Fail("dlsym", text);
  return nullptr;
}

}  // namespace

const char* FFmpegLibraryNames[FFmpegLibraryCount] = {DefaultNames[0], DefaultNames[1], DefaultNames[2],
                                                      DefaultNames[3]};

bool LoadFFmpeg() {
  if (State != LoadState::NotTried) return State == LoadState::Loaded;
  void* handles[FFmpegLibraryCount];
  for (int i = 0; i < FFmpegLibraryCount; ++i) {
    handles[i] = dlopen(FFmpegLibraryNames[i], RTLD_NOW | RTLD_LOCAL);
    if (!handles[i]) {
      Fail("dlopen", dlerror());
      return false;
    }
  }
#define TAVO_FFMPEG_FIND(name)                                             \
  FFmpeg.name = reinterpret_cast<decltype(&::name)>(Find(handles, #name)); \
  if (!FFmpeg.name) return false;
  TAVO_FFMPEG_FUNCTIONS(TAVO_FFMPEG_FIND)
#undef TAVO_FFMPEG_FIND
  State = LoadState::Loaded;
  return true;
}

const char* FFmpegLoadError() { return Error; }

void ResetFFmpegLibrary() {
  FFmpeg = FFmpegFunctions{};
  for (int i = 0; i < FFmpegLibraryCount; ++i) FFmpegLibraryNames[i] = DefaultNames[i];
  State = LoadState::NotTried;
  Error[0] = '\0';
}
