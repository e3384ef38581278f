// Movies in the headless runner: --record-movie writes the run's pads as a
// movie from the start state, --movie replays one (its state, then its
// frames on the pads).
#pragma once
#include <cstdint>

#include "app/headless_options.h"
#include "app/headless_script.h"

// After the cartridge, its reset and --load-state: takes the start state or
// loads the movie. False when that failed (the message is printed).
bool StartHeadlessMovie(const HeadlessOptions& options);
// The frames to run: --frames, or the movie's length when only --movie says.
long HeadlessFrameCount(const HeadlessOptions& options);
// Sets the two controller words of a frame: the movie's while one plays,
// else the script's (none after a movie's end). A recording takes them down.
void HeadlessPads(const ControllerScript& script, long frame, uint16_t words[2]);
// A movie still supplies input (its pause presses may still come).
bool HeadlessMovieAhead();
// Writes the recorded movie; false when it could not be written (printed).
bool FinishHeadlessMovie(const HeadlessOptions& options);
