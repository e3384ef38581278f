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

void SleepMilliseconds(int milliseconds) {
  timespec span{0, long(milliseconds) * 1000000L};
  nanosleep(&span, nullptr);
}

// Sleeps in 1 ms steps while more than 1250 us remain, then spins, so the
// pass ends close to its due time whatever the sleep's granularity.
void WaitUntilElapsed(int64_t target) {
  for (;;) {
    int64_t elapsed = int64_t(PacingClock() - LastTick);
    int64_t remaining = target - elapsed;
    if (remaining <= 0) return;
    if (remaining > 1250) PacingSleep(1);
  }
}

}  // namespace

uint64_t (*PacingClock)() = MonotonicMicros;
void (*PacingSleep)(int) = SleepMilliseconds;

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
  PacingSleep = SleepMilliseconds;
  LastTick = 0;
  Lateness = 0;
}
