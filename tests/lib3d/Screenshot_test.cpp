// Screenshots of the same picture from a 32-bit and from a 16-bit display
// hold the same colours, those of the picture cut to 5-6-5. The program runs
// once per display depth (see engine.cmake); MARBRIX_TEST_COLOUR_MODE picks it.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "lib3d/Engine.h"
#include "lib3d/EngineTestSupport.h"

using enginetest::Rgb;

namespace {

int ColourMode() {
    const char *mode = std::getenv("MARBRIX_TEST_COLOUR_MODE");
    return mode ? std::atoi(mode) : 3;
}

}  // namespace

TEST(Screenshot, HoldsTheReferencePictureAndTakesTheNextFreeName) {
    lib3d::Engine engine;
    ASSERT_TRUE(enginetest::OpenEngine(&engine, 96, 40, ColourMode()));
    EXPECT_EQ(engine.colourBits, ColourMode() == 1 ? 16 : 32);
    enginetest::DrawReferencePicture(&engine);
    engine.PresentFrame();  // the picture presented last is the one saved
    ASSERT_EQ(engine.Screenshot("shot"), 1);
    ASSERT_EQ(engine.Screenshot("shot"), 1);

    std::vector<Rgb> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(enginetest::ReadPngFile("shot0000.png", &pixels, &w, &h));
    ASSERT_EQ(w, 96);
    ASSERT_EQ(h, 40);
    int wrong = 0;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            wrong +=
                enginetest::Distance(pixels[y * w + x], enginetest::ReferenceColour(x, y, w)) != 0;
        }
    }
    EXPECT_EQ(wrong, 0);
    std::vector<Rgb> second;
    ASSERT_TRUE(enginetest::ReadPngFile("shot0001.png", &second, &w, &h));
    EXPECT_EQ(second.size(), pixels.size());
}
