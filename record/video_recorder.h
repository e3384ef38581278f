// The video recorder: the primary machine's picture and sound to an AVI
// file "NAME.N.avi" in "Videos" (NAME the cartridge, N the first free
// number 0-255), with the codec, frame rate and motion blur the user picks.
// While it records, the sound output plays silence (AudioVideoRecording)
// and the recorder takes the machine's samples.
#pragma once
#include <cstdint>

#include "record/video_codecs.h"

struct VideoRecordOptions {
  bool full_frame_rate = true;  // a picture every pass; else every second pass
  bool motion_blur = false;     // each picture the mean of the last two frames
  uint32_t codec = UncompressedCode;  // an entry of the codec list; others fall back to it
};

extern bool VideoRecording;
// Called when a recording starts or stops (the recorder window's buttons).
extern void (*VideoRecorderChanged)();

// The Record button: with a cartridge, stops any recording and starts one
// in the next free file, reporting "Started video recording to '%s'." or a
// Couldn't line. Without a cartridge name nothing happens.
void StartVideoRecording(const VideoRecordOptions& options);
// The Stop button and shutdown: finishes the file (its index written) and
// reports "Stopped video recording."; nothing when not recording.
void StopVideoRecording();
// Once per main-loop pass while recording, before the pass's frames run:
// the picture on every pass (full frame rate) or every even pass, and two
// frames of the machine's sound on even passes. A failed write reports,
// stops the recording and keeps what was written; the emulation goes on.
void CaptureVideoPass();

// The file of the running recording (without folder), "" when none.
const char* VideoRecordingName();

// Starts recording to `path` without messages; failures print the library
// call and its error text. The headless runner and the tests use it.
bool OpenVideoRecording(const char* path, const VideoRecordOptions& options);
// One picture, whatever the frame rate option, and the given sound.
void CaptureVideoFrame(const void* samples, uint32_t bytes);
// Finishes the file without a message; false when anything failed.
bool CloseVideoRecording();

// Back to the start state, closing any recording (tests).
void ResetVideoRecorder();
