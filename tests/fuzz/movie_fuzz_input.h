// One fuzz input for the movie reader: offered as a movie file to the fuzz
// machine of the state reader; one that is taken is played to its end, the
// first frames on the running machine.
#pragma once
#include "record/movie.h"
#include "tests/fuzz/state_fuzz_input.h"

inline void RunMovieFuzzInput(const uint8_t* data, size_t size) {
  static bool ready = PrepareStateFuzzMachine();
  if (!ready || !InstallMovieImage(data, size)) return;
  BreakState = false;
  for (int frame = 0; frame < 3 && MovieState == MoviePlaying; ++frame) {
    PlayMovieFrame();
    RunConsoleFrame(true, true);
  }
  while (MovieState == MoviePlaying) PlayMovieFrame();
  ResetMovies();
}
