// The shipped menus drawn by the engine on the test display, through the
// menuview tool: the main menu in English at 640 x 480 and the options in
// French at 1024 x 768. The pictures must show the ivory buttons, the green
// settings and the dark walnut backdrop where the layout puts them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../lib3d/EngineTestSupport.h"

using enginetest::Rgb;

namespace {

struct Picture {
    std::vector<Rgb> pixels;
    int w = 0, h = 0;
    // The pixel at a layout point: 800 x 600 units, origin at the centre, y up.
    Rgb At(float x, float y) const {
        int px = int((x + 400) / 800 * w), py = int((300 - y) / 600 * h);
        return pixels[size_t(py) * w + px];
    }
};

bool Shoot(const std::string &args, Picture *out) {
    // SDL_Quit unloads the OpenGL driver, whose last blocks no suppression
    // can name; the menus' own leaks are checked by the other tests.
    const std::string command = std::string("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}") +
                                "detect_leaks=0 " + MENUVIEW_PATH + " menus.png " + args;
    if (std::system(command.c_str()) != 0) return false;
    return enginetest::ReadPngFile("menus.png", &out->pixels, &out->w, &out->h);
}

bool Ivory(const Rgb &c) {
    return c.r > 150 && c.g > 130 && c.b > 90 && c.r >= c.b;
}
bool Walnut(const Rgb &c) {
    return c.r < 150 && c.r > c.b && c.g < 110;
}
bool Felt(const Rgb &c) {
    return c.g > c.r + 20 && c.g > c.b;
}

TEST(MenusPicture, MainMenuInEnglishAt640) {
    Picture p;
    ASSERT_TRUE(Shoot("--size 640x480 --lang en", &p));
    ASSERT_EQ(p.w, 640);
    ASSERT_EQ(p.h, 480);
    // Faces of New game, Options and Quit, beside their captions.
    for (float y : {120.0f, 4.0f, -190.0f}) {
        Rgb c = p.At(110, y);
        EXPECT_TRUE(Ivory(c)) << y << ": " << c.r << " " << c.g << " " << c.b;
    }
    // The backdrop between the buttons and the screen's edges.
    for (float x : {-330.0f, 330.0f}) {
        Rgb c = p.At(x, -60);
        EXPECT_TRUE(Walnut(c)) << x << ": " << c.r << " " << c.g << " " << c.b;
    }
}

TEST(MenusPicture, OptionsInFrenchAt1024) {
    Picture p;
    ASSERT_TRUE(Shoot("--size 1024x768 --lang fr --show MENUOPTION", &p));
    ASSERT_EQ(p.w, 1024);
    // The left ends of the settings, past their captions; the Back button.
    for (float y : {130.0f, 72.0f, 14.0f, -44.0f}) {
        Rgb c = p.At(-285, y);
        EXPECT_TRUE(Felt(c)) << y << ": " << c.r << " " << c.g << " " << c.b;
    }
    Rgb back = p.At(110, -190);
    EXPECT_TRUE(Ivory(back)) << back.r << " " << back.g << " " << back.b;
    // The main menu is hidden: where New game was, the backdrop shows.
    Rgb gone = p.At(0, 120 + 16);
    EXPECT_FALSE(Ivory(gone)) << gone.r << " " << gone.g << " " << gone.b;
}

}  // namespace
