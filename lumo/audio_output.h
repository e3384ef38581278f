// Sound output: 44100 Hz 16-bit stereo from a looping ring of six blocks of
// one video frame each (735 x 4 bytes NTSC, 882 x 4 PAL). SDL's audio
// callback plays the ring and advances the play cursor; once per main-loop
// pass AudioFeed refills, with whole blocks only, the blocks the cursor has
// left behind, keeping three to five frames queued ahead of it.
//
// The SDL device pulls 512 sample frames (11.6 ms) per callback: less than
// one block, so the cursor moves on in steps smaller than a frame and the
// feed sees each block come free in the pass after it was played. At a
// steady 60 passes per second each pass frees and refills about one block,
// so the ring never runs dry and holds at most five frames (83 ms) ahead.
#pragma once
#include <cstdint>

constexpr int AudioBlockCount = 6;
constexpr int AudioSampleRate = 44100;
constexpr int AudioBytesPerFrame = 4;      // 16-bit left and right
constexpr int AudioDeviceFrames = 512;     // sample frames per SDL callback

// Opens the default sound device and starts playing silence. 0 on success
// (also when already started), otherwise -1 with the reason in AudioError();
// sound then stays stopped and the program runs silent.
int AudioStart();
// Closes the device. Nothing when not started.
void AudioStop();
bool AudioStarted();
const char* AudioError();
// Starts or stops the output as Config.sound_enabled asks; the result of
// AudioStart, or 0.
int AudioApplySoundEnabled();
// Refills the blocks the play cursor has left, from the first source that
// applies: silence while the program is inactive; AudioVgmSource while set;
// silence while AudioVideoRecording, Paused or BreakState; else the machine's
// samples (ReadSoundSamples). A source that cannot fill a whole block ends
// the refill for this pass and the block keeps its old sound. A change of
// the video standard (SamplesPerFrame) restarts the output first.
void AudioFeed();

// Hooks of the recorders. The VGM player sets AudioVgmSource while a file
// plays (it fills the whole buffer or returns false and leaves it); the video
// recorder sets AudioVideoRecording while it records, as it takes the
// machine's samples itself.
extern bool (*AudioVgmSource)(void* buffer, uint32_t bytes);
extern bool AudioVideoRecording;

// The play cursor: byte offset in the ring, 0 to 6 x block size - 1. Tests
// put a fake here to schedule blocks.
extern uint32_t (*AudioPlayCursor)();
uint32_t AudioBlockSize();       // bytes; 0 when stopped
int AudioNextBlock();            // the next block to write
const uint8_t* AudioRingData();  // the six blocks; none when stopped

void ResetAudio();  // stops the output and restores the hooks (tests)
