#include "app/headless_movie.h"

#include <cstdio>

#include "debugger/debugger_state.h"
#include "machine/ports.h"
#include "record/movie.h"

bool StartHeadlessMovie(const HeadlessOptions& o) {
  if (!o.record_movie.empty() && !OpenMovieRecording(o.record_movie)) {
    std::fprintf(stderr, "Couldn't write '%s'.\n", o.record_movie.c_str());
    return false;
  }
  if (o.movie.empty()) return true;
  switch (OpenMoviePlayback(o.movie)) {
    case MovieLoad::Loaded:
      BreakState = false;  // no debugger to stop in
      return true;
    case MovieLoad::Missing: std::fprintf(stderr, "Couldn't read movie '%s'.\n", o.movie.c_str()); break;
    case MovieLoad::Invalid:
      std::fprintf(stderr, "The movie '%s' has an invalid format.\n", o.movie.c_str());
      break;
  }
  return false;
}

long HeadlessFrameCount(const HeadlessOptions& o) {
  return o.movie.empty() || o.frames_given ? o.frames : MovieFrameCount();
}

void HeadlessPads(const ControllerScript& script, long frame, uint16_t words[2]) {
  // With --movie the script is empty: the pads are let go after the end.
  if (MovieState == MoviePlaying) {
    PlayMovieFrame();
    words[0] = ControllerInput[0], words[1] = ControllerInput[1];
  } else {
    ScriptInputForFrame(script, frame, words);
  }
  ControllerInput[0] = words[0], ControllerInput[1] = words[1];
  RecordMovieFrame(nullptr);
}

bool HeadlessMovieAhead() { return MovieState == MoviePlaying; }

bool FinishHeadlessMovie(const HeadlessOptions& o) {
  if (o.record_movie.empty() || CloseMovieRecording()) return true;
  std::fprintf(stderr, "Couldn't write '%s'.\n", o.record_movie.c_str());
  return false;
}
