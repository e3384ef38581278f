// Command-line options of the headless runner.
#pragma once
#include <string>
#include <vector>

// --rewind FRAME:SECONDS: after FRAME frames have run, go back SECONDS of
// emulated time (record/rewind.h).
struct HeadlessRewind {
  long after_frame = 0;
  double seconds = 0;
  std::string text;  // as given, for messages
};

struct HeadlessOptions {
  std::string rom;
  long frames = 600;
  bool frames_given = false;  // --movie runs the movie's length otherwise
  bool pal = false;
  bool japanese = false;
  std::string input;       // controller script
  std::string screenshot;  // PNG of the last frame
  std::string wav;         // the whole run's sound
  std::string avi;         // the whole run as video, default codec
  std::string vgm;         // the whole run's sound chip output as a VGM log
  std::string home;        // program directory; empty: nothing is written
  bool bench = false;
  // Save states, the SDSC console and the test-runner verdicts
  // (app/headless_verdict.h).
  std::string save_state, load_state;
  bool sdsc = false;
  std::string pass, fail;        // patterns of SDSC console lines
  std::string expect_png, diff_png;
  long screenshot_every = 0;
  std::string screenshot_dir;
  std::string report;            // JSON summary
  std::string record_movie;      // the run's input as a movie file
  std::string movie;             // a movie file whose state and input drive the run
  std::vector<HeadlessRewind> rewinds;  // in the order they act
};

extern const char* const HeadlessUsage;

enum class ParseResult { Run, Help, Version, Bad };
// Bad: `error` says why (the caller prints it with the usage).
ParseResult ParseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions* options,
                                 std::string* error);
