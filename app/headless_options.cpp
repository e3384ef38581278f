#include "app/headless_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const HeadlessUsage =
    "Usage: tavo-headless [options] ROM\n"
    "  --frames N          frames to run (default 600)\n"
    "  --pal | --ntsc      video standard (default ntsc)\n"
    "  --japanese          country japanese (default european)\n"
    "  --input FILE        controller script, one line per press: \"FIRST[-LAST] BUTTON...\"\n"
    "                      (frames count from 0) with BUTTON one of up down left right a b\n"
    "                      start reset, prefixed \"2:\" for controller 2\n"
    "  --screenshot FILE   PNG of the last frame's visible picture\n"
    "  --wav FILE          the whole run's sound, 44100 Hz stereo 16-bit\n"
    "  --avi FILE          the whole run as AVI video with sound, every frame, uncompressed\n"
    "  --vgm FILE          log the whole run's sound chip output as a VGM file\n"
    "  --home DIR          program directory (cartridge RAM is read and written under\n"
    "                      DIR/SRAM); without it nothing is written\n"
    "  --bench             print one line: \"frames=N seconds=S fps=F realtime=R\"\n";

namespace {

constexpr long MaxFrames = 100000000;  // about 19 days of NTSC play

bool ParseCount(const char* text, long* value) {
  if (!*text || *text == '-' || *text == '+') return false;
  errno = 0;
  char* end;
  long n = std::strtol(text, &end, 10);
  if (errno || *end || n > MaxFrames) return false;
  *value = n;
  return true;
}

}  // namespace

ParseResult ParseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions* options,
                                 std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") return ParseResult::Help;
    if (arg == "--frames") {
      std::string text;
      if (!value(&text)) return ParseResult::Bad;
      if (!ParseCount(text.c_str(), &options->frames)) {
        *error = "bad frame count '" + text + "'";
        return ParseResult::Bad;
      }
    } else if (arg == "--pal") {
      options->pal = true;
    } else if (arg == "--ntsc") {
      options->pal = false;
    } else if (arg == "--japanese") {
      options->japanese = true;
    } else if (arg == "--bench") {
      options->bench = true;
    } else if (arg == "--input" || arg == "--screenshot" || arg == "--wav" || arg == "--avi" ||
               arg == "--vgm" ||
               arg == "--home") {
      std::string* target = arg == "--input"        ? &options->input
                            : arg == "--screenshot" ? &options->screenshot
                            : arg == "--wav"        ? &options->wav
                            : arg == "--avi"        ? &options->avi
                            : arg == "--vgm"        ? &options->vgm
                                                    : &options->home;
      if (!value(target)) return ParseResult::Bad;
      if (target->empty()) {
        *error = "option " + arg + " needs a non-empty value";
        return ParseResult::Bad;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown option " + arg;
      return ParseResult::Bad;
    } else if (options->rom.empty()) {
      options->rom = arg;
    } else {
      *error = "more than one ROM given";
      return ParseResult::Bad;
    }
  }
  if (options->rom.empty()) {
    *error = "no ROM given";
    return ParseResult::Bad;
  }
  return ParseResult::Run;
}
