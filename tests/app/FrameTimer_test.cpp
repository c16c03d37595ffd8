#include "app/FrameTimer.h"

#include <gtest/gtest.h>

namespace {

struct Timed {
    platform::ManualClock clock;
    FrameTimer timer{&clock};
    float Frame(uint32_t ms) {
        clock.AdvanceMs(ms);
        return timer.Tick();
    }
};

}  // namespace

TEST(FrameTimer, StepBlendsElapsedTimeWithThePreviousStep) {
    Timed t;
    t.timer.Reset();
    EXPECT_EQ(t.timer.step, 1.0f);
    EXPECT_FLOAT_EQ(t.Frame(100), 1.4f);  // 100 * 0.05 * 0.1 + 1.0 * 0.9
    EXPECT_FLOAT_EQ(t.Frame(100), 1.76f);
    for (int i = 0; i < 200; i++) t.Frame(20);
    EXPECT_NEAR(t.timer.step, 1.0f, 1e-4);  // 20 ms is one unit
    EXPECT_EQ(t.timer.frameCount, 202);
}

TEST(FrameTimer, TickCountBranchGivesTheSameSteps) {
    Timed t;
    t.clock.SetHasCounter(false);
    t.timer.Reset();
    EXPECT_EQ(t.timer.useCounter, 0);
    EXPECT_FLOAT_EQ(t.Frame(100), 1.4f);
    for (int i = 0; i < 25; i++) t.Frame(40);
    // 26 frames since the reset: 100 + 25 * 40 ms.
    EXPECT_FLOAT_EQ(t.timer.fps, 25000.0f / 1100.0f);
}

TEST(FrameTimer, ElapsedMillisecondsAreTruncated) {
    Timed t;
    t.clock.SetFrequency(3579545);  // an uneven counter rate
    t.timer.Reset();
    t.clock.AdvanceMs(1);
    float one = t.timer.Tick();
    EXPECT_FLOAT_EQ(one, 0.9f);  // 3579 ticks are 0.99 ms: truncated to 0
}

TEST(FrameTimer, RateIsSampledOnlyEveryTwentyFiveFrames) {
    Timed t;
    t.timer.Reset();
    for (int i = 1; i <= 25; i++) {
        t.Frame(20);
        EXPECT_EQ(t.timer.fps, 0.0f) << "frame " << i;
    }
    t.Frame(20);  // the first sample spans the 26 frames since the reset
    EXPECT_FLOAT_EQ(t.timer.fps, 25000.0f / 520.0f);
    for (int i = 0; i < 24; i++) t.Frame(10);
    EXPECT_FLOAT_EQ(t.timer.fps, 25000.0f / 520.0f);  // unchanged in between
    t.Frame(10);
    EXPECT_FLOAT_EQ(t.timer.fps, 100.0f);  // 25 frames of 10 ms
}

TEST(FrameTimer, FramesWithoutElapsedTimeNeverDivideByZero) {
    for (int counter = 0; counter < 2; counter++) {
        Timed t;
        t.clock.SetHasCounter(counter == 1);
        t.timer.Reset();
        for (int i = 0; i < 60; i++) t.Frame(0);
        EXPECT_EQ(t.timer.fps, 0.0f);
        EXPECT_GT(t.timer.step, 0.0f);
        EXPECT_LT(t.timer.step, 0.01f);  // 0.9 to the 60th
    }
}

TEST(FrameTimer, ResetStartsAfresh) {
    Timed t;
    t.timer.Reset();
    for (int i = 0; i < 30; i++) t.Frame(50);
    EXPECT_GT(t.timer.fps, 0.0f);
    t.clock.AdvanceMs(100000);  // a long pause, then a new game
    t.timer.Reset();
    EXPECT_EQ(t.timer.fps, 0.0f);
    EXPECT_EQ(t.timer.frameCount, 0);
    EXPECT_FLOAT_EQ(t.Frame(20), 1.0f);  // the pause does not count
    for (int i = 0; i < 25; i++) t.Frame(20);
    EXPECT_FLOAT_EQ(t.timer.fps, 25000.0f / 520.0f);  // measured from the reset
}
