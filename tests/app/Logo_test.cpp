// The opening logo drawn on the test display in simulated time, its frames
// saved through the engine's screenshot writer and read back with libpng.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/LogoScreen.h"
#include "lib3d/Engine.h"
#include "lib3d/EngineTestSupport.h"
#include "platform/Clock.h"

namespace {

using enginetest::Rgb;

// Small enough that the software rasteriser draws the whole sequence quickly.
const int kWidth = 480, kHeight = 360;

struct Picture {
    std::vector<Rgb> pixels;
    int w = 0, h = 0;
    const Rgb &At(int x, int y) const { return pixels[y * w + x]; }
    // The brightest channel anywhere.
    int Brightest() const {
        int most = 0;
        for (const Rgb &p : pixels) most = std::max(most, std::max(p.r, std::max(p.g, p.b)));
        return most;
    }
    int LitCount(int threshold) const {
        int n = 0;
        for (const Rgb &p : pixels) n += (p.r + p.g + p.b) > threshold;
        return n;
    }
};

// The window pixel of the logo's point (x, y) once the spin is over, x as
// the logo reads (left negative): the camera 3.1 in front, focal length the
// screen width.
int ScreenX(float x) {
    return static_cast<int>(kWidth / 2 + kWidth * x / 3.1f + 0.5f);
}
int ScreenY(float y) {
    return static_cast<int>(kHeight / 2 - kWidth * y / 3.1f + 0.5f);
}

class LogoTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char *mode = getenv("MARBRIX_TEST_COLOUR_MODE");
        ASSERT_TRUE(enginetest::OpenEngine(&engine, kWidth, kHeight, mode ? atoi(mode) : 3))
            << SDL_GetError();
        focalBefore = engine.focal;
        farBefore = engine.farPlane;
        logo.reset(new LogoScreen(&engine, &timer, &input));
        testing::internal::CaptureStderr();
        const bool ok = logo->Begin();
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(ok) << err;
        EXPECT_EQ(err, "");  // every picture found, both scripts compiled
        logo->beforePresent = [this] {
            const LogoSequence &q = logo->sequence;
            // The frame that ends the spin, the first past half the fade, the last.
            bool save = saveWhenOver &&
                        (q.over || (q.spin == 0 && q.fade == 256) || (q.fade <= 128 && !halfSaved));
            halfSaved = halfSaved || (saveWhenOver && q.fade <= 128);
            for (int frame : wanted) save = save || frame == logo->framesDrawn;
            if (!save) return;
            ASSERT_EQ(engine.Screenshot(prefix.c_str()), 1);
            shots.push_back(logo->framesDrawn);
        };
    }
    void TearDown() override {
        logo.reset();
        engine.Close();
    }
    // Runs frames of `ms` until the logo ends or `frames` have been drawn.
    void Run(int frames, uint32_t ms = 20) {
        for (int i = 0; i < frames; i++) {
            clock.AdvanceMs(ms);
            if (logo->Frame()) return;
        }
    }
    Picture Shot(int index) {
        char name[256];
        snprintf(name, sizeof name, "%s%04d.png", prefix.c_str(), index);
        Picture p;
        EXPECT_TRUE(enginetest::ReadPngFile(name, &p.pixels, &p.w, &p.h)) << name;
        return p;
    }

    lib3d::Engine engine;
    platform::ManualClock clock;
    FrameTimer timer{&clock};
    platform::ScriptedInput input;
    std::unique_ptr<LogoScreen> logo;
    std::string prefix = "logo_";
    std::vector<int> wanted;    // frame numbers to save, from 1
    bool saveWhenOver = false;  // and the frames closing the spin and the fade
    bool halfSaved = false;
    float focalBefore = 0, farBefore = 0;
    std::vector<int> shots;
};

}  // namespace

TEST_F(LogoTest, TheFirstSecondGlowsAndSpinsBigInTheMiddle) {
    prefix = "logo_first_second_";
    wanted = {1, 25, 50};
    Run(50);
    ASSERT_EQ(shots, wanted);
    EXPECT_FALSE(logo->sequence.Finished());
    int cornerLight[3];
    for (int i = 0; i < 3; i++) {
        const Picture p = Shot(i);
        ASSERT_EQ(p.w, kWidth);
        ASSERT_EQ(p.h, kHeight);
        // The glow is centred on the light, just above the middle, and
        // falls off towards the corners.
        const Rgb &centre = p.At(kWidth / 2, kHeight / 2 - 20);
        const Rgb &corner = p.At(2, 2);
        cornerLight[i] = corner.r + corner.g + corner.b;
        EXPECT_GT(centre.r + centre.g + centre.b, 150) << "frame " << wanted[i];
        EXPECT_GT(centre.r + centre.g + centre.b, cornerLight[i] + 100) << "frame " << wanted[i];
        // The logo, the glow and the shafts cover much of the screen while
        // the camera is close.
        EXPECT_GT(p.LitCount(90), kWidth * kHeight / 4) << "frame " << wanted[i];
    }
    // As the camera backs away and the glow shrinks, the corners darken.
    EXPECT_LT(cornerLight[2], cornerLight[0] - 100);
}

TEST_F(LogoTest, TheSpinEndsWithTheWholeLogoFacingTheCameraThenFadesToBlack) {
    // In 40 ms frames (the step settles at 2 after about ten frames): the
    // spin's 5.76 s and the fade's 2.56 s, and the smoothing's lag at the start.
    saveWhenOver = true;
    Run(1000, 40);
    ASSERT_TRUE(logo->sequence.over);
    EXPECT_NEAR(logo->framesDrawn * 40, 5760 + 2560 + 200, 120);
    ASSERT_EQ(shots.size(), 3u);

    const Picture facing = Shot(0);
    // Nothing left of the glow: the background is black.
    EXPECT_LT(facing.At(5, 5).r + facing.At(5, 5).g + facing.At(5, 5).b, 10);
    EXPECT_LT(facing.At(kWidth / 2, 6).r, 10);
    // The name's M starts on the left (its upright at x = -1.35) while the
    // X ends on the right with empty space at mid-height: a mirrored logo
    // would swap them. The name is golden.
    const Rgb &m = facing.At(ScreenX(-1.35f), ScreenY(-0.04f));
    EXPECT_GT(m.r + m.g + m.b, 120);
    EXPECT_GT(m.r, m.b + 20);
    const Rgb &beyondX = facing.At(ScreenX(1.35f), ScreenY(-0.04f));
    EXPECT_LT(beyondX.r + beyondX.g + beyondX.b, 30);
    // The D of "3D" (its upright at x = 0.065, y = -0.70) is blue.
    const Rgb &d = facing.At(ScreenX(0.065f), ScreenY(-0.70f));
    EXPECT_GT(d.r + d.g + d.b, 120);
    EXPECT_GT(d.b, d.r + 20);
    // The domino's rim along its top (y = 0.94) and the bar in its middle.
    const Rgb &rim = facing.At(ScreenX(-0.3f), ScreenY(0.94f));
    EXPECT_GT(rim.r + rim.g + rim.b, 120);
    const Rgb &bar = facing.At(ScreenX(0.0f), ScreenY(0.66f));
    EXPECT_GT(bar.r + bar.g + bar.b, 120);
    // Inside the tile between pips it is dark.
    const Rgb &face = facing.At(ScreenX(-0.15f), ScreenY(0.8f));
    EXPECT_LT(face.r + face.g + face.b, 30);

    // Half-way through the fade the same logo shows at about half its light.
    const Picture half = Shot(1);
    const Rgb &mHalf = half.At(ScreenX(-1.35f), ScreenY(-0.04f));
    EXPECT_LT(mHalf.r, m.r * 0.75);
    EXPECT_GT(mHalf.r, m.r * 0.25);

    // The closing frame is black all over.
    EXPECT_LE(Shot(2).Brightest(), 4);
}

TEST_F(LogoTest, AKeyReleaseSkipsBeforeAnythingIsDrawn) {
    input.PushKey('q');
    clock.AdvanceMs(20);
    EXPECT_TRUE(logo->Frame());
    EXPECT_TRUE(logo->sequence.skipped);
    EXPECT_EQ(logo->framesDrawn, 0);
    // End puts the projection back as it was before the logo.
    EXPECT_EQ(engine.farPlane, LogoScreen::kFar);
    logo->End();
    EXPECT_EQ(engine.focal, focalBefore);
    EXPECT_EQ(engine.farPlane, farBefore);
}

TEST_F(LogoTest, MissingPicturesAreReportedAndTheLogoStillPlays) {
    logo->End();
    ASSERT_EQ(mkdir("nothing_here", 0755), 0);
    ASSERT_EQ(chdir("nothing_here"), 0);
    LogoScreen bare(&engine, &timer, &input);
    testing::internal::CaptureStderr();
    const bool ok = bare.Begin();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(chdir(".."), 0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(err,
              "Texture not found : data/gfx/logo/env.png\n"
              "Texture not found : data/gfx/logo/env1.png\n"
              "Texture not found : data/gfx/logo/env2.png\n"
              "Texture not found : data/gfx/logo/light.png\n");
    // Played through in 100 ms frames, untextured, to its end.
    bool ended = false;
    for (int i = 0; i < 300 && !ended; i++) {
        clock.AdvanceMs(100);
        ended = bare.Frame();
    }
    EXPECT_TRUE(ended);
    EXPECT_TRUE(bare.sequence.over);
    EXPECT_GT(bare.framesDrawn, 40);
}
