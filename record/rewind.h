// Rewind: the states the emulation went through, kept in memory frame by
// frame so that the emulation can go back and play on from an earlier
// frame (the rewind key, tavo-headless --rewind).
//
// Before every frame the caller records the frame's controller words and
// sound flag, and on every RewindImageInterval-th frame the ring takes the
// whole state image (record/save_state.h) as well. The newest image is kept
// whole; every older one only as its packed XOR delta to the next newer one
// (record/state_delta.h), so that going back is deltas applied to the newest
// image, and dropping the oldest frames is dropping their delta. Going back
// to a frame installs the image at or before it and runs the frames between
// again. The ring keeps RewindSeconds of frames at the frame rate and never
// more than RewindMemoryLimit bytes in all, dropping the oldest first.
//
// The ring holds a run of frames without gaps: whatever changes the
// machine outside the frames it saw (a reset, a cartridge or state load,
// the debugger, a movie) clears it, the caller for the commands and
// RewindAvailable for the rest.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int RewindSeconds = 30;
// An image every second frame: building and packing one costs about 3 us,
// which every frame would be close to a tenth of a fast frame's time (bench/
// rewind.cpp); going back then runs at most one frame more.
constexpr size_t RewindImageInterval = 2;
constexpr size_t RewindMemoryLimit = size_t(60) << 20;

// Whether frames are recorded and the emulation may go back now: a Master
// System / Game Gear state exists, and neither the debugger (break state or
// run) nor a movie (recorded or played) has the machine. While it is false
// nothing is recorded and the ring is empty.
bool RewindAvailable();
// Why not, as the message the rewind key shows ("Can't rewind while a
// movie plays." and the like); nullptr when rewinding is available.
const char* RewindRefusal();
void ClearRewind();

// Just before a frame runs (after its input is set and a pause NMI raised):
// the state and the frame's input. Clears the ring instead when rewinding is
// not available; starts afresh when the image changed size (link play
// switched).
void RecordRewindFrame(bool sound);

// Goes back `frames` frames (as far as the ring reaches) and shows the frame
// reached: installs the image at or before it and runs the frames up to it
// and itself again with their recorded input, its picture drawn, the debugger's watchers and the VGM logger
// not told, and its sound dropped (rewinding is silent). Then the machine is
// as it was after that frame and plays on from there; the frames after it
// are gone from the ring. The frames gone back; 0 when the ring holds no
// earlier frame (nothing changes).
int RewindFrames(int frames);

// Frames the ring can go back now, and the bytes it holds.
int RewindFramesKept();
size_t RewindMemoryUsed();
// The frames the ring keeps at most at the present frame rate.
int RewindFrameLimit();

// Empty ring, memory released (tests, shutdown).
void ResetRewind();
