// Sound output on SDL audio. The callback runs on SDL's audio thread and
// shares one atomic with the main thread: the count of bytes played. The
// main thread writes only blocks the cursor has already left, and the
// callback reads only from the cursor on, so the two never touch the same
// bytes; the atomic's read-modify-writes order the writes before the reads.
#include "lumo/audio_output.h"

#include <SDL.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "config/config.h"
#include "machine/console.h"
#include "machine/machine.h"

namespace {

// Module state.
struct AudioModule {
  SDL_AudioDeviceID device = 0;
  std::vector<uint8_t> ring;  // six blocks
  uint32_t block_size = 0;
  int next_block = 0;
  bool initialised = false;
  bool feeding = false;
  bool subsystem = false;
  std::string error;
};
AudioModule g_audio;
// Bytes the device has taken from the ring since the start.
std::atomic<uint64_t> g_played{0};

void PlayRing(void*, Uint8* stream, int length) {
  const uint8_t* ring = g_audio.ring.data();
  const uint64_t size = g_audio.ring.size();
  uint64_t position = g_played.load(std::memory_order_acquire) % size;
  for (int done = 0; done < length;) {
    const int part = int(std::min<uint64_t>(uint64_t(length - done), size - position));
    std::memcpy(stream + done, ring + position, size_t(part));
    done += part;
    position = 0;
  }
  g_played.fetch_add(uint64_t(length), std::memory_order_acq_rel);
}

uint32_t DevicePlayCursor() {
  if (g_audio.ring.empty()) return 0;
  return uint32_t(g_played.load(std::memory_order_acquire) % g_audio.ring.size());
}

int Fail(const char* what) {
  g_audio.error = std::string(what) + ": " + SDL_GetError();
  AudioStop();
  return -1;
}

// One block from the source that applies now; false when the source had
// less than a block, and then the block is left as it was.
bool FillBlock(uint8_t* block, uint32_t bytes) {
  uint8_t samples[882 * AudioBytesPerFrame * 2];
  if (bytes > sizeof samples) return false;
  if (!AppActive || (!AudioVgmSource && (AudioVideoRecording || Paused || BreakState))) {
    std::memset(block, 0, bytes);
    return true;
  }
  const bool whole = AudioVgmSource ? AudioVgmSource(samples, bytes) : ReadSoundSamples(samples, bytes);
  if (whole) std::memcpy(block, samples, bytes);
  return whole;
}

}  // namespace

bool (*AudioVgmSource)(void* buffer, uint32_t bytes) = nullptr;
bool AudioVideoRecording = false;
uint32_t (*AudioPlayCursor)() = DevicePlayCursor;

int AudioStart() {
  if (g_audio.initialised) return 0;
  g_audio.error.clear();
  g_audio.block_size = uint32_t(SamplesPerFrame) * AudioBytesPerFrame;
  g_audio.next_block = 0;
  g_audio.ring.assign(size_t(g_audio.block_size) * AudioBlockCount, 0);
  g_played.store(0, std::memory_order_release);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail("SDL audio");
  g_audio.subsystem = true;
  SDL_AudioSpec want{};
  want.freq = AudioSampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = AudioDeviceFrames;
  want.callback = PlayRing;
  // SDL converts when the device wants another format.
  g_audio.device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (!g_audio.device) return Fail("SDL audio device");
  g_audio.initialised = true;
  g_audio.feeding = true;
  SDL_PauseAudioDevice(g_audio.device, 0);
  return 0;
}

void AudioStop() {
  g_audio.initialised = false;
  g_audio.feeding = false;
  if (g_audio.device) SDL_CloseAudioDevice(g_audio.device);  // waits for the callback
  g_audio.device = 0;
  if (g_audio.subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  g_audio.subsystem = false;
  g_audio.ring.clear();
  g_audio.block_size = 0;
}

bool AudioStarted() { return g_audio.initialised; }
const char* AudioError() { return g_audio.error.c_str(); }

int AudioApplySoundEnabled() {
  if (Config.sound_enabled) return AudioStart();
  AudioStop();
  return 0;
}

void AudioFeed() {
  if (!g_audio.feeding) return;
  if (uint32_t(SamplesPerFrame) * AudioBytesPerFrame != g_audio.block_size) {
    AudioStop();  // NTSC <-> PAL: blocks of the new frame size
    if (AudioStart() != 0) return;
  }
  const uint32_t size = g_audio.block_size;
  const int playing = int(AudioPlayCursor() / size % AudioBlockCount);
  int& next = g_audio.next_block;
  // Refill while the block under the cursor is 1 to 3 blocks past the next
  // one to write: the blocks between were played and not yet overtaken.
  bool wrote = false;
  for (;;) {
    const int behind = (playing - next + AudioBlockCount) % AudioBlockCount;
    if (behind < 1 || behind > 3) break;
    if (!FillBlock(g_audio.ring.data() + size_t(next) * size, size)) break;
    wrote = true;
    next = (next + 1) % AudioBlockCount;
  }
  if (wrote) g_played.fetch_add(0, std::memory_order_release);  // hands the writes to the callback
}

uint32_t AudioBlockSize() { return g_audio.block_size; }
int AudioNextBlock() { return g_audio.next_block; }
const uint8_t* AudioRingData() { return g_audio.ring.empty() ? nullptr : g_audio.ring.data(); }

void ResetAudio() {
  AudioStop();
  g_audio.error.clear();
  AudioVgmSource = nullptr;
  AudioVideoRecording = false;
  AudioPlayCursor = DevicePlayCursor;
}
