// Command-line options of the headless runner.
#pragma once
#include <string>

struct HeadlessOptions {
  std::string rom;
  long frames = 600;
  bool pal = false;
  bool japanese = false;
  std::string input;       // controller script
  std::string screenshot;  // PNG of the last frame
  std::string wav;         // the whole run's sound
  std::string avi;         // the whole run as video, default codec
  std::string vgm;         // the whole run's sound chip output as a VGM log
  std::string home;        // program directory; empty: nothing is written
  bool bench = false;
};

extern const char* const HeadlessUsage;

enum class ParseResult { Run, Help, Bad };
// Bad: `error` says why (the caller prints it with the usage).
ParseResult ParseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions* options,
                                 std::string* error);
