// Frame pacing on a fake clock: lateness carried and capped, waits shortened.
#include <gtest/gtest.h>

#include "app/pacing.h"

namespace {

uint64_t g_now = 0;
int g_sleeps = 0;
uint64_t FakeClock() { return g_now; }
// Every reading of the clock while waiting lets 10 us pass; a sleep its span.
uint64_t SpinningClock() { return g_now += 10; }
void FakeSleep(int microseconds) {
  g_now += uint64_t(microseconds);
  ++g_sleeps;
}

class Pacing : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPacing();
    g_now = 1000000;
    g_sleeps = 0;
    PacingClock = FakeClock;
    PacingSleep = FakeSleep;
    RestartPacing();
  }
  void TearDown() override { ResetPacing(); }
  // A pass whose work took `work` us, then paced.
  uint64_t Pass(uint64_t work, bool pal = false) {
    uint64_t start = LastTick;
    g_now += work;
    PacingClock = SpinningClock;
    PaceFrame(pal, false);
    PacingClock = FakeClock;
    return LastTick - start;
  }
};

TEST_F(Pacing, LatePassesCarryCappedLateness) {
  Pass(25000);
  EXPECT_EQ(Lateness, 8333);
  // The next pass only waits until 8334 us have passed, then is on time.
  uint64_t length = Pass(1000);
  EXPECT_GE(length, 8334u);
  EXPECT_LT(length, 8334u + 1300u);
  EXPECT_EQ(Lateness, 0);
  Pass(40000);
  EXPECT_EQ(Lateness, 8333);  // the rest of the excess is dropped
  Pass(45000, true);
  EXPECT_EQ(Lateness, 10000);
}

TEST_F(Pacing, OnTimePassesWaitForThePeriodSleepingThenSpinning) {
  uint64_t length = Pass(2000);
  EXPECT_GE(length, 16667u);
  EXPECT_LT(length, 16667u + 1300u);
  EXPECT_GT(g_sleeps, 10);
  // The last millisecond is slept in short steps, not spun.
  g_sleeps = 0;
  length = Pass(16667 - 1200);
  EXPECT_GE(length, 16667u);
  EXPECT_LT(length, 16667u + 110u);
  EXPECT_GE(g_sleeps, 9);
  EXPECT_EQ(Lateness, 0);
  EXPECT_GE(Pass(0, true), 20000u);
}

TEST_F(Pacing, DebugRunsAreNotPaced) {
  Pass(25000);
  g_now += 50;
  PaceFrame(false, true);
  EXPECT_EQ(Lateness, 0);
  EXPECT_EQ(LastTick, g_now);
  EXPECT_EQ(g_sleeps, 0);
}

}  // namespace
