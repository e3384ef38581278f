// Input movies: both controllers' input recorded frame by frame, with text
// messages on single frames, from a save state taken when recording starts.
#pragma once
#include <cstdint>

enum MovieMode : uint8_t { MovieIdle = 0, MoviePlaying = 1, MovieRecording = 2 };
extern uint8_t MovieState;

// Called by the main loop before every emulated frame. Recording: the live
// controller words are appended, with the message of this frame (none:
// nullptr). Playing: the recorded words replace the live ones; the frame's
// message is returned (nullptr when none).
void RecordMovieFrame(const char* message);
const char* PlayMovieFrame();
void StopMovieRecording();
void StopMoviePlayback();
