#include "app/headless_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "record/rewind.h"

const char* const HeadlessUsage =
    "Usage: tavo-headless [options] ROM\n"
    "  --frames N          frames to run (default 600)\n"
    "  --pal | --ntsc      video standard (default ntsc)\n"
    "  --japanese          country japanese (default european)\n"
    "  --input FILE        controller script, one line per press: \"FIRST[-LAST] BUTTON...\"\n"
    "                      (frames count from 0) with BUTTON one of up down left right a b\n"
    "                      start reset, prefixed \"2:\" for controller 2\n"
    "  --record-movie FILE the run's controller input as a Tavo movie file, starting from the\n"
    "                      state after the reset (or --load-state)\n"
    "  --movie FILE        replay a Tavo movie: its state is loaded, its frames drive the pads;\n"
    "                      the run lasts the movie's length unless --frames is given\n"
    "  --rewind FRAME:SECONDS  after FRAME frames have run, go back SECONDS (5, 2.5) of play\n"
    "                      as holding the rewind key does, at most 30; the run plays on from\n"
    "                      there and still ends when --frames frames have run (the frames\n"
    "                      gone back do not count), the --input script going by the frames\n"
    "                      run; repeatable; not with --movie or --record-movie\n"
    "  --screenshot FILE   PNG of the last frame's visible picture\n"
    "  --wav FILE          the whole run's sound, 44100 Hz stereo 16-bit\n"
    "  --avi FILE          the whole run as AVI video with sound, every frame, uncompressed\n"
    "  --vgm FILE          log the whole run's sound chip output as a VGM file\n"
    "  --home DIR          program directory (cartridge RAM is read and written under\n"
    "                      DIR/SRAM); without it nothing is written\n"
    "  --bench             print one line: \"frames=N seconds=S fps=F realtime=R\"\n"
    "  --load-state FILE   a state file loaded after the cartridge, before the first frame\n"
    "  --save-state FILE   the state after the last frame, as a state file\n"
    "  --sdsc              copy the SDSC debug console's text to standard output, one line\n"
    "                      per console line as it scrolls off the screen (the rest at the end)\n"
    "  --pass REGEX        stop at the first SDSC console line matching REGEX (POSIX\n"
    "  --fail REGEX        extended) and exit 0 for --pass, 1 for --fail; a line counts when\n"
    "                      the cursor leaves it (line feed, wrap, cursor move) or at the end\n"
    "  --expect-png FILE   the last frame must equal this picture pixel for pixel; a difference\n"
    "                      prints its pixel count and bounding box and exits 3\n"
    "  --diff-png FILE     with --expect-png: a picture with the differing pixels in red\n"
    "  --screenshot-every N DIR   DIR/frameNNNNNN.png after every N frames\n"
    "  --report FILE       JSON summary: cartridge name and CRC-32, console, frames run, exit\n"
    "                      code and reason, SDSC lines, last picture CRC-32, peak sample\n"
    "                      level, seconds and fps\n"
    "  --help, -h          this text\n"
    "  --version           the program's name and version\n"
    "Exit codes: 0 passed or ran to the end, 1 failed (--fail) or the cartridge, a state or\n"
    "an output failed, 2 bad option, 3 picture differs, 4 timed out (neither --pass nor\n"
    "--fail matched within --frames), 5 the CPU stopped for good (HALT that nothing can\n"
    "end: interrupts off, or no interrupt source enabled).\n";

namespace {

constexpr long MaxFrames = 100000000;  // about 19 days of NTSC play

// The options that take one non-empty text.
std::string* StringOption(const std::string& arg, HeadlessOptions* o) {
  const struct {
    const char* name;
    std::string HeadlessOptions::*field;
  } table[] = {
      {"--input", &HeadlessOptions::input},           {"--screenshot", &HeadlessOptions::screenshot},
      {"--wav", &HeadlessOptions::wav},               {"--home", &HeadlessOptions::home},
      {"--save-state", &HeadlessOptions::save_state}, {"--load-state", &HeadlessOptions::load_state},
      {"--pass", &HeadlessOptions::pass},             {"--fail", &HeadlessOptions::fail},
      {"--expect-png", &HeadlessOptions::expect_png}, {"--diff-png", &HeadlessOptions::diff_png},
      {"--report", &HeadlessOptions::report},         {"--avi", &HeadlessOptions::avi},
      {"--vgm", &HeadlessOptions::vgm},               {"--movie", &HeadlessOptions::movie},
      {"--record-movie", &HeadlessOptions::record_movie},
  };
  for (const auto& entry : table)
    if (arg == entry.name) return &(o->*entry.field);
  return nullptr;
}

bool ParseCount(const char* text, long* value) {
  if (!*text || *text == '-' || *text == '+') return false;
  errno = 0;
  char* end;
  long n = std::strtol(text, &end, 10);
  if (errno || *end || n > MaxFrames) return false;
  *value = n;
  return true;
}

// "FRAME:SECONDS": a frame count above 0, and seconds above 0 and at most
// what the ring keeps, in decimal with an optional fraction.
bool ParseRewind(const std::string& text, HeadlessRewind* rewind) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string frame = text.substr(0, colon), seconds = text.substr(colon + 1);
  if (!ParseCount(frame.c_str(), &rewind->after_frame) || rewind->after_frame == 0) return false;
  if (seconds.empty() || seconds.find_first_not_of("0123456789.") != std::string::npos ||
      std::count(seconds.begin(), seconds.end(), '.') > 1 || seconds.front() == '.' || seconds.back() == '.')
    return false;
  rewind->seconds = std::strtod(seconds.c_str(), nullptr);
  rewind->text = text;
  return rewind->seconds > 0 && rewind->seconds <= RewindSeconds;
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
    if (arg == "--version") return ParseResult::Version;
    if (arg == "--frames") {
      std::string text;
      if (!value(&text)) return ParseResult::Bad;
      if (!ParseCount(text.c_str(), &options->frames)) {
        *error = "bad frame count '" + text + "'";
        return ParseResult::Bad;
      }
      options->frames_given = true;
    } else if (arg == "--pal") {
      options->pal = true;
    } else if (arg == "--ntsc") {
      options->pal = false;
    } else if (arg == "--japanese") {
      options->japanese = true;
    } else if (arg == "--bench") {
      options->bench = true;
    } else if (arg == "--sdsc") {
      options->sdsc = true;
    } else if (arg == "--screenshot-every") {
      std::string text;
      if (!value(&text) || !value(&options->screenshot_dir)) return ParseResult::Bad;
      if (!ParseCount(text.c_str(), &options->screenshot_every) || options->screenshot_every == 0 ||
          options->screenshot_dir.empty()) {
        *error = "--screenshot-every needs a frame count above 0 and a folder";
        return ParseResult::Bad;
      }
    } else if (arg == "--rewind") {
      std::string text;
      if (!value(&text)) return ParseResult::Bad;
      HeadlessRewind rewind;
      if (!ParseRewind(text, &rewind)) {
        *error = "bad rewind '" + text + "': FRAME:SECONDS with a frame count above 0 and seconds above 0, at most " +
                 std::to_string(RewindSeconds);
        return ParseResult::Bad;
      }
      options->rewinds.push_back(rewind);
    } else if (std::string* target = StringOption(arg, options)) {
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
  if (!options->movie.empty() &&
      !(options->input.empty() && options->load_state.empty() && options->record_movie.empty())) {
    *error = "--movie brings its own state and input: no --input, --load-state or --record-movie";
    return ParseResult::Bad;
  }
  if (!options->rewinds.empty() && !(options->movie.empty() && options->record_movie.empty())) {
    *error = "--rewind goes back in the play, which a movie cannot: not with --movie or --record-movie";
    return ParseResult::Bad;
  }
  // Several at one frame act in the order given.
  std::stable_sort(options->rewinds.begin(), options->rewinds.end(),
                   [](const HeadlessRewind& a, const HeadlessRewind& b) { return a.after_frame < b.after_frame; });
  if (!options->diff_png.empty() && options->expect_png.empty()) {
    *error = "--diff-png needs --expect-png";
    return ParseResult::Bad;
  }
  return ParseResult::Run;
}
