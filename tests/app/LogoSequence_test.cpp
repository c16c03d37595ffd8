// The logo's counters and its skip rule, in simulated time with scripted input.
#include <gtest/gtest.h>

#include "app/FrameTimer.h"
#include "app/LogoScreen.h"
#include "platform/Clock.h"
#include "platform/Input.h"

namespace {

class LogoSequenceTest : public ::testing::Test {
protected:
    void SetUp() override { timer.Reset(); }
    // One frame of `ms` milliseconds; true when it is drawn.
    bool Frame(uint32_t ms = 20) {
        clock.AdvanceMs(ms);
        return sequence.Update(&timer, &input);
    }
    platform::ManualClock clock;
    FrameTimer timer{&clock};
    platform::ScriptedInput input;
    LogoSequence sequence;
};

}  // namespace

TEST_F(LogoSequenceTest, SpinThenFadeAtTheSteadyFrameRate) {
    // 20 ms frames give a frame step of 1 and a logo step of 0.5: the spin
    // loses 2.5 degrees a frame (288 frames, 5.76 s), then the fade 2 a
    // frame (128 frames, 2.56 s).
    EXPECT_FLOAT_EQ(sequence.eyeZ, -0.1f);  // before the first frame
    int frames = 0;
    float lastSpin = sequence.spin;
    while (sequence.spin > 0) {
        ASSERT_TRUE(Frame());
        ++frames;
        ASSERT_LE(sequence.spin, lastSpin);
        lastSpin = sequence.spin;
        ASSERT_EQ(sequence.fade, 256.0f);  // the fade waits for the spin
        ASSERT_NEAR(sequence.scale, sequence.spin / 720.0f, 1e-6f);
        ASSERT_NEAR(sequence.eyeZ, 3 * sequence.scale - 3.1f, 1e-5f);
        ASSERT_FALSE(sequence.Finished());
        ASSERT_LT(frames, 400);
    }
    EXPECT_NEAR(frames, 288, 1);
    // The spin ends exactly facing the camera, the glow and the shafts
    // gone, the camera 3.1 away.
    EXPECT_EQ(sequence.spin, 0.0f);
    EXPECT_EQ(sequence.scale, 0.0f);
    EXPECT_FLOAT_EQ(sequence.eyeZ, -3.1f);

    int fadeFrames = 0;
    while (sequence.fade > 0) {
        ASSERT_TRUE(Frame());
        ++fadeFrames;
        ASSERT_EQ(sequence.spin, 0.0f);
        ASSERT_FALSE(sequence.Finished());
        ASSERT_LT(fadeFrames, 200);
    }
    EXPECT_NEAR(fadeFrames, 128, 1);
    // One frame more, fully black, reports the end.
    EXPECT_TRUE(Frame());
    EXPECT_TRUE(sequence.Finished());
    EXPECT_FALSE(sequence.skipped);
}

TEST_F(LogoSequenceTest, LongFramesFloorTheCountersAtZero) {
    // A 10 s frame would take the spin far below zero; it stops at 0.
    for (int i = 0; i < 6; i++) Frame(10000);
    EXPECT_EQ(sequence.spin, 0.0f);
    EXPECT_EQ(sequence.scale, 0.0f);
    EXPECT_FLOAT_EQ(sequence.eyeZ, -3.1f);
    for (int i = 0; i < 20 && !sequence.Finished(); i++) Frame(10000);
    EXPECT_EQ(sequence.fade, 0.0f);
    EXPECT_TRUE(sequence.over);
}

TEST_F(LogoSequenceTest, AKeyReleaseInTheFirstFrameSkipsEverything) {
    platform::InputEvent release;
    release.type = platform::EventKeyUp;
    release.key = platform::KeyEscape;
    input.Push(release);
    platform::InputEvent after;
    after.type = platform::EventKeyDown;
    after.key = 'a';
    input.Push(after);
    EXPECT_FALSE(Frame());  // not drawn
    EXPECT_TRUE(sequence.skipped);
    EXPECT_TRUE(sequence.Finished());
    EXPECT_EQ(sequence.spin, 720.0f);  // nothing moved
    EXPECT_FALSE(input.Empty());       // what follows the release is left for the game
}

TEST_F(LogoSequenceTest, PressesAndTheMouseDoNotSkipButTheLaterReleaseDoes) {
    platform::InputEvent press;
    press.type = platform::EventKeyDown;
    press.key = platform::KeySpace;
    input.Push(press);
    input.PushClick(10, 20, platform::ButtonLeft);
    input.PushClick(10, 20, platform::ButtonRight);
    input.PushMotion(50, 60);
    for (int i = 0; i < 30; i++) ASSERT_TRUE(Frame());
    EXPECT_FALSE(sequence.Finished());
    EXPECT_LT(sequence.spin, 720.0f);
    platform::InputEvent release = press;
    release.type = platform::EventKeyUp;
    input.Push(release);
    EXPECT_FALSE(Frame());
    EXPECT_TRUE(sequence.skipped);
}

TEST_F(LogoSequenceTest, ClosingTheWindowEndsTheLogoAndAsksToQuit) {
    Frame();
    input.PushQuit();
    EXPECT_FALSE(Frame());
    EXPECT_TRUE(sequence.quitRequested);
    EXPECT_TRUE(sequence.Finished());
    EXPECT_FALSE(sequence.skipped);
}
