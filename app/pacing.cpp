#include "app/pacing.h"

#include <time.h>

uint64_t LastTick = 0;
int64_t Lateness = 0;

uint64_t MonotonicMicros() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
}

namespace {

void SleepMicroseconds(int microseconds) {
  timespec span{0, long(microseconds) * 1000L};
  nanosleep(&span, nullptr);
}

// Sleeps in 1 ms steps while more than 1250 us remain, then in 100 us steps
// (a Linux sleep overshoots by tens of microseconds, not a whole timer tick)
// and spins only the last 200 us, so the pass ends close to its due time
// without burning the rest of a millisecond every frame.
void WaitUntilElapsed(int64_t target) {
  for (;;) {
    int64_t elapsed = int64_t(PacingClock() - LastTick);
    int64_t remaining = target - elapsed;
    if (remaining <= 0) return;
    if (remaining > 1250)
      PacingSleep(1000);
    else if (remaining > 200)
      PacingSleep(100);
  }
}

}  // namespace

uint64_t (*PacingClock)() = MonotonicMicros;
void (*PacingSleep)(int) = SleepMicroseconds;

void PaceFrame(bool pal, bool debug_run) {
  if (debug_run) {
    Lateness = 0;
    LastTick = PacingClock();
    return;
  }
  const int64_t period = pal ? PalFramePeriod : NtscFramePeriod;
  const int64_t elapsed = int64_t(PacingClock() - LastTick);
  if (elapsed + Lateness >= period) {
    Lateness += elapsed - period;
    if (Lateness > period / 2) Lateness = period / 2;
  } else {
    WaitUntilElapsed(period - Lateness);
    Lateness = 0;
  }
  LastTick = PacingClock();
}

void PaceInactive() {
  WaitUntilElapsed(PalFramePeriod);
  LastTick = PacingClock();
}

void RestartPacing() { LastTick = PacingClock(); }

void ResetPacing() {
  PacingClock = MonotonicMicros;
  PacingSleep = SleepMicroseconds;
  LastTick = 0;
  Lateness = 0;
}
