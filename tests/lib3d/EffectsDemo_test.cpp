// Runs the engine demo's effects scene and looks at the picture it saved: the
// ball's shadow darkens the floor, the render target shows on its panel, the
// script-mapped ball carries its sun, and the floor mirrors the marbled ball.
// Positions are those of the scene's fixed camera after 12 frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lib3d/EngineTestSupport.h"

using enginetest::Rgb;

namespace {

// As for the engine's own demo test: the driver's blocks left at SDL_Quit
// are not the scene's; leaks are checked by the effect tests.
std::string Demo(const char *arguments) {
    return std::string("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 ") +
           ENGINEDEMO_PATH + " " + arguments;
}

struct Picture {
    std::vector<Rgb> px;
    int w = 0, h = 0;
    Rgb At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    // Mean of r + g + b over a rectangle.
    double Brightness(int x0, int y0, int x1, int y1) const {
        double sum = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) {
                const Rgb c = At(x, y);
                sum += c.r + c.g + c.b;
            }
        return sum / ((x1 - x0) * (y1 - y0));
    }
    template <typename Test>
    int Count(int x0, int y0, int x1, int y1, Test test) const {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) n += test(At(x, y)) ? 1 : 0;
        return n;
    }
};

Picture RunDemo(const char *output, const char *options) {
    Picture p;
    const std::string command =
        Demo((std::string(output) + " 12 --effects " + options + " > " + output + ".txt").c_str());
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(enginetest::ReadPngFile(output, &p.px, &p.w, &p.h));
    return p;
}

void CheckCommon(const Picture &p) {
    // The panel: its dark blue ground and the two balls seen from above.
    const Rgb ground = p.At(310, 225);
    EXPECT_LT(ground.r, 60);
    EXPECT_GT(ground.b, 60);
    EXPECT_GT(p.Count(305, 90, 495, 230,
                      [&](const Rgb &c) {
                          return std::abs(c.r - ground.r) + std::abs(c.b - ground.b) > 60;
                      }),
              1500);
    // The sun in the sky the script maps onto the left ball.
    EXPECT_GT(p.Count(200, 280, 300, 350, [](const Rgb &c) { return c.r > 230 && c.g > 230; }), 10);
    // The floor mirrors the marbled ball: blue among the checker below it.
    EXPECT_GT(p.Count(450, 400, 610, 540, [](const Rgb &c) { return c.b > c.r + 30; }), 300);
}

TEST(EffectsDemo, ShadowReflectionTargetAndScriptEffect) {
    const Picture p = RunDemo("effects32.png", "");
    ASSERT_EQ(p.w, 800);
    ASSERT_EQ(p.h, 600);
    CheckCommon(p);
    // The ball's shadow on the floor is much darker than the lit floor at the
    // same distance.
    EXPECT_LT(p.Brightness(420, 330, 500, 370), 0.6 * p.Brightness(640, 330, 720, 370));
}

TEST(EffectsDemo, SixteenBitsHaveNoShadowButEverythingElse) {
    const Picture p = RunDemo("effects16.png", "--16");
    ASSERT_EQ(p.w, 800);
    CheckCommon(p);
    EXPECT_GT(p.Brightness(420, 330, 500, 370), 0.8 * p.Brightness(640, 330, 720, 370));
}

}  // namespace
