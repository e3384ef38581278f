// A small WAV writer for the sound the PSG renders: 44100 Hz, stereo,
// signed 16-bit little-endian samples.
#pragma once
#include <cstdint>
#include <cstdio>

struct WavWriter {
  FILE* File = nullptr;
  uint32_t DataBytes = 0;  // sample bytes written so far
  bool Failed = false;     // a write failed; closing reports it
};

constexpr uint32_t WavHeaderBytes = 44;

// Creates (truncating) the file and writes a header for an empty recording;
// on failure nothing stays open.
bool WavOpen(WavWriter* wav, const char* path);
// Appends whole stereo sample frames (bytes a multiple of 4).
bool WavWrite(WavWriter* wav, const void* samples, uint32_t bytes);
// Patches the sizes into the header and closes; false if anything failed.
bool WavClose(WavWriter* wav);
