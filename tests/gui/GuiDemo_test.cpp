// Runs the GUI demo and looks at what it reports and saves: the stored
// events of its scripted input in order, the widgets' final states, and
// their colours in the picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "../lib3d/EngineTestSupport.h"

using enginetest::Rgb;

TEST(GuiDemo, ScriptedInputReachesEveryKind) {
    // SDL_Quit unloads the OpenGL driver, whose last blocks no suppression
    // can name; leak checking of the GUI is done by the other tests.
    const std::string command = std::string("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}") +
                                "detect_leaks=0 " + GUIDEMO_PATH + " guidemo.png > guidemo.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream file("guidemo.txt");
    std::stringstream text;
    text << file.rdbuf();
    const std::string out = text.str();
    // The option was pressed four times: positions 1, 2, 0 (wrapped), 1.
    const char *expected[] = {
        "stored INTRO kind 2",
        "stored SOUND kind 6",
        "stored LANG kind 9 param 1",
        "stored LANG kind 9 param 2",
        "stored LANG kind 9 param 0",
        "stored LANG kind 9 param 1",
        "stored NAME kind 7",
        "stored NAME kind 3",
        "stored PLAY kind 5",
        "PLAY   OVER",
        "QUIT   NORMAL",
        "SOUND  PRESSED/FOCUS",
        "text \"Francais\"",
        "NAME   PRESSED/FOCUS  text \"Domino Ace!\"",
    };
    size_t at = 0;
    for (const char *e : expected) {
        const size_t found = out.find(e, at);
        ASSERT_NE(found, std::string::npos) << e << " after offset " << at << " in\n" << out;
        at = found;
    }
    std::vector<Rgb> px;
    int w = 0, h = 0;
    ASSERT_TRUE(enginetest::ReadPngFile("guidemo.png", &px, &w, &h));
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
    auto pixel = [&](int x, int y) { return px[(size_t)y * w + x]; };
    const Rgb sound = pixel(150, 290), name = pixel(200, 360), lang = pixel(618, 290);
    EXPECT_GT(sound.g, sound.r + 40) << "the switch is latched (green)";
    EXPECT_GT(name.r, name.b + 60) << "the field has the focus (yellow)";
    EXPECT_GT(name.g, name.b + 60);
    EXPECT_GT(lang.b, lang.r + 30) << "the option is back to normal (blue)";
}
