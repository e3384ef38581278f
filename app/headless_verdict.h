// The headless runner as a test runner: SDSC console lines copied to the
// output and matched against --pass / --fail, a CPU stopped for good, the
// last picture compared with a reference, periodic screenshots, save states
// before and after the run, and the JSON report. With none of these options
// the run loop pays one check per frame.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/headless_options.h"

enum HeadlessExit {
  ExitPassed = 0,  // also: ran to the end
  ExitFailed = 1,  // --fail matched, or the cartridge, a state or an output failed
  ExitBadOption = 2,
  ExitPictureDiffers = 3,
  ExitTimedOut = 4,
  ExitHalted = 5,  // the CPU stopped for good
};

// Before the cartridge: compiles the patterns, reads the reference picture,
// creates the screenshot folder, hooks the SDSC console. False (exit 2) with
// `error` saying why.
bool StartVerdict(const HeadlessOptions& options, std::string* error);
// After the cartridge and its reset: --load-state. False when it failed
// (the message is printed).
bool LoadStartState(const HeadlessOptions& options);
// After each frame, with the frame's samples: true when the run stops here
// (a line matched, or the CPU stopped for good). `nmi_ahead`: a scripted
// pause press may still raise the NMI.
bool VerdictAfterFrame(long frames_run, const int16_t* samples, size_t count, bool nmi_ahead);
// After the run: the last line, the transcript's rest, the picture compare,
// --save-state and the report. Returns the exit code; `status` is the run's
// own (1 for a cartridge, state or output failure, 0 otherwise); `loaded`
// whether the cartridge was.
int FinishVerdict(const HeadlessOptions& options, int status, bool loaded, long frames_run, double seconds);
// Back to the state of a fresh process, hooks removed (tests).
void ResetVerdict();

// Shared by the runner's own files.
struct VerdictRecord {
  std::string reason;          // "passed", "failed", "timed out", ...
  int exit_code = 0;
  long frames = 0;
  double seconds = 0;
  int peak = 0;                // largest sample magnitude
  std::vector<std::string> sdsc_lines;  // the console's transcript
  long sdsc_dropped = 0;                 // lines beyond the report's limit
};
// The report of a finished run, written whole or not at all.
bool WriteHeadlessReport(const std::string& path, const VerdictRecord& record);
// JSON string contents: quotes, backslashes and control characters escaped,
// bytes that are not UTF-8 taken as Latin-1.
std::string JsonEscape(const std::string& text);
// Compares the last picture with the reference (read by StartVerdict);
// prints the difference and writes `diff_png` when given. True when equal.
bool LoadReferencePicture(const std::string& path);
bool PictureMatchesReference(const std::string& reference_name, const std::string& diff_png);
void ReleaseReferencePicture();
