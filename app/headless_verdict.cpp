#include "app/headless_verdict.h"

#include <regex.h>
#include <sys/stat.h>

#include <cstdio>

#include "base/safe_file.h"
#include "debugger/debugger_state.h"
#include "debugger/sdsc.h"
#include "lumo/png.h"
#include "lumo/surface.h"
#include "machine/cartridge.h"
#include "machine/console.h"
#include "machine/machine.h"
#include "machine/options.h"
#include "record/save_state.h"
#include "record/screenshot.h"

namespace {

constexpr size_t ReportLineLimit = 10000;

enum class Verdict { None, Passed, Failed };

// The runner's state for one run, kept in one place.
struct Runner {
  bool sdsc = false, keep_lines = false, peak = false;
  bool patterns = false;
  regex_t pass_re{}, fail_re{};
  bool have_pass = false, have_fail = false;
  Verdict verdict = Verdict::None;
  std::string matched_line;
  long frames = 0;  // frames run when a line matched
  bool halted = false;
  uint16_t halted_pc = 0;
  bool halted_interrupts_off = false;
  long screenshot_every = 0;
  std::string screenshot_dir;
  bool screenshot_failed = false;
  VerdictRecord record;
};
Runner R;

void Transcribe(const std::string& text) {
  if (R.sdsc) std::printf("%s\n", text.c_str());
  if (!R.keep_lines) return;
  if (R.record.sdsc_lines.size() < ReportLineLimit)
    R.record.sdsc_lines.push_back(text);
  else
    ++R.record.sdsc_dropped;
}

// A console line the cursor left: the first one matching a pattern decides.
void MatchLine(const std::string& text) {
  if (R.verdict != Verdict::None) return;
  // A line matching both counts as a failure.
  if (R.have_fail && regexec(&R.fail_re, text.c_str(), 0, nullptr, 0) == 0) {
    R.verdict = Verdict::Failed;
  } else if (R.have_pass && regexec(&R.pass_re, text.c_str(), 0, nullptr, 0) == 0) {
    R.verdict = Verdict::Passed;
  } else {
    return;
  }
  R.matched_line = text;
}

bool Compile(regex_t* re, const std::string& pattern, const char* option, std::string* error) {
  if (regcomp(re, pattern.c_str(), REG_EXTENDED | REG_NOSUB) == 0) return true;
  *error = std::string("bad regular expression for ") + option + ": '" + pattern + "'";
  return false;
}

// Whether the machine sits on a HALT that nothing can end: interrupts off
// (and no NMI to come), or on with the line released and both VDP
// interrupt sources disabled.
bool StoppedForGood(const Machine& m, bool nmi_ahead) {
  const Z80Registers& r = m.SavedRegisters;
  if (!m.SavedHalted || nmi_ahead) return false;
  if (!r.iff1) return true;
  return m.SavedIrqLine < 0 && !(m.Vdp.regs[1] & 0x20) && !(m.Vdp.regs[0] & 0x10);
}

void TakePeriodicScreenshot(long frames_run) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame%06ld.png", frames_run);
  const std::string path = R.screenshot_dir + name;
  Surface* picture = CopyEmulatedPicture();
  bool ok = picture && SavePng(path.c_str(), picture);
  DestroySurface(picture);
  if (!ok && !R.screenshot_failed) std::fprintf(stderr, "Couldn't write '%s'.\n", path.c_str());
  R.screenshot_failed |= !ok;
}

const char* HaltText() {
  return R.halted_interrupts_off ? "interrupts off" : "no interrupt source enabled";
}

}  // namespace

bool StartVerdict(const HeadlessOptions& o, std::string* error) {
  ResetVerdict();
  // There is no debugger to stop in: a program's break request is ignored.
  ConsoleBreakHook = nullptr;
  R.sdsc = o.sdsc;
  R.keep_lines = !o.report.empty();
  R.peak = !o.report.empty();
  if (!o.pass.empty() && !(R.have_pass = Compile(&R.pass_re, o.pass, "--pass", error))) return false;
  if (!o.fail.empty() && !(R.have_fail = Compile(&R.fail_re, o.fail, "--fail", error))) return false;
  R.patterns = R.have_pass || R.have_fail;
  if (R.patterns) ConsoleLineHook = MatchLine;
  if (R.sdsc || R.keep_lines) ConsoleTranscriptHook = Transcribe;
  if (!o.expect_png.empty() && !LoadReferencePicture(o.expect_png)) {
    *error = "couldn't read the reference picture '" + o.expect_png + "'";
    return false;
  }
  R.screenshot_every = o.screenshot_every;
  R.screenshot_dir = o.screenshot_dir;
  if (R.screenshot_every) {
    mkdir(R.screenshot_dir.c_str(), 0755);  // an existing folder is fine
    struct stat info;
    if (stat(R.screenshot_dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      *error = "couldn't make the folder '" + R.screenshot_dir + "'";
      return false;
    }
  }
  return true;
}

bool LoadStartState(const HeadlessOptions& o) {
  if (o.load_state.empty()) return true;
  FILE* file = OpenRegularFile(o.load_state);
  bool break_request = false;
  bool ok = InstallStateFile(file, &break_request);
  if (file) std::fclose(file);
  BreakState = false;  // no debugger here
  if (!ok) std::fprintf(stderr, "Couldn't load state '%s'.\n", o.load_state.c_str());
  return ok;
}

bool VerdictAfterFrame(long frames_run, const int16_t* samples, size_t count, bool nmi_ahead) {
  if (R.peak) {
    for (size_t i = 0; i < count; ++i) {
      int level = samples[i] < 0 ? -samples[i] : samples[i];
      if (level > R.record.peak) R.record.peak = level;
    }
  }
  if (R.screenshot_every && frames_run % R.screenshot_every == 0) TakePeriodicScreenshot(frames_run);
  if (R.verdict != Verdict::None) {
    R.frames = frames_run;
    return true;
  }
  if (ConsoleKind != 1 || !CartImage || !CartBanks) return false;
  bool stopped = StoppedForGood(PrimaryMachine, nmi_ahead);
  if (stopped && (MachineOptions & OptLink)) stopped = StoppedForGood(PartnerMachine, false);
  if (!stopped) return false;
  R.halted = true;
  // PC is past the HALT while halted.
  R.halted_pc = uint16_t(PrimaryMachine.SavedRegisters.pc - 1);
  R.halted_interrupts_off = !PrimaryMachine.SavedRegisters.iff1;
  R.frames = frames_run;
  return true;
}

int FinishVerdict(const HeadlessOptions& o, int status, bool loaded, long frames_run, double seconds) {
  // The line under the cursor counts at the end of the run.
  if (R.patterns && status == 0) MatchLine(ConsoleRowText(Console.cursor_row));
  if (R.sdsc || R.keep_lines) FlushConsoleTranscript();
  if (R.sdsc) std::fflush(stdout);
  if (R.screenshot_failed && status == 0) status = ExitFailed;
  if (!o.save_state.empty() && status == 0 && !WriteStateFile(o.save_state)) {
    std::fprintf(stderr, "Couldn't save state as '%s'.\n", o.save_state.c_str());
    status = ExitFailed;
  }
  bool picture_differs = false;
  if (!o.expect_png.empty() && status == 0) picture_differs = !PictureMatchesReference(o.expect_png, o.diff_png);

  std::string reason;
  int code;
  if (status != 0) {
    code = status;
    reason = loaded ? "error" : "cartridge not loaded";
  } else if (R.verdict == Verdict::Failed) {
    code = ExitFailed, reason = "failed";
  } else if (picture_differs) {
    code = ExitPictureDiffers, reason = "picture differs";
  } else if (R.verdict == Verdict::Passed) {
    code = ExitPassed, reason = "passed";
  } else if (R.halted) {
    code = ExitHalted, reason = "halted";
  } else if (R.patterns) {
    code = ExitTimedOut, reason = "timed out";
  } else {
    code = ExitPassed, reason = "finished";
  }
  if (R.verdict != Verdict::None)
    std::fprintf(stderr, "%s at frame %ld: %s\n", R.verdict == Verdict::Passed ? "passed" : "failed",
                 R.frames ? R.frames : frames_run, R.matched_line.c_str());
  else if (R.halted && status == 0)
    std::fprintf(stderr, "CPU stopped for good at frame %ld: HALT at $%04X with %s\n", R.frames, R.halted_pc,
                 HaltText());
  else if (code == ExitTimedOut)
    std::fprintf(stderr, "timed out after %ld frames\n", frames_run);

  if (!o.report.empty()) {
    R.record.reason = reason;
    R.record.exit_code = code;
    R.record.frames = frames_run;
    R.record.seconds = seconds;
    if (!WriteHeadlessReport(o.report, R.record)) {
      std::fprintf(stderr, "Couldn't write '%s'.\n", o.report.c_str());
      if (code == ExitPassed) code = ExitFailed;
    }
  }
  ReleaseReferencePicture();
  return code;
}

void ResetVerdict() {
  if (R.have_pass) regfree(&R.pass_re);
  if (R.have_fail) regfree(&R.fail_re);
  R = Runner{};
  ConsoleLineHook = nullptr;
  ConsoleTranscriptHook = nullptr;
  ReleaseReferencePicture();
}
