#include "record/rewind.h"

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "debugger/sdsc.h"
#include "machine/console.h"
#include "machine/fm_unit.h"
#include "machine/machine.h"
#include "machine/ports.h"
#include "record/movie.h"
#include "record/save_state.h"
#include "record/state_delta.h"

namespace {

// One frame run, with what it ran with and, on every RewindImageInterval-th
// frame, the state before it: whole for the newest such frame, else as the
// delta to the next newer one.
struct RewindFrame {
  std::vector<uint8_t> delta;  // image frames but the newest
  uint16_t pads[2];
  bool sound;
  bool image;
};

struct RewindRing {
  std::deque<RewindFrame> frames;  // oldest first; the oldest is an image frame
  size_t newest_image = 0;         // index of the newest image frame
  std::vector<uint8_t> newest;     // the state before it
  std::vector<uint8_t> building;   // the image being recorded
  std::vector<uint8_t> packing;    // its delta being packed
  size_t delta_bytes = 0;
};
RewindRing R;

// The frames' own records, the bookkeeping a delta's allocation carries and
// the images kept whole.
constexpr size_t FrameOverhead = sizeof(RewindFrame) + 16;

size_t MemoryUsed() {
  return R.delta_bytes + R.frames.size() * FrameOverhead + R.newest.capacity() + R.building.capacity() +
         R.packing.capacity();
}

void ForgetDelta(RewindFrame* frame) {
  R.delta_bytes -= frame->delta.capacity();
  frame->delta = std::vector<uint8_t>();
}

// The oldest image frame goes with the frames up to the next image frame,
// which can no longer be reached without it; the newest image stays.
void DropOldest() {
  const size_t limit = size_t(RewindFrameLimit());
  while (R.newest_image > 0 && (R.frames.size() > limit || MemoryUsed() > RewindMemoryLimit)) {
    do {
      ForgetDelta(&R.frames.front());
      R.frames.pop_front();
      R.newest_image--;
    } while (!R.frames.front().image);
  }
}

// Drops the newest frame; when it held the newest image, the image before
// it becomes the newest.
bool DropNewest() {
  const bool image = R.frames.back().image;
  R.frames.pop_back();
  if (!image) return true;
  size_t previous = R.newest_image;
  while (previous > 0 && !R.frames[--previous].image) {
  }
  RewindFrame& frame = R.frames[previous];
  const bool applied = ApplyStateDelta(frame.delta.data(), frame.delta.size(), R.newest.data(), R.newest.size());
  ForgetDelta(&frame);
  R.newest_image = previous;
  return applied;
}

// Runs the frames from the newest image on again, the last one drawn, so
// that its picture shows. Their sound and what the watchers of the text
// console and the sound chip would see were had the first time.
bool ReplayFromNewestImage() {
  bool break_request = false;
  if (!InstallStateImage(R.newest.data(), R.newest.size(), &break_request)) return false;
  void (*line_end)() = LineEndHook;
  void (*fm_write)(uint8_t, uint8_t) = FmWriteHook;
  void (*console_line)(const std::string&) = ConsoleLineHook;
  void (*transcript)(const std::string&) = ConsoleTranscriptHook;
  void (*console_break)() = ConsoleBreakHook;
  LineEndHook = nullptr;
  FmWriteHook = nullptr;
  ConsoleLineHook = ConsoleTranscriptHook = nullptr;
  ConsoleBreakHook = nullptr;
  for (size_t i = R.newest_image; i < R.frames.size(); i++) {
    const RewindFrame& frame = R.frames[i];
    ControllerInput[0] = frame.pads[0];
    ControllerInput[1] = frame.pads[1];
    RunConsoleFrame(i + 1 == R.frames.size(), frame.sound);
    PsgState& psg = PrimaryMachine.Psg;
    psg.RingRead = psg.RingWrite;
    psg.RingFill = 0;
  }
  LineEndHook = line_end;
  FmWriteHook = fm_write;
  ConsoleLineHook = console_line;
  ConsoleTranscriptHook = transcript;
  ConsoleBreakHook = console_break;
  return true;
}

}  // namespace

const char* RewindRefusal() {
  if (!CanHoldState() || !PrimaryMachine.Ram) return "Can't rewind without a cartridge.";
  if (BreakState || DebugRun) return "Can't rewind while the debugger is on.";
  if (MovieState == MovieRecording) return "Can't rewind while a movie is recorded.";
  if (MovieState == MoviePlaying) return "Can't rewind while a movie plays.";
  return nullptr;
}

bool RewindAvailable() { return RewindRefusal() == nullptr; }

void ClearRewind() {
  if (R.frames.empty()) return;
  R.frames.clear();
  R.newest_image = 0;
  R.delta_bytes = 0;
}

void RecordRewindFrame(bool sound) {
  if (!RewindAvailable()) {
    ClearRewind();
    return;
  }
  const bool image = R.frames.empty() || R.frames.size() - R.newest_image >= RewindImageInterval;
  if (image) {
    BuildStateImage(&R.building);
    if (R.building.size() != R.newest.size()) ClearRewind();
    if (!R.frames.empty()) {
      R.packing.clear();
      PackStateDelta(R.building.data(), R.newest.data(), R.building.size(), &R.packing);
      std::vector<uint8_t>& delta = R.frames[R.newest_image].delta;
      delta.assign(R.packing.begin(), R.packing.end());
      R.delta_bytes += delta.capacity();
    }
    R.newest.swap(R.building);
    R.newest_image = R.frames.size();
  }
  R.frames.push_back(RewindFrame{{}, {ControllerInput[0], ControllerInput[1]}, sound, image});
  DropOldest();
}

int RewindFrames(int frames) {
  if (!RewindAvailable()) {
    ClearRewind();
    return 0;
  }
  const int count = std::min(frames, RewindFramesKept());
  if (count <= 0) return 0;
  bool ok = true;
  for (int i = 0; i < count && ok; i++) ok = DropNewest();
  // A delta that does not fit was never written: start afresh rather than
  // install a wrong state.
  if (!ok || !ReplayFromNewestImage()) {
    ClearRewind();
    return 0;
  }
  return count;
}

int RewindFramesKept() { return R.frames.empty() ? 0 : int(R.frames.size()) - 1; }
size_t RewindMemoryUsed() { return MemoryUsed(); }
int RewindFrameLimit() { return RewindSeconds * std::max(FrameRate, 1); }

void ResetRewind() { R = RewindRing{}; }
